// The serial port on Windows: the COM device in overlapped mode, every call waiting for its own
// completion with a bounded wait, so to callers it behaves as the termios port does on Linux.

#include "serial/serial_port.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "serial/port_errors.h"
#include "serial/serial_enum.h"

namespace {

constexpr DWORD kReadTimeoutMs = 2000;
constexpr DWORD kWriteTotalTimeoutMs = 5000;
constexpr DWORD kQueueBytes = 10000;
// Bytes still queued at close are given this long to leave before they are discarded.
constexpr int kCloseDrainMs = 2000;

std::wstring Widen(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

} // namespace

struct CSerialPort::SWin32Port
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    OVERLAPPED read{};
    OVERLAPPED write{};

    ~SWin32Port()
    {
        if (read.hEvent)
            ::CloseHandle(read.hEvent);
        if (write.hEvent)
            ::CloseHandle(write.hEvent);
        if (handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
    }

    // Waits for a started overlapped operation; on time-out cancels it, so the buffer is free
    // again when this returns. The bytes it moved either way.
    DWORD Finish(OVERLAPPED& ov, DWORD timeoutMs)
    {
        DWORD done = 0;
        if (::WaitForSingleObject(ov.hEvent, timeoutMs) == WAIT_OBJECT_0) {
            ::GetOverlappedResult(handle, &ov, &done, FALSE);
            return done;
        }
        ::CancelIoEx(handle, &ov);
        ::GetOverlappedResult(handle, &ov, &done, TRUE);
        return done;
    }
};

CSerialPort::~CSerialPort()
{
    Close();
}

bool CSerialPort::Open(int portNumber, int baudRate)
{
    if (IsOpen())
        return true;
    const std::string path = ComDevicePath(portNumber);
    if (path.empty() || baudRate <= 0)
        return false;

    auto port = std::make_unique<SWin32Port>();
    port->handle = ::CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (port->handle == INVALID_HANDLE_VALUE)
        return false;

    // A read returns at once with whatever has arrived; the driver gives up on a write after 5 s.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = kWriteTotalTimeoutMs;
    if (!::SetCommTimeouts(port->handle, &timeouts))
        return false;

    port->read.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    port->write.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!port->read.hEvent || !port->write.hEvent)
        return false;

    // Only the speed and the data bits change; parity, stop bits and flow control stay as the
    // driver had them.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(port->handle, &dcb))
        return false;
    dcb.BaudRate = static_cast<DWORD>(baudRate);
    dcb.ByteSize = 8;
    if (!::SetCommState(port->handle, &dcb))
        return false;
    if (!::SetupComm(port->handle, kQueueBytes, kQueueBytes))
        return false;

    SWin32Port* expected = nullptr;
    if (m_win.compare_exchange_strong(expected, port.get())) {
        port.release();
        m_Tap.Event("port opened COM" + std::to_string(portNumber));
        m_PortNumber = portNumber;
        m_BaudRate = baudRate;
        m_Lost.store(false);
    }
    return true;
}

bool CSerialPort::Close()
{
    SWin32Port* port = m_win.exchange(nullptr);
    if (!port)
        return true;
    // A write or read on another thread may still use the handle: wait for it before it goes.
    std::lock_guard<std::mutex> lock(m_Io);
    // The last sentences must leave before the handle goes, but closing never waits on a stalled
    // line for long.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kCloseDrainMs);
    DWORD errors = 0;
    COMSTAT stat{};
    while (::ClearCommError(port->handle, &errors, &stat) && stat.cbOutQue > 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (stat.cbOutQue > 0)
        ::PurgeComm(port->handle, PURGE_TXCLEAR);
    delete port;
    m_Tap.Event("port closed");
    return true;
}

bool CSerialPort::Send(const char* bytes, std::size_t length)
{
    std::lock_guard<std::mutex> lock(m_Io);
    SWin32Port* port = m_win.load();
    if (!port)
        return false;
    // As on Linux: the whole text within about a second in all, or none of it, so a stalled line
    // never leaves a command without its tail.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(WriteTimeoutMs);
    std::size_t done = 0;
    while (done < length) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(length - done, 0x10000));
        DWORD written = 0;
        OVERLAPPED& ov = port->write;
        ov.Offset = ov.OffsetHigh = 0;
        if (::WriteFile(port->handle, bytes + done, chunk, &written, &ov)) {
            done += written;
            continue;
        }
        if (const DWORD error = ::GetLastError(); error != ERROR_IO_PENDING) {
            if (IsLostPortWin32Error(error))
                MarkLost();
            break;
        }
        done += port->Finish(ov, static_cast<DWORD>(left));
    }
    if (done == length) {
        m_Tap.Sent(bytes, length);
        return true;
    }
    if (done > 0)
        ::PurgeComm(port->handle, PURGE_TXABORT | PURGE_TXCLEAR);
    return false;
}

int CSerialPort::Purge()
{
    std::lock_guard<std::mutex> lock(m_Io);
    SWin32Port* port = m_win.load();
    if (!port)
        return 0;
    return ::PurgeComm(port->handle, PURGE_TXCLEAR | PURGE_RXCLEAR) ? 1 : 0;
}

int CSerialPort::Read(char* buffer, int maximum)
{
    std::lock_guard<std::mutex> lock(m_Io);
    SWin32Port* port = m_win.load();
    if (!port || !buffer || maximum <= 0)
        return 0;
    // Also clears a pending line error, which would otherwise stop all further reads.
    DWORD errors = 0;
    COMSTAT stat{};
    if (!::ClearCommError(port->handle, &errors, &stat)) {
        // The one call made on every tick: an unplugged adapter fails it at once.
        if (IsLostPortWin32Error(::GetLastError()))
            MarkLost();
        return 0;
    }
    if (stat.cbInQue == 0)
        return 0;
    const DWORD wanted = std::min<DWORD>(stat.cbInQue, static_cast<DWORD>(maximum));
    DWORD got = 0;
    OVERLAPPED& ov = port->read;
    ov.Offset = ov.OffsetHigh = 0;
    if (!::ReadFile(port->handle, buffer, wanted, &got, &ov)) {
        if (const DWORD error = ::GetLastError(); error != ERROR_IO_PENDING) {
            if (IsLostPortWin32Error(error))
                MarkLost();
            return 0;
        }
        got = port->Finish(ov, kReadTimeoutMs);
    }
    m_Tap.Received(buffer, got);
    return static_cast<int>(got);
}

int CSerialPort::Available() const
{
    std::lock_guard<std::mutex> lock(m_Io);
    SWin32Port* port = m_win.load();
    DWORD errors = 0;
    COMSTAT stat{};
    if (!port || !::ClearCommError(port->handle, &errors, &stat))
        return 0;
    return static_cast<int>(stat.cbInQue);
}

bool CSerialPort::Probe()
{
    std::lock_guard<std::mutex> lock(m_Io);
    SWin32Port* port = m_win.load();
    DWORD errors = 0;
    COMSTAT stat{};
    // A removed adapter fails the status call as it fails reads.
    if (port && !m_Lost.load() && !::ClearCommError(port->handle, &errors, &stat) &&
        IsLostPortWin32Error(::GetLastError()))
        MarkLost();
    return m_Lost.load();
}

bool CSerialPort::IsOpen() const
{
    return m_win.load() != nullptr;
}
