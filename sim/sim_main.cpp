// varnel-sim: the simulated equipment on a pseudo-terminal. The device logic lives in CSimDevice;
// this is the pty, the COM alias, the log and the loop.

#include "serial/com_alias.h"
#include "sim_com_link.h"
#include "sim_device.h"
#include "sim_log.h"
#include "sim_options.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int) { g_stop = 1; }

class CSimLog {
public:
    explicit CSimLog(const std::string& path)
    {
        if (!path.empty())
            m_file = std::fopen(path.c_str(), "w");
    }
    ~CSimLog()
    {
        if (m_file)
            std::fclose(m_file);
    }
    bool Failed(const std::string& path) const { return !path.empty() && !m_file; }
    void Bytes(char direction, long long ms, std::string_view bytes)
    {
        if (m_file && !bytes.empty()) {
            std::fprintf(m_file, "%c %lld %s\n", direction, ms, EscapeSimBytes(bytes).c_str());
            std::fflush(m_file);
        }
    }
    void Event(long long ms, const char* text)
    {
        if (m_file) {
            std::fprintf(m_file, "# %lld %s\n", ms, text);
            std::fflush(m_file);
        }
    }

private:
    std::FILE* m_file = nullptr;
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

    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::fprintf(stderr, "varnel-sim: cannot open a pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    const std::string slave = ptsname(master);
    // Raw line settings stay with the pty, so the program meets a serial line, not a terminal that echoes.
    if (int fd = open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC); fd >= 0) {
        termios tio {};
        if (tcgetattr(fd, &tio) == 0) {
            cfmakeraw(&tio);
            cfsetspeed(&tio, options.direct ? B9600 : B19200);
            tcsetattr(fd, TCSANOW, &tio);
        }
        close(fd);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

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

    while (!g_stop) {
        long long now = NowMs(start);
        if (exitAtMs >= 0 && now >= exitAtMs)
            break;
        long long wait = 200;
        if (long long next = device.NextEventMs(now); next >= 0)
            wait = std::clamp(next - now, 0LL, wait);
        if (exitAtMs >= 0)
            wait = std::min(wait, exitAtMs - now);
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
                const std::string out = device.Receive(in, now);
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
        const std::string out = device.Tick(NowMs(start));
        if (connected && !out.empty()) {
            log.Bytes('S', NowMs(start), out);
            WriteAll(master, out);
        }
    }

    ReleaseSimComLink(dir, com, slave);
    log.Event(NowMs(start), "stopped");
    close(master);
    return 0;
}
