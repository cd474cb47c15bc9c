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
using V = std::vector<std::string>;

TEST(Satel, ChannelsAndReplies)
{
    // Every channel survives the trip through its three-decimal text and back, whatever the locale.
    const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    for (int channel = 0; channel <= MaxChannel; ++channel) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "%d.%03d", 433 + channel / 40, channel % 40 * 25);
        EXPECT_EQ(FrequencyText(FrequencyOfChannel(channel)), expected);
        EXPECT_EQ(ChannelOfFrequency(*FrequencyFromValue(expected)), channel) << expected;
    }
    if (german)
        std::setlocale(LC_ALL, "C");
    const std::pair<double, std::optional<int>> channels[] = {
        {434.013, 41}, {434.012, 40}, {434.0125, 41}, {435.0, 80}, {432.9, std::nullopt}, {435.1, std::nullopt}};
    for (const auto& [megahertz, channel] : channels)
        EXPECT_EQ(ChannelOfFrequency(megahertz), channel) << megahertz;
    EXPECT_EQ(FrequencyFromValue("MHz"), std::nullopt);

    const std::pair<std::string, std::string> frequencies[] = {
        {"434.12500 MHz 434.12500 MHz\r\n", "434.12500"},
        {"434.1MHz  \r\n", "434.1MHz"},  // the marker within the first ten: from the start
        {"OK\r\n434.12500 MHz\r\n", "434.12500"},
        {"ERROR\r\nERROR\r\n", ""}};
    for (const auto& [reply, value] : frequencies) {
        CFakeRadioLink link;
        link.Respond = [&](const std::string&, bool) { return reply; };
        EXPECT_EQ(RunQuery(link, QueryFrequency, MarkerRule(FrequencyMarker)).Value, value) << reply;
    }

    const std::pair<const char*, std::optional<std::string>> signals[] = {
        {"dBm-78 dBm\r\n", "-78dBm"}, {"dBm<-110 dBm\r\ndBm<-110 dBm\r\n", "-110dBm"},
        {"RSSI -95 dBm\r\n", "RSSI -95 dBmdBm"},  // one marker: the whole reply
        {"-95dBm", std::nullopt}, {"no marker\r\n", std::nullopt}};
    for (const auto& [reply, text] : signals)
        EXPECT_EQ(SignalText(reply), text) << reply;
}

TEST(Satel, Commits)
{
    auto texts = [](const std::vector<SCommitStep>& steps) {
        V out;
        for (const auto& s : steps)
            out.push_back(s.Text + "/" + std::to_string(s.PauseAfterMs));
        return out;
    };
    EXPECT_EQ(texts(BaseCommit(FrequencyOfChannel(41), 500)),
              (V{"SL&F=434.025/100", "SL&F=434.025/100", "SL@P=500/100", "SL@P=500/300", "SL**>/20"}));
    EXPECT_EQ(texts(RoverCommit(FrequencyOfChannel(80))), (V{"SL&F=435.000/100", "SL&F=435.000/300", "SL**>/20"}));

    // One "OK" of a pair is enough; a pair with none stops the commit before "SL**>".
    std::string last;
    const std::pair<std::function<std::string(const std::string&)>, std::size_t> cases[] = {
        {[&](const std::string& s) { return std::exchange(last, s) == s || s == Store ? "OK\r\n" : "ERROR\r\n"; }, 5},
        {[](const std::string& s) { return s.rfind("SL@P", 0) == 0 ? "ERROR\r\n" : "OK\r\n"; }, 4},
        {[](const std::string&) { return ""; }, 2}};
    for (const auto& [answer, sent] : cases) {
        CFakeRadioLink link;
        link.Respond = [&](const std::string& s, bool) { return answer(s); };
        EXPECT_EQ(RunCommit(link, BaseCommit(434.0, 1000)).Ok, sent == 5);
        EXPECT_EQ(link.SentTexts().size(), sent);
    }
}

TEST(Satel, SignalPoll)
{
    CFakeRadioLink link;
    const char* answer = "dBm-78 dBm\r\n";
    link.ReplyDelayMs = 30;
    link.Respond = [&](const std::string& sent, bool) { return sent == QuerySignal ? answer : ""; };
    CSignalPoll poll(link);
    // Runs the poll as the dialog's timer does: wait as long as it asks, then Advance.
    auto run = [&](long long untilMs) {
        V shown;
        for (int next = 0; next >= 0 && link.NowMs() + std::max(next, 1) <= untilMs;) {
            link.Pause(std::max(next, 1));
            next = poll.Advance();
            if (auto text = poll.TakeSignalText())
                shown.push_back(*text);
        }
        return shown;
    };
    EXPECT_EQ(poll.Advance(), -1);
    poll.Start(100);
    // Three requests 200, 200 and 100 ms apart, then reads until the radio is quiet.
    EXPECT_EQ(run(1000), V{"-78dBm"});
    std::vector<long long> at;
    for (const auto& s : link.Sent())
        at.push_back(s.AtMs);
    EXPECT_EQ(at, (std::vector<long long>{100, 300, 500}));
    EXPECT_EQ(link.Purges, 1);
    // Every 2 s from the start of a reading; a reply without "dBm" leaves the text alone.
    answer = "dBm<-110 dBm\r\n";
    EXPECT_EQ(run(3000), V{"-110dBm"});
    EXPECT_EQ(link.Sent()[3].AtMs, 2100);
    answer = "nothing\r\n";
    EXPECT_TRUE(run(5000).empty());
    // A flood is cut at 4 KiB; a stop sends and reads nothing more.
    link.Arrive(std::string(100000, 'x'));
    link.ChunkSize = 1024;
    poll.Start(0);
    run(5600);
    EXPECT_EQ(link.Sent().size(), 12u);
    poll.Stop();
    link.Pause(5000);
    EXPECT_EQ(poll.Advance(), -1);
    EXPECT_EQ(link.Sent().size(), 12u);
}

}  // namespace
