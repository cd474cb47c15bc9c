#include "gnss/nmea_requests.h"

#include "base/base_commands.h"

namespace {

struct SStream {
    unsigned Bit;
    ENmeaSentence Sentence;
    std::string_view On, Off;
};
constexpr SStream Streams[] = {
    {CNmeaStreamRequest::Gga, ENmeaSentence::Gga, BaseCommands::AsciiGpgga, BaseCommands::AsciiGpggaOff},
    {CNmeaStreamRequest::Gst, ENmeaSentence::Gst, BaseCommands::AsciiGpgst, BaseCommands::AsciiGpgstOff},
    {CNmeaStreamRequest::Gsv, ENmeaSentence::Gsv, BaseCommands::AsciiGpgsv, BaseCommands::AsciiGpgsvOff},
};

}  // namespace

void CNmeaStreamRequest::Open(const CNmeaParser& gnss, GnssClock::time_point now)
{
    for (const SStream& s : Streams) {
        if (!(m_Streams & s.Bit) || (m_TurnedOn & s.Bit))
            continue;
        const auto last = gnss.LastArrival(s.Sentence);
        if (last && now - *last <= QuietFor)
            continue;
        m_Send(s.On);
        m_TurnedOn |= s.Bit;
    }
}

void CNmeaStreamRequest::Close()
{
    for (const SStream& s : Streams)
        if (m_TurnedOn & s.Bit)
            m_Send(s.Off);
    m_TurnedOn = 0;
}
