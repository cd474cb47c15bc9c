// The Maxstream dialect: ID and hexadecimal readings, commit lines, signal cycles.
#include <gtest/gtest.h>

#include "radio/maxstream_dialect.h"
#include "support/fake_radio_link.h"

namespace {

using namespace Maxstream;

TEST(Maxstream, Readings)
{
    const std::pair<const char*, std::optional<int>> ids[] = {
        {"3", 3}, {"0", 0}, {"9", 9}, {"09", 9}, {"A", std::nullopt}, {"10", std::nullopt}, {"", std::nullopt},
        {"x", std::nullopt}, {"-1", std::nullopt}, {"FFFFFFFFFFFF", std::nullopt}};
    for (const auto& [value, id] : ids)
        EXPECT_EQ(RadioIdFromValue(value), id) << value;

    const std::pair<const char*, int> hex[] = {
        {"1a\r", 26}, {"1A\r", 26}, {"1234567\r", 0x123456}, {"1a", -1}, {"\r", 0}, {"", -1}, {"1g\r", -1},
        {"\x81\r", -1}, {"12345678", 0x123456}};
    for (const auto& [text, value] : hex)
        EXPECT_EQ(HexReading(text, 5), value) << text;
    EXPECT_EQ(HexReading("5A\r", 3), 90);
    EXPECT_EQ(HexReading("12345\r", 3), 0x1234);

    const std::pair<int, std::optional<std::string>> shown[] = {
        {90, "-90 dBm"}, {119, "-119 dBm"}, {120, "No Signal"}, {150, "No Signal"}, {0, std::nullopt}, {-1, std::nullopt}};
    for (const auto& [level, text] : shown)
        EXPECT_EQ(SignalText(level), text) << level;
}

TEST(Maxstream, ValueQuery)
{
    struct SCase {
        const char* Name;
        std::string Reply;
        std::size_t Chunk;
        bool Ok;
        std::string Value;
    };
    const SCase cases[] = {
        {"first line", "3\rOK\r", SIZE_MAX, true, "3"},
        {"in pieces", "3\r", 2, true, "3"},
        {"byte by byte is never gathered", "3\r", 1, false, ""},
        {"a leading CR is never a value", "\r3\r", SIZE_MAX, false, "3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        CFakeRadioLink link;
        link.ChunkSize = c.Chunk;
        link.Respond = [&](const std::string& sent, bool) { return sent == QueryRadioId ? c.Reply : ""; };
        const SQueryResult r = RunQuery(link, QueryRadioId, ValueRule());
        EXPECT_EQ(r.Ok, c.Ok);
        EXPECT_EQ(r.Ok ? r.Value : r.Reply, c.Value);
        EXPECT_EQ(link.SentTexts(), std::vector<std::string>{"ATDT?"});
    }
}

std::vector<std::string> Texts(const std::vector<SCommitStep>& steps)
{
    std::vector<std::string> out;
    for (const auto& s : steps)
        out.push_back(s.Text);
    return out;
}

TEST(Maxstream, Commits)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(Texts(BaseCommit(5)),
              (V{"ATRE", "ATDT=5", "ATHP=5", "ATBR=0", "ATRR=0", "ATMT=0", "ATTX=1", "ATPL=4", "ATCT=C8", "ATWR"}));
    EXPECT_EQ(Texts(RoverCommit(0)),
              (V{"+++", "ATRE", "ATDT=0", "ATHP=0", "ATBR=0", "ATRR=0", "ATMT=0", "ATPL=4", "ATCT=C8", "ATWR"}));
    const auto rover = RoverCommit(0);
    EXPECT_TRUE(rover[0].Raw);
    EXPECT_EQ(rover[0].PauseBeforeMs, 1200);
    EXPECT_EQ(rover[0].PauseAfterMs, 1200);
    EXPECT_EQ(rover[1].PauseAfterMs, 0);  // "ATRE" without a pause on the rover
    EXPECT_EQ(BaseCommit(0)[0].PauseAfterMs, 20);

    // The first line the radio refuses ends the commit: "ATWR" never follows it.
    CFakeRadioLink link;
    link.Respond = [](const std::string& sent, bool) { return sent == "ATHP=4" ? "ERROR\r" : "OK\r"; };
    const SCommitResult r = RunCommit(link, BaseCommit(4));
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Command, "ATHP=4");
    EXPECT_EQ(r.Answer, "ERROR");
    EXPECT_EQ(link.SentTexts(), (V{"ATRE", "ATDT=4", "ATHP=4"}));
    CFakeRadioLink good;
    good.Respond = [](const std::string&, bool) { return std::string("OK\r"); };
    EXPECT_TRUE(RunCommit(good, RoverCommit(4)).Ok);
    EXPECT_EQ(good.SentTexts().size(), 10u);
}

TEST(Maxstream, SignalCycles)
{
    struct SCase {
        const char* Name;
        std::string CountReply;
        std::string SignalReply;
        int CountBefore;
        int Level;  // from 7
        int CountAfter;
        std::vector<std::string> Sent;
    };
    const std::vector<std::string> both = {"+++", "ATGD", "ATDB", "ATCN"};
    const std::vector<std::string> countOnly = {"+++", "ATGD", "ATCN"};
    const SCase cases[] = {
        {"moved count reads the signal", "1A40\r", "5A\r", -1, 90, 0x1A40, both},
        {"unchanged count is nothing heard", "1A40\r", "5A\r", 0x1A40, 150, 0x1A40, countOnly},
        {"unreadable count is no reading", "1A4", "5A\r", -1, 7, -1, countOnly},
        {"no answer is no reading", "", "5A\r", 12, 7, 12, countOnly},
        {"unreadable signal is ignored by the display", "1A41\r", "zz\r", 0x1A40, -1, 0x1A41, both},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        CFakeRadioLink link;
        link.ReplyDelayMs = 50;
        link.Respond = [&](const std::string& sent, bool) {
            return sent == "+++" ? std::string("OK\r") : sent == "ATGD" ? c.CountReply : sent == "ATDB" ? c.SignalReply : "";
        };
        std::atomic<int> level{7};
        std::atomic<int> count{c.CountBefore};
        SignalCycle(link, level, count);
        EXPECT_EQ(level, c.Level);
        EXPECT_EQ(count, c.CountAfter);
        EXPECT_EQ(link.SentTexts(), c.Sent);
        EXPECT_EQ(link.Sent()[0].AtMs, 1200);
        EXPECT_EQ(link.Sent()[1].AtMs, 2600);  // guard time, then 200 ms before the stale bytes go
    }

    // A stop asked while "ATDB" is answered leaves the reading alone and sends nothing more.
    CFakeRadioLink link;
    link.StopAtMs = 2750;
    link.ReplyDelayMs = 300;
    link.Respond = [](const std::string& sent, bool) { return sent == "ATGD" ? std::string("1\r") : "5A\r"; };
    link.ReplyDelayMs = 0;
    std::atomic<int> level{7};
    std::atomic<int> count{-1};
    SignalCycle(link, level, count);
    EXPECT_EQ(level, 7);
    EXPECT_EQ(link.SentTexts(), (std::vector<std::string>{"+++", "ATGD", "ATDB"}));
}

}  // namespace
