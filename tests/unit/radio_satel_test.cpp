// The Satel dialect: channels and frequencies, the replies it reads, commit lines, and the
// timer-driven signal poll on a virtual clock.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <utility>

#include "radio/satel_dialect.h"
#include "support/fake_radio_link.h"

namespace {

using namespace Satel;

TEST(Satel, ChannelsAndFrequencies)
{
    // Every channel survives the trip through its three-decimal text and back.
    for (int channel = 0; channel <= MaxChannel; ++channel) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "%.3f", 433.0 + 0.025 * channel);
        const std::string text = FrequencyText(FrequencyOfChannel(channel));
        EXPECT_EQ(text, expected);
        EXPECT_EQ(ChannelOfFrequency(*FrequencyFromValue(text)), channel) << text;
    }
    const std::pair<double, std::optional<int>> cases[] = {
        {434.013, 41}, {434.012, 40}, {434.0125, 41}, {433.0, 0}, {435.0, 80},
        {432.9, std::nullopt}, {435.1, std::nullopt}, {0.0, std::nullopt}};
    for (const auto& [megahertz, channel] : cases)
        EXPECT_EQ(ChannelOfFrequency(megahertz), channel) << megahertz;

    // The decimal point stays a point whatever the locale.
    if (std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        EXPECT_EQ(FrequencyText(434.025), "434.025");
        std::setlocale(LC_ALL, "C");
    }
    EXPECT_EQ(FrequencyFromValue("434.12500"), 434.125);
    EXPECT_EQ(FrequencyFromValue(" 433.5MHz"), 433.5);
    EXPECT_EQ(FrequencyFromValue("MHz"), std::nullopt);
    EXPECT_EQ(FrequencyFromValue(""), std::nullopt);
}

