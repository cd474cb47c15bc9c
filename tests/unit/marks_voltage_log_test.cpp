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

class MarksVoltageLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("varnel_vlog_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        log.SetClocks([this] { return now; },
                      [] {
                          std::tm tm{};
                          tm.tm_year = 2026 - 1900;
                          tm.tm_mon = 11;
                          tm.tm_mday = 7;
                          tm.tm_hour = 14;
                          tm.tm_min = 5;
                          tm.tm_sec = 9;
                          return tm;
                      });
    }
    void TearDown() override { fs::remove_all(dir); }

    // Ticks every 10 ms of fake time for the given span.
    void Run(std::chrono::milliseconds span)
    {
        for (auto t = 0ms; t < span; t += 10ms) {
            now += 10ms;
            log.Tick();
        }
    }
    static std::string Read(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path dir;
    CVoltageLog log;
    std::chrono::steady_clock::time_point now{};
};

}  // namespace

TEST(MarksVoltageLogFormat, LineFormat)
{
    std::tm tm{};
    tm.tm_year = 2026 - 1900;
    tm.tm_mon = 11;
    tm.tm_mday = 7;
    tm.tm_hour = 4;
    tm.tm_min = 5;
    tm.tm_sec = 9;
    EXPECT_EQ(CVoltageLog::FormatLine(tm, 3, 24.96, 2), "12/7/2026 4:05:09,3,12.480000\n");
    // No sample since the last line: an empty Volts field, never a not-a-number.
    EXPECT_EQ(CVoltageLog::FormatLine(tm, 4, 0.0, 0), "12/7/2026 4:05:09,4,\n");
}

TEST_F(MarksVoltageLogTest, HeaderOnlyWhenStoppedEarlyAndOneLinePerMinuteOfClock)
{
    const fs::path file = dir / "v.csv";
    ASSERT_TRUE(log.Start(file)) << log.LastError();
    log.AddSample(12.4);
    Run(59s);
    log.Stop();
    EXPECT_EQ(Read(file), "Time stamp,Minutes,Volts\n");

    // The minute continues across logs: 59 s before, 1 s more now.
    ASSERT_TRUE(log.Start(file));
    log.AddSample(12.6);
    Run(1s);
    EXPECT_EQ(Read(file), "Time stamp,Minutes,Volts\n12/7/2026 14:05:09,1,12.500000\n");
    // A timer much slower than 10 ms still gives one line per minute.
    for (int i = 0; i < 4; ++i) {
        now += 30s;
        log.AddSample(12.0);
        log.Tick();
    }
    log.Stop();
    EXPECT_EQ(Read(file), "Time stamp,Minutes,Volts\n12/7/2026 14:05:09,1,12.500000\n"
                          "12/7/2026 14:05:09,2,12.000000\n12/7/2026 14:05:09,3,12.000000\n");
    EXPECT_EQ(log.GetLineCounter(), 4);

    // Time while logging is off does not count; samples taken meanwhile do.
    now += 10min;
    log.AddSample(13.0);
    log.AddSample(4.9);  // too low: a base that has not answered
    log.Tick();
    ASSERT_TRUE(log.Start(dir / "w.csv"));
    log.Tick();
    EXPECT_EQ(Read(dir / "w.csv"), "Time stamp,Minutes,Volts\n");
    now += 60s;
    log.Tick();
    EXPECT_EQ(Read(dir / "w.csv"), "Time stamp,Minutes,Volts\n12/7/2026 14:05:09,4,13.000000\n");
    now += 60s;
    log.Tick();
    EXPECT_EQ(Read(dir / "w.csv"),
              "Time stamp,Minutes,Volts\n12/7/2026 14:05:09,4,13.000000\n12/7/2026 14:05:09,5,\n");
}

TEST_F(MarksVoltageLogTest, UncreatableFileIsReportedAndLoggingStaysOff)
{
    EXPECT_FALSE(log.Start(dir / "no" / "such" / "v.csv"));
    EXPECT_FALSE(log.IsActive());
    EXPECT_NE(log.LastError().find("v.csv"), std::string::npos);
    now += 2min;
    EXPECT_TRUE(log.Tick());
    EXPECT_EQ(log.GetLineCounter(), 1);
}

TEST_F(MarksVoltageLogTest, LineCounterSkipsMinusOne)
{
    ASSERT_TRUE(log.Start(dir / "v.csv"));
    log.SetLineCounter(-2);
    now += 60s;
    log.Tick();
    EXPECT_EQ(log.GetLineCounter(), 0);
    log.SetLineCounter(2147483647);
    now += 60s;
    log.Tick();
    EXPECT_EQ(log.GetLineCounter(), -2147483647 - 1);
}
