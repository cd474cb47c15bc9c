#include <gtest/gtest.h>
#include <algorithm>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "connection/connect_wizard.h"
#include "connection/model.h"

namespace {

// Records what the wizard does, in one event list, and plays back replies one read at a time.
class FakeHost : public CWizardHost {
public:
    explicit FakeHost(CModel& model) : m_Model(model) {}

    bool OpenPort(int portNumber, int baudRate) override
    {
        Events.push_back("open " + std::to_string(portNumber) + " " + std::to_string(baudRate));
        Open = OpenSucceeds;
        return Open;
    }
    bool IsPortOpen() const override { return Open; }
    void WriteLine(std::string_view s) override
    {
        Events.push_back("line " + std::string(s));
        KindAtSend.push_back(m_Model.GetReceiverKind());
    }
    void WriteRaw(std::string_view s) override { Events.push_back("raw " + std::string(s)); }
    void Pause(int ms) override
    {
        Events.push_back("pause " + std::to_string(ms));
        PausedMs += ms;
    }
    int Read(char* buffer, int maximum) override
    {
        ++Reads;
        if (Replies.empty())
            return 0;
        std::string r = Replies.front();
        Replies.pop_front();
        const int n = std::min<int>(maximum, static_cast<int>(r.size()));
        std::memcpy(buffer, r.data(), n);
        return n;
    }
    void StepProgress() override { ++Steps; }
    void ShowStarted() override { Events.push_back("started"); }
    void ShowResult(const SConnectResult& r) override
    {
        ++Results;
        Last = r;
    }

    std::vector<std::string> Sent() const
    {
        std::vector<std::string> out;
        for (const auto& e : Events)
            if (e.rfind("line ", 0) == 0 || e.rfind("raw ", 0) == 0)
                out.push_back(e);
        return out;
    }

    bool OpenSucceeds = true;
    bool Open = false;
    std::vector<std::string> Events;
    std::vector<int> KindAtSend;
    std::deque<std::string> Replies;
    int PausedMs = 0;
    int Reads = 0;
    int Steps = 0;
    int Results = 0;
    SConnectResult Last;

private:
    CModel& m_Model;
};

struct WizardRun {
    CModel model;
    FakeHost host{model};
    explicit WizardRun(int mode, int port = 3)
    {
        model.SetModeCode(mode);
        model.SetPortNumber(port);
        model.SetBaudRate(19200);
        WizardCounters::Finish() = 0;
        WizardCounters::Progress() = 0;
    }
    // Ticks until the run finishes; returns the number of ticks.
    int Complete(CConnectWizard& wizard)
    {
        int ticks = 1;
        while (wizard.Tick())
            ++ticks;
        return ticks;
    }
};

const std::vector<std::string> Opening = {
    "line ATO", "line ATCN", "line $JCONN,X", "line $KBASE,PASSTHROUGH,0", "line $JAPP", "line $JAPP",
};

}  // namespace

TEST(ConnectWizard, BaseConfigurationSendsNoRadioProbesAndFinishesAtOnce)
{
    WizardRun r(ModeCodes::BaseConfiguration);
    r.model.SetReceiverKind(ReceiverKinds::Rover);  // left over from an earlier run
    r.host.Replies.push_back("$>JAPP,RTKBAS,LOCDIF\r\n");
    CConnectWizard wizard(&r.model, &r.host);

    EXPECT_FALSE(wizard.Tick());
    EXPECT_EQ(r.host.Events.front(), "open 3 19200");
    EXPECT_EQ(r.host.Sent(), Opening);
    // Every pause, in order: four after the opening sentences, one between the "$JAPP"s, the read's.
    std::vector<std::string> pauses;
    for (const auto& e : r.host.Events)
        if (e.rfind("pause", 0) == 0)
            pauses.push_back(e);
    EXPECT_EQ(pauses, (std::vector<std::string>{"pause 20", "pause 20", "pause 20", "pause 40",
                                                 "pause 20", "pause 100"}));
    // The receiver kind is forgotten just before "$JAPP", not before.
    EXPECT_EQ(r.host.KindAtSend[3], ReceiverKinds::Rover);
    EXPECT_EQ(r.host.KindAtSend[4], ReceiverKinds::Unknown);

    EXPECT_EQ(r.model.GetReceiverKind(), ReceiverKinds::Base);
    EXPECT_EQ(r.host.Results, 1);
    EXPECT_EQ(r.host.Last.TextId, 167);
    EXPECT_TRUE(r.host.Last.Success);
    EXPECT_EQ(WizardCounters::Finish(), 0);
    EXPECT_FALSE(wizard.Tick());  // a finished run does nothing more
    EXPECT_EQ(r.host.Reads, 1);
}

