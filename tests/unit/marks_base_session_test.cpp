#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "connection/model.h"
#include "marks/base_session.h"
#include "marks/base_texts.h"
#include "marks/voltage_log.h"

namespace {

using namespace std::chrono_literals;
using Clock = CBaseSession::Clock;

// Records each sentence with the fake time it went out, and hands out queued replies one per read.
struct FakeHost : CBaseSessionHost {
    int Read(char* buffer, int maximum) override
    {
        if (Replies.empty())
            return 0;
        std::string r = Replies.front();
        Replies.pop_front();
        const int n = std::min<int>(maximum, static_cast<int>(r.size()));
        std::memcpy(buffer, r.data(), n);
        return n;
    }
    void WriteLine(std::string_view s) override { Sent.push_back({std::string(s), Now}); }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> out;
        for (const auto& s : Sent)
            out.push_back(s.Text);
        return out;
    }
    struct Line {
        std::string Text;
        Clock::duration At;
    };
    std::deque<std::string> Replies;
    std::vector<Line> Sent;
    Clock::duration Now{};
};

class BaseSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        BaseCounters::PollCounter() = 0;
        BaseCounters::PollIndex() = 0;
    }
    // Ticks every 10 ms of fake time up to `until`.
    SBaseTickResult RunUntil(Clock::duration until)
    {
        SBaseTickResult last;
        while (Host.Now < until) {
            Host.Now += 10ms;
            last = Session.Tick(T0 + Host.Now);
        }
        return last;
    }
    const Clock::time_point T0{};
    CModel Model;
    FakeHost Host;
    CVoltageLog Log;
    CBaseSession Session{&Model, &Host, &Log};
};

TEST_F(BaseSessionTest, OpeningRequestsGoOutTwentyMillisecondsApartThenTheRotationStartsAfter51Ticks)
{
    Session.Start(T0);
    EXPECT_FALSE(Session.OpeningDone());
    RunUntil(100ms);
    ASSERT_TRUE(Session.OpeningDone());
    const char* opening[] = {"$JRTK,17", "$KBASE,CONFIG", "$KBASE,MARKS", "$KBASE,VERSION", "$KBASE,BOOTVERSION", "$JI"};
    ASSERT_EQ(Host.Sent.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Host.Sent[i].Text, opening[i]);
        EXPECT_EQ(Host.Sent[i].At, i * 20ms);
    }
    // Tick 51 is quiet, tick 52 asks for the peak SNR; then one request every 51 ticks.
    RunUntil(510ms);
    EXPECT_EQ(Host.Sent.size(), 6u);
    RunUntil(520ms);
    ASSERT_EQ(Host.Sent.size(), 7u);
    EXPECT_EQ(Host.Sent.back().Text, "$KBASE,PEAKSNR");
    RunUntil(520ms + 51 * 10ms);
    EXPECT_EQ(Host.Sent.back().Text, "$KBASE,SATS");
    EXPECT_EQ(Host.Sent.back().At, 1030ms);

    // A second opening continues the rotation where the first stopped.
    FakeHost second;
    CBaseSession again(&Model, &second, &Log);
    again.Start(T0);
    for (int i = 0; i < 60; ++i)
        again.Tick(T0 + i * 10ms);
    EXPECT_EQ(second.Texts().back(), "$KBASE,STDEV");

    // After a reconnect the same requests go out but the marks: the operator's list is kept.
    FakeHost third;
    CBaseSession reopened(&Model, &third, &Log);
    reopened.Restart(T0);
    for (int i = 1; i <= 12; ++i)
        reopened.Tick(T0 + i * 10ms);
    EXPECT_TRUE(reopened.OpeningDone());
    EXPECT_EQ(third.Texts(), (std::vector<std::string>{"$JRTK,17", "$KBASE,CONFIG", "$KBASE,VERSION",
                                                       "$KBASE,BOOTVERSION", "$JI"}));
}

