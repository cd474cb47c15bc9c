#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <GeographicLib/LocalCartesian.hpp>

#include "gnss/nmea_parser.h"
#include "gnss/nmea_requests.h"
#include "gnss/on_mark_check.h"
#include "gnss/position_averager.h"
#include "marks/mark.h"

namespace {

using namespace std::chrono_literals;
const GnssClock::time_point T0 = GnssClock::time_point{} + 1000s;

// "$" body "*hh" with the checksum it needs.
std::string Nmea(const std::string& body)
{
    unsigned char sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    char tail[4];
    std::snprintf(tail, sizeof tail, "*%02X", sum);
    return "$" + body + tail;
}

// A GGA at this position (degrees), quality and heights.
std::string Gga(double lat, double lon, int quality = 1, double msl = 10.0, const char* sep = "47.0")
{
    char body[160];
    const double alat = std::fabs(lat), alon = std::fabs(lon);
    std::snprintf(body, sizeof body, "GPGGA,120000.00,%02d%09.6f,%c,%03d%09.6f,%c,%d,10,0.9,%.3f,M,%s,M,,",
                  int(alat), (alat - int(alat)) * 60, lat < 0 ? 'S' : 'N', int(alon), (alon - int(alon)) * 60,
                  lon < 0 ? 'W' : 'E', quality, msl, sep);
    return Nmea(body);
}

}  // namespace