TEST(Satel, Replies)
{
    struct SQuery {
        const char* Name;
        std::string Reply;
        bool Ok;
        std::string Value;
    };
    const SQuery queries[] = {
        {"ten characters before the marker", "434.12500 MHz 434.12500 MHz\r\n", true, "434.12500"},
        {"marker within the first ten", "434.1MHz  \r\n", true, "434.1MHz"},
        {"after an earlier line", "OK\r\n434.12500 MHz\r\n", true, "434.12500"},
        {"no marker", "ERROR\r\nERROR\r\n", false, "ERROR ERROR"},
    };
    for (const auto& q : queries) {
        SCOPED_TRACE(q.Name);
        CFakeRadioLink link;
        link.Respond = [&](const std::string&, bool) { return q.Reply; };
        const SQueryResult r = RunQuery(link, QueryFrequency, MarkerRule(FrequencyMarker));
        EXPECT_EQ(r.Ok, q.Ok);
        EXPECT_EQ(r.Ok ? r.Value : r.Reply, q.Value);
    }

    const std::pair<const char*, std::optional<std::string>> signals[] = {
        {"dBm-78 dBm\r\n", "-78dBm"},
        {"dBm<-110 dBm\r\ndBm<-110 dBm\r\n", "-110dBm"},
        {"RSSI -95 dBm\r\n", "RSSI -95 dBmdBm"},  // one marker: the whole reply
        {"-95dBm", std::nullopt},                 // one marker, too short to show whole
        {"dBm dBm", "dBm dBmdBm"},
        {"no marker\r\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [reply, text] : signals)
        EXPECT_EQ(SignalText(reply), text) << reply;
}

TEST(Satel, Commits)
{
    auto texts = [](const std::vector<SCommitStep>& steps) {
        std::vector<std::string> out;
        for (const auto& s : steps)
            out.push_back(s.Text + "/" + std::to_string(s.PauseAfterMs));
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(texts(BaseCommit(FrequencyOfChannel(41), 500)),
              (V{"SL&F=434.025/100", "SL&F=434.025/100", "SL@P=500/100", "SL@P=500/300", "SL**>/20"}));
    EXPECT_EQ(texts(RoverCommit(FrequencyOfChannel(80))), (V{"SL&F=435.000/100", "SL&F=435.000/300", "SL**>/20"}));

    // One "OK" of a pair is enough; a pair with none stops the commit before "SL**>".
    struct SCase {
        const char* Name;
        std::function<std::string(const std::string&)> Answer;
        bool Ok;
        std::size_t Sent;
    };
    std::string last;
    const SCase cases[] = {
        {"all acknowledged", [](const std::string&) { return "OK\r\n"; }, true, 5},
        {"one of each pair",
         [&](const std::string& s) { return std::exchange(last, s) == s || s == Store ? "OK\r\n" : "ERROR\r\n"; }, true, 5},
        {"power refused", [](const std::string& s) { return s.rfind("SL@P", 0) == 0 ? "ERROR\r\n" : "OK\r\n"; }, false, 4},
        {"silent radio", [](const std::string&) { return ""; }, false, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        CFakeRadioLink link;
        link.Respond = [&](const std::string& sent, bool) { return c.Answer(sent); };
        const SCommitResult r = RunCommit(link, BaseCommit(434.0, 1000));
        EXPECT_EQ(r.Ok, c.Ok);
        EXPECT_EQ(link.SentTexts().size(), c.Sent);
        EXPECT_EQ(link.SentTexts().back() == "SL**>", c.Ok);
    }
}

// Drives the poll as the dialog's timer would: wait as long as it asks, then Advance.
std::vector<std::string> RunPoll(CFakeRadioLink& link, CSignalPoll& poll, long long untilMs)
{
    std::vector<std::string> shown;
    int next = 0;
    while (next >= 0 && link.NowMs() + std::max(next, 1) <= untilMs) {
        link.Pause(std::max(next, 1));
        next = poll.Advance();
        if (auto text = poll.TakeSignalText())
            shown.push_back(*text);
    }
    return shown;
}

TEST(Satel, SignalPoll)
{
    CFakeRadioLink link;
    int answer = 0;
    const char* answers[] = {"dBm-78 dBm\r\n", "dBm<-110 dBm\r\n", "nothing\r\n"};
    link.ReplyDelayMs = 30;
    link.Respond = [&](const std::string& sent, bool) { return sent == QuerySignal ? answers[answer] : ""; };
    CSignalPoll poll(link);
    EXPECT_EQ(poll.Advance(), -1);
    poll.Start(100);

    // First reading 100 ms after the start: three requests 200, 200 and 100 ms apart, then reads
    // until the radio is quiet; nothing ever pauses inside the poll.
    EXPECT_EQ(RunPoll(link, poll, 1000), (std::vector<std::string>{"-78dBm"}));
    const auto sent = link.Sent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].AtMs, 100);
    EXPECT_EQ(sent[1].AtMs, 300);
    EXPECT_EQ(sent[2].AtMs, 500);
    EXPECT_EQ(link.Purges, 1);

    // Every 2 s from the start of a reading; a reply without "dBm" leaves the text alone.
    answer = 1;
    EXPECT_EQ(RunPoll(link, poll, 3000), (std::vector<std::string>{"-110dBm"}));
    EXPECT_EQ(link.Sent()[3].AtMs, 2100);
    answer = 2;
    EXPECT_TRUE(RunPoll(link, poll, 5000).empty());
    EXPECT_EQ(link.Sent().size(), 9u);

    // A flood is cut at 4 KiB and at 2 s; a stop mid-cycle sends and reads nothing more.
    link.Arrive(std::string(100000, 'x'), 0);
    link.ChunkSize = 1024;
    poll.Stop();
    poll.Start(0);
    RunPoll(link, poll, 5600);
    EXPECT_EQ(link.Sent().size(), 12u);
    poll.Stop();
    EXPECT_EQ(poll.Advance(), -1);
    link.Pause(5000);
    EXPECT_EQ(poll.Advance(), -1);
    EXPECT_EQ(link.Sent().size(), 12u);
}

}  // namespace
