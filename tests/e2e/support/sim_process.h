#pragma once

// Runs varnel-sim (VARNEL_SIM_PATH) as a child process on a private COM alias folder, for the
// end-to-end tests. Standard C++ and POSIX only, so every e2e test can use it whatever it links.
// Under wine the script running the tests starts and stops it on request and serves it as COM7..9.

#include <string>
#include <vector>

class SimProcess {
public:
    struct Options {
        std::string receiver = "base";   // base | rover | none
        std::string radio = "none";      // microhard | maxstream | satel | none
        bool direct = false;
        bool silent = false;
        int com = 0;                     // 0: the simulator picks the lowest free number from 5
        std::string marksFile;
        std::vector<std::string> extraArgs;  // e.g. {"--guard-ms", "100"}
        std::string comDir;              // empty: a private temporary folder (removed afterwards)
    };

    // Makes the COM alias folder, sets VARNEL_COM_DIR in this process so the app under test finds
    // the port, starts the simulator with --log into a temporary file and waits (at most ~5 s) for
    // its "COM<N> <device>" line.
    explicit SimProcess(const Options& options);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool Started() const;
    int ComNumber() const;
    std::string DevicePath() const;
    std::string ComDir() const;
    std::string LogPath() const;

    // Every byte received from the program so far, concatenated in order.
    std::string Received() const;
    struct Burst { long long ms; std::string bytes; };
    // The same bytes as the simulator read them, with its millisecond time stamps.
    std::vector<Burst> ReceivedBursts() const;
    // Polls Received() for a substring.
    bool WaitReceived(const std::string& needle, int timeoutMs) const;

    void Stop();     // SIGTERM and wait now
    bool Running() const;
    int ExitStatus() const;   // waitpid status after Stop(); -1 while running
    long Pid() const { return m_pid; }

private:
    std::string m_root;
    std::string m_comDir;
    bool m_ownComDir = false;
    std::string m_logPath;
    std::string m_outPath;
    long m_pid = -1;
    std::string m_id;  // of the requests to the supervising script, under wine
    mutable int m_status = -1;
    int m_com = -1;
    std::string m_device;
};

// Wine lacks some of Windows' port behaviour (an exclusive open of a pseudo-terminal): tests skip it there.
bool RunningUnderWine();
