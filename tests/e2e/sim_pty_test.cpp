// varnel-sim as a process: its pseudo-terminal, COM alias, log and answers, driven over the slave
// device with plain POSIX calls.

#include "e2e/support/sim_process.h"

#include <QtTest/QtTest>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class Port {
public:
    explicit Port(const std::string& device)
    {
        m_fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd >= 0) {
            termios tio {};
            tcgetattr(m_fd, &tio);
            cfmakeraw(&tio);
            tcsetattr(m_fd, TCSANOW, &tio);
        }
    }
    ~Port() { Close(); }
    bool IsOpen() const { return m_fd >= 0; }
    void Close()
    {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
    }
    void Send(const std::string& bytes) const
    {
        if (write(m_fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            qWarning("short write");
    }
    // Reads until `needle` has arrived (returns all read so far) or the time is up.
    std::string ReadUntil(const std::string& needle, int timeoutMs)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (m_pending.find(needle) == std::string::npos || needle.empty()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd p{m_fd, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) > 0) {
                char buffer[1024];
                ssize_t n = read(m_fd, buffer, sizeof buffer);
                if (n > 0)
                    m_pending.append(buffer, static_cast<size_t>(n));
            }
        }
        std::string out;
        out.swap(m_pending);
        return out;
    }

private:
    int m_fd = -1;
    std::string m_pending;
};

// CPU seconds used by a process so far.
double CpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

SimProcess::Options With(const std::string& receiver, const std::string& radio, std::vector<std::string> extra = {})
{
    SimProcess::Options o;
    o.receiver = receiver;
    o.radio = radio;
    o.extraArgs = std::move(extra);
    return o;
}

}  // namespace

class SimPtyTest : public QObject {
    Q_OBJECT

private slots:
    void baseAnswersAndTalksBetweenReplies()
    {
        SimProcess sim(With("base", "none"));
        QVERIFY(sim.Started());
        QVERIFY(sim.ComNumber() >= 5);
        QCOMPARE(fs::read_symlink(sim.ComDir() + "/com" + std::to_string(sim.ComNumber())).string(), sim.DevicePath());
        QCOMPARE(std::string(getenv("VARNEL_COM_DIR")), sim.ComDir());
        Port port(sim.DevicePath());
        QVERIFY(port.IsOpen());
        port.Send("$JAPP\r\n");
        QVERIFY(port.ReadUntil("$>JAPP,RTKBAS", 2000).find("$>JAPP,RTKBAS") != std::string::npos);
        const std::string traffic = port.ReadUntil("$GPGGA,", 2500);
        QVERIFY(traffic.find("$GPGGA,") != std::string::npos);

        port.Send("$KBASE,CLEARMARKS\r\n$KBASE,ADDMARK,51.5,-1.25,100\r\n");
        std::this_thread::sleep_for(300ms);
        port.Send("$KBASE,ADDMARK,1.5,2.5,3\r\n$KBASE,MARKS\r\n");
        const std::string marks = port.ReadUntil("$KBASE,MARKS,1.5,2.5,3\r\n", 2000);
        const auto first = marks.find("$KBASE,MARKS,51.5,-1.25,100\r\n");
        QVERIFY(first != std::string::npos);
        QVERIFY(marks.find("$KBASE,MARKS,1.5,2.5,3\r\n") > first);

        // The log holds exactly what was sent, in order, with the pause between the bursts.
        QVERIFY(sim.WaitReceived("$KBASE,MARKS\r\n", 2000));
        QCOMPARE(sim.Received(), std::string("$JAPP\r\n$KBASE,CLEARMARKS\r\n$KBASE,ADDMARK,51.5,-1.25,100\r\n"
                                             "$KBASE,ADDMARK,1.5,2.5,3\r\n$KBASE,MARKS\r\n"));
        long long cleared = -1, added = -1;
        for (const auto& burst : sim.ReceivedBursts()) {
            if (burst.bytes.find("CLEARMARKS") != std::string::npos)
                cleared = burst.ms;
            if (burst.bytes.find("1.5,2.5,3") != std::string::npos)
                added = burst.ms;
        }
        QVERIFY(cleared >= 0);
        QVERIFY(added - cleared >= 250);
    }

