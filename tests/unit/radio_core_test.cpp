// The shared radio machinery: query and collect, acknowledged commits, the polling thread.
#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <thread>

#include "radio/radio_commit.h"
#include "radio/radio_query.h"
#include "radio/radio_timing.h"
#include "radio/signal_poller.h"
#include "support/fake_radio_link.h"

namespace {

// A rule like Maxstream's: the first line once a CR ends it.
SQueryRule FirstLineRule()
{
    SQueryRule rule;
    rule.Threshold = 1;
    rule.Extract = [](std::string_view text) {
        const auto cr = text.find('\r');
        return cr == std::string_view::npos ? std::string() : std::string(text.substr(0, cr));
    };
    rule.OverflowReply = [](std::string_view text) { return FirstCharacters(text, 20); };
    return rule;
}

struct SQueryCase {
    const char* Name;
    std::string Reply;
    std::size_t Chunk;
    int DelayMs;
    bool Ok;
    bool Overflow;
    std::string Value;   // or the reply text when failing
    long long MaxMs;     // the query ends by then
};

TEST(RadioQuery, CollectRule)
{
    const std::string flood(6000, 'x');
    const SQueryCase cases[] = {
        {"whole reply", "A\r", SIZE_MAX, 0, true, false, "A", 100},
        {"late reply", "7\r", SIZE_MAX, 1500, true, false, "7", 1600},
        {"one byte per read is never collected", "7\r", 1, 0, false, false, "", 2000},
        {"pieces: parsed once complete", "12345\r", 3, 0, true, false, "12345", 200},
        {"no answer", "", SIZE_MAX, 0, false, false, "", 2000},
        {"answer after the deadline", "7\r", SIZE_MAX, 2100, false, false, "", 2000},
        {"flood ends at once with the overflow reply", flood, SIZE_MAX, 0, false, true,
         std::string(20, 'x'), 700},
        {"unfinished line shows as plain text", "AB\n\x01" "C", SIZE_MAX, 0, false, false, "AB C", 2000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        CFakeRadioLink link;
        link.ChunkSize = c.Chunk;
        link.ReplyDelayMs = c.DelayMs;
        link.Respond = [&](const std::string& sent, bool line) {
            EXPECT_TRUE(line);
            EXPECT_EQ(sent, "ATDT");
            return c.Reply;
        };
        const SQueryResult r = RunQuery(link, "ATDT", FirstLineRule());
        EXPECT_EQ(r.Ok, c.Ok);
        EXPECT_EQ(r.Overflow, c.Overflow);
        EXPECT_EQ(c.Ok ? r.Value : r.Reply, c.Value);
        EXPECT_LE(link.NowMs(), c.MaxMs);
        EXPECT_EQ(link.Purges, 1);
        EXPECT_LT(r.Received.size(), RadioTiming::QueryOverflow + RadioTiming::QueryReadSize);
    }
}

TEST(RadioQuery, ThresholdIsExclusive)
{
    // Nine bytes never reach a rule with threshold 9; ten do.
    for (const auto& [reply, ok] : {std::pair{std::string("123456789"), false}, {std::string("1234567890"), true}}) {
        CFakeRadioLink link;
        link.Respond = [&](const std::string&, bool) { return reply; };
        SQueryRule rule;
        rule.Threshold = 9;
        rule.Extract = [](std::string_view t) { return std::string(t); };
        EXPECT_EQ(RunQuery(link, "X", rule).Ok, ok) << reply;
    }
}

TEST(RadioText, PlainAndNumbers)
{
    EXPECT_EQ(PlainRadioText("\r\nv1.56 build\r\n\r\nOK\r\n", 60), "v1.56 build OK");
    EXPECT_EQ(PlainRadioText("\x1b[2Jabc\x7f\xff", 60), "[2Jabc");
    EXPECT_EQ(PlainRadioText(std::string(100, 'a'), 10), std::string(10, 'a'));
    EXPECT_EQ(PlainRadioText("", 10), "");
    const std::pair<const char*, long long> numbers[] = {
        {"105", 105}, {" 42x", 42}, {"-7", -7}, {"+3", 3}, {"abc", 0}, {"", 0},
        {"99999999999999999999", 2147483647},
    };
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(LeadingInteger(text), value) << text;
}

// Echo then OK, as a Microhard answers; "ERROR" for anything containing "BAD".
std::string EchoRadio(const std::string& sent, bool line)
{
    if (!line)
        return "\r\nOK\r\n";
    return sent + "\r" + (sent.find("BAD") != std::string::npos ? "\r\nERROR\r\n" : "\r\nOK\r\n");
}

SCommitStep Step(std::string text, int pause, bool ack = true, int group = 0)
{
    SCommitStep s;
    s.Text = text;
    s.PauseAfterMs = pause;
    if (ack)
        s.Acknowledged = EchoThen(text, "OK");
    s.Group = group;
    return s;
}

TEST(RadioCommit, StopsAtTheFirstUnacknowledgedCommand)
{
    struct SCase {
        const char* Name;
        std::vector<SCommitStep> Steps;
        bool Ok;
        std::size_t Sent;
        const char* Failed;
    };
    SCommitStep escape;
    escape.Text = "+++";
    escape.Raw = true;
    escape.PauseBeforeMs = escape.PauseAfterMs = 1200;
    escape.Acknowledged = AnswerContains("OK");
    const SCase cases[] = {
        {"all acknowledged", {escape, Step("ATS104=105", 20), Step("AT&W", 20), Step("$JCONN,X", 20, false)}, true, 4, ""},
        {"error stops before the store", {Step("ATS104BAD", 20), Step("AT&W", 20)}, false, 1, "ATS104BAD"},
        {"pair: one of two suffices", {Step("SL&BAD", 20, true, 1), Step("SL&F", 20, true, 1), Step("AT&W", 20)}, true, 3, ""},
        {"pair: neither fails", {Step("SL&BAD1", 20, true, 1), Step("SL&BAD2", 20, true, 1), Step("AT&W", 20)}, false, 2, "SL&BAD1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        CFakeRadioLink link;
        link.ReplyDelayMs = 5;
        link.Respond = EchoRadio;
        const SCommitResult r = RunCommit(link, c.Steps);
        EXPECT_EQ(r.Ok, c.Ok);
        EXPECT_EQ(r.StepsSent, c.Sent);
        EXPECT_EQ(r.Command, c.Failed);
        if (!c.Ok) {
            EXPECT_EQ(r.Answer, std::string(c.Failed) + " ERROR");
        }
        const auto sent = link.Sent();
        ASSERT_EQ(sent.size(), c.Sent);
        for (std::size_t i = 0; i < sent.size(); ++i) {
            EXPECT_EQ(sent[i].Text, c.Steps[i].Text);
            EXPECT_EQ(sent[i].Line, !c.Steps[i].Raw);
            if (i > 0) {  // at least the pauses asked for, in order
                EXPECT_GE(sent[i].AtMs - sent[i - 1].AtMs, c.Steps[i - 1].PauseAfterMs + c.Steps[i].PauseBeforeMs);
            }
        }
        if (c.Ok && c.Steps.front().Raw) {
            EXPECT_EQ(sent.front().AtMs, 1200);
        }
    }
}

TEST(RadioCommit, SilentRadioFailsAfterTheWait)
{
    CFakeRadioLink link;
    const SCommitResult r = RunCommit(link, {Step("ATS104=101", 20), Step("AT&W", 20)});
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.StepsSent, 1u);
    EXPECT_EQ(r.Answer, "");
    EXPECT_GE(link.NowMs(), 1020);
    EXPECT_LT(link.NowMs(), 1100);
}

TEST(SignalPoller, RunsCyclesUntilStoppedThenReturnsToDataMode)
{
    CFakeRadioLink link;
    link.RealSleep = true;
    std::atomic<int> cycles{0};
    CSignalPoller poller;
    EXPECT_TRUE(poller.Finished());
    poller.Start(
        link,
        [&](CRadioLink& l, std::atomic<int>& level) {
            l.Pause(5);
            if (l.StopRequested())
                return;
            l.WriteLine("ATS123?");
            level = 60 + ++cycles;
        },
        "ATO", 0);
    for (int i = 0; i < 400 && cycles < 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(poller.SignalLevel(), 63);
    poller.RequestStop();
    EXPECT_EQ(poller.State().StopState.load() == SPollState::Running, false);
    poller.Join();
    EXPECT_TRUE(poller.Finished());
    const auto texts = link.SentTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), "ATO");
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "ATO"), 1);
    // Restartable; the destructor stops and joins.
    poller.Start(link, [](CRadioLink& l, std::atomic<int>&) { l.Pause(5); }, "ATCN", -1);
    EXPECT_EQ(poller.SignalLevel(), -1);
}

