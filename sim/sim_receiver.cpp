#include "sim_receiver.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>

#include <GeographicLib/LocalCartesian.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool ParseDouble(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0';
}

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string WithChecksum(const std::string& body)
{
    unsigned char sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

std::string NmeaTime(long long nowMs)
{
    long long seconds = 12 * 3600 + nowMs / 1000;
    char time[16];
    std::snprintf(time, sizeof time, "%02lld%02lld%02lld.%02lld", (seconds / 3600) % 24, (seconds / 60) % 60,
                  seconds % 60, (nowMs % 1000) / 10);
    return time;
}

// Degrees as ddmm.mmmmmm: millimetres, for the averaging.
std::string FineAngle(double degrees, bool latitude)
{
    char hemisphere = latitude ? (degrees < 0 ? 'S' : 'N') : (degrees < 0 ? 'W' : 'E');
    degrees = std::fabs(degrees);
    const int whole = static_cast<int>(degrees);
    char text[32];
    std::snprintf(text, sizeof text, latitude ? "%02d%09.6f,%c" : "%03d%09.6f,%c", whole, (degrees - whole) * 60.0,
                  hemisphere);
    return text;
}

// The simulated sky: GPS and GLONASS satellites that drift slowly across it.
struct SSimSatellite {
    int id;
    double azimuth0, phase;
};
constexpr SSimSatellite GpsSky[] = {{2, 40, 0.3}, {5, 95, 1.1}, {6, 150, 0.7}, {12, 200, 2.0}, {13, 260, 0.2},
                                    {15, 310, 1.5}, {19, 20, 2.6}, {24, 120, 0.9}, {25, 240, 1.9}, {29, 345, 0.5}};
constexpr SSimSatellite GlonassSky[] = {{65, 70, 1.3}, {66, 180, 0.4}, {72, 280, 2.2}, {73, 330, 1.0}, {80, 10, 0.6}};
constexpr double GeoidSeparation = 47.0;

void SatelliteAt(const SSimSatellite& s, long long nowMs, int& elevation, int& azimuth, int& snr)
{
    const double t = nowMs / 1000.0;
    elevation = static_cast<int>(5 + 80 * std::fabs(std::sin(s.phase + t * 0.0004)));
    azimuth = static_cast<int>(std::fmod(s.azimuth0 + t * 0.004, 360.0));
    snr = 28 + elevation / 4 + s.id % 5;
}

std::string Sky(const char* talker, const SSimSatellite* sats, std::size_t count, long long nowMs)
{
    std::string out;
    const std::size_t total = (count + 3) / 4;
    std::string used;
    std::size_t usedCount = 0;
    for (std::size_t m = 0; m < total; ++m) {
        std::string body = std::string(talker) + "GSV," + std::to_string(total) + "," + std::to_string(m + 1) + "," +
                           std::to_string(count);
        for (std::size_t i = m * 4; i < count && i < m * 4 + 4; ++i) {
            int el = 0, az = 0, snr = 0;
            SatelliteAt(sats[i], nowMs, el, az, snr);
            char block[32];
            std::snprintf(block, sizeof block, ",%02d,%02d,%03d,%02d", sats[i].id, el, az, snr);
            body += block;
            if (el >= 10 && usedCount < 12) {
                used += "," + std::to_string(sats[i].id);
                ++usedCount;
            }
        }
        out += WithChecksum(body);
    }
    for (std::size_t i = usedCount; i < 12; ++i)
        used += ",";
    return WithChecksum(std::string(talker) + "GSA,A,3" + used + ",1.6,0.9,1.3") + out;
}

}  // namespace

SSimMark SplitSimMark(const std::string& fields)
{
    SSimMark mark;
    auto first = fields.find(',');
    mark.lat = fields.substr(0, first);
    std::string rest = first == std::string::npos ? fields : fields.substr(first + 1);
    auto second = rest.find(',');
    mark.lon = rest.substr(0, second);
    mark.alt = second == std::string::npos ? rest : rest.substr(second + 1);
    return mark;
}

std::vector<SSimMark> BuiltInSimMarks()
{
    return {
        {"52.205337", "0.121817", "14.500"},
        {"52.204112", "0.119450", "15.250"},
        {"52.206874", "0.124321", "12.800"},
    };
}

