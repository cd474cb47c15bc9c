#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "connection/connect_wizard.h"
#include "connection/model.h"
#include "ui/string_table.h"

namespace {

// Records what the wizard does, in one event list, and plays back replies one read at a time.
class FakeHost : public CWizardHost {
public:
    explicit FakeHost(CModel& model) : m_Model(model) {}

    bool OpenPort(int port, int baud) override
    {
        Events.push_back("open " + std::to_string(port) + " " + std::to_string(baud));
        return Open = true;
    }
    bool IsPortOpen() const override { return Open; }
    void WriteLine(std::string_view s) override
    {
        Events.push_back("line " + std::string(s));
        KindAtSend.push_back(m_Model.GetReceiverKind());
    }
    void WriteRaw(std::string_view s) override { Events.push_back("raw " + std::string(s)); }
    void Pause(int ms) override { Events.push_back("pause " + std::to_string(ms)); }
    int Read(char* buffer, int maximum) override
    {
        ++Reads;
        const std::string r = Replies.empty() ? "" : Replies.front();
        if (!Replies.empty())
            Replies.pop_front();
        const int n = std::min<int>(maximum, static_cast<int>(r.size()));
        std::memcpy(buffer, r.data(), n);
        return n;
    }
    void StepProgress() override { ++Steps; }
    void ShowStarted() override {}
    void ShowResult(const SConnectResult& r) override { ++Results; Last = r; }

    // The events that start with one of the prefixes.
    std::vector<std::string> Only(std::initializer_list<const char*> prefixes) const
    {
        std::vector<std::string> out;
        for (const auto& e : Events)
            if (std::any_of(prefixes.begin(), prefixes.end(), [&](const char* p) { return e.rfind(p, 0) == 0; }))
                out.push_back(e);
        return out;
    }

    bool Open = false;
    std::vector<std::string> Events;
    std::vector<int> KindAtSend;
    std::deque<std::string> Replies;
    int Reads = 0, Steps = 0, Results = 0;
    SConnectResult Last;

private:
    CModel& m_Model;
};

struct WizardRun {
    CModel model;
    FakeHost host{model};
    explicit WizardRun(int mode, std::deque<std::string> replies = {})
    {
        model.SetModeCode(mode);
        model.SetPortNumber(3);
        model.SetBaudRate(19200);
        host.Replies = std::move(replies);
        WizardCounters::Finish() = 0;
        WizardCounters::Progress() = 0;
    }
    // Ticks until the run finishes; returns the number of ticks.
    int Complete() { return Complete(host); }
    int Complete(FakeHost& with)
    {
        CConnectWizard wizard(&model, &with);
        int ticks = 1;
        while (wizard.Tick())
            ++ticks;
        EXPECT_FALSE(wizard.Tick());  // a finished run does nothing more
        EXPECT_EQ(with.Results, 1);
        return ticks;
    }
};

}  // namespace

// The bytes themselves are checked end to end against the simulator; here the pauses between them.
TEST(ConnectWizard, BaseConfigurationPausesAndForgetsTheReceiverJustBeforeAsking)
{
    WizardRun r(ModeCodes::BaseConfiguration, {"$>JAPP,RTKBAS,LOCDIF\r\n"});
    r.model.SetReceiverKind(ReceiverKinds::Rover);  // left over from an earlier run
    EXPECT_EQ(r.Complete(), 1);
    EXPECT_EQ(r.host.Events.front(), "open 3 19200");
    // Four after the opening sentences, one between the "$JAPP"s, the read's.
    EXPECT_EQ(r.host.Only({"pause"}), (std::vector<std::string>{"pause 20", "pause 20", "pause 20", "pause 40",
                                                                 "pause 20", "pause 100"}));
    EXPECT_EQ(r.host.KindAtSend[3], ReceiverKinds::Rover);  // "$KBASE,PASSTHROUGH,0"
    EXPECT_EQ(r.host.KindAtSend[4], ReceiverKinds::Unknown);  // the first "$JAPP"
    EXPECT_EQ(r.model.GetReceiverKind(), ReceiverKinds::Base);
    EXPECT_EQ(r.host.Last.TextId, 167);
    EXPECT_EQ(WizardCounters::Finish(), 0);
}

TEST(ConnectWizard, BaseConfigurationWithNoReplyIsDecidedAtTheFirstTick)
{
    WizardRun r(ModeCodes::BaseConfiguration);
    EXPECT_EQ(r.Complete(), 1);
    EXPECT_EQ(r.host.Last.TextId, StringIds::NoAnswerOnPort);  // silence, not a wrong device
    EXPECT_FALSE(r.host.Last.Success);
}

TEST(ConnectWizard, RadioProbesWaitTheirGuardTimes)
{
    WizardRun r(ModeCodes::RadioConfiguration, {"$>JAPP,RTKBAS\r\nOK\r\nMHX920\r\n"});
    EXPECT_EQ(r.Complete(), 1);
    const auto at = std::find(r.host.Events.begin(), r.host.Events.end(), "raw +++");
    ASSERT_NE(at, r.host.Events.end());
    EXPECT_EQ(*(at - 1), "pause 1200");
    EXPECT_EQ(*(at + 1), "pause 1200");
    int paused = 0;
    for (const auto& e : r.host.Only({"pause"}))
        paused += std::stoi(e.substr(6));
    EXPECT_EQ(paused, 120 + 2720 + 100);
    EXPECT_EQ(r.host.Last.TextId, 162);
}