TEST(NmeaParser, SortsSentencesAndRejectsBadOnes)
{
    const std::string longGga = Nmea("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,,,,,,,,,,,,,,,,,,,");
    const struct {
        std::string sentence;
        ENmeaResult result;
    } cases[] = {
        // Real-world forms with their own checksums.
        {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", ENmeaResult::Used},
        {"$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39", ENmeaResult::Used},
        {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", ENmeaResult::Used},
        {"$GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75", ENmeaResult::Used},
        {"$gpgga,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", ENmeaResult::NotNmea},
        {Nmea("GNGST,172814.0,0.006,0.023,0.020,273.6,0.023,0.020,0.031"), ENmeaResult::Used},
        // The checksum: wrong, missing, short, lower-case hex accepted.
        {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*48", ENmeaResult::BadChecksum},
        {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", ENmeaResult::BadChecksum},
        {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*4", ENmeaResult::BadChecksum},
        {"$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39 ", ENmeaResult::BadChecksum},
        {Nmea("GARMC,,V,,,,,,,,,,N"), ENmeaResult::Used},
        // The base's own sentences and unknown NMEA are not ours.
        {"$>JRTK,17,52.2,0.12,14.5", ENmeaResult::NotNmea},
        {"$KBASE,MARKS,1,2,3", ENmeaResult::NotNmea},
        {Nmea("GPZDA,1,2,3"), ENmeaResult::NotNmea},
        {Nmea("XXGGA,1"), ENmeaResult::NotNmea},
        {"$GPGGA", ENmeaResult::NotNmea},
        // Too long, too few fields, too many.
        {longGga, ENmeaResult::Malformed},
        {Nmea("GPGGA,1,2"), ENmeaResult::Malformed},
        {Nmea("GPGSV,1,1,01,05,40,083,46,1,2"), ENmeaResult::Malformed},
        {Nmea("GPGSV,10,1,40,05,40,083,46"), ENmeaResult::Malformed},
    };
    CNmeaParser p;
    std::size_t bad = 0, malformed = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sentence);
        EXPECT_EQ(p.Feed(c.sentence, T0), c.result);
        bad += c.result == ENmeaResult::BadChecksum;
        malformed += c.result == ENmeaResult::Malformed;
    }
    EXPECT_EQ(p.BadChecksums(), bad);
    EXPECT_EQ(p.MalformedSentences(), malformed);
}

TEST(NmeaParser, EmptyOrAbsurdFieldsAreNotReported)
{
    const struct {
        std::string body;
        std::optional<int> quality;
        std::optional<double> lat, lon, hdop, msl, ellipsoidal;
    } cases[] = {
        {"GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", 1, 48.1173, 11.516667, 0.9, 545.4, 592.3},
        {"GNGGA,123519,3351.400,S,15112.960,W,4,12,0.6,24.5,M,,M,1.0,0031", 4, -33.856667, -151.216, 0.6, 24.5, {}},
        {"GPGGA,,,,,,0,00,,,M,,M,,", 0, {}, {}, {}, {}, {}},
        {"GLGGA,1,9500.000,N,01131.000,E,1,08,-1,nan,M,inf,M,,", 1, {}, {}, {}, {}, {}},
        {"GPGGA,1,4807.0x8,N,01131.000,E,x,08,0.9,545.4,M,46.9,M,,", {}, {}, {}, 0.9, 545.4, 592.3},
        {"GPGGA,1,4807.038,Q,01131.000,E,7,08,0.9,545.4,M,46.9,M,,", 7, {}, {}, 0.9, 545.4, 592.3},
        {"GPGGA,1,4860.000,N,18100.000,E,12,08,1e3,545.4", {}, {}, {}, {}, 545.4, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        CNmeaParser p;
        ASSERT_EQ(p.Feed(Nmea(c.body), T0), ENmeaResult::Used);
        const SGnssFix& f = *p.Fix();
        EXPECT_EQ(f.Quality, c.quality);
        const auto near = [](const std::optional<double>& got, const std::optional<double>& want) {
            EXPECT_EQ(got.has_value(), want.has_value());
            if (got && want) {
                EXPECT_NEAR(*got, *want, 1e-5);
            }
        };
        near(f.Latitude, c.lat);
        near(f.Longitude, c.lon);
        near(f.Hdop, c.hdop);
        near(f.AltitudeMsl, c.msl);
        near(f.EllipsoidalHeight(), c.ellipsoidal);
    }
}

TEST(NmeaParser, AssemblesSkyPerTalkerAndSignalAndDropsCutGroups)
{
    CNmeaParser p;
    const auto feed = [&](const std::string& body) { return p.Feed(Nmea(body), T0); };
    // GPS in two sentences, GLONASS in one, GPS L5 (4.10 signal id 8) with a stronger SNR for 01.
    feed("GPGSV,2,1,05,01,40,083,46,02,17,308,41,12,07,344,,14,22,228,45");
    feed("GPGSV,2,2,05,40,30,200,38");
    feed("GLGSV,1,1,02,65,50,010,44,66,,,30");
    feed("GPGSV,1,1,01,01,40,083,49,8");
    feed("GNGSA,A,3,01,02,14,,,,,,,,,,1.8,0.9,1.5,1");
    feed("GNGSA,A,3,65,,,,,,,,,,,,1.8,0.9,1.5,2");
    // A GLONASS group cut short (2 of 3, then a new first sentence that never ends) keeps the last whole one.
    EXPECT_EQ(feed("GLGSV,3,1,09,70,10,100,20,71,10,100,20,72,10,100,20,73,10,100,20"), ENmeaResult::Used);
    EXPECT_EQ(feed("GLGSV,3,3,09,74,10,100,20"), ENmeaResult::Malformed);
    feed("GLGSV,9,1,99,75,10,100,20,76,10,100,20,77,10,100,20,78,10,100,20");

    const auto sky = p.SkyView(T0);
    std::vector<std::string> got;
    for (const SSatellite& s : sky)
        got.push_back(std::to_string(int(s.System)) + ":" + std::to_string(s.Id) + ":" +
                      (s.Elevation ? std::to_string(*s.Elevation) : "-") + ":" + (s.Snr ? std::to_string(*s.Snr) : "-") +
                      (s.Used ? "*" : ""));
    EXPECT_EQ(got, (std::vector<std::string>{"0:1:40:49*", "0:2:17:41*", "0:12:7:-", "0:14:22:45*", "1:65:50:44*",
                                             "1:66:-:30", "5:40:30:38"}));
    EXPECT_EQ(p.UsedCount(EConstellation::Gps), 3u);
    EXPECT_EQ(p.UsedCount(EConstellation::Glonass), 1u);
    EXPECT_NEAR(*p.Dop()->Vdop, 1.5, 1e-9);
    // Groups age out of the sky view.
    EXPECT_TRUE(p.SkyView(T0 + CNmeaParser::SkyLifetime + 1s).empty());

    // A hundred satellites announced: at most nine sentences of four are kept, nothing grows.
    CNmeaParser many;
    for (int s = 1; s <= 9; ++s) {
        std::string body = "GPGSV,9," + std::to_string(s) + ",100";
        for (int k = 0; k < 4; ++k)
            body += "," + std::to_string((s - 1) * 4 + k + 1) + ",45,100,40";
        many.Feed(Nmea(body), T0);
    }
    EXPECT_EQ(many.SkyView(T0).size(), CNmeaParser::MaxGsvSatellites);
}

TEST(OnMark, DistanceWarningAndNotMeasured)
{
    const CMark reference{"52.20533700", "0.12181700", "14.5"};
    GeographicLib::LocalCartesian frame(52.205337, 0.121817, 0);
    const struct {
        double northM;
        int quality;
        const char* gstSigma;  // north and east
        std::chrono::milliseconds age;
        bool reference;
        EOnMarkState state;
    } cases[] = {
        {1.8, 1, "0.5", 0ms, true, EOnMarkState::OnMark},
        {14.9, 4, "", 1900ms, true, EOnMarkState::OnMark},
        {124, 2, "0.5", 0ms, true, EOnMarkState::OffMark},
        {20, 9, "0.5", 0ms, true, EOnMarkState::OffMark},
        {20, 1, "6.0", 0ms, true, EOnMarkState::OnMark},  // 3 x 8.49 m
        {124, 1, "", 2100ms, true, EOnMarkState::NoFix},   // no longer current
        {124, 0, "", 0ms, true, EOnMarkState::NoFix},
        {124, 7, "", 0ms, true, EOnMarkState::NotMeasured},
        {124, 6, "", 0ms, true, EOnMarkState::NotMeasured},
        {124, 1, "", 0ms, false, EOnMarkState::NoReference},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.northM + c.quality * 1000);
        double lat = 0, lon = 0, h = 0;
        frame.Reverse(0, c.northM, 0, lat, lon, h);
        CNmeaParser p;
        p.Feed(Gga(lat, lon, c.quality), T0);
        if (*c.gstSigma)
            p.Feed(Nmea(std::string("GPGST,1,1,1,1,0,") + c.gstSigma + "," + c.gstSigma + ",1"), T0);
        const SOnMarkResult r = CheckOnMark(p, c.reference ? &reference : nullptr, T0 + c.age);
        EXPECT_EQ(r.State, c.state);
        if (r.State == EOnMarkState::OnMark || r.State == EOnMarkState::OffMark) {
            EXPECT_NEAR(r.DistanceM, c.northM, 0.01);
        }
    }
}

TEST(PositionAverager, MeanSpreadAndSkippedFixes)
{
    GeographicLib::LocalCartesian frame(-33.857, 151.216, 60.0);
    CNmeaParser p;
    CPositionAverager a;
    p.AddListener(&a);
    a.Start(T0);
    // East, north, up offsets of ±1, ±2 and ±3 m around the point: sample sigma sqrt(4/3) times each.
    const double offsets[][3] = {{1, 2, 3}, {-1, -2, -3}, {1, -2, 3}, {-1, 2, -3}};
    auto t = T0;
    for (int round = 0; round < 50; ++round)
        for (const auto& o : offsets) {
            double lat = 0, lon = 0, h = 0;
            frame.Reverse(o[0], o[1], o[2], lat, lon, h);
            p.Feed(Gga(lat, lon, 4, h - 20.0, "20.0"), t += 1s);
        }
    p.Feed(Gga(-33.9, 151.3, 6), t += 1s);  // estimated
    p.Feed(Gga(-33.9, 151.3, 1), t += 3s);  // after a gap
    p.Feed(Nmea("GPGGA,1,,,,,1,08,0.9,,M,,M,,"), t += 1s);
    EXPECT_EQ(a.Used(), 200u);
    EXPECT_EQ(a.Skipped(), 3u);
    const auto m = a.Mean();
    ASSERT_TRUE(m);
    EXPECT_NEAR(m->Latitude, -33.857, 1e-9);
    EXPECT_NEAR(m->Longitude, 151.216, 1e-9);
    EXPECT_NEAR(*m->EllipsoidalHeight, 60.0, 1e-6);
    EXPECT_NEAR(*m->HeightMsl, 40.0, 1e-6);
    const double k = std::sqrt(200.0 / 199.0);
    EXPECT_NEAR(*m->SigmaEast, 1 * k, 2e-3);
    EXPECT_NEAR(*m->SigmaNorth, 2 * k, 2e-3);
    EXPECT_NEAR(*m->SigmaUp, 3 * k, 2e-3);
    EXPECT_EQ(a.ScatterCount(), 200u);
    EXPECT_NEAR(a.ScatterPoint(0).North, 2.0, 2e-3);

    // A day of 1 Hz fixes: the plot keeps its fixed number, the mean stays put.
    a.Start(t);
    SGnssFix fix{1, -33.857, 151.216, 40.0, {}, 0.9, 10, t};
    for (int i = 0; i < 86400; ++i) {
        fix.Arrived += 1s;
        a.OnFix(fix);
    }
    EXPECT_EQ(a.Used(), 86400u);
    EXPECT_EQ(a.ScatterCount(), CPositionAverager::ScatterCapacity);
    EXPECT_FALSE(a.Mean()->EllipsoidalHeight);  // no geoid separation reported
    EXPECT_NEAR(*a.Mean()->HeightMsl, 40.0, 1e-6);
    p.RemoveListener(&a);
}

TEST(PositionAverager, MarkTextsFitTheAltitudeEdit)
{
    const struct {
        double height;
        const char* text;
    } cases[] = {{14.5004, "14.500"}, {123.4567, "123.46"}, {-12.3456, "-12.35"}, {1234.56, "1234.6"},
                 {-1234.56, "-1235"}, {-0.0001, "0.000"}, {123456.0, "123456"}, {1234567.0, ""}};
    for (const auto& c : cases)
        EXPECT_EQ(MarkTextsFor(0, 0, c.height).Altitude, c.text) << c.height;
    const SMarkTexts t = MarkTextsFor(-33.8570000049, 151.2160000051, 1);
    EXPECT_EQ(t.Latitude, "-33.85700000");
    EXPECT_EQ(t.Longitude, "151.21600001");
}

TEST(NmeaStreamRequest, AsksOnlyForQuietStreamsAndStopsOnlyThose)
{
    CNmeaParser p;
    p.Feed(Gga(1, 2), T0);
    p.Feed(Nmea("GPGSV,1,1,01,01,40,083,46"), T0 - 3s);
    std::vector<std::string> sent;
    {
        CNmeaStreamRequest r(CNmeaStreamRequest::Gga | CNmeaStreamRequest::Gst | CNmeaStreamRequest::Gsv,
                             [&](std::string_view s) { sent.emplace_back(s); });
        r.Open(p, T0 + 1s);
    }
    EXPECT_EQ(sent, (std::vector<std::string>{"$JASC,GPGST,1", "$JASC,GPGSV,1", "$JASC,GPGST,0", "$JASC,GPGSV,0"}));
}
