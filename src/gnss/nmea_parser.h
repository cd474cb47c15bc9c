#pragma once

#include <array>
#include <bitset>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// NMEA 0183 (2.3 to 4.11) as the receiver streams it beside its own replies: GGA, GSA, GSV, GST and
// RMC from any talker. A field left empty is "not reported" (an empty optional), never zero; a value
// that is not a number, not finite or out of its range counts as not reported too.

enum class EConstellation : std::uint8_t { Gps, Glonass, Galileo, BeiDou, Qzss, Sbas, Navic, Other, Count };
constexpr std::size_t ConstellationCount = static_cast<std::size_t>(EConstellation::Count);

using GnssClock = std::chrono::steady_clock;

// GGA. Arrived is the PC's time of reception: the receiver's clock is never compared with the PC's.
struct SGnssFix {
    std::optional<int> Quality;  // 0 no fix, 1 GPS, 2 DGPS, 3 PPS, 4 RTK fixed, 5 RTK float, 6 estimated, 7 manual, 8 simulated, 9 SBAS
    std::optional<double> Latitude, Longitude;  // decimal degrees
    std::optional<double> AltitudeMsl, GeoidSeparation, Hdop;
    std::optional<int> SatellitesUsed;
    GnssClock::time_point Arrived{};
    std::optional<double> EllipsoidalHeight() const
    {
        if (AltitudeMsl && GeoidSeparation)
            return *AltitudeMsl + *GeoidSeparation;
        return std::nullopt;
    }
    // A measured position: quality 1 to 5 or 9, with latitude and longitude.
    bool Measured() const;
};

// GSA's dilutions of precision.
struct SGnssDop {
    std::optional<double> Pdop, Hdop, Vdop;
    GnssClock::time_point Arrived{};
};

// GST's 1-sigma errors in metres.
struct SGnssErrors {
    std::optional<double> North, East, Up;
    GnssClock::time_point Arrived{};
    std::optional<double> Horizontal() const;  // sqrt(north² + east²)
};

// RMC.
struct SGnssRmc {
    bool Valid = false;  // status "A"
    std::optional<double> Latitude, Longitude, SpeedKnots, Course;
    GnssClock::time_point Arrived{};
};

struct SSatellite {
    EConstellation System = EConstellation::Other;
    int Id = 0;
    std::optional<int> Elevation, Azimuth, Snr;  // degrees, degrees, dB-Hz
    bool Used = false;
};

// What Feed did with a sentence.
enum class ENmeaResult {
    NotNmea,      // not one of the five sentences: left to the base's reply parser
    BadChecksum,  // "*hh" missing or wrong: dropped and counted
    Malformed,    // too long, too many fields, a group out of order: dropped and counted
    Used,
};

enum class ENmeaSentence : std::uint8_t { Gga, Gsa, Gsv, Gst, Rmc, Count };

// Parses the sentences and keeps the latest of each. Fixed-size state: nothing is allocated per
// sentence. Not thread-safe; fed from the thread that reads the port.
class CNmeaParser {
public:
    // Receives each GGA as it is parsed (the averaging takes every fix, none twice).
    class IFixListener {
    public:
        virtual ~IFixListener() = default;
        virtual void OnFix(const SGnssFix& fix) = 0;
    };

    static constexpr std::size_t MaxSentenceLength = 80;  // without CR LF
    static constexpr std::size_t MaxGsvSatellites = 36;   // nine sentences of four
    // Satellites of a group older than this leave the sky view.
    static constexpr auto SkyLifetime = std::chrono::seconds(10);

    ENmeaResult Feed(std::string_view sentence, GnssClock::time_point now);

    // Each "has" is false until the first such sentence arrived.
    const std::optional<SGnssFix>& Fix() const { return m_Fix; }
    const std::optional<SGnssDop>& Dop() const { return m_Dop; }
    const std::optional<SGnssErrors>& Errors() const { return m_Errors; }
    const std::optional<SGnssRmc>& Rmc() const { return m_Rmc; }
    // When the last sentence of this kind arrived (a GSV: when a group was completed).
    std::optional<GnssClock::time_point> LastArrival(ENmeaSentence kind) const;

    // The satellites of the groups completed within SkyLifetime, one entry per constellation and id
    // (the best SNR of its signals), sorted by constellation and id.
    std::vector<SSatellite> SkyView(GnssClock::time_point now) const;
    // Satellites GSA names as used for this constellation.
    std::size_t UsedCount(EConstellation system) const { return m_Used[Index(system)].count(); }

    std::size_t BadChecksums() const { return m_BadChecksums; }
    std::size_t MalformedSentences() const { return m_Malformed; }

    void AddListener(IFixListener* listener);
    void RemoveListener(IFixListener* listener);

private:
    static constexpr std::size_t MaxFields = 40;
    static constexpr std::size_t MaxGroups = 16;
    using Fields = std::array<std::string_view, MaxFields>;

    struct SGsvGroup {
        bool InUse = false;
        char Talker[2]{};
        char Signal = 0;
        int Total = 0, Next = 0;  // Next: the sentence number expected; 0 when no group is open
        std::size_t PendingCount = 0, Count = 0;
        std::array<SSatellite, MaxGsvSatellites> Pending{}, Satellites{};
        GnssClock::time_point Arrived{};
    };

    static std::size_t Index(EConstellation c) { return static_cast<std::size_t>(c); }
    bool ParseGga(const Fields& f, std::size_t n, GnssClock::time_point now);
    bool ParseGsa(const Fields& f, std::size_t n, std::string_view talker, GnssClock::time_point now);
    bool ParseGsv(const Fields& f, std::size_t n, std::string_view talker, GnssClock::time_point now);
    bool ParseGst(const Fields& f, std::size_t n, GnssClock::time_point now);
    bool ParseRmc(const Fields& f, std::size_t n, GnssClock::time_point now);
    SGsvGroup& GroupFor(std::string_view talker, char signal);

    std::optional<SGnssFix> m_Fix;
    std::optional<SGnssDop> m_Dop;
    std::optional<SGnssErrors> m_Errors;
    std::optional<SGnssRmc> m_Rmc;
    std::array<std::optional<GnssClock::time_point>, static_cast<std::size_t>(ENmeaSentence::Count)> m_Last{};
    std::array<std::bitset<256>, ConstellationCount> m_Used{};
    std::array<GnssClock::time_point, ConstellationCount> m_UsedArrived{};
    std::array<SGsvGroup, MaxGroups> m_Groups{};
    std::array<IFixListener*, 4> m_Listeners{};
    std::size_t m_BadChecksums = 0;
    std::size_t m_Malformed = 0;
};

// The constellation of a satellite by its talker and, for "GN" and the GPS talker's SBAS range, its id.
EConstellation ConstellationOf(std::string_view talker, int id);
