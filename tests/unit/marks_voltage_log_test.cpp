#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "marks/voltage_log.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::tm Stamp(int hour)
{
    std::tm tm{};  // 7 December 2026, hour:05:09
    tm.tm_year = 2026 - 1900, tm.tm_mon = 11, tm.tm_mday = 7;
    tm.tm_hour = hour, tm.tm_min = 5, tm.tm_sec = 9;
    return tm;
}

constexpr const char* Header = "Time stamp,Minutes,Volts\n";

class MarksVoltageLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::path(::testing::TempDir()) / ("varnel_vlog_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        log.SetClocks([this] { return now; }, [] { return Stamp(14); });
    }
    void TearDown() override
    {
        log.Stop(); // Windows cannot delete a file that is still open
        fs::remove_all(dir);
    }

    // Advances the fake clock by `step` and ticks, `times` times.
    void Run(std::chrono::milliseconds step, int times)
    {
        for (; times > 0; --times, log.Tick())
            now += step;
    }
    std::string Read(const char* name) const
    {
        std::ifstream in(dir / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path dir;
    CVoltageLog log;
    std::chrono::steady_clock::time_point now{};
};

}  // namespace

TEST(MarksVoltageLogFormat, LineFormat)
{
    EXPECT_EQ(CVoltageLog::FormatLine(Stamp(4), 3, 24.96, 2), "12/7/2026 4:05:09,3,12.480000\n");  // mean of two
}

TEST_F(MarksVoltageLogTest, OneLinePerMinuteOfLoggingByTheClock)
{
    ASSERT_TRUE(log.Start(dir / "v.csv")) << log.LastError();
    log.AddSample(12.4);
    Run(10ms, 5900);
    log.Stop();
    EXPECT_EQ(Read("v.csv"), Header);

    // The minute continues across logs: 59 s before, 1 s more now.
    ASSERT_TRUE(log.Start(dir / "v.csv"));
    log.AddSample(12.6);
    Run(10ms, 100);
    const std::string first = std::string(Header) + "12/7/2026 14:05:09,1,12.500000\n";
    EXPECT_EQ(Read("v.csv"), first);
    // A timer much slower than 10 ms still gives one line per minute.
    for (int i = 0; i < 4; ++i) {
        log.AddSample(12.0);
        Run(30s, 1);
    }
    log.Stop();
    EXPECT_EQ(Read("v.csv"), first + "12/7/2026 14:05:09,2,12.000000\n12/7/2026 14:05:09,3,12.000000\n");
    EXPECT_EQ(log.GetLineCounter(), 4);

    // Time while logging is off does not count; samples taken meanwhile do, unless too low to be real.
    log.AddSample(13.0);
    log.AddSample(4.9);
    Run(10min, 1);
    ASSERT_TRUE(log.Start(dir / "w.csv"));
    Run(0ms, 1);
    EXPECT_EQ(Read("w.csv"), Header);
    Run(60s, 2);  // no sample for the second line: an empty Volts field, never a not-a-number
    EXPECT_EQ(Read("w.csv"), std::string(Header) + "12/7/2026 14:05:09,4,13.000000\n12/7/2026 14:05:09,5,\n");
}

TEST_F(MarksVoltageLogTest, UncreatableFileIsReportedAndLoggingStaysOff)
{
    EXPECT_FALSE(log.Start(dir / "no" / "such" / "v.csv"));
    EXPECT_FALSE(log.IsActive());
    EXPECT_NE(log.LastError().find("v.csv"), std::string::npos);
    now += 2min;
    EXPECT_TRUE(log.Tick());
    EXPECT_EQ(log.GetLineCounter(), 1);

    // The counter wraps as a 32-bit one, skipping -1.
    ASSERT_TRUE(log.Start(dir / "v.csv"));
    for (auto [from, to] : {std::pair{-2, 0}, std::pair{2147483647, -2147483647 - 1}}) {
        log.SetLineCounter(from);
        Run(60s, 1);
        EXPECT_EQ(log.GetLineCounter(), to);
    }
}

TEST_F(MarksVoltageLogTest, AfterAStalledTimerOneLineCarriesTheRealElapsedMinute)
{
    ASSERT_TRUE(log.Start(dir / "v.csv"));
    log.AddSample(12.0);
    Run(3min + 30s, 1);  // the timer was stopped, e.g. during a write run
    Run(10ms, 100);
    EXPECT_EQ(Read("v.csv"), std::string(Header) + "12/7/2026 14:05:09,3,12.000000\n");
    Run(29s, 1);  // the half minute left over counts towards the next line
    EXPECT_EQ(log.GetLineCounter(), 5);
}
