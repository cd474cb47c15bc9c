// The session log format, the console's row log and the tap's thread safety.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "serial/session_log.h"
#include "serial/wire_tap.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(SessionLog, LinesParseOrAreRefused)
{
    const struct {
        const char* line;
        bool ok;
        SSessionLine parsed;
    } cases[] = {
        {"R 12 $JAPP\\r\\n", true, {'R', 12, "$JAPP\r\n"}},
        {"S 0 \\x00\\xff\\\\ a\\t", true, {'S', 0, std::string("\0\xff\\ a\t", 6)}},
        {"S 5 \\xZZ\\", true, {'S', 5, "xZZ\\"}},   // a broken escape stands for itself
        {"# 7 port opened\r", true, {'#', 7, "port opened"}},
        {"# 7", true, {'#', 7, ""}},
        {"R 12", false, {}},            // a burst without bytes
        {"R -1 x", false, {}},
        {"R x1 x", false, {}},
        {"R 12x y", false, {}},
        {"X 1 y", false, {}},
        {"R1 y", false, {}},
        {"", false, {}},
    };
    for (const auto& c : cases) {
        SSessionLine parsed;
        EXPECT_EQ(ParseSessionLine(c.line, parsed), c.ok) << c.line;
        if (c.ok)
            EXPECT_EQ(parsed, c.parsed) << c.line;
    }
    // Every byte value survives a round trip, and an escaped burst never breaks the line.
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string line = FormatSessionLine({'S', 3, all});
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    SSessionLine back;
    ASSERT_TRUE(ParseSessionLine(line, back));
    EXPECT_EQ(back.bytes, all);
}

TEST(SessionLog, ReadsOnlyWellFormedRegularFiles)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("session-log-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    auto write = [&](const char* name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return (dir / name).string();
    };
    std::vector<SSessionLine> lines;
    std::string error;
    EXPECT_TRUE(ReadSessionLog(write("good.log", "# 0 serving\n\nR 1 a\\r\\n\nS 2 b\r\n"), lines, error)) << error;
    EXPECT_EQ(lines.size(), 3u);
    const struct { std::string path; const char* says; } bad[] = {
        {(dir / "missing.log").string(), "no such file"},
        {dir.string(), "not a regular file"},
#ifndef _WIN32
        {"/dev/zero", "not a regular file"},
#endif
        {write("bad.log", "R 1 a\ngarbage\n"), "line 2"},
    };
    for (const auto& b : bad) {
        EXPECT_FALSE(ReadSessionLog(b.path, lines, error)) << b.path;
        EXPECT_NE(error.find(b.says), std::string::npos) << error;
        EXPECT_TRUE(lines.empty());
    }
    // The writer flushes each line and stops for good after a failed write.
    CSessionLogWriter writer;
    EXPECT_FALSE(writer.Open((dir / "no" / "such.log").string()));
    ASSERT_TRUE(writer.Open((dir / "w.log").string()));
    writer.Bytes('R', 4, "$JI\r\n");
    writer.Bytes('S', 5, "");
    writer.Event(6, "port closed");
    ASSERT_TRUE(ReadSessionLog((dir / "w.log").string(), lines, error)) << error;
    EXPECT_EQ(lines, (std::vector<SSessionLine>{{'R', 4, "$JI\r\n"}, {'#', 6, "port closed"}}));
#ifdef __linux__
    ASSERT_TRUE(writer.Open("/dev/full"));
    writer.Event(1, "x");
    EXPECT_TRUE(writer.Failed());
    EXPECT_FALSE(writer.IsOpen());
#endif
    writer.Close();  // Windows removes no file that is still open
    fs::remove_all(dir);
}

std::vector<std::pair<EWireDirection, std::string>> Rows(const CWireLog& log)
{
    std::vector<std::pair<EWireDirection, std::string>> rows;
    for (const SWireRow& row : log.Since(0).rows)
        rows.emplace_back(row.direction, row.bytes);
    return rows;
}

TEST(WireLog, RowsFollowSentencesBurstsAndPauses)
{
    using D = EWireDirection;
    const auto t0 = Clock::now();
    struct SStep { D direction; std::string bytes; int atMs; };
    const struct {
        const char* name;
        std::vector<SStep> steps;
        std::vector<std::pair<D, std::string>> rows;
    } cases[] = {
        {"a sentence in pieces stays one row",
         {{D::Received, "$KBA", 0}, {D::Received, "SE,1\r", 10}, {D::Received, "\n$K", 20}},
         {{D::Received, "$KBASE,1\r\n"}, {D::Received, "$K"}}},
        {"two sentences in one read are two rows; a lone CR ends one",
         {{D::Received, "OK\r\nA\rB", 0}}, {{D::Received, "OK\r\n"}, {D::Received, "A\r"}, {D::Received, "B"}}},
        {"a CR at the end of a read, then no LF",
         {{D::Received, "OK\r", 0}, {D::Received, "X", 5}}, {{D::Received, "OK\r"}, {D::Received, "X"}}},
        {"an open run ends after 100 ms",
         {{D::Received, "ab", 0}, {D::Received, "cd", 150}}, {{D::Received, "ab"}, {D::Received, "cd"}}},
        {"sending ends an open run; each write is a row",
         {{D::Received, "ab", 0}, {D::Sent, "$JI\r\n", 1}, {D::Sent, "+++", 2}, {D::Received, "cd", 3}},
         {{D::Received, "ab"}, {D::Sent, "$JI\r\n"}, {D::Sent, "+++"}, {D::Received, "cd"}}},
        {"NUL and high bytes are bytes like any other",
         {{D::Received, std::string("\0\x80\xff\n", 4), 0}}, {{D::Received, std::string("\0\x80\xff\n", 4)}}},
    };
    for (const auto& c : cases) {
        CWireLog log;
        for (const SStep& s : c.steps)
            log.OnWire(s.direction, s.bytes, t0 + milliseconds(s.atMs));
        EXPECT_EQ(Rows(log), c.rows) << c.name;
    }
}