bool LoadSimMarks(const std::string& path, std::vector<SSimMark>& marks, std::string& error)
{
    // Only a regular file of modest size: a folder, /dev/zero or a FIFO would fail oddly, read for
    // ever or block. Non-blocking, so that opening a FIFO returns at once.
    constexpr off_t MaxBytes = 16 * 1024 * 1024;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot read marks file " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    std::string text;
    bool ok = fstat(fd, &st) == 0;
    if (ok && !S_ISREG(st.st_mode))
        error = "marks file " + path + " is not a regular file";
    else if (ok && st.st_size > MaxBytes)
        error = "marks file " + path + " is larger than 16 MiB";
    else if (!ok)
        error = "cannot read marks file " + path + ": " + std::strerror(errno);
    ok = ok && error.empty();
    char chunk[65536];
    while (ok) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || static_cast<off_t>(text.size()) + n > MaxBytes) {
            if (n < 0)
                error = "cannot read marks file " + path + ": " + std::strerror(errno);
            else if (n > 0)
                error = "marks file " + path + " is larger than 16 MiB";
            break;
        }
        text.append(chunk, static_cast<std::size_t>(n));
    }
    close(fd);
    if (!error.empty())
        return false;

    std::vector<SSimMark> read;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        SSimMark mark = SplitSimMark(line.substr(start));
        if (std::count(line.begin(), line.end(), ',') < 2) {
            error = "marks file " + path + ": not lat,lon,alt: " + line;
            return false;
        }
        read.push_back(mark);
    }
    marks = std::move(read);
    return true;
}

CSimReceiver::CSimReceiver(const SSimReceiverConfig& config, CSimRadio* radio)
    : m_config(config), m_radio(radio), m_marks(config.marks), m_reference(config.reference)
{
    if (m_marks.size() > MaxMarks)
        m_marks.resize(MaxMarks);
    m_storedBattery = m_battery;
    m_nmea = config.ggaFromStart || config.allFromStart;
    m_gst = m_gsv = config.allFromStart;
}

std::string CSimReceiver::ToRadio(std::string_view bytes, long long nowMs)
{
    if (!m_radio || bytes.empty())
        return {};
    return m_radio->Receive(bytes, nowMs);
}

std::string CSimReceiver::Receive(std::string_view bytes, long long nowMs)
{
    std::string out;
    std::string forward;
    for (char c : bytes) {
        if (m_inSentence) {
            if (c == '\r' || c == '\n') {
                m_inSentence = false;
                out += Sentence(m_sentence, nowMs);
                m_sentence.clear();
                m_swallowLf = c == '\r';
            } else if (c == '$') {
                m_sentence = "$";
            } else if (m_sentence.size() < 512) {
                m_sentence += c;
            }
            continue;
        }
        const bool swallow = m_swallowLf && c == '\n';
        m_swallowLf = false;
        if (swallow)
            continue;
        if (c == '$') {
            out += ToRadio(forward, nowMs);
            forward.clear();
            m_inSentence = true;
            m_sentence = "$";
        } else if (m_routing) {
            forward += c;
        }
    }
    out += ToRadio(forward, nowMs);
    return out;
}

std::string CSimReceiver::Tick(long long nowMs)
{
    std::string out;
    if (m_radio) {
        std::string radio = m_radio->Tick(nowMs);
        if (m_routing)
            out += radio;
    }
    const int interval = std::max(1, m_config.nmeaIntervalMs);
    if (m_nextNmeaMs < 0) {
        m_nextNmeaMs = nowMs + interval;
    } else if (nowMs >= m_nextNmeaMs) {
        m_nextNmeaMs = nowMs - m_nextNmeaMs >= interval ? nowMs + interval : m_nextNmeaMs + interval;
        if (!m_routing) {
            if (m_nmea)
                out += Damaged(Gga(nowMs));
            out += Damaged(SkyAndErrors(nowMs));
        }
    }
    return out;
}

long long CSimReceiver::NextEventMs(long long nowMs) const
{
    long long next = m_nextNmeaMs < 0 ? nowMs : m_nextNmeaMs;
    if (m_radio && m_radio->NextEventMs() >= 0)
        next = std::min(next, m_radio->NextEventMs());
    return next;
}

