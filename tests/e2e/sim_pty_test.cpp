// varnel-sim as a process: its pseudo-terminal, COM alias, log and answers, driven through the
// program's serial port.

#include "e2e/support/sim_process.h"
#include "serial/serial_port.h"

#include <QtTest/QtTest>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

void Send(CSerialPort& port, const std::string& bytes)
{
    port.Write(bytes.data(), static_cast<int>(bytes.size()));
}

// Reads until `needle` has arrived (empty: for the whole time) and returns all that was read.
std::string ReadUntil(CSerialPort& port, const std::string& needle, int timeoutMs)
{
    std::string got;
    char buffer[1024];
    for (int waited = 0; waited < timeoutMs && (needle.empty() || got.find(needle) == std::string::npos); waited += 5) {
        std::this_thread::sleep_for(5ms);
        got.append(buffer, static_cast<size_t>(port.Read(buffer, sizeof buffer)));
    }
    return got;
}

// CPU seconds used by a process so far (utime and stime, fields 14 and 15 of its stat).
double CpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), skip;
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i < 14; ++i)
        fields >> skip;
    fields >> utime >> stime;
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

}  // namespace

class SimPtyTest : public QObject {
    Q_OBJECT

private slots:
    void baseWithAMarksFileAnswersLogsAndRestsWhileClosed()
    {
        const std::string path = fs::temp_directory_path() / ("sim-marks-" + std::to_string(getpid()) + ".txt");
        std::ofstream(path) << "# two marks\n-33.856784,151.215297,25.0\n-33.857000,151.216000,24.5\n";
        SimProcess::Options o;
        o.marksFile = path;
        SimProcess sim(o);
        fs::remove(path);
        QVERIFY(sim.Started());
        QVERIFY(sim.ComNumber() >= 5);
        QCOMPARE(fs::read_symlink(sim.ComDir() + "/com" + std::to_string(sim.ComNumber())).string(), sim.DevicePath());
        QCOMPARE(std::string(getenv("VARNEL_COM_DIR")), sim.ComDir());
        {
            // The first mark of the file is the reference position.
            CSerialPort port;
            QVERIFY(port.Open(sim.ComNumber(), 19200));
            Send(port, "$JRTK,17\r\n$KBASE,MARKS\r\n");
            const std::string reply = ReadUntil(port, "24.5\r\n", 2000);
            QVERIFY(reply.find("$>JRTK,17,-33.856784,151.215297,25.0\r\n") != std::string::npos);
            QVERIFY(reply.find("$KBASE,MARKS,-33.856784,151.215297,25.0\r\n"
                               "$KBASE,MARKS,-33.857000,151.216000,24.5\r\n") != std::string::npos);
        }
        const double before = CpuSeconds(sim.Pid());
        std::this_thread::sleep_for(1000ms);
        QVERIFY2(CpuSeconds(sim.Pid()) - before < 0.3, "the simulator spins while nobody has the port open");

        CSerialPort port;
        QVERIFY(port.Open(sim.ComNumber(), 19200));
        Send(port, "$JAPP\r\n");
        QVERIFY(ReadUntil(port, "$>JAPP,RTKBAS", 2000).find("$>JAPP,RTKBAS") != std::string::npos);
        QVERIFY(ReadUntil(port, "$GPGGA,", 2500).find("$GPGGA,") != std::string::npos);
        Send(port, "$KBASE,CLEARMARKS\r\n$KBASE,ADDMARK,51.5,-1.25,100\r\n");
        std::this_thread::sleep_for(300ms);
        Send(port, "$KBASE,ADDMARK,1.5,2.5,3\r\n$KBASE,MARKS\r\n");
        const std::string marks = ReadUntil(port, "$KBASE,MARKS,1.5,2.5,3\r\n", 2000);
        QVERIFY(marks.find("$KBASE,MARKS,51.5,-1.25,100\r\n$KBASE,MARKS,1.5,2.5,3\r\n") != std::string::npos);
        QVERIFY(marks.find("-33.8") == std::string::npos);

        // The log holds exactly what was sent, in order, with the pause between the bursts.
        QVERIFY(sim.WaitReceived("1.5,2.5,3\r\n$KBASE,MARKS\r\n", 2000));
        QCOMPARE(sim.Received(), std::string("$JRTK,17\r\n$KBASE,MARKS\r\n$JAPP\r\n$KBASE,CLEARMARKS\r\n"
                                             "$KBASE,ADDMARK,51.5,-1.25,100\r\n$KBASE,ADDMARK,1.5,2.5,3\r\n"
                                             "$KBASE,MARKS\r\n"));
        long long cleared = -1, added = -1;
        for (const auto& burst : sim.ReceivedBursts()) {
            if (burst.bytes.find("CLEARMARKS") != std::string::npos)
                cleared = burst.ms;
            if (burst.bytes.find("1.5,2.5,3") != std::string::npos)
                added = burst.ms;
        }
        QVERIFY(cleared >= 0);
        QVERIFY(added - cleared >= 250);
        QVERIFY(sim.Running());
    }

