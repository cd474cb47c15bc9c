#include <gtest/gtest.h>

#include <string>

#include "gnss/nmea_parser.h"
#include "gnss/on_mark_check.h"
#include "marks/mark.h"
#include "sim_device.h"

namespace {

// Feeds everything the device emits between the two times (ms) to the parser, line by line.
void Stream(CSimDevice& device, CNmeaParser& parser, long long from, long long to, std::size_t* lines = nullptr)
{
    for (long long t = from; t < to; t += 50) {
        const std::string out = device.Tick(t);
        for (std::size_t start = 0, end; (end = out.find("\r\n", start)) != std::string::npos; start = end + 2) {
            parser.Feed(std::string_view(out).substr(start, end - start), GnssClock::time_point{} + std::chrono::milliseconds(t));
            if (lines)
                ++*lines;
        }
    }
}

}  // namespace

TEST(SimGnss, StreamsWhenAskedWithValidChecksumsAndStopsOnRateZero)
{
    SSimDeviceConfig config;
    config.nmea = "off";
    config.offsetM = 120;
    config.fixQuality = 4;
    CSimDevice device(config);
    CNmeaParser p;
    std::size_t lines = 0;
    Stream(device, p, 0, 3000, &lines);
    EXPECT_EQ(lines, 0u);

    device.Receive("$JASC,GPGGA,1\r\n$JASC,GPGST,1\r\n$JASC,GPGSV,1\r\n", 3000);
    Stream(device, p, 3000, 6000, &lines);
    EXPECT_EQ(lines, 3u * 9u);  // GGA, GPGSA, 3 GPGSV, GLGSA, 2 GLGSV, GST each second
    EXPECT_EQ(p.BadChecksums() + p.MalformedSentences(), 0u);
    ASSERT_TRUE(p.Fix());
    EXPECT_EQ(p.Fix()->Quality, 4);
    const auto sky = p.SkyView(GnssClock::time_point{} + std::chrono::milliseconds(6000));
    EXPECT_EQ(sky.size(), 15u);
    EXPECT_GT(p.UsedCount(EConstellation::Glonass), 0u);
    EXPECT_NEAR(*p.Errors()->North, 1.5, 1e-9);
    const CMark reference = device.Receiver()->Reference().lat.empty()
                                ? CMark{}
                                : CMark{device.Receiver()->Reference().lat, device.Receiver()->Reference().lon, "0"};
    const auto r = CheckOnMark(p, &reference, p.Fix()->Arrived);
    EXPECT_EQ(r.State, EOnMarkState::OffMark);
    EXPECT_NEAR(r.DistanceM, 120, 8);

    device.Receive("$JASC,GPGGA,0\r\n$JASC,GPGST,0\r\n$JASC,GPGSV,0\r\n", 6000);
    lines = 0;
    Stream(device, p, 6000, 9000, &lines);
    EXPECT_EQ(lines, 0u);
}

TEST(SimGnss, DamagesEveryKthChecksumAndStreamsFaster)
{
    SSimDeviceConfig config;
    config.nmea = "on";
    config.nmeaDamageEvery = 3;
    config.nmeaIntervalMs = 100;
    CSimDevice device(config);
    CNmeaParser p;
    std::size_t lines = 0;
    Stream(device, p, 0, 1050, &lines);
    EXPECT_EQ(lines, 10u * 9u);
    EXPECT_EQ(p.BadChecksums(), lines / 3);
}
