#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "serial/open_failure.h"
#include "serial/serial_port.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;

namespace {

// A pseudo-terminal whose slave is COM7 through an alias in a private alias folder; the test
// holds the master as the "receiver".
class SerialPortTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/varnel-serial-port-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        ::setenv("VARNEL_COM_DIR", m_dir.c_str(), 1);
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(m_master, 0);
        ASSERT_EQ(::grantpt(m_master), 0);
        ASSERT_EQ(::unlockpt(m_master), 0);
        m_slave = ::ptsname(m_master);
        fs::create_symlink(m_slave, fs::path(m_dir) / "com7");
    }

    void TearDown() override
    {
        CloseMaster();
        ::unsetenv("VARNEL_COM_DIR");
        fs::remove_all(m_dir);
    }

    void CloseMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

    void ToPort(const std::string& bytes)
    {
        ASSERT_EQ(::write(m_master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // What the port sent, collected until `expected` bytes or a generous deadline; with
    // expected 0, whatever arrives within a short while.
    std::string FromPort(std::size_t expected = 0)
    {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + (expected ? 3000ms : 50ms);
        while ((expected == 0 || got.size() < expected) && std::chrono::steady_clock::now() < deadline) {
            pollfd p{m_master, POLLIN, 0};
            char buf[4096];
            const ssize_t r = ::poll(&p, 1, 10) > 0 ? ::read(m_master, buf, sizeof buf) : 0;
            if (r > 0)
                got.append(buf, static_cast<std::size_t>(r));
        }
        return got;
    }

    static bool WaitAvailable(const CSerialPort& port, int count)
    {
        for (int i = 0; i < 1500 && port.Available() < count; ++i)
            std::this_thread::sleep_for(2ms);
        return port.Available() >= count;
    }

    // A descriptor of our own on the slave, which the port's lock does not shut out when opened first.
    int OpenProbe() const { return ::open(m_slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK); }

    std::string m_dir;
    std::string m_slave;
    int m_master = -1;
};

TEST_F(SerialPortTest, ClosedOrFailedPortDoesNothingAndAGoodOpenAfterwardsWorks)
{
    fs::create_symlink("/nonexistent/tty", fs::path(m_dir) / "COM250");
    fs::create_symlink(m_slave, fs::path(m_dir) / "Com12"); // alias names ignore case
    CSerialPort port;
    for (int bad : {250, 0, -3, 4000}) // alias to nothing, or no device by the rule
        EXPECT_FALSE(port.Open(bad, 19200)) << bad;
    EXPECT_FALSE(port.Open(12, 12345)); // no such speed
    char buf[16];
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(port.Close());
    EXPECT_EQ(port.Write("+++", 3), 0);
    EXPECT_EQ(port.WriteLine("$JAPP"), 0);
    port.WriteByte('x');
    EXPECT_EQ(port.Purge(), 0);
    EXPECT_EQ(port.Read(buf, sizeof buf), 0);
    EXPECT_EQ(port.Available(), 0);
    EXPECT_EQ(FromPort(), "");

    ASSERT_TRUE(port.Open(12, 19200));
    EXPECT_EQ(port.WriteLine("ok"), 2);
    EXPECT_EQ(FromPort(4), "ok\r\n");
}

TEST_F(SerialPortTest, WritesPassUnchangedWithOrWithoutLineEnd)
{
    CSerialPort port;
    ASSERT_TRUE(port.Open(7, 19200));
    EXPECT_EQ(port.Write("+++", 3), 3);
    EXPECT_EQ(FromPort(), "+++");
    EXPECT_EQ(port.WriteLine(""), 0);
    EXPECT_EQ(FromPort(), "\r\n");
    EXPECT_EQ(port.WriteLine("$JAPP"), 5);
    EXPECT_EQ(FromPort(7), "$JAPP\r\n");

    // The slave starts with ONLCR: a lone LF must stay LF, CR stay CR, control bytes and NUL pass.
    const std::string raw = "a\nb\rc\x11\x13\0\x7f\xff"s;
    EXPECT_EQ(port.Write(raw.data(), static_cast<int>(raw.size())), 10);
    port.WriteByte(0x03);
    EXPECT_EQ(FromPort(11), raw + "\x03");

    EXPECT_EQ(port.Write("x", 0), 0);
    EXPECT_EQ(port.Write("x", -1), 0);
    EXPECT_EQ(FromPort(), "");
}

// The closing sentences go out right before Close: none of them may be lost there.
TEST_F(SerialPortTest, CloseKeepsWhatWasWrittenJustBefore)
{
    std::string expected;
    for (int round = 0; round < 20; ++round) {
        CSerialPort port;
        ASSERT_TRUE(port.Open(7, 19200));
        port.WriteLine("$KBASE,WATCHDOG,1");
        port.Close();
        expected += "$KBASE,WATCHDOG,1\r\n";
    }
    EXPECT_EQ(FromPort(expected.size()), expected);
}

TEST_F(SerialPortTest, ReadsReturnWhatArrivedWithoutTranslationOrEchoAndPurgeDropsIt)
{
    CSerialPort port;
    ASSERT_TRUE(port.Open(7, 19200));
    char buf[2048];
    EXPECT_EQ(port.Read(buf, sizeof buf), 0); // nothing waiting: returns at once

    // The slave starts canonical, with ICRNL and echo: all must be off.
    const std::string sent = "$>JAPP,1\r\nOK\r\r\n\x03\x1a\x11\x13\0x"s;
    ToPort(sent);
    ASSERT_TRUE(WaitAvailable(port, static_cast<int>(sent.size())));
    EXPECT_EQ(std::string(buf, static_cast<std::size_t>(port.Read(buf, sizeof buf))), sent);
    EXPECT_EQ(FromPort(), "");

    std::string many(1500, '\0');
    for (std::size_t i = 0; i < many.size(); ++i)
        many[i] = static_cast<char>('A' + i % 26);
    ToPort(many);
    ASSERT_TRUE(WaitAvailable(port, 1500));
    ASSERT_EQ(port.Read(buf, 1024), 1024);
    std::string got(buf, 1024);
    ASSERT_EQ(port.Read(buf, 1024), 476);
    EXPECT_EQ(got.append(buf, 476), many);
    EXPECT_EQ(port.Read(buf, 1024), 0);
    EXPECT_EQ(port.Read(buf, 0), 0);

    ToPort("stale reply\r\n");
    ASSERT_TRUE(WaitAvailable(port, 13));
    EXPECT_EQ(port.Purge(), 1);
    EXPECT_EQ(port.Read(buf, sizeof buf), 0);
    ToPort("fresh");
    ASSERT_TRUE(WaitAvailable(port, 5));
    EXPECT_EQ(std::string(buf, static_cast<std::size_t>(port.Read(buf, sizeof buf))), "fresh");
}

TEST_F(SerialPortTest, OpenSetsSpeedAndEightBitsAndKeepsParityStopBitsAndFlowControl)
{
    const int probe = OpenProbe();
    ASSERT_GE(probe, 0);
    // A pseudo-terminal forces 8 bits without parity itself, but keeps these.
    const tcflag_t kept = PARODD | CSTOPB | CRTSCTS;
    termios t{};
    ASSERT_EQ(::tcgetattr(probe, &t), 0);
    t.c_cflag |= kept;
    ASSERT_EQ(::tcsetattr(probe, TCSANOW, &t), 0);

    CSerialPort port;
    ASSERT_TRUE(port.Open(7, 9600));
    ASSERT_EQ(::tcgetattr(probe, &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B9600));
    EXPECT_EQ(::cfgetispeed(&t), static_cast<speed_t>(B9600));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & kept, kept);

    // Open on an open port changes nothing, the speed included.
    EXPECT_TRUE(port.Open(7, 115200));
    ASSERT_EQ(::tcgetattr(probe, &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B9600));
    port.Close();
    ::close(probe);
}

TEST_F(SerialPortTest, HeldPortCannotBeOpenedAgain)
{
    CSerialPort first;
    ASSERT_TRUE(first.Open(7, 19200));
    CSerialPort second;
    EXPECT_FALSE(second.Open(7, 19200));
    EXPECT_FALSE(second.IsOpen());

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CSerialPort other;
        ::_exit(other.Open(7, 19200) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a second process opened a held port";

    // Why it failed is told apart from a missing device.
    EXPECT_EQ(DiagnoseOpenFailureOfPort(7), EOpenFailure::InUse);
    EXPECT_EQ(DiagnoseOpenFailureOfPort(8), EOpenFailure::Gone);  // no alias
    fs::create_symlink(m_dir + "/unplugged", fs::path(m_dir) / "com9");
    EXPECT_EQ(DiagnoseOpenFailureOfPort(9), EOpenFailure::Gone);

    EXPECT_TRUE(first.Close());
    EXPECT_FALSE(first.IsOpen());
    EXPECT_EQ(DiagnoseOpenFailureOfPort(7), EOpenFailure::Unknown);  // nothing wrong with it now
    EXPECT_TRUE(second.Open(7, 19200));
}

TEST_F(SerialPortTest, HangUpEndsReadsAndFailsWritesAtOnce)
{
    CSerialPort port;
    ASSERT_TRUE(port.Open(7, 19200));
    CloseMaster();

    char buf[64];
    EXPECT_EQ(port.Read(buf, sizeof buf), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.WriteLine("$JRTK,17"), -1);
    EXPECT_EQ(port.Write("+++", 3), 0);
    port.WriteByte('x');
    // Bytes are dropped at once rather than after a second each.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 900ms);
    EXPECT_EQ(port.Read(buf, sizeof buf), 0);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_TRUE(port.Close());
}

TEST_F(SerialPortTest, HangUpDoesNotSignalASessionLeader)
{
    // A process without a controlling terminal would adopt the port as one and be sent SIGHUP
    // when the peer goes away, unless the port is opened so that it never becomes one.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setsid();
        CSerialPort port;
        const bool opened = port.Open(7, 19200);
        ::close(m_master); // the last copy of the master: the peer hangs up
        char buf[16];
        for (int i = 0; i < 100; ++i) {
            port.Read(buf, sizeof buf);
            port.WriteLine("$JAPP");
            std::this_thread::sleep_for(5ms);
        }
        ::_exit(opened ? 0 : 2);
    }
    CloseMaster();
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
}

// Fills the line through a descriptor of our own until the driver takes nothing more.
void Stall(int probe)
{
    // The driver moves bytes along in the background, so fill until a pause frees no more room.
    const std::string block(4096, 'f');
    for (int round = 0; round < 100; ++round) {
        std::size_t taken = 0;
        for (std::size_t size : {block.size(), std::size_t{1}})
            for (int i = 0; i < 10000 && ::write(probe, block.data(), size) > 0; ++i)
                taken += size;
        if (taken == 0 && round > 0)
            break;
        std::this_thread::sleep_for(20ms);
    }
}

TEST_F(SerialPortTest, StalledLineFailsTheWholeSentenceWithinOneBoundedWait)
{
    const int probe = OpenProbe();
    ASSERT_GE(probe, 0);
    CSerialPort port;
    ASSERT_TRUE(port.Open(7, 19200));
    Stall(probe);
    ::close(probe);

    // Thirty bytes the driver will not take: one wait for the call, not one per byte.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.WriteLine("$KBASE,SETTINGS,12.0,11.0,500"), -1);
    EXPECT_EQ(port.Write("+++", 3), 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 2 * 500ms);
    EXPECT_LT(waited, 6000ms);
    EXPECT_TRUE(port.IsOpen());
    // No piece of either reached the line.
    const std::string got = FromPort(0);
    EXPECT_EQ(got.find_first_not_of('f'), std::string::npos) << got.substr(got.find_first_not_of('f'));
}

TEST_F(SerialPortTest, CloseWaitsForAWriteInProgress)
{
    const int probe = OpenProbe();
    ASSERT_GE(probe, 0);
    CSerialPort port;
    ASSERT_TRUE(port.Open(7, 19200));
    Stall(probe);

    std::jthread writer([&] { port.WriteLine("$JRTK,17"); });
    std::this_thread::sleep_for(200ms);
    port.Close();
    // The lowest free descriptor (the probe is still open), very likely the port's old one: the
    // write must not land here.
    char name[] = "/tmp/varnel-serial-reuse-XXXXXX";
    const int reused = ::mkstemp(name);
    ASSERT_GE(reused, 0);
    writer.join();
    struct stat st {};
    ASSERT_EQ(::fstat(reused, &st), 0);
    EXPECT_EQ(st.st_size, 0);
    ::close(reused);
    ::unlink(name);
    ::close(probe);
}

} // namespace