    void marksFromAFileWithTheFirstInUse()
    {
        const std::string path = fs::temp_directory_path() / ("sim-marks-" + std::to_string(getpid()) + ".txt");
        std::ofstream(path) << "# two marks\n-33.856784,151.215297,25.0\n-33.857000,151.216000,24.5\n";
        SimProcess::Options o = With("base", "none");
        o.marksFile = path;
        SimProcess sim(o);
        fs::remove(path);
        QVERIFY(sim.Started());
        Port port(sim.DevicePath());
        port.Send("$JRTK,17\r\n$KBASE,MARKS\r\n");
        const std::string reply = port.ReadUntil("24.5\r\n", 2000);
        QVERIFY(reply.find("$>JRTK,17,-33.856784,151.215297,25.0\r\n") != std::string::npos);
        QVERIFY(reply.find("$KBASE,MARKS,-33.856784,151.215297,25.0\r\n$KBASE,MARKS,-33.857000,151.216000,24.5\r\n") !=
                std::string::npos);
    }

    void portCanBeClosedAndReopenedWithoutSpinning()
    {
        SimProcess sim(With("base", "none"));
        QVERIFY(sim.Started());
        {
            Port port(sim.DevicePath());
            port.Send("$JAPP\r\n");
            QVERIFY(port.ReadUntil("RTKBAS", 2000).find("RTKBAS") != std::string::npos);
        }
        const double before = CpuSeconds(sim.Pid());
        std::this_thread::sleep_for(1500ms);
        QVERIFY2(CpuSeconds(sim.Pid()) - before < 0.3, "the simulator spins while nobody has the port open");
        Port again(sim.DevicePath());
        again.Send("$KBASE,VERSION\r\n");
        QVERIFY(again.ReadUntil("$KBASE,VERSION,", 2000).find("$KBASE,VERSION,") != std::string::npos);
        QVERIFY(sim.Running());
    }

    void microhardBehindBaseInPassThrough()
    {
        SimProcess sim(With("base", "microhard", {"--guard-ms", "100"}));
        QVERIFY(sim.Started());
        Port port(sim.DevicePath());
        port.Send("$JASC,GPGGA,0\r\n$KBASE,PASSTHROUGH,1\r\n");
        std::this_thread::sleep_for(200ms);
        port.Send("+++");
        QVERIFY(port.ReadUntil("OK\r\n", 1500).find("OK") != std::string::npos);
        port.Send("ATI255\r\n");
        QVERIFY(port.ReadUntil("MHX920", 1500).find("MHX920") != std::string::npos);
        port.ReadUntil("OK\r\n", 500);
        port.Send("ATS104=107\r\n");
        port.ReadUntil("OK\r\n", 1000);
        port.Send("ATS104?\r\n");
        QVERIFY(port.ReadUntil("OK\r\n", 1500).find("ATS104?\r\r\n107\r\n") != std::string::npos);
        port.Send("ATO\r\n$KBASE,PASSTHROUGH,0\r\n");
        port.ReadUntil("OK\r\n", 1000);
        port.Send("ATI255\r\n$JAPP\r\n");
        const std::string after = port.ReadUntil("RTKBAS", 1500);
        QVERIFY(after.find("RTKBAS") != std::string::npos);
        QVERIFY(after.find("MHX920") == std::string::npos);
    }