    void microhardBehindBaseInPassThrough()
    {
        SimProcess::Options o;
        o.radio = "microhard";
        o.extraArgs = {"--guard-ms", "100"};
        SimProcess sim(o);
        QVERIFY(sim.Started());
        CSerialPort port;
        QVERIFY(port.Open(sim.ComNumber(), 19200));
        Send(port, "$JASC,GPGGA,0\r\n$KBASE,PASSTHROUGH,1\r\n");
        std::this_thread::sleep_for(200ms);
        Send(port, "+++");
        QVERIFY(ReadUntil(port, "OK\r\n", 1500).find("OK") != std::string::npos);
        Send(port, "ATS104=107\r\n");
        ReadUntil(port, "OK\r\n", 1000);
        Send(port, "ATS104?\r\n");
        QVERIFY(ReadUntil(port, "OK\r\n", 1500).find("ATS104?\r\r\n107\r\n") != std::string::npos);
        Send(port, "ATO\r\n$KBASE,PASSTHROUGH,0\r\n");
        ReadUntil(port, "OK\r\n", 1000);
        Send(port, "ATI255\r\n$JAPP\r\n");
        const std::string after = ReadUntil(port, "RTKBAS", 1500);
        QVERIFY(after.find("RTKBAS") != std::string::npos);
        QVERIFY(after.find("MHX920") == std::string::npos);
    }

    void registrationSilenceAndRemoval()
    {
        SimProcess first({});
        QVERIFY(first.Started());
        SimProcess::Options o;
        o.radio = "satel";
        o.silent = true;
        o.comDir = first.ComDir();
        SimProcess second(o);
        QVERIFY(second.Started());
        QVERIFY(second.ComNumber() != first.ComNumber());
        const std::string link = first.ComDir() + "/com" + std::to_string(second.ComNumber());
        QVERIFY(fs::is_symlink(link));
        {
            CSerialPort port;
            QVERIFY(port.Open(second.ComNumber(), 19200));
            Send(port, "$JAPP\r\nSL&F?\r\n");
            QVERIFY(second.WaitReceived("SL&F?\r\n", 1000));
            QCOMPARE(ReadUntil(port, "", 300), std::string());
        }
        second.Stop();
        QVERIFY(WIFEXITED(second.ExitStatus()) && WEXITSTATUS(second.ExitStatus()) == 0);
        QVERIFY(!fs::is_symlink(link));

        // A live alias is never taken; a dead one is replaced.
        o.silent = false;
        fs::create_symlink("/dev/null", first.ComDir() + "/com20");
        fs::create_symlink(first.ComDir() + "/gone", first.ComDir() + "/com21");
        o.com = 20;
        SimProcess live(o);
        QVERIFY(!live.Started());
        QCOMPARE(fs::read_symlink(first.ComDir() + "/com20").string(), std::string("/dev/null"));
        o.com = 21;
        o.extraArgs = {"--exit-after", "0.3"};
        SimProcess dead(o);
        QVERIFY(dead.Started());
        QCOMPARE(dead.ComNumber(), 21);
        // Leaving by itself also removes its link.
        for (int i = 0; i < 50 && dead.Running(); ++i)
            std::this_thread::sleep_for(50ms);
        QVERIFY(!dead.Running());
        QVERIFY(!fs::is_symlink(first.ComDir() + "/com21"));

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
