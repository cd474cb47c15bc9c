#include "radio/radio_link.h"

#include <thread>

#include "serial/serial_port.h"

void SleepMs(int milliseconds)
{
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

CSerialRadioLink::CSerialRadioLink(CSerialPort* port, PauseFunction pause, StopFunction stopRequested)
    : m_port(port), m_pause(std::move(pause)), m_stop(std::move(stopRequested))
{
}

void CSerialRadioLink::WriteLine(std::string_view text)
{
    if (m_port)
        m_port->WriteLine(std::string(text));
}

void CSerialRadioLink::Write(std::string_view bytes)
{
    if (m_port && !bytes.empty())
        m_port->Write(bytes.data(), static_cast<int>(bytes.size()));
}

std::string CSerialRadioLink::Read(std::size_t maximum)
{
    if (!m_port || maximum == 0)
        return {};
    std::string buffer(maximum, '\0');
    const int n = m_port->Read(buffer.data(), static_cast<int>(maximum));
    buffer.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return buffer;
}

void CSerialRadioLink::Purge()
{
    if (m_port)
        m_port->Purge();
}

void CSerialRadioLink::Pause(int milliseconds)
{
    if (m_pause)
        m_pause(milliseconds);
    else
        SleepMs(milliseconds);
}