double CSimReceiver::Voltage(long long nowMs) const
{
    const double minutes = nowMs / 60000.0;
    // On its battery the base loses 0.02 V a minute; on external power the battery charges.
    if (m_config.externalPower)
        return std::min(13.40, 12.60 + 0.02 * minutes);
    return std::max(10.50, 12.90 - 0.02 * minutes);
}

std::string CSimReceiver::Gga(long long nowMs) const
{
    // The antenna's fix: offset north of the reference, scattered by a noise drawn afresh each epoch.
    const double lat0 = std::strtod(m_reference.lat.c_str(), nullptr);
    const double lon0 = std::strtod(m_reference.lon.c_str(), nullptr);
    const double h0 = std::strtod(m_reference.alt.c_str(), nullptr);
    std::mt19937_64 random(static_cast<unsigned long long>(nowMs / std::max(1, m_config.nmeaIntervalMs)) + 1);
    std::normal_distribution<double> noise(0.0, std::max(0.0, m_config.noiseM));
    const double east = m_config.noiseM > 0 ? noise(random) : 0.0;
    const double north = m_config.offsetM + (m_config.noiseM > 0 ? noise(random) : 0.0);
    const double up = m_config.noiseM > 0 ? 1.5 * noise(random) : 0.0;
    double lat = lat0, lon = lon0, h = h0;
    if (std::fabs(lat0) <= 90 && std::fabs(lon0) <= 180)
        GeographicLib::LocalCartesian(lat0, lon0, h0).Reverse(east, north, up, lat, lon, h);
    // The reference height is ellipsoidal; GGA gives the height above sea level and the separation.
    const std::string body = "GPGGA," + NmeaTime(nowMs) + "," + FineAngle(lat, true) + "," + FineAngle(lon, false) +
                             "," + std::to_string(m_config.fixQuality) + ",10,0.9," +
                             Format("%.3f", h - GeoidSeparation) + ",M," + Format("%.1f", GeoidSeparation) + ",M,,";
    return WithChecksum(body);
}

std::string CSimReceiver::SkyAndErrors(long long nowMs) const
{
    std::string out;
    if (m_gsv)
        out += Sky("GP", GpsSky, std::size(GpsSky), nowMs) + Sky("GL", GlonassSky, std::size(GlonassSky), nowMs);
    if (m_gst) {
        const double n = m_config.noiseM;
        out += WithChecksum("GPGST," + NmeaTime(nowMs) + "," + Format("%.3f", n) + "," + Format("%.3f", n * 1.2) + "," +
                            Format("%.3f", n * 0.8) + ",0.0," + Format("%.3f", n) + "," + Format("%.3f", n) + "," +
                            Format("%.3f", 1.5 * n));
    }
    return out;
}

std::string CSimReceiver::Damaged(std::string sentences)
{
    // Spoils the checksum's last digit of every damageEvery-th sentence.
    for (std::size_t pos = sentences.find('*'); pos != std::string::npos; pos = sentences.find('*', pos + 1)) {
        ++m_nmeaSentences;
        if (m_config.damageEvery > 0 && m_nmeaSentences % m_config.damageEvery == 0 && pos + 2 < sentences.size())
            sentences[pos + 2] = sentences[pos + 2] == '0' ? '1' : '0';
    }
    return sentences;
}

std::string CSimReceiver::Sentence(const std::string& raw, long long nowMs)
{
    std::string s = raw;
    if (auto star = s.find('*'); star != std::string::npos && star + 3 >= s.size())
        s.erase(star);   // a checksum, if the sender added one
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.pop_back();

    const SSimMark& r = m_reference;
    if (s == "$JAPP")
        return m_config.rover ? "$>JAPP,LOCRTK,DIFF\r\n" : "$>JAPP,RTKBAS,DIFF\r\n";
    if (s == "$JRTK,17")
        return "$>JRTK,17," + r.lat + "," + r.lon + "," + r.alt + "\r\n";
    if (s == "$JI")
        return std::string("$>JI,810517,1,3,15062025,01/01/2000,12/31/2099,") +
               (m_config.rover ? "SIM-ROVER" : "SIM-BASE") + " 2.31,44\r\n";
    if (s.rfind("$JCONN,", 0) == 0) {
        // On a rover the engine bridges the PC's port to the radio's port D.
        if (m_config.rover) {
            if (s == "$JCONN,X")
                m_routing = false;
            else if (s == "$JCONN,A,D" || s == "$JCONN,B,D")
                m_routing = true;
        }
        return {};
    }
    if (s.rfind("$JASC,GPGGA,", 0) == 0) {
        m_nmea = s.substr(12) != "0";
        return {};
    }
    if (s.rfind("$JASC,GPGST,", 0) == 0 || s.rfind("$JASC,GPGSV,", 0) == 0) {
        (s[10] == 'T' ? m_gst : m_gsv) = s.substr(12) != "0";
        return {};
    }
    if (s.rfind("$KBASE,", 0) == 0 && !m_config.rover)
        return BaseSentence(s.substr(7), nowMs);
    return {};   // $JASC, $JBIN and anything unknown: accepted without reply
}