// A bounded stop: a thread that finishes in time is joined; one stuck in a call is detached at the
// limit, keeps the link it shares alive, and once released never reaches the link again.
TEST(SignalPoller, StopWithinJoinsOrDetachesAStuckThread)
{
    const auto sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    {
        auto link = std::make_shared<CFakeRadioLink>();
        link->RealSleep = true;
        CSignalPoller poller;
        poller.Start(link, [](CRadioLink& l, std::atomic<int>&) { l.Pause(5); }, "ATO", 0);
        EXPECT_TRUE(poller.StopWithin(RadioTiming::StopWaitMs, sleep, 5));
        EXPECT_FALSE(poller.Running());
        EXPECT_EQ(link->SentTexts(), (std::vector<std::string>{"ATO"}));
        EXPECT_EQ(link.use_count(), 1);
    }
    auto link = std::make_shared<CFakeRadioLink>();
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> stuck{false};
    std::atomic<bool> done{false};
    int waits = 0;
    {
        CSignalPoller poller;
        poller.Start(
            link,
            [&, released](CRadioLink& l, std::atomic<int>& level) {
                l.WriteLine("ATS123?");
                stuck = true;
                released.wait();  // a driver call that does not return
                l.WriteLine("late");
                l.Purge();
                level = 99;
                done = true;
            },
            "ATO", 7);
        for (int i = 0; i < 400 && !stuck; ++i)
            sleep(5);
        ASSERT_TRUE(stuck);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(poller.StopWithin(200, [&](int ms) { ++waits; sleep(ms); }, 20));
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_GE(took, std::chrono::milliseconds(200));
        EXPECT_LT(took, std::chrono::milliseconds(1500));
        EXPECT_GE(waits, 5);
        EXPECT_FALSE(poller.Running());
        EXPECT_TRUE(poller.Finished());
        EXPECT_EQ(poller.SignalLevel(), 7);
    }  // destroyed while the thread is still stuck: nothing to join
    const int purges = link->Purges;
    EXPECT_GT(link.use_count(), 1);  // the thread still holds the link
    release.set_value();
    for (int i = 0; i < 400 && link.use_count() > 1; ++i)
        sleep(5);
    EXPECT_EQ(link.use_count(), 1);  // the thread ended and let it go
    EXPECT_EQ(link->SentTexts(), (std::vector<std::string>{"ATS123?"}));  // no "late", no "ATO"
    EXPECT_EQ(link->Purges, purges);
    EXPECT_TRUE(done);
}

}  // namespace
