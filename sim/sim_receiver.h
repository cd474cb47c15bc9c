#pragma once

// The GPS receiver: the engine's "$J" sentences ("$>" replies) and, on a base, the "$KBASE"
// sentences with their replies. It routes the line to its radio while pass-through is on
// ("$KBASE,PASSTHROUGH,1" on a base, the engine's "$JCONN,A,D"/"$JCONN,B,D" port bridge on a rover),
// still taking every "$" sentence itself so that it hears the command that ends the routing.

#include "sim_radio.h"

#include <string>
#include <string_view>
#include <vector>

struct SSimMark {
    std::string lat, lon, alt;
    bool operator==(const SSimMark&) const = default;
};

struct SSimBatterySettings {
    double intVCritical = 11.0, extVCritical = 11.0, intVWarn = 12.0, extVWarn = 12.0;
    int intDr = 500, extDr = 500;
    bool operator==(const SSimBatterySettings&) const = default;
};

struct SSimReceiverConfig {
    bool rover = false;
    bool externalPower = false;
    std::vector<SSimMark> marks;
    SSimMark reference;     // the position the base uses; one of the marks as shipped
    // NMEA output: GGA streams from the start (as after a radio session) unless set otherwise;
    // "$JASC,GPGST,1" and "$JASC,GPGSV,1" (with GSA) are asked for.
    bool ggaFromStart = true;
    bool allFromStart = false;
    double noiseM = 1.5;         // 1-sigma scatter of the antenna's fixes, north and east (up: 1.5 times)
    double offsetM = 0;          // the antenna stands this far north of the reference position
    int fixQuality = 1;
    int damageEvery = 0;         // every K-th NMEA sentence gets a wrong checksum (0: none)
    int nmeaIntervalMs = 1000;
    // Fault: a write of this battery setting ("INTBATVWARN", ...) is taken without an answer and dropped.
    std::string ignoreSetting;
};

class CSimReceiver {
public:
    static constexpr size_t MaxMarks = 100;

    CSimReceiver(const SSimReceiverConfig& config, CSimRadio* radio);

    std::string Receive(std::string_view bytes, long long nowMs);
    // NMEA output about once a second, and the radio's timed output while routed to it.
    std::string Tick(long long nowMs);
    long long NextEventMs(long long nowMs) const;

    bool Routing() const { return m_routing; }
    bool NmeaOn() const { return m_nmea; }
    const std::vector<SSimMark>& Marks() const { return m_marks; }
    const SSimMark& Reference() const { return m_reference; }
    const SSimBatterySettings& Battery() const { return m_battery; }
    const SSimBatterySettings& StoredBattery() const { return m_storedBattery; }
    int Watchdog() const { return m_watchdog; }

    double Voltage(long long nowMs) const;
    std::string Gga(long long nowMs) const;
    // GSA, GSV (GPS and GLONASS) and GST of this moment.
    std::string SkyAndErrors(long long nowMs) const;
    bool GstOn() const { return m_gst; }
    bool GsvOn() const { return m_gsv; }

private:
    std::string Sentence(const std::string& sentence, long long nowMs);
    std::string BaseSentence(const std::string& sentence, long long nowMs);
    std::string ToRadio(std::string_view bytes, long long nowMs);

    SSimReceiverConfig m_config;
    CSimRadio* m_radio;
    std::vector<SSimMark> m_marks;
    SSimMark m_reference;
    SSimBatterySettings m_battery;
    SSimBatterySettings m_storedBattery;
    bool m_routing = false;
    bool m_nmea = true;
    int m_watchdog = 1;
    long long m_nextNmeaMs = -1;
    bool m_inSentence = false;
    bool m_swallowLf = false;
    std::string m_sentence;
    bool m_gst = false;
    bool m_gsv = false;
    long long m_nmeaSentences = 0;
    std::string Damaged(std::string sentences);
};

// Splits "lat,lon,alt": latitude and longitude up to their commas, the altitude the rest.
SSimMark SplitSimMark(const std::string& fields);

// The marks a base ships with when no file is given; the reference is the first.
std::vector<SSimMark> BuiltInSimMarks();

// One "lat,lon,alt" a line; blank lines and lines starting with '#' are skipped. False if unreadable.
bool LoadSimMarks(const std::string& path, std::vector<SSimMark>& marks, std::string& error);