std::string CSimReceiver::BaseSentence(const std::string& command, long long nowMs)
{
    auto comma = command.find(',');
    const std::string key = command.substr(0, comma);
    const std::string value = comma == std::string::npos ? std::string() : command.substr(comma + 1);
    auto reply = [&](const std::string& text) { return "$KBASE," + key + "," + text + "\r\n"; };
    const double volts = std::round(Voltage(nowMs) * 100.0) / 100.0;   // as reported

    if (comma == std::string::npos) {
        if (key == "PEAKSNR")
            return reply(std::to_string(46 + (nowMs / 5000) % 5));
        if (key == "SATS")
            return reply(std::to_string(9 + (nowMs / 20000) % 3));
        if (key == "STDEV")
            return reply(Format("%.3f", 0.010 + 0.002 * ((nowMs / 4000) % 7)));
        if (key == "PSOURCE")
            return reply(m_config.externalPower ? "0" : "1");
        if (key == "VOLTAGE")
            return reply(Format("%.2f", volts));
        if (key == "BATTIME") {
            const long minutes = std::max(0L, std::lround((volts - m_battery.intVCritical) * m_battery.intDr));
            const int state = volts <= m_battery.intVCritical ? 2 : volts <= m_battery.intVWarn ? 1 : 0;
            return reply(std::to_string(minutes) + "," + std::to_string(state));
        }
        if (key == "VERSION")
            return reply("2.31 SIM");
        if (key == "BOOTVERSION")
            return reply("1.05");
        if (key == "CONFIG")
            return "$KBASE,INTBATVCRITICAL," + Format("%.2f", m_battery.intVCritical) + "\r\n" +
                   "$KBASE,INTBATVWARN," + Format("%.2f", m_battery.intVWarn) + "\r\n" +
                   "$KBASE,EXTBATVWARN," + Format("%.2f", m_battery.extVWarn) + "\r\n" +
                   "$KBASE,INTBATDR," + std::to_string(m_battery.intDr) + "\r\n" +
                   "$KBASE,EXTBATDR," + std::to_string(m_battery.extDr) + "\r\n";
        if (key == "MARKS") {
            std::string out;
            for (const auto& m : m_marks)
                out += "$KBASE,MARKS," + m.lat + "," + m.lon + "," + m.alt + "\r\n";
            return out;
        }
        if (key == "CLEARMARKS")
            m_marks.clear();
        else if (key == "SAVE")
            m_storedBattery = m_battery;
        return {};
    }

    if (key == "ADDMARK") {
        if (m_marks.size() < MaxMarks)
            m_marks.push_back(SplitSimMark(value));
    } else if (key == "PASSTHROUGH") {
        m_routing = value == "1";
    } else if (key == "WATCHDOG") {
        m_watchdog = std::atoi(value.c_str());
    } else {
        double number = 0;
        if (!ParseDouble(value, number) || key == m_config.ignoreSetting)
            return {};
        if (key == "INTBATVCRITICAL") m_battery.intVCritical = number;
        else if (key == "EXTBATVCRITICAL") m_battery.extVCritical = number;
        else if (key == "INTBATVWARN") m_battery.intVWarn = number;
        else if (key == "EXTBATVWARN") m_battery.extVWarn = number;
        else if (key == "INTBATDR") m_battery.intDr = static_cast<int>(number);
        else if (key == "EXTBATDR") m_battery.extDr = static_cast<int>(number);
    }
    return {};
}