TEST_F(BaseSessionTest, LinesShowNotAvailableUntilReportedThenTheBasesValues)
{
    CBaseTexts t;
    const CBaseSettings& s = Session.Settings();
    const CBaseStatus& st = Session.Status();
    auto all = [&] {
        const unsigned r = Session.ReportedMask();
        return std::vector<std::string>{t.PowerSource(s, r),      t.Satellites(s, r),       t.StandardDeviation(s, r),
                                        t.PeakSnr(s, r),          t.WarningLevel(s),        t.CriticalLevel(s),
                                        t.Discharge(s),           t.BatteryVoltage(st, r),  t.BatteryRemaining(st, r),
                                        t.BatteryState(st, r)};
    };
    EXPECT_EQ(all(), (std::vector<std::string>{"Power Source: N/A", "Satellites: N/A", "Standard Deviation: N/A",
                                               "Peak SNR: N/A", "Warning Level: 12.00V", "Critical Level: 11.00V",
                                               "Discharge:  500Minutes/V", "Battery Voltage: N/A",
                                               "Battery Remaining: N/A", "Battery State: N/A"}));
    Session.Start(T0);
    RunUntil(100ms);
    // A value that reads as NaN or infinity is no report.
    for (const char* reply : {"$KBASE,VOLTAGE,nan", "$KBASE,STDEV,inf", "$KBASE,VOLTAGE,-Infinity"})
        Session.OnSentence(reply);
    EXPECT_EQ(t.BatteryVoltage(st, Session.ReportedMask()), "Battery Voltage: N/A");
    EXPECT_EQ(t.StandardDeviation(s, Session.ReportedMask()), "Standard Deviation: N/A");
    // A first report of the value the record already held (0 satellites) still replaces N/A.
    Host.Replies = {"$KBASE,PSOURCE,1\r\n$KBASE,SATS,0\r\n$KBASE,STDEV,1.234\r\n$KBASE,PEAKSNR,46\r\n",
                    "$KBASE,INTBATVWARN,12.5\r\n$KBASE,INTBATVCRITICAL,10.75\r\n$KBASE,INTBATDR,750\r\n",
                    "$KBASE,VOLTAGE,12.90\r\n$KBASE,BATTIME,95,1\r\n"};
    const auto settings = RunUntil(110ms);
    EXPECT_TRUE(settings.SettingsChanged);
    EXPECT_FALSE(settings.ListChanged);  // status never rebuilds the list
    RunUntil(120ms);
    const auto power = RunUntil(130ms);
    EXPECT_TRUE(power.PowerChanged);
    EXPECT_FALSE(power.ListChanged);
    EXPECT_EQ(all(), (std::vector<std::string>{"Power Source: Internal Battery", "Satellites: 0",
                                               "Standard Deviation: 1.23 m", "Peak SNR: 46dB",
                                               "Warning Level: 12.50V", "Critical Level: 10.75V",
                                               "Discharge:  750Minutes/V", "Battery Voltage: 12.90V",
                                               "Battery Remaining: 95 Minutes", "Battery State: Low Battery"}));
    struct {
        const char* Reply;
        const char* State;
    } states[] = {{"$KBASE,BATTIME,5,2", "Battery State: Critical"}, {"$KBASE,BATTIME,95,3", "Battery State: Operational"},
                  {"$KBASE,BATTIME,120", "Battery State: Operational"}};
    for (const auto& c : states) {
        Session.OnSentence(c.Reply);
        EXPECT_EQ(t.BatteryState(st, Session.ReportedMask()), c.State) << c.Reply;
    }
    Session.OnSentence("$KBASE,PSOURCE,0");
    EXPECT_EQ(t.PowerSource(s, Session.ReportedMask()), "Power Source: External Power");

    // The base's about box.
    EXPECT_EQ(CBaseTexts::FirmwareLine(Model), "Base Firmware vN/A");
    Session.OnSentence("$KBASE,VERSION,1.4");
    Session.OnSentence("$KBASE,BOOTVERSION,1.05");
    EXPECT_EQ(CBaseTexts::FirmwareLine(Model), "Base Firmware v1.4");
    EXPECT_EQ(CBaseTexts::BootloaderLine(Model), "Base Bootloader v1.05");
    EXPECT_EQ(CBaseTexts::GpsEngineLine(Model), "GPS Engine vN/A");
    EXPECT_EQ(CBaseTexts::SubscriptionLine(Model), "GPS Subscription: None");

    // "New": no marks, default levels.
    Session.Settings().SetModified(false);
    Session.New();
    EXPECT_TRUE(Session.Marks().IsEmpty());
    EXPECT_EQ(t.WarningLevel(s), "Warning Level: 12.00V");
    EXPECT_TRUE(RunUntil(140ms).SettingsChanged);
}

