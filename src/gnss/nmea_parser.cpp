#include "gnss/nmea_parser.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

using namespace std::chrono_literals;

// Several GSA sentences of one epoch (more than twelve used, or one per constellation) add up.
constexpr auto SameEpoch = 200ms;

std::optional<double> Number(std::string_view f, double lo, double hi)
{
    if (f.empty())
        return std::nullopt;
    double v = 0;
    const auto [end, ec] = std::from_chars(f.data(), f.data() + f.size(), v);
    if (ec != std::errc() || end != f.data() + f.size() || !std::isfinite(v) || v < lo || v > hi)
        return std::nullopt;
    return v;
}

std::optional<int> Whole(std::string_view f, int lo, int hi, int base = 10)
{
    if (f.empty())
        return std::nullopt;
    int v = 0;
    const auto [end, ec] = std::from_chars(f.data(), f.data() + f.size(), v, base);
    if (ec != std::errc() || end != f.data() + f.size() || v < lo || v > hi)
        return std::nullopt;
    return v;
}

// "ddmm.mmmm" (or "dddmm.mmmm") and its hemisphere letter.
std::optional<double> Angle(std::string_view value, std::string_view hemisphere, bool latitude)
{
    const double limit = latitude ? 90.0 : 180.0;
    const auto v = Number(value, 0.0, limit * 100.0);
    if (!v || hemisphere.size() != 1)
        return std::nullopt;
    const double degrees = std::floor(*v / 100.0);
    const double minutes = *v - degrees * 100.0;
    const double result = degrees + minutes / 60.0;
    if (minutes >= 60.0 || result > limit)
        return std::nullopt;
    const char h = hemisphere[0];
    if (latitude ? (h != 'N' && h != 'S') : (h != 'E' && h != 'W'))
        return std::nullopt;
    return h == 'S' || h == 'W' ? -result : result;
}

int Hex(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool KnownTalker(std::string_view t)
{
    constexpr std::string_view talkers[] = {"GP", "GL", "GA", "GB", "BD", "GQ", "GN", "GI"};
    return std::find(std::begin(talkers), std::end(talkers), t) != std::end(talkers);
}

// NMEA 4.10's system id (GSA field 18, GSV's talker stays as sent).
std::optional<EConstellation> SystemId(std::string_view f)
{
    switch (Whole(f, 1, 6).value_or(0)) {
    case 1: return EConstellation::Gps;
    case 2: return EConstellation::Glonass;
    case 3: return EConstellation::Galileo;
    case 4: return EConstellation::BeiDou;
    case 5: return EConstellation::Qzss;
    case 6: return EConstellation::Navic;
    default: return std::nullopt;
    }
}

}  // namespace

bool SGnssFix::Measured() const
{
    const int q = Quality.value_or(0);
    return ((q >= 1 && q <= 5) || q == 9) && Latitude && Longitude;
}

std::optional<double> SGnssErrors::Horizontal() const
{
    if (North && East)
        return std::hypot(*North, *East);
    return std::nullopt;
}

EConstellation ConstellationOf(std::string_view talker, int id)
{
    if (talker == "GP")
        return id >= 33 && id <= 64 ? EConstellation::Sbas : id >= 193 && id <= 202 ? EConstellation::Qzss
                                                                                     : EConstellation::Gps;
    if (talker == "GL") return EConstellation::Glonass;
    if (talker == "GA") return EConstellation::Galileo;
    if (talker == "GB" || talker == "BD") return EConstellation::BeiDou;
    if (talker == "GQ") return EConstellation::Qzss;
    if (talker == "GI") return EConstellation::Navic;
    // "GN" before 4.10 numbers the systems apart (NMEA 2.3 to 4.00 ranges).
    if (id >= 1 && id <= 32) return EConstellation::Gps;
    if (id >= 33 && id <= 64) return EConstellation::Sbas;
    if (id >= 65 && id <= 96) return EConstellation::Glonass;
    return EConstellation::Other;
}

