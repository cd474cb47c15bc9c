// The framing of writes, the same on every platform: each backend supplies Send, which queues a
// whole buffer or none of it.

#include "serial/serial_port.h"

void CSerialPort::WriteByte(unsigned char byte)
{
    const char c = static_cast<char>(byte);
    Send(&c, 1);
}

int CSerialPort::Write(const char* bytes, int length)
{
    if (!IsOpen() || !bytes || length <= 0)
        return 0;
    return Send(bytes, static_cast<std::size_t>(length)) ? length : 0;
}

int CSerialPort::WriteLine(const std::string& text)
{
    if (!IsOpen())
        return 0;
    // One Send for the whole line keeps its bytes together on the wire.
    std::string line;
    line.reserve(text.size() + 2);
    line.append(text).append("\r\n");
    return Send(line.data(), line.size()) ? static_cast<int>(text.size()) : -1;
}

bool CSerialPort::Reopen()
{
    if (m_PortNumber <= 0)
        return false;
    Close();
    return Open(m_PortNumber, m_BaudRate);
}
