#include "serial/serial_port.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "serial/port_errors.h"
#include "serial/serial_enum.h"

namespace {

// Bytes still queued at close are given this long to leave before they are discarded, so that
// closing never blocks behind a stalled line.
constexpr int kCloseDrainMs = 2000;

bool SpeedFor(int baudRate, speed_t& speed)
{
    struct Entry { int rate; speed_t speed; };
    static constexpr Entry table[] = {
        {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200}, {300, B300},
        {600, B600}, {1200, B1200}, {1800, B1800}, {2400, B2400}, {4800, B4800}, {9600, B9600},
        {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
#ifdef B460800
        {460800, B460800},
#endif
#ifdef B500000
        {500000, B500000}, {576000, B576000}, {921600, B921600}, {1000000, B1000000},
        {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
#endif
    };
    for (const Entry& e : table) {
        if (e.rate == baudRate) {
            speed = e.speed;
            return true;
        }
    }
    return false;
}

// Raw line: no canonical mode, echo, signals, CR/LF translation or software flow control, so
// bytes pass unchanged both ways. Parity, stop bits and hardware flow control stay as found.
void MakeRaw(termios& t)
{
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
#ifdef IUCLC
    t.c_iflag &= ~IUCLC;
#endif
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~CSIZE;
    t.c_cflag |= CS8 | CREAD | CLOCAL;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
}

int PollFor(int fd, short events, int timeoutMs, short& revents)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        pollfd p{fd, events, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int r = ::poll(&p, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (r < 0 && errno == EINTR)
            continue;
        revents = p.revents;
        return r;
    }
}

} // namespace

CSerialPort::~CSerialPort()
{
    Close();
}

bool CSerialPort::Open(int portNumber, int baudRate)
{
    if (IsOpen())
        return true;
    speed_t speed;
    if (!SpeedFor(baudRate, speed))
        return false;
    const std::string path = ComDevicePath(portNumber);
    if (path.empty())
        return false;

    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    auto fail = [fd] {
        ::close(fd);
        return false;
    };

    // Another program (or another CSerialPort) holding the port keeps its lock; TIOCEXCL alone
    // would not stop a privileged process.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail();
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        return fail();
    MakeRaw(t);
    if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0)
        return fail();
    if (::tcsetattr(fd, TCSANOW, &t) != 0)
        return fail();
    // tcsetattr succeeds when any part was applied; make sure the speed was.
    termios check{};
    if (::tcgetattr(fd, &check) != 0 || ::cfgetospeed(&check) != speed)
        return fail();
    if (::ioctl(fd, TIOCEXCL) != 0)
        return fail();

    int expected = -1;
    if (!m_fd.compare_exchange_strong(expected, fd)) {
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return true;
    }
    m_Tap.Event("port opened COM" + std::to_string(portNumber));
    m_PortNumber = portNumber;
    m_BaudRate = baudRate;
    char real[PATH_MAX];
    m_Path = ::realpath(path.c_str(), real) ? real : path;
    m_Lost.store(false);
    return true;
}

bool CSerialPort::Close()
{
    const int fd = m_fd.exchange(-1);
    if (fd < 0)
        return true;
    // A write on another thread may still use the descriptor; once it is closed its number can be
    // handed out again, to a file the write must never reach.
    std::lock_guard<std::mutex> lock(m_Io);
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kCloseDrainMs);
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    // Discard only what is still stuck after the deadline: a pseudo-terminal reports an empty
    // queue while its peer has not read yet, and flushing there would lose the last sentences.
    if (queued > 0)
        ::tcflush(fd, TCOFLUSH);
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    m_Tap.Event("port closed");
    return true;
}

bool CSerialPort::Send(const char* bytes, std::size_t length)
{
    std::lock_guard<std::mutex> lock(m_Io);
    const int fd = m_fd.load();
    if (fd < 0)
        return false;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(WriteTimeoutMs);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t w = ::write(fd, bytes + done, length - done);
        if (w > 0) {
            done += static_cast<std::size_t>(w);
            continue;
        }
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            if (IsLostPortErrno(errno))
                MarkLost(); // EIO after hang-up, ENXIO after unplugging
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            break;
        short revents = 0;
        const int r = PollFor(fd, POLLOUT, static_cast<int>(left.count()), revents);
        if (r < 0 || (revents & (POLLHUP | POLLERR | POLLNVAL))) {
            if (revents & (POLLHUP | POLLNVAL))
                MarkLost();
            break;
        }
    }
    if (done == length) {
        m_Tap.Sent(bytes, length);
        return true;
    }
    // The head of a command without its tail could read as another command: take back what is
    // still queued. On a stalled line that is all of it.
    if (done > 0)
        ::tcflush(fd, TCOFLUSH);
    return false;
}

int CSerialPort::Purge()
{
    std::lock_guard<std::mutex> lock(m_Io);
    const int fd = m_fd.load();
    if (fd < 0)
        return 0;
    return ::tcflush(fd, TCIOFLUSH) == 0 ? 1 : 0;
}

int CSerialPort::Read(char* buffer, int maximum)
{
    std::lock_guard<std::mutex> lock(m_Io);
    const int fd = m_fd.load();
    if (fd < 0 || !buffer || maximum <= 0)
        return 0;
    for (;;) {
        const ssize_t r = ::read(fd, buffer, static_cast<std::size_t>(maximum));
        if (r > 0) {
            m_Tap.Received(buffer, static_cast<std::size_t>(r));
            return static_cast<int>(r);
        }
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && IsLostPortErrno(errno)) {
            MarkLost();
            return 0;
        }
        // A hung-up terminal reads as an empty one; only poll and the device node tell them apart.
        short revents = 0;
        struct stat node{};
        if ((PollFor(fd, POLLIN, 0, revents) > 0 && (revents & (POLLHUP | POLLNVAL))) ||
            (!m_Path.empty() && ::stat(m_Path.c_str(), &node) != 0 && errno == ENOENT))
            MarkLost();
        return 0; // nothing waiting, or the device is gone
    }
}

int CSerialPort::Available() const
{
    std::lock_guard<std::mutex> lock(m_Io);
    const int fd = m_fd.load();
    int waiting = 0;
    if (fd < 0 || ::ioctl(fd, FIONREAD, &waiting) != 0 || waiting < 0)
        return 0;
    return waiting;
}

bool CSerialPort::Probe()
{
    std::lock_guard<std::mutex> lock(m_Io);
    const int fd = m_fd.load();
    if (fd < 0 || m_Lost.load())
        return m_Lost.load();
    short revents = 0;
    struct stat node{};
    if ((PollFor(fd, POLLIN, 0, revents) > 0 && (revents & (POLLHUP | POLLNVAL | POLLERR))) ||
        (!m_Path.empty() && ::stat(m_Path.c_str(), &node) != 0 && errno == ENOENT))
        MarkLost();
    return m_Lost.load();
}

bool CSerialPort::IsOpen() const
{
    return m_fd.load() >= 0;
}