ENmeaResult CNmeaParser::Feed(std::string_view s, GnssClock::time_point now)
{
    // "$ttsss," with one of the five sentences; everything else belongs to the base's reply parser.
    if (s.size() < 7 || s[0] != '$' || (s[6] != ',' && s[6] != '*') || !KnownTalker(s.substr(1, 2)))
        return ENmeaResult::NotNmea;
    const std::string_view type = s.substr(3, 3);
    ENmeaSentence kind;
    if (type == "GGA") kind = ENmeaSentence::Gga;
    else if (type == "GSA") kind = ENmeaSentence::Gsa;
    else if (type == "GSV") kind = ENmeaSentence::Gsv;
    else if (type == "GST") kind = ENmeaSentence::Gst;
    else if (type == "RMC") kind = ENmeaSentence::Rmc;
    else return ENmeaResult::NotNmea;

    if (s.size() > MaxSentenceLength) {
        ++m_Malformed;
        return ENmeaResult::Malformed;
    }
    const std::size_t star = s.rfind('*');
    const int hi = star != std::string_view::npos && star + 3 == s.size() ? Hex(s[star + 1]) : -1;
    const int lo = hi >= 0 ? Hex(s[star + 2]) : -1;
    unsigned char sum = 0;
    if (lo >= 0)
        for (std::size_t i = 1; i < star; ++i)
            sum ^= static_cast<unsigned char>(s[i]);
    if (lo < 0 || sum != hi * 16 + lo) {
        ++m_BadChecksums;
        return ENmeaResult::BadChecksum;
    }

    Fields f;
    std::size_t n = 0;
    std::string_view body = s.substr(1, star - 1);
    for (;;) {
        if (n == MaxFields) {
            ++m_Malformed;
            return ENmeaResult::Malformed;
        }
        const std::size_t comma = body.find(',');
        f[n++] = body.substr(0, comma);
        if (comma == std::string_view::npos)
            break;
        body.remove_prefix(comma + 1);
    }

    const std::string_view talker = s.substr(1, 2);
    bool ok = false;
    switch (kind) {
    case ENmeaSentence::Gga: ok = ParseGga(f, n, now); break;
    case ENmeaSentence::Gsa: ok = ParseGsa(f, n, talker, now); break;
    case ENmeaSentence::Gsv: ok = ParseGsv(f, n, talker, now); break;
    case ENmeaSentence::Gst: ok = ParseGst(f, n, now); break;
    case ENmeaSentence::Rmc: ok = ParseRmc(f, n, now); break;
    default: break;
    }
    if (!ok) {
        ++m_Malformed;
        return ENmeaResult::Malformed;
    }
    if (kind != ENmeaSentence::Gsv)
        m_Last[static_cast<std::size_t>(kind)] = now;
    return ENmeaResult::Used;
}

bool CNmeaParser::ParseGga(const Fields& f, std::size_t n, GnssClock::time_point now)
{
    if (n < 7)
        return false;
    const auto at = [&](std::size_t i) { return i < n ? f[i] : std::string_view(); };
    SGnssFix fix;
    fix.Arrived = now;
    fix.Latitude = Angle(at(2), at(3), true);
    fix.Longitude = Angle(at(4), at(5), false);
    if (!fix.Latitude || !fix.Longitude)
        fix.Latitude = fix.Longitude = std::nullopt;  // half a position is none
    fix.Quality = Whole(at(6), 0, 9);
    fix.SatellitesUsed = Whole(at(7), 0, 255);
    fix.Hdop = Number(at(8), 0.0, 99.99);
    fix.AltitudeMsl = Number(at(9), -12000.0, 100000.0);
    fix.GeoidSeparation = Number(at(11), -200.0, 200.0);
    m_Fix = fix;
    for (IFixListener* l : m_Listeners)
        if (l)
            l->OnFix(fix);
    return true;
}

bool CNmeaParser::ParseGsa(const Fields& f, std::size_t n, std::string_view talker, GnssClock::time_point now)
{
    if (n < 18)
        return false;
    const std::optional<EConstellation> system = n > 18 ? SystemId(f[18]) : std::nullopt;
    const auto touch = [&](EConstellation c) {
        const std::size_t i = Index(c);
        if (now - m_UsedArrived[i] > SameEpoch)
            m_Used[i].reset();
        m_UsedArrived[i] = now;
    };
    if (system)
        touch(*system);
    for (std::size_t i = 3; i < 15; ++i)
        if (const auto id = Whole(f[i], 1, 255)) {
            const EConstellation c = system ? *system : ConstellationOf(talker, *id);
            touch(c);
            m_Used[Index(c)].set(static_cast<std::size_t>(*id));
        }
    SGnssDop dop;
    dop.Arrived = now;
    dop.Pdop = Number(f[15], 0.0, 99.99);
    dop.Hdop = Number(f[16], 0.0, 99.99);
    dop.Vdop = Number(f[17], 0.0, 99.99);
    m_Dop = dop;
    return true;
}

CNmeaParser::SGsvGroup& CNmeaParser::GroupFor(std::string_view talker, char signal)
{
    SGsvGroup* oldest = &m_Groups[0];
    for (SGsvGroup& g : m_Groups) {
        if (g.InUse && g.Talker[0] == talker[0] && g.Talker[1] == talker[1] && g.Signal == signal)
            return g;
        if (!g.InUse || (oldest->InUse && g.Arrived < oldest->Arrived))
            oldest = &g;
    }
    *oldest = SGsvGroup{};
    oldest->InUse = true;
    oldest->Talker[0] = talker[0];
    oldest->Talker[1] = talker[1];
    oldest->Signal = signal;
    oldest->Arrived = GnssClock::time_point{};
    return *oldest;
}

