#pragma once

#include <atomic>
#include <string>

// The one serial port to the receiver or radio, addressed by COM number (see ComDevicePath in
// serial/serial_enum.h for how numbers map to devices).
//
// Every call returns promptly: reads never wait for data, writes wait at most 1000 ms for each
// byte the driver will not take. A device that goes away (adapter unplugged, peer closed) turns
// reads into 0 and writes into silent drops; nothing hangs and no signal ends the process.
//
// Used by one thread at a time (the UI thread, or a rover dialog's polling thread while it holds
// the port); the descriptor is atomic so either thread sees the current open state.
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
    // Sends one byte; a byte the driver does not take within 1000 ms is dropped.
    void WriteByte(unsigned char byte);
    // Sends the bytes as they are; returns length, or 0 when closed or length <= 0.
    int Write(const char* bytes, int length);
    // Sends text followed by CR LF; returns the text's length (0 when closed).
    int WriteLine(const std::string& text);
    // Discards both the transmit and the receive queue; 1 on success, 0 when closed or on failure.
    int Purge();
    // Copies up to maximum bytes that have already arrived; never waits. 0 when closed, when
    // nothing is waiting or on error. The buffer is not terminated.
    int Read(char* buffer, int maximum);
    // Bytes waiting to be read (0 when closed or unknown).
    int Available() const;
    bool IsOpen() const;

private:
    // Writes all bytes, waiting at most 1000 ms whenever the driver stalls on a byte.
    void Send(const char* bytes, std::size_t length);

#ifdef _WIN32
    // The device handle with its overlapped read and write records (serial_port_win32.cpp).
    struct SWin32Port;
    std::atomic<SWin32Port*> m_win{nullptr};
#else
    std::atomic<int> m_fd{-1};
#endif
};
