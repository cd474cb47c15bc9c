// varnel-sim: the simulated equipment on a pseudo-terminal. The device logic lives in CSimDevice;
// this is the pty, the COM alias, the log and the loop.

#include "serial/com_alias.h"
#include "sim_com_link.h"
#include "sim_device.h"
#include "sim_options.h"
#include "sim_replay.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int) { g_stop = 1; }

// The session log (serial/session_log.h), written only when --log names a file.
class CSimLog {
public:
    explicit CSimLog(const std::string& path)
    {
        if (!path.empty())
            m_failed = !m_writer.Open(path);
    }
    bool Failed(const std::string&) const { return m_failed; }
    void Bytes(char direction, long long ms, std::string_view bytes) { m_writer.Bytes(direction, ms, bytes); }
    void Event(long long ms, const char* text) { m_writer.Event(ms, text); }

private:
    CSessionLogWriter m_writer;
    bool m_failed = false;
};

long long NowMs(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

// Writes all of out, waiting briefly while the pty's buffer is full; drops the rest if nobody reads.
void WriteAll(int fd, const std::string& out)
{
    size_t done = 0;
    int waits = 0;
    while (done < out.size()) {
        ssize_t n = write(fd, out.data() + done, out.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN && waits++ < 20) {
            pollfd p{fd, POLLOUT, 0};
            poll(&p, 1, 10);
        } else {
            return;
        }
    }
}

// A new pseudo-terminal, non-blocking on our side. Raw line settings stay with the pty, so the
// program meets a serial line, not a terminal that echoes.
bool OpenPty(bool direct, int& master, std::string& slave)
{
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        if (master >= 0)
            close(master);
        master = -1;
        return false;
    }
    slave = ptsname(master);
    if (int fd = open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC); fd >= 0) {
        termios tio {};
        if (tcgetattr(fd, &tio) == 0) {
            cfmakeraw(&tio);
            cfsetspeed(&tio, direct ? B9600 : B19200);
            tcsetattr(fd, TCSANOW, &tio);
        }
        close(fd);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    SSimOptions options;
    std::string error;
    if (!ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "varnel-sim: %s\n\n%s", error.c_str(), SimUsage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(SimUsage().c_str(), stdout);
        return 0;
    }

    SSimDeviceConfig config;
    config.receiver = options.receiver;
    config.radio = options.radio;
    config.direct = options.direct;
    config.silent = options.silent;
    config.guardMs = options.guardMs;
    config.externalPower = options.externalPower;
    config.linkUp = options.linkUp;
    config.refuse = options.refuse;
    config.ignoreSetting = options.ignoreSetting;
    config.commandIdleMs = options.commandIdleMs;
    config.replyPieceBytes = options.replyPieceBytes;
    config.nmea = options.nmea;
    config.noiseM = options.noiseM;
    config.offsetM = options.offsetM;
    config.fixQuality = options.fixQuality;
    config.nmeaDamageEvery = options.nmeaDamageEvery;
    config.nmeaIntervalMs = options.nmeaIntervalMs;
    if (!options.marksFile.empty()) {
        if (!LoadSimMarks(options.marksFile, config.marks, error)) {
            std::fprintf(stderr, "varnel-sim: %s\n", error.c_str());
            return 1;
        }
        config.reference = config.marks.empty() ? SSimMark{"0.000000", "0.000000", "0.000"} : config.marks.front();
    }

    // A bad replay file is refused before anything is registered.
    std::unique_ptr<CSimReplay> replay;
    if (!options.replayFile.empty()) {
        std::vector<SSessionLine> lines;
        if (!ReadSessionLog(options.replayFile, lines, error)) {
            std::fprintf(stderr, "varnel-sim: cannot replay %s\n", error.c_str());
            return 2;
        }
        replay = std::make_unique<CSimReplay>(lines);
    }

    CSimLog log(options.logFile);
    if (log.Failed(options.logFile)) {
        std::fprintf(stderr, "varnel-sim: cannot write log %s: %s\n", options.logFile.c_str(), std::strerror(errno));
        return 1;
    }

    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction stop {};
    stop.sa_handler = OnStopSignal;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);

    int master = -1;
    std::string slave;
    if (!OpenPty(options.direct, master, slave)) {
        std::fprintf(stderr, "varnel-sim: cannot open a pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }

    const std::string dir = ComAliasDir();
    if (dir.empty()) {
        std::fprintf(stderr, "varnel-sim: no COM alias folder: there is no home folder; set VARNEL_COM_DIR\n");
        close(master);
        return 1;
    }
    const int com = ClaimSimComLink(dir, slave, options.com, error);
    if (com < 0) {
        std::fprintf(stderr, "varnel-sim: %s\n", error.c_str());
        close(master);
        return 1;
    }
    std::printf("COM%d %s\n", com, slave.c_str());
    std::fflush(stdout);

    CSimDevice device(config);
    const auto start = std::chrono::steady_clock::now();
    const long long exitAtMs = options.exitAfterSeconds > 0 ? static_cast<long long>(options.exitAfterSeconds * 1000) : -1;
    log.Event(0, ("serving COM" + std::to_string(com) + " " + slave).c_str());
    bool connected = false;
    char buffer[4096];
    auto atMs = [](double seconds) { return seconds > 0 ? static_cast<long long>(seconds * 1000) : -1LL; };
    // The pulled cable: the next unplug and replug, -1 for none.
    long long unplugAtMs = atMs(options.unplugAfterSeconds);
    long long replugAtMs = -1;

    while (!g_stop) {
        long long now = NowMs(start);
        if (exitAtMs >= 0 && now >= exitAtMs)
            break;
        if (unplugAtMs >= 0 && now >= unplugAtMs && master >= 0) {
            // Closing the master is what the program sees of a pulled adapter: its reads fail with EIO
            // and the device node goes. The alias goes with it, as a by-id link does.
            ReleaseSimComLink(dir, com, slave);
            close(master);
            master = -1;
            connected = false;
            log.Event(now, "unplugged");
            unplugAtMs = -1;
            replugAtMs = options.replugAfterSeconds > 0 ? now + atMs(options.replugAfterSeconds) : -1;
        }
        if (master < 0) {
            if (replugAtMs >= 0 && now >= replugAtMs) {
                std::string newSlave;
                if (OpenPty(options.direct, master, newSlave) && ClaimSimComLink(dir, newSlave, com, error) == com) {
                    slave = newSlave;
                    log.Event(now, ("replugged COM" + std::to_string(com) + " " + slave).c_str());
                    std::fprintf(stderr, "varnel-sim: replugged COM%d %s\n", com, slave.c_str());
                    replugAtMs = -1;
                    unplugAtMs = options.unplugEverySeconds > 0 ? now + atMs(options.unplugEverySeconds) : -1;
                } else {
                    if (master >= 0)
                        close(master);
                    master = -1;
                    replugAtMs = now + 1000;  // try again in a second
                }
            }
            if (master < 0) {
                // Unplugged: the equipment keeps its state and runs on, talking to nobody.
                device.Tick(now);
                usleep(20 * 1000);
                continue;
            }
        }
        long long wait = 200;
        if (long long next = replay ? replay->NextEventMs(now) : device.NextEventMs(now); next >= 0)
            wait = std::clamp(next - now, 0LL, wait);
        if (exitAtMs >= 0)
            wait = std::min(wait, exitAtMs - now);
        if (unplugAtMs >= 0)
            wait = std::clamp(unplugAtMs - now, 0LL, wait);
        pollfd p{master, POLLIN, 0};
        const int r = poll(&p, 1, static_cast<int>(wait));
        now = NowMs(start);
        bool hangup = false;
        if (r > 0 && (p.revents & POLLIN)) {
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0) {
                if (!connected)
                    log.Event(now, "port opened");
                connected = true;
                const std::string_view in(buffer, static_cast<size_t>(n));
                log.Bytes('R', now, in);
                const std::string out = replay ? replay->Receive(in, now) : device.Receive(in, now);
                log.Bytes('S', now, out);
                WriteAll(master, out);
            } else if (n < 0 && errno == EIO) {
                hangup = true;
            }
        } else if (r > 0 && (p.revents & (POLLHUP | POLLERR))) {
            hangup = true;
        } else if (r == 0 && !connected) {
            // No hang-up reported for a whole wait: the program holds the port open.
            log.Event(now, "port opened");
            connected = true;
        }
        if (hangup) {
            if (connected)
                log.Event(now, "port closed");
            connected = false;
            // Nobody has the port open; the pty reports that at once on every poll, so pace the checks.
            usleep(50 * 1000);
        }
        const std::string out = replay ? replay->Tick(NowMs(start)) : device.Tick(NowMs(start));
        if (replay) {
            for (const std::string& message : replay->TakeMessages())
                std::fprintf(stderr, "varnel-sim: %s\n", message.c_str());
        }
        if (connected && !out.empty()) {
            log.Bytes('S', NowMs(start), out);
            WriteAll(master, out);
        }
    }

    if (master >= 0) {
        ReleaseSimComLink(dir, com, slave);
        close(master);
    }
    if (replay && !options.replayReportFile.empty()) {
        std::ofstream report(options.replayReportFile, std::ios::trunc);
        report << replay->Report();
        if (!report.flush())
            std::fprintf(stderr, "varnel-sim: cannot write %s\n", options.replayReportFile.c_str());
    }
    log.Event(NowMs(start), "stopped");
    return 0;
}