TEST_F(BaseSessionTest, RowsMarkTheNumericallyEqualReferenceAndIgnoreControlCharacters)
{
    Session.Start(T0);
    Host.Replies = {"$KBASE,MARKS,51.5,-1.25,100\r\n$KBASE,MARKS,52,0.1,20\r\n$KBASE,MARKS,1\t2,3,4\r\n"
                    "$>JRTK,17,51.500000,-1.2500000,100.0\r\n"};
    EXPECT_TRUE(RunUntil(10ms).ListChanged);
    EXPECT_FALSE(RunUntil(20ms).ListChanged);
    const auto rows = CBaseTexts::MarkRows(Session.Marks(), Session.ReferencePosition());
    ASSERT_EQ(rows.size(), 2u);  // the sentence with a tab is dropped
    EXPECT_EQ(CBaseTexts::ListLine(rows[0]), "\t1\t51.5\t-1.25\t100\t*");
    EXPECT_EQ(CBaseTexts::ListLine(rows[1]), "\t2\t52\t0.1\t20");

    // A reference that moves off every mark still redraws, so "*" disappears.
    Host.Replies = {"$>JRTK,17,10,10,10\r\n"};
    EXPECT_TRUE(RunUntil(30ms).ListChanged);
    EXPECT_EQ(CBaseTexts::MarkRows(Session.Marks(), Session.ReferencePosition())[0].InUse, "");
}

TEST_F(BaseSessionTest, OneReadAddsAtMostTenThousandNewMarksAndSaysSo)
{
    Session.Marks().AddMark("-1", "0", "0");
    Session.ReadCoordinates();
    for (std::size_t i = 0; i <= BaseTiming::MaxMarksPerRead; ++i)
        Session.OnSentence("$KBASE,MARKS," + std::to_string(i) + ",0,0");
    Session.OnSentence("$KBASE,MARKS,-1.0,0,0");  // listed already: still counts
    EXPECT_EQ(Session.Marks().Size(), BaseTiming::MaxMarksPerRead + 1);
    EXPECT_EQ(Session.Marks().begin()->GetLatitude(), "0");
    EXPECT_TRUE(Session.Tick(T0).MarksCapped);
    EXPECT_FALSE(Session.Tick(T0 + 10ms).MarksCapped);
    Session.ReadCoordinates();  // the next read may add again
    Session.OnSentence("$KBASE,MARKS,20000,0,0");
    EXPECT_EQ(Session.Marks().Size(), BaseTiming::MaxMarksPerRead + 2);
}