bool CNmeaParser::ParseGsv(const Fields& f, std::size_t n, std::string_view talker, GnssClock::time_point now)
{
    if (n < 4)
        return false;
    std::size_t blocks = n - 4;
    char signal = 0;
    if (blocks % 4 == 1) {  // 4.10+: the signal id closes the sentence
        if (f[n - 1].size() != 1 || Hex(f[n - 1][0]) < 0)
            return false;
        signal = f[n - 1][0];
        --blocks;
    }
    if (blocks % 4 != 0 || blocks / 4 > 4)
        return false;
    const auto total = Whole(f[1], 1, 9);
    const auto number = total ? Whole(f[2], 1, *total) : std::nullopt;
    if (!number)
        return false;

    SGsvGroup& g = GroupFor(talker, signal);
    if (*number == 1) {
        g.Total = *total;
        g.PendingCount = 0;
    } else if (g.Next != *number || g.Total != *total) {
        g.Next = 0;  // cut short: the part received is dropped
        g.PendingCount = 0;
        return false;
    }
    for (std::size_t b = 0; b < blocks / 4; ++b) {
        const std::size_t i = 4 + b * 4;
        const auto id = Whole(f[i], 1, 255);
        if (!id || g.PendingCount >= MaxGsvSatellites)
            continue;
        SSatellite sat;
        sat.System = ConstellationOf(talker, *id);
        sat.Id = *id;
        sat.Elevation = Whole(f[i + 1], -90, 90);
        sat.Azimuth = Whole(f[i + 2], 0, 360);
        if (sat.Azimuth == 360)
            sat.Azimuth = 0;
        sat.Snr = Whole(f[i + 3], 0, 99);
        g.Pending[g.PendingCount++] = sat;
    }
    if (*number == *total) {
        g.Satellites = g.Pending;
        g.Count = g.PendingCount;
        g.Arrived = now;
        g.Next = 0;
        m_Last[static_cast<std::size_t>(ENmeaSentence::Gsv)] = now;
    } else {
        g.Next = *number + 1;
    }
    return true;
}

bool CNmeaParser::ParseGst(const Fields& f, std::size_t n, GnssClock::time_point now)
{
    if (n < 9)
        return false;
    SGnssErrors e;
    e.Arrived = now;
    e.North = Number(f[6], 0.0, 1e6);
    e.East = Number(f[7], 0.0, 1e6);
    e.Up = Number(f[8], 0.0, 1e6);
    m_Errors = e;
    return true;
}

bool CNmeaParser::ParseRmc(const Fields& f, std::size_t n, GnssClock::time_point now)
{
    if (n < 10)
        return false;
    SGnssRmc r;
    r.Arrived = now;
    r.Valid = f[2] == "A";
    r.Latitude = Angle(f[3], f[4], true);
    r.Longitude = Angle(f[5], f[6], false);
    if (!r.Latitude || !r.Longitude)
        r.Latitude = r.Longitude = std::nullopt;
    r.SpeedKnots = Number(f[7], 0.0, 1e5);
    r.Course = Number(f[8], 0.0, 360.0);
    m_Rmc = r;
    return true;
}

std::optional<GnssClock::time_point> CNmeaParser::LastArrival(ENmeaSentence kind) const
{
    return m_Last[static_cast<std::size_t>(kind)];
}

std::vector<SSatellite> CNmeaParser::SkyView(GnssClock::time_point now) const
{
    std::vector<SSatellite> sky;
    for (const SGsvGroup& g : m_Groups) {
        if (!g.InUse || g.Count == 0 || now - g.Arrived > SkyLifetime)
            continue;
        for (std::size_t i = 0; i < g.Count; ++i) {
            const SSatellite& s = g.Satellites[i];
            auto same = std::find_if(sky.begin(), sky.end(),
                                     [&](const SSatellite& o) { return o.System == s.System && o.Id == s.Id; });
            if (same == sky.end()) {
                sky.push_back(s);
                continue;
            }
            if (s.Snr && (!same->Snr || *s.Snr > *same->Snr))
                same->Snr = s.Snr;
            if (!same->Elevation) same->Elevation = s.Elevation;
            if (!same->Azimuth) same->Azimuth = s.Azimuth;
        }
    }
    for (SSatellite& s : sky) {
        const std::size_t c = Index(s.System);
        s.Used = now - m_UsedArrived[c] <= SkyLifetime && m_Used[c].test(static_cast<std::size_t>(s.Id));
    }
    std::sort(sky.begin(), sky.end(),
              [](const SSatellite& a, const SSatellite& b) { return a.System != b.System ? a.System < b.System : a.Id < b.Id; });
    return sky;
}

void CNmeaParser::AddListener(IFixListener* listener)
{
    for (IFixListener*& l : m_Listeners)
        if (!l) {
            l = listener;
            return;
        }
}

void CNmeaParser::RemoveListener(IFixListener* listener)
{
    for (IFixListener*& l : m_Listeners)
        if (l == listener)
            l = nullptr;
}
