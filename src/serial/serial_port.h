#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "serial/wire_tap.h"

// The one serial port to the receiver or radio, addressed by COM number (see ComDevicePath in
// serial/serial_enum.h for how numbers map to devices).
//
// Every call returns promptly: reads never wait for data, and a write waits at most about a second
// in all, however many bytes the driver will not take. A write is whole or not at all: bytes that
// could not be queued in time are not sent, nor is the part before them, so a stalled line never
// turns one command into another. A device that goes away (adapter unplugged, peer closed) turns
// reads into 0 and writes into reported failures; nothing hangs and no signal ends the process.
//
// Used by one thread at a time (the UI thread, or a rover dialog's polling thread while it holds
// the port); the descriptor is atomic so either thread sees the current open state, and Close
// waits for a write in progress so that it never goes to a descriptor reused after the close.
class CSerialPort
{
public:
    CSerialPort() = default;
    ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens COM portNumber exclusively at baudRate with 8 data bits, leaving parity, stop bits and
    // flow control as the driver had them, and the line raw (no translation, echo or signals).
    // True at once, changing nothing, when already open. False, with nothing left open, when the
    // device is missing, held by another program or cannot run at baudRate.
    bool Open(int portNumber, int baudRate);
    // Always true; closes the device if open.
    bool Close();
    // Sends one byte; a byte the driver does not take within WriteTimeoutMs is dropped.
    void WriteByte(unsigned char byte);
    // Sends the bytes as they are; returns length, or 0 when closed, when length <= 0 or when they
    // could not all be queued within WriteTimeoutMs (then none of them is sent).
    int Write(const char* bytes, int length);
    // Sends text followed by CR LF, whole or not at all; returns the text's length, 0 when closed,
    // or -1 when the line could not be queued within WriteTimeoutMs (nothing of it is sent).
    int WriteLine(const std::string& text);
    // Discards both the transmit and the receive queue; 1 on success, 0 when closed or on failure.
    int Purge();
    // Copies up to maximum bytes that have already arrived; never waits. 0 when closed, when
    // nothing is waiting or on error. The buffer is not terminated.
    int Read(char* buffer, int maximum);
    // Bytes waiting to be read (0 when closed or unknown).
    int Available() const;
    bool IsOpen() const;
    // True once a read or write found the device gone (read or write failing as a pulled adapter
    // does, a hang-up, the device node removed); a silent line never counts. Open clears it.
    bool Lost() const { return m_Lost.load(); }
    // Looks for a gone device without reading (so nothing waiting is taken from its reader): a
    // hang-up or a removed device node marks the port lost. Returns Lost().
    bool Probe();
    // Closes the port and opens the COM number of the last Open again at its speed, resolving an
    // alias afresh (a by-id link follows the adapter to its new device). False while it is absent.
    bool Reopen();

    // Every byte read or written, and the opening and closing, in wire order (see wire_tap.h).
    CWireTap& Tap() { return m_Tap; }

    // The longest any one write call waits for the driver.
    static constexpr int WriteTimeoutMs = 1000;

private:
    // Queues all bytes within WriteTimeoutMs, or none: false when they could not all be queued
    // (what was queued of them is discarded) or the device is gone.
    bool Send(const char* bytes, std::size_t length);

#ifdef _WIN32
    // The device handle with its overlapped read and write records (serial_port_win32.cpp).
    struct SWin32Port;
    std::atomic<SWin32Port*> m_win{nullptr};
#else
    std::atomic<int> m_fd{-1};
#endif
    void MarkLost() { m_Lost.store(true); }
    std::atomic<bool> m_Lost{false};
    int m_PortNumber = 0;
    int m_BaudRate = 0;
    std::string m_Path;  // the device the alias or numbering gave at Open
    // Held by every call that uses the device; Close takes it before closing.
    mutable std::mutex m_Io;
    CWireTap m_Tap;
};