TEST(WireLog, StaysBoundedUnderFlood)
{
    CWireLog log;
    const auto t0 = Clock::now();
    // 64 KiB without a line end: rows of at most MaxRowBytes, nothing lost.
    log.OnWire(EWireDirection::Received, std::string(64 * 1024, 'x'), t0);
    EXPECT_EQ(log.Size(), 64 * 1024 / CWireLog::MaxRowBytes);
    // A million rows: the last MaxRows are kept, the rest counted.
    for (int i = 0; i < 1000000; ++i)
        log.OnWire(EWireDirection::Sent, "$KBASE,VOLTAGE\r\n", t0);
    EXPECT_EQ(log.Size(), CWireLog::MaxRows);
    EXPECT_EQ(log.Dropped(), 1000000 + 16 - CWireLog::MaxRows);
    const auto tail = log.Since(log.Dropped() + CWireLog::MaxRows - 1);
    ASSERT_EQ(tail.rows.size(), 1u);
    EXPECT_EQ(tail.first, 1000000 + 15u);
    // Large rows: the byte budget holds too.
    for (int i = 0; i < 20000; ++i)
        log.OnWire(EWireDirection::Received, std::string(CWireLog::MaxRowBytes, 'y'), t0);
    EXPECT_LE(log.Size() * CWireLog::MaxRowBytes, CWireLog::MaxBytes);
    log.Clear();
    EXPECT_EQ(log.Size(), 0u);
    EXPECT_NE(log.Since(0).generation, 0u);
}

TEST(WireLog, TextShowsEveryByte)
{
    EXPECT_EQ(WireBytesText(std::string("$A,1\r\n\x00\x1b\xff", 9)), "$A,1\u240D\u240A\u27E800\u27E9\u27E81B\u27E9\u27E8FF\u27E9");
    EXPECT_EQ(WireBytesHex("+\r\n"), "2B 0D 0A");
    EXPECT_EQ(WireRowLine({12345, EWireDirection::Sent, "$JI\r\n"}, false), "12.345 TX $JI\u240D\u240A");
    EXPECT_EQ(WireRowLine({7, EWireDirection::Received, "OK"}, true), "0.007 RX 4F 4B");
    EXPECT_EQ(WireRowLine({0, EWireDirection::Event, "port opened COM5"}, true), "0.000 -- port opened COM5");
}

// Two threads using the tap (the UI and a rover's polling thread) each see their own bytes in
// order, and the recording takes the device's side: what was sent is R, what came is S.
TEST(WireTap, TwoThreadsKeepTheirOrderAndRecordingTakesTheDevicesSide)
{
    CWireTap tap;
    tap.Received("lost", 4);  // nobody watching: only the time is kept
    EXPECT_NE(tap.LastReceived(), Clock::time_point{});
    CWireLog log;
    tap.Add(&log);
    tap.Event("port opened COM5");
    auto run = [&tap](char tag) {
        for (int i = 0; i < 2000; ++i) {
            const std::string line = std::string(1, tag) + std::to_string(i) + "\n";
            (tag == 'a' ? tap.Sent(line.data(), line.size()) : tap.Received(line.data(), line.size()));
        }
    };
    std::thread other(run, 'b');
    run('a');
    other.join();
    int next[2] = {0, 0};
    for (const SWireRow& row : log.Since(1).rows) {
        const int who = row.direction == EWireDirection::Sent ? 0 : 1;
        EXPECT_EQ(row.bytes, std::string(1, who ? 'b' : 'a') + std::to_string(next[who]++) + "\n");
    }
    EXPECT_EQ(next[0], 2000);
    EXPECT_EQ(next[1], 2000);

    const std::string path = (std::filesystem::temp_directory_path() / ("wire-rec-" + std::to_string(::getpid()) + ".log")).string();
    CWireRecorder recorder;
    ASSERT_TRUE(recorder.Start(path));
    tap.Add(&recorder);
    tap.Sent("$JAPP\r\n", 7);
    tap.Received("$>JAPP,RTKBAS,DIFF\r\n", 20);
    tap.Remove(&recorder);
    recorder.Stop();
    std::vector<SSessionLine> lines;
    std::string error;
    ASSERT_TRUE(ReadSessionLog(path, lines, error)) << error;
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].kind, 'R');
    EXPECT_EQ(lines[1].bytes, "$JAPP\r\n");
    EXPECT_EQ(lines[2].kind, 'S');
    EXPECT_EQ(lines[3].kind, '#');
    std::filesystem::remove(path);
}

} // namespace