TEST_F(SerialPortTest, PulledPortIsLostASilentOneIsNotAndReopenFollowsTheAlias)
{
    CSerialPort port;
    EXPECT_FALSE(port.Reopen());  // never opened: nothing to open again
    ASSERT_TRUE(port.Open(7, 9600));
    char buf[64];
    EXPECT_EQ(port.Read(buf, sizeof buf), 0);
    EXPECT_FALSE(port.Lost());

    CloseMaster();
    EXPECT_EQ(port.Read(buf, sizeof buf), 0);
    EXPECT_TRUE(port.Lost());
    EXPECT_FALSE(port.Reopen());  // the alias points at a terminal that is gone
    EXPECT_FALSE(port.IsOpen());

    // The cable comes back on another terminal under the same COM number.
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(m_master, 0);
    ASSERT_EQ(::grantpt(m_master), 0);
    ASSERT_EQ(::unlockpt(m_master), 0);
    fs::remove(fs::path(m_dir) / "com7");
    fs::create_symlink(::ptsname(m_master), fs::path(m_dir) / "com7");
    ASSERT_TRUE(port.Reopen());
    EXPECT_FALSE(port.Lost());
    termios t{};
    int fd = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::tcgetattr(fd, &t), 0);
    ::close(fd);
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B9600));
    EXPECT_EQ(port.WriteLine("$JRTK,17"), 8);
    EXPECT_EQ(FromPort(10), "$JRTK,17\r\n");
    // A write that finds the device gone marks it lost too.
    CloseMaster();
    EXPECT_EQ(port.WriteLine("$JRTK,17"), -1);
    EXPECT_TRUE(port.Lost());
}