    void maxstreamDirectWithTheRealGuardTime()
    {
        SimProcess::Options o = With("base", "maxstream");
        o.direct = true;
        SimProcess sim(o);
        QVERIFY(sim.Started());
        Port port(sim.DevicePath());
        port.Send("$JAPP\r\n");   // straight to the radio: no receiver answers
        std::this_thread::sleep_for(1500ms);
        port.Send("+++");
        QVERIFY(port.ReadUntil("OK\r", 2000).find("$>JAPP") == std::string::npos);
        port.Send("ATVL\r\n");
        QVERIFY(port.ReadUntil("2B=", 1000).find("Firm") != std::string::npos);
        port.ReadUntil("\r", 300);
        port.Send("ATDT?\r\n");
        QCOMPARE(port.ReadUntil("\r", 1000), std::string("2\r"));
        port.Send("ATGD\r\n");
        const std::string count = port.ReadUntil("\r", 1000);
        QVERIFY(count.size() >= 2 && count.back() == '\r');
        port.Send("ATCN\r\n");
        QCOMPARE(port.ReadUntil("OK\r", 1000), std::string("OK\r"));
    }

    void satelBehindRoverBridge()
    {
        SimProcess sim(With("rover", "satel"));
        QVERIFY(sim.Started());
        Port port(sim.DevicePath());
        port.Send("$KBASE,VOLTAGE\r\n$JASC,GPGGA,0\r\n$JCONN,A,D\r\nSL&F=433.500\r\nSL&F?\r\n");
        const std::string reply = port.ReadUntil("mW\r\n", 2000);
        QVERIFY(reply.find("433.50000 MHz") != std::string::npos);
        QVERIFY(reply.find("$KBASE") == std::string::npos);   // a rover ignores the base's commands
    }

    void silentAnswersNothingButLogs()
    {
        SimProcess::Options o = With("base", "satel");
        o.silent = true;
        SimProcess sim(o);
        QVERIFY(sim.Started());
        Port port(sim.DevicePath());
        port.Send("$JAPP\r\n");
        QCOMPARE(port.ReadUntil("$", 1500), std::string());
        QVERIFY(sim.WaitReceived("$JAPP\r\n", 1000));
    }

    void registrationAndRemoval()
    {
        SimProcess first(With("base", "none"));
        QVERIFY(first.Started());
        SimProcess::Options o = With("rover", "none");
        o.comDir = first.ComDir();
        SimProcess second(o);
        QVERIFY(second.Started());
        QVERIFY(second.ComNumber() != first.ComNumber());
        const std::string link = first.ComDir() + "/com" + std::to_string(second.ComNumber());
        QVERIFY(fs::is_symlink(link));
        second.Stop();
        QVERIFY(WIFEXITED(second.ExitStatus()) && WEXITSTATUS(second.ExitStatus()) == 0);
        QVERIFY(!fs::is_symlink(link));

        // A live alias is never taken; a dead one is replaced.
        fs::create_symlink("/dev/null", first.ComDir() + "/com20");
        fs::create_symlink(first.ComDir() + "/gone", first.ComDir() + "/com21");
        o.com = 20;
        SimProcess live(o);
        QVERIFY(!live.Started());
        QCOMPARE(fs::read_symlink(first.ComDir() + "/com20").string(), std::string("/dev/null"));
        o.com = 21;
        SimProcess dead(o);
        QVERIFY(dead.Started());
        QCOMPARE(dead.ComNumber(), 21);
    }

    void exitsByItselfAndHelps()
    {
        SimProcess sim(With("base", "none", {"--exit-after", "0.5"}));
        QVERIFY(sim.Started());
        const std::string link = sim.ComDir() + "/com" + std::to_string(sim.ComNumber());
        for (int i = 0; i < 50 && sim.Running(); ++i)
            std::this_thread::sleep_for(50ms);
        QVERIFY(!sim.Running());
        QVERIFY(!fs::is_symlink(link));

        FILE* help = popen((std::string(VARNEL_SIM_PATH) + " --help").c_str(), "r");
        QVERIFY(help);
        char text[256] = {};
        QVERIFY(fgets(text, sizeof text, help));
        QCOMPARE(pclose(help), 0);
        QVERIFY(std::string(text).find("Usage") != std::string::npos);
    }
};

QTEST_MAIN(SimPtyTest)
#include "sim_pty_test.moc"
