#pragma once

#include <functional>
#include <string_view>

#include "gnss/nmea_parser.h"

// The NMEA streams a window needs while it is open. On opening it asks for each one not heard in the
// last QuietFor; on closing it stops only those it asked for, so the receiver is left as found.
class CNmeaStreamRequest {
public:
    enum EStream : unsigned { Gga = 1u << 0, Gst = 1u << 1, Gsv = 1u << 2 };
    static constexpr auto QuietFor = std::chrono::seconds(2);
    using Send = std::function<void(std::string_view)>;

    CNmeaStreamRequest(unsigned streams, Send send) : m_Streams(streams), m_Send(std::move(send)) {}
    CNmeaStreamRequest(const CNmeaStreamRequest&) = delete;
    CNmeaStreamRequest& operator=(const CNmeaStreamRequest&) = delete;
    ~CNmeaStreamRequest() { Close(); }

    void Open(const CNmeaParser& gnss, GnssClock::time_point now);
    void Close();
    unsigned TurnedOn() const { return m_TurnedOn; }

private:
    unsigned m_Streams;
    Send m_Send;
    unsigned m_TurnedOn = 0;
};