TEST(ConnectWizard, RadioFoundOnALaterTickEndsThatTick)
{
    WizardRun r(ModeCodes::RadioConfiguration, {"$>JAPP,LOCRTK\r\n", "", "Fi", "rmware\r\n"});
    EXPECT_EQ(r.Complete(), 4);
    EXPECT_EQ(r.model.GetModeCode(), ModeCodes::MaxstreamRover);
    EXPECT_EQ(r.host.Last.TextId, 163);
}

TEST(ConnectWizard, DirectConnectionOpensAtNineThousandSixHundred)
{
    struct Case { int mode; const char* reply; int expectedMode; int textId; } cases[] = {
        {ModeCodes::DirectBase, "\r\nMHX920\r\n", ModeCodes::MicrohardBase, 162},
        // No receiver: no Maxstream or Satel mode, and the status says so.
        {ModeCodes::DirectRover, "Firm 1.0\r\n", ModeCodes::DirectRover, StringIds::DirectNeedsMicrohard},
        {ModeCodes::DirectBase, "SATELLINE 438.000 MHz\r\n", ModeCodes::DirectBase, StringIds::DirectNeedsMicrohard},
        {ModeCodes::DirectBase, "", ModeCodes::DirectBase, StringIds::NoAnswerOnPort},
        {ModeCodes::DirectBase, "?\r\n", ModeCodes::DirectBase, 164},
    };
    for (const auto& c : cases) {
        WizardRun r(c.mode, {c.reply});
        EXPECT_EQ(r.Complete(), 1);
        EXPECT_EQ(r.host.Events.front(), "open 3 9600");
        EXPECT_EQ(r.model.GetModeCode(), c.expectedMode);
        EXPECT_EQ(r.host.Last.TextId, c.textId);
    }
}

TEST(ConnectWizard, ResultTableCoversEveryMode)
{
    EXPECT_EQ(EvaluateConnectResult(false, ModeCodes::MicrohardBase, ReceiverKinds::Base).TextId, 168);
    for (int mode : {114, 115, 117, 119, 120, 122})
        EXPECT_TRUE(EvaluateConnectResult(true, mode, ReceiverKinds::Unknown).Success) << mode;
    EXPECT_EQ(EvaluateConnectResult(true, 123, ReceiverKinds::Base).TextId, 164);
    EXPECT_EQ(EvaluateConnectResult(true, 124, ReceiverKinds::Base).TextId, 167);
    EXPECT_EQ(EvaluateConnectResult(true, 124, ReceiverKinds::Unknown).TextId, 166);
    EXPECT_EQ(EvaluateConnectResult(true, 0, ReceiverKinds::Base).TextId, 0);
    // Nothing at all on the line says so, whatever was asked; a port that did not open stays as it was.
    for (int mode : {123, 124, 125, 126}) {
        const SConnectResult silent = EvaluateConnectResult(true, mode, ReceiverKinds::Unknown, false, false);
        EXPECT_EQ(silent.TextId, StringIds::NoAnswerOnPort) << mode;
        EXPECT_EQ(FormatConnectStatus(silent, "No answer on COM%1.", 7), "No answer on COM7.");
    }
    EXPECT_EQ(EvaluateConnectResult(false, 124, ReceiverKinds::Unknown, false, false).TextId, 168);
    EXPECT_TRUE(EvaluateConnectResult(true, ModeCodes::MicrohardBase, ReceiverKinds::Unknown, false, false).Success);
    for (int mode : {125, 126}) {
        EXPECT_EQ(EvaluateConnectResult(true, mode, ReceiverKinds::Base).TextId, 164);
        EXPECT_EQ(EvaluateConnectResult(true, mode, ReceiverKinds::Unknown, true).TextId, 350);
        EXPECT_FALSE(EvaluateConnectResult(true, mode, ReceiverKinds::Base, true).Success);
    }
}

TEST(ConnectWizard, SilentRadioProbesOnceAndTheProgressCounterOutlivesTheRun)
{
    WizardRun r(ModeCodes::RadioConfiguration);
    EXPECT_EQ(r.Complete(), WizardTiming::MaxTicks);
    EXPECT_EQ(r.host.Reads, 8);
    EXPECT_EQ(r.host.Only({"line", "raw"}).size(), 16u);
    EXPECT_EQ(r.host.Last.TextId, StringIds::NoAnswerOnPort);
    EXPECT_EQ(r.host.Steps, 0);  // the bar holds still for the process's first fifteen ticks
    EXPECT_EQ(WizardCounters::Progress(), 8);

    // The next run's eighth tick is the process's sixteenth.
    FakeHost second(r.model);
    r.model.SetModeCode(ModeCodes::RadioConfiguration);
    r.Complete(second);
    EXPECT_EQ(second.Steps, 1);
    EXPECT_EQ(WizardCounters::Progress(), 17);
}