TEST_F(BaseSessionTest, UnsendableMarksAreFoundBeforeAnythingIsSent)
{
    struct {
        CMark Mark;
        bool Sendable;
    } cases[] = {
        {{"51.5", "-1.25", "100"}, true},     {{"51.5", "-1.25", "1,00"}, true},
        {{"51,5", "-1.25", "100"}, false},    {{"51.5", "-1,25", "100"}, false},
        {{"51.5", "-1.25", "1$00"}, false},   {{"51.5\r\n$KBASE,CLEARMARKS", "0", "0"}, false},
        {{"51.5", "\x7f", "100"}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CBaseSession::IsSendable(c.Mark), c.Sendable) << c.Mark.GetLatitude() << " " << c.Mark.GetLongitude();

    Session.Marks().AddMark("1", "2", "3");
    Session.Marks().AddMark("4", "5$", "6");
    EXPECT_EQ(Session.FindUnsendableMark(), 1u);
    EXPECT_EQ(CBaseTexts().UnsendableMark(1, CMark("4\n", "5$", "6")).substr(0, 20), "Mark 2 (4?, 5$, 6) c");
}

TEST_F(BaseSessionTest, WriteRunFollowsTheBoxTimelineThenCountsWhatTheBaseReturns)
{
    for (const char* lat : {"1", "2", "3"})
        Session.Marks().AddMark(lat, "0", "0");
    // The box's timer: each delay, then one step.
    CWritePacer pacer;
    Clock::duration t{};
    do
        t += std::chrono::milliseconds(pacer.NextDelayMs()), Host.Now = t;
    while (Session.WriteStep(T0 + t));
    EXPECT_EQ(t, 6100ms);
    EXPECT_FALSE(Session.WriteRunning());
    const std::vector<std::pair<std::string, Clock::duration>> expected = {
        {"$KBASE,CLEARMARKS", 100ms},       {"$KBASE,ADDMARK,1,0,0", 3100ms}, {"$KBASE,ADDMARK,2,0,0", 4100ms},
        {"$KBASE,ADDMARK,3,0,0", 5100ms}, {"$JRTK,17", 6100ms},              {"$KBASE,MARKS", 6100ms}};
    ASSERT_EQ(Host.Sent.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Host.Sent[i].Text, expected[i].first);
        EXPECT_EQ(Host.Sent[i].At, expected[i].second);
    }

    // The whole list the base holds is compared with the one written, by value and as multisets,
    // once the 3 s are over; a mark the base formats its own way counts as the listed one.
    const struct {
        const char* Replies;
        const char* Text;
        bool Confirmed;
        std::size_t Listed;  // marks in the list afterwards
    } cases[] = {
        {"$KBASE,MARKS,1.000000,0.0000000000,0\r\n$KBASE,MARKS,2,0,0.00001\r\n$KBASE,MARKS,3,-0,0\r\n",
         "The base confirmed 3 of 3 marks.", true, 3},
        {"$KBASE,MARKS,1,0,0\r\n$KBASE,MARKS,46.5,8.25,400\r\n$KBASE,MARKS,2,0,0\r\n$KBASE,MARKS,1,0,0\r\n"
         "$KBASE,MARKS,3,0,0\r\n",
         "The base holds 5 marks: 2 more than written, including 46.5, 8.25, 400.", false, 4},
        {"$KBASE,MARKS,1,0,0\r\n$KBASE,MARKS,3,0,0.00009\r\n",
         "The base holds 2 marks: 1 fewer than written, missing 2, 0, 0.", false, 3},
        {"$KBASE,MARKS,1,0,0\r\n$KBASE,MARKS,3,0,0\r\n$KBASE,MARKS,2.00000001,0,0\r\n",
         "The base holds 3 marks, not the 3 written: 1 not written, including 2.00000001, 0, 0; 1 missing, "
         "including 2, 0, 0.", false, 4},
    };
    for (const auto& c : cases) {
        Session.Marks().RemoveAll();
        for (const char* lat : {"1", "2", "3"})
            Session.Marks().AddMark(lat, "0", "0");
        while (Session.WriteStep(T0 + Host.Now)) {
        }
        const Clock::duration start = Host.Now;
        Host.Replies = {c.Replies};
        SBaseTickResult r;
        while (!r.Confirmation && Host.Now < start + 10s) {
            Host.Now += 10ms;
            r = Session.Tick(T0 + Host.Now);
        }
        ASSERT_TRUE(r.Confirmation) << c.Replies;
        EXPECT_EQ(Host.Now - start, 3000ms);
        EXPECT_EQ(ConfirmationText(CBaseTexts(), *r.Confirmation), c.Text);
        EXPECT_EQ(r.Confirmation->Confirmed(), c.Confirmed) << c.Text;
        // Marks equal by value are not added again, and keep their texts as typed.
        EXPECT_EQ(Session.Marks().Size(), c.Listed) << c.Text;
        EXPECT_TRUE(Session.Marks().Contains("1", "0", "0") && Session.Marks().Contains("3", "0", "0")) << c.Text;
    }
    Session.Marks().RemoveAll();
    for (const char* lat : {"1", "2", "3"})
        Session.Marks().AddMark(lat, "0", "0");

    // A run cut short starts afresh.
    Host.Sent.clear();
    Session.WriteStep(T0);
    Session.WriteStep(T0);
    Session.AbortWrite();
    Session.WriteStep(T0);
    EXPECT_EQ(Host.Texts(), (std::vector<std::string>{"$KBASE,CLEARMARKS", "$KBASE,ADDMARK,1,0,0", "$KBASE,CLEARMARKS"}));
}

}  // namespace