TEST(ConnectWizard, BaseConfigurationWithoutABaseIsAnInvalidMode)
{
    for (const char* reply : {"$>JAPP,WAAS,1\r\n", ""}) {
        WizardRun r(ModeCodes::BaseConfiguration);
        r.host.Replies.push_back(reply);
        CConnectWizard wizard(&r.model, &r.host);
        EXPECT_FALSE(wizard.Tick());
        EXPECT_EQ(r.host.Last.TextId, 166) << reply;
        EXPECT_FALSE(r.host.Last.Success);
    }
}

TEST(ConnectWizard, RadioProbesFollowInOrderWithTheirGuardTimes)
{
    WizardRun r(ModeCodes::RadioConfiguration);
    r.host.Replies.push_back("$>JAPP,RTKBAS\r\nOK\r\nMHX920\r\n");
    CConnectWizard wizard(&r.model, &r.host);
    EXPECT_FALSE(wizard.Tick());

    std::vector<std::string> expected = Opening;
    for (const char* s : {"line $KBASE,WATCHDOG,0", "line $KBASE,PASSTHROUGH,1", "line $JCONN,A,D",
                          "line $JCONN,B,D", "raw +++", "line ATVL", "line ATI255", "line SL&F?",
                          "line SL&F?", "line SL&F?"})
        expected.push_back(s);
    EXPECT_EQ(r.host.Sent(), expected);
    EXPECT_EQ(r.host.PausedMs, 120 + 2720 + 100);
    // "+++" is framed by the escape guard times.
    auto at = std::find(r.host.Events.begin(), r.host.Events.end(), "raw +++");
    ASSERT_NE(at, r.host.Events.end());
    EXPECT_EQ(*(at - 1), "pause 1200");
    EXPECT_EQ(*(at + 1), "pause 1200");

    EXPECT_EQ(r.model.GetModeCode(), ModeCodes::MicrohardBase);
    EXPECT_EQ(r.host.Last.TextId, 162);
    EXPECT_TRUE(r.host.Last.Success);
}

TEST(ConnectWizard, SilentRadioGivesUpAfterEightTicks)
{
    WizardRun r(ModeCodes::RadioConfiguration);
    CConnectWizard wizard(&r.model, &r.host);
    EXPECT_EQ(r.Complete(wizard), WizardTiming::MaxTicks);
    EXPECT_EQ(r.host.Reads, 8);
    EXPECT_EQ(r.host.Sent().size(), 16u);  // probes only once
    EXPECT_EQ(r.host.Last.TextId, 164);
    EXPECT_FALSE(r.host.Last.Success);
    EXPECT_EQ(r.host.Results, 1);
}

TEST(ConnectWizard, RadioFoundOnALaterTickEndsThatTick)
{
    WizardRun r(ModeCodes::RadioConfiguration);
    r.host.Replies = {"$>JAPP,LOCRTK\r\n", "", "Fi", "rmware\r\n"};
    CConnectWizard wizard(&r.model, &r.host);
    EXPECT_EQ(r.Complete(wizard), 4);
    EXPECT_EQ(r.model.GetModeCode(), ModeCodes::MaxstreamRover);
    EXPECT_EQ(r.host.Last.TextId, 163);
}

