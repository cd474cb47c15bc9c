#pragma once

// The whole simulated equipment on the PC's serial line: a receiver (base, rover or none) and an
// optional radio, either behind the receiver or cabled straight to the PC. Bytes in, bytes out;
// time is passed in, so the behaviour can be tested without a pseudo-terminal.

#include "sim_radio.h"
#include "sim_receiver.h"

#include <memory>
#include <string>
#include <string_view>

struct SSimDeviceConfig {
    std::string receiver = "base";   // base | rover | none
    std::string radio = "none";      // microhard | maxstream | satel | none
    bool direct = false;
    bool silent = false;
    int guardMs = 1000;
    bool externalPower = false;
    bool linkUp = true;
    std::string refuse;         // the radio answers "ERROR" to command lines beginning with this
    int commandIdleMs = 0;      // AT radios drop command mode after this much silence
    std::string ignoreSetting;  // the base drops writes of this battery setting
    int replyPieceBytes = 0;    // replies go out in pieces of this many bytes (0: whole)
    int replyPieceGapMs = 50;   // between two pieces
    std::string nmea = "gga";   // on (all streams from the start) | gga | off (until asked)
    double noiseM = 1.5;
    double offsetM = 0;
    int fixQuality = 1;
    int nmeaDamageEvery = 0;
    int nmeaIntervalMs = 1000;
    std::vector<SSimMark> marks = BuiltInSimMarks();
    SSimMark reference = BuiltInSimMarks().front();
};

class CSimDevice {
public:
    explicit CSimDevice(const SSimDeviceConfig& config);

    std::string Receive(std::string_view bytes, long long nowMs);
    std::string Tick(long long nowMs);
    long long NextEventMs(long long nowMs) const;

    CSimReceiver* Receiver() { return m_receiver.get(); }
    CSimRadio* Radio() { return m_radio.get(); }
    // True when every byte goes to the radio: cabled straight to it, or no receiver on the line.
    bool RadioDirect() const { return m_config.direct || !m_receiver; }

private:
    // Everything the equipment sends passes here: whole, or in timed pieces.
    std::string Emit(std::string out, long long nowMs);

    SSimDeviceConfig m_config;
    std::string m_unsent;
    long long m_nextPieceMs = 0;
    std::unique_ptr<CSimRadio> m_radio;
    std::unique_ptr<CSimReceiver> m_receiver;
};
