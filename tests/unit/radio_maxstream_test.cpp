// The Maxstream dialect: ID and hexadecimal readings, commit lines, signal cycles.
#include <gtest/gtest.h>

#include "radio/maxstream_dialect.h"
#include "support/fake_radio_link.h"

namespace {

using namespace Maxstream;
using V = std::vector<std::string>;

TEST(Maxstream, Readings)
{
    const std::pair<const char*, std::optional<int>> ids[] = {
        {"3", 3}, {"09", 9}, {"A", std::nullopt}, {"10", std::nullopt}, {"", std::nullopt}, {"-1", std::nullopt},
        {"FFFFFFFFFFFF", std::nullopt}};
    for (const auto& [value, id] : ids)
        EXPECT_EQ(RadioIdFromValue(value), id) << value;
    const std::pair<const char*, int> hex[] = {{"1a\r", 26}, {"1A\r", 26}, {"1234567\r", 0x123456}, {"1a", -1},
                                               {"\r", 0}, {"", -1}, {"1g\r", -1}, {"\x81\r", -1}};
    for (const auto& [text, value] : hex)
        EXPECT_EQ(HexReading(text, 5), value) << text;
    EXPECT_EQ(HexReading("12345\r", 3), 0x1234);
    const std::pair<int, std::optional<std::string>> shown[] = {
        {90, "-90 dBm"}, {119, "-119 dBm"}, {120, "No Signal"}, {0, std::nullopt}, {-1, std::nullopt}};
    for (const auto& [level, text] : shown)
        EXPECT_EQ(SignalText(level), text) << level;

    // "ATDT?": the first line; never a line that begins with CR, never a reply byte by byte.
    const std::tuple<std::string, std::size_t, std::string> queries[] = {
        {"3\rOK\r", SIZE_MAX, "3"}, {"3\r", 2, "3"}, {"3\r", 1, ""}, {"\r3\r", SIZE_MAX, ""}};
    for (const auto& [reply, chunk, value] : queries) {
        CFakeRadioLink link;
        link.ChunkSize = chunk;
        link.Respond = [&](const std::string&, bool) { return reply; };
        const SQueryResult r = RunQuery(link, QueryRadioId, ValueRule());
        EXPECT_EQ(r.Value, value) << chunk;
        EXPECT_EQ(link.SentTexts(), V{"ATDT?"});
    }
}

std::vector<std::string> Texts(const std::vector<SCommitStep>& steps)
{
    std::vector<std::string> out;
    for (const auto& s : steps)
        out.push_back(s.Text + "/" + std::to_string(s.PauseAfterMs));
    return out;
}

TEST(Maxstream, Commits)
{
    EXPECT_EQ(Texts(BaseCommit(5)), (V{"ATRE/20", "ATDT=5/20", "ATHP=5/20", "ATBR=0/20", "ATRR=0/20", "ATMT=0/20",
                                       "ATTX=1/20", "ATPL=4/20", "ATCT=C8/20", "ATWR/0"}));
    EXPECT_EQ(Texts(RoverCommit(0)), (V{"+++/1200", "ATRE/0", "ATDT=0/20", "ATHP=0/20", "ATBR=0/20", "ATRR=0/20",
                                        "ATMT=0/20", "ATPL=4/20", "ATCT=C8/20", "ATWR/0"}));
    EXPECT_TRUE(RoverCommit(0)[0].Raw);
    EXPECT_EQ(RoverCommit(0)[0].PauseBeforeMs, 1200);

    // The first line the radio refuses ends the commit: "ATWR" never follows it.
    CFakeRadioLink link;
    link.Respond = [](const std::string& sent, bool) { return sent == "ATHP=4" ? "ERROR\r" : "OK\r"; };
    const SCommitResult r = RunCommit(link, BaseCommit(4));
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Command + " - " + r.Answer, "ATHP=4 - ERROR");
    EXPECT_EQ(link.SentTexts(), (V{"ATRE", "ATDT=4", "ATHP=4"}));
}

TEST(Maxstream, SignalCycles)
{
    struct SCase {
        const char* Name;
        std::string CountReply, SignalReply;
        int CountBefore, Level, CountAfter;  // the level starts at 7
        bool AsksSignal;
        long long StopAtMs = LLONG_MAX;
    };
    const SCase cases[] = {
        {"moved count reads the signal", "1A40\r", "5A\r", -1, 90, 0x1A40, true},
        {"unchanged count is nothing heard", "1A40\r", "5A\r", 0x1A40, 150, 0x1A40, false},
        // An unreadable count reads as -1 and is compared like any other: the first one matches
        // the start value, a later one counts as moved.
        {"first unreadable count is nothing heard", "1A4", "5A\r", -1, 150, -1, false},
        {"no answer after a count is a moved count", "", "5A\r", 12, 90, -1, true},
        {"unreadable signal is ignored by the display", "1A41\r", "zz\r", 0x1A40, -1, 0x1A41, true},
        {"stop while the signal is read", "1\r", "5A\r", -1, 7, 1, true, 2750},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        CFakeRadioLink link;
        link.StopAtMs = c.StopAtMs;
        link.Respond = [&](const std::string& sent, bool) {
            return sent == "ATGD" ? c.CountReply : sent == "ATDB" ? c.SignalReply : "OK\r";
        };
        std::atomic<int> level{7};
        std::atomic<int> count{c.CountBefore};
        SignalCycle(link, level, count);
        EXPECT_EQ(level, c.Level);
        EXPECT_EQ(count, c.CountAfter);
        V sent = {"+++", "ATGD"};
        if (c.AsksSignal)
            sent.push_back("ATDB");
        if (c.StopAtMs == LLONG_MAX)
            sent.push_back("ATCN");
        EXPECT_EQ(link.SentTexts(), sent);
        EXPECT_EQ(link.Sent()[0].AtMs, 1200);
        EXPECT_EQ(link.Sent()[1].AtMs, 2600);  // guard time, then 200 ms before the stale bytes go
    }
}

}  // namespace