TEST(ConnectWizard, DirectConnectionOpensAtNineThousandSixHundred)
{
    WizardRun r(ModeCodes::DirectBase);
    r.host.Replies.push_back("\r\nMHX920\r\n");
    CConnectWizard wizard(&r.model, &r.host);
    EXPECT_FALSE(wizard.Tick());
    EXPECT_EQ(r.host.Events.front(), "open 3 9600");
    EXPECT_EQ(r.model.GetModeCode(), ModeCodes::MicrohardBase);
    EXPECT_EQ(r.host.Last.TextId, 162);

    WizardRun rover(ModeCodes::DirectRover);
    rover.host.Replies.push_back("Firm 1.0\r\n");  // no receiver, so no Maxstream mode
    CConnectWizard w2(&rover.model, &rover.host);
    EXPECT_FALSE(w2.Tick());
    EXPECT_EQ(rover.host.Events.front(), "open 3 9600");
    EXPECT_EQ(rover.model.GetModeCode(), ModeCodes::DirectRover);
    EXPECT_EQ(rover.host.Last.TextId, 0);  // status line stays "Connecting...."
    EXPECT_FALSE(rover.host.Last.Success);
}

TEST(ConnectWizard, PortThatDoesNotOpenIsReportedWithItsNumber)
{
    WizardRun r(ModeCodes::RadioConfiguration, 7);
    r.host.OpenSucceeds = false;
    CConnectWizard wizard(&r.model, &r.host);
    r.Complete(wizard);
    EXPECT_EQ(r.host.Last.TextId, 168);
    EXPECT_FALSE(r.host.Last.Success);
    EXPECT_EQ(FormatConnectStatus(r.host.Last, "Connection Failed on COM PORT", 7),
              "Connection Failed on COM PORT 7.");
    EXPECT_EQ(FormatConnectStatus({167, false, true}, "Connected to Base.", 7), "Connected to Base.");
}

TEST(ConnectWizard, ResultTableCoversEveryMode)
{
    EXPECT_EQ(EvaluateConnectResult(false, ModeCodes::MicrohardBase, ReceiverKinds::Base).TextId, 168);
    for (int mode : {114, 115, 117, 119, 120, 122})
        EXPECT_TRUE(EvaluateConnectResult(true, mode, ReceiverKinds::Unknown).Success) << mode;
    EXPECT_EQ(EvaluateConnectResult(true, 123, ReceiverKinds::Base).TextId, 164);
    EXPECT_EQ(EvaluateConnectResult(true, 124, ReceiverKinds::Base).TextId, 167);
    EXPECT_EQ(EvaluateConnectResult(true, 124, ReceiverKinds::Unknown).TextId, 166);
    for (int mode : {125, 126, 0}) {
        EXPECT_EQ(EvaluateConnectResult(true, mode, ReceiverKinds::Base).TextId, 0);
        EXPECT_FALSE(EvaluateConnectResult(true, mode, ReceiverKinds::Base).Success);
    }
}

TEST(ConnectWizard, ProgressBarHoldsStillForTheProcessFirstFifteenTicks)
{
    WizardRun r(ModeCodes::RadioConfiguration);
    CConnectWizard first(&r.model, &r.host);
    r.Complete(first);  // 8 ticks
    EXPECT_EQ(r.host.Steps, 0);
    EXPECT_EQ(WizardCounters::Progress(), 8);

    // The counter survives the run: the next run's eighth tick is the process's sixteenth.
    FakeHost host2(r.model);
    r.model.SetModeCode(ModeCodes::RadioConfiguration);
    CConnectWizard second(&r.model, &host2);
    r.Complete(second);
    EXPECT_EQ(host2.Steps, 1);
    EXPECT_EQ(WizardCounters::Progress(), 17);
}

TEST(ConnectWizard, ClosingSentencesUndoTheProbes)
{
    const std::vector<std::string_view> afterRadio = {
        "ATO", "ATCN", "$KBASE,PASSTHROUGH,0", "$JCONN,X", "$JBIN,1", "$JASC,DFX,1",
        "$JASC,GPGST,1", "$JASC,GPGGA,1", "$JASC,GPGSV,1", "$KBASE,WATCHDOG,1",
    };
    EXPECT_EQ(ClosingSentences(ModeCodes::SatelRover), afterRadio);
    EXPECT_EQ(ClosingSentences(ModeCodes::RadioConfiguration), afterRadio);
    EXPECT_EQ(ClosingSentences(ModeCodes::BaseConfiguration),
              std::vector<std::string_view>{"$KBASE,WATCHDOG,1"});
}
