#include "connection/connect_wizard.h"

#include <iterator>

#include "base/base_commands.h"
#include "connection/model.h"
#include "ui/string_table.h"

namespace BC = BaseCommands;

std::vector<SProbeStep> FirstTickSteps(int modeCode)
{
    std::vector<SProbeStep> steps = {
        {EProbeAction::Line, BC::RadioOnline, 20},
        {EProbeAction::Line, BC::RadioCommandExit, 20},
        {EProbeAction::Line, BC::Disconnect, 20},
        {EProbeAction::Line, BC::PassthroughOff, 40},
        {EProbeAction::ForgetReceiver, {}, 0},
        {EProbeAction::Line, BC::Application, 20},
        {EProbeAction::Line, BC::Application, 0},
    };
    if (modeCode == ModeCodes::BaseConfiguration)
        return steps;
    // The long pauses around "+++" are the radios' guard times for the escape.
    const SProbeStep probes[] = {
        {EProbeAction::Line, BC::WatchdogOff, 20},
        {EProbeAction::Line, BC::PassthroughOn, 20},
        {EProbeAction::Line, BC::ConnectPortA, 100},
        {EProbeAction::Line, BC::ConnectPortB, 1200},
        {EProbeAction::Raw, BC::RadioEscape, 1200},
        {EProbeAction::Line, BC::RadioMaxstreamProbe, 20},
        {EProbeAction::Line, BC::RadioMicrohardProbe, 20},
        {EProbeAction::Line, BC::RadioSatelProbe, 60},
        {EProbeAction::Line, BC::RadioSatelProbe, 60},
        {EProbeAction::Line, BC::RadioSatelProbe, 20},
    };
    steps.insert(steps.end(), std::begin(probes), std::end(probes));
    return steps;
}

std::vector<std::string_view> ClosingSentences(int modeCode)
{
    std::vector<std::string_view> sentences;
    if (modeCode != ModeCodes::BaseConfiguration)
        sentences.assign(std::begin(BC::RestoreAfterRadio), std::end(BC::RestoreAfterRadio));
    sentences.push_back(BC::WatchdogOn);
    return sentences;
}

int WizardBaudRate(int modeCode, int modelBaudRate)
{
    if (modeCode == ModeCodes::DirectRover || modeCode == ModeCodes::DirectBase)
        return WizardTiming::DirectBaudRate;
    return modelBaudRate;
}

SConnectResult EvaluateConnectResult(bool portOpen, int modeCode, int receiverKind, bool radioAnswered,
                                     bool anythingReceived)
{
    if (!portOpen)
        return {StringIds::ConnectionFailedOnPort, true, false};
    if (const SRadioRule* rule = RadioRuleForMode(modeCode))
        return {rule->TextId, false, true};
    // Silence is a cable, power or port fault, not a wrong kind of device.
    const bool known = modeCode == ModeCodes::RadioConfiguration || modeCode == ModeCodes::BaseConfiguration ||
                       modeCode == ModeCodes::DirectRover || modeCode == ModeCodes::DirectBase;
    if (known && !anythingReceived)
        return {StringIds::NoAnswerOnPort, false, false, true};
    if (modeCode == ModeCodes::RadioConfiguration)
        return {StringIds::RadioNotResponding, false, false};
    if (modeCode == ModeCodes::BaseConfiguration) {
        if (receiverKind == ReceiverKinds::Base)
            return {StringIds::ConnectedToBase, false, true};
        return {StringIds::InvalidModeNeedsBase, false, false};
    }
    // A direct connection that recognised no Microhard radio: a Maxstream or Satel answered (their
    // modes need the receiver's kind), or nothing did. Either way the status must not stay
    // "Connecting....".
    if (modeCode == ModeCodes::DirectRover || modeCode == ModeCodes::DirectBase)
        return {radioAnswered ? StringIds::DirectNeedsMicrohard : StringIds::RadioNotResponding, false, false};
    return {};
}

std::string FormatConnectStatus(const SConnectResult& result, const std::string& text, int portNumber)
{
    if (result.PortInText) {
        std::string out = text;
        if (const auto at = out.find("%1"); at != std::string::npos)
            out.replace(at, 2, std::to_string(portNumber));
        return out;
    }
    if (!result.AppendPort)
        return text;
    return text + " " + std::to_string(portNumber) + ".";
}

namespace WizardCounters {
int& Finish()
{
    static int counter = 0;
    return counter;
}
int& Progress()
{
    static int counter = 0;
    return counter;
}
}  // namespace WizardCounters

CConnectWizard::CConnectWizard(CModel* model, CWizardHost* host)
    : m_Model(model),
      m_Host(host),
      m_Processor(model),
      m_ChunkCallback(&m_Processor, &CModeProcessor::IgnoreText),
      m_SentenceCallback(&m_Processor, &CModeProcessor::OnModeSentence),
      m_TextCallback(&m_Processor, &CModeProcessor::OnRadioText),
      m_Splitter(&m_SentenceCallback, &m_ChunkCallback, &m_TextCallback)
{
}

bool CConnectWizard::Tick()
{
    if (m_Finished)
        return false;

    int& progress = WizardCounters::Progress();
    if (++progress > WizardTiming::ProgressHoldTicks) {
        m_Host->StepProgress();
        ++progress;
    }

    if (!m_Started) {
        m_Started = true;
        const int mode = m_Model->GetModeCode();
        // A port that does not open is reported by the result; sends on it do nothing.
        m_Host->OpenPort(m_Model->GetPortNumber(), WizardBaudRate(mode, m_Model->GetBaudRate()));
        m_Host->ShowStarted();
        for (const SProbeStep& step : FirstTickSteps(mode)) {
            switch (step.Action) {
            case EProbeAction::Line: m_Host->WriteLine(step.Text); break;
            case EProbeAction::Raw: m_Host->WriteRaw(step.Text); break;
            case EProbeAction::ForgetReceiver: m_Model->SetReceiverKind(ReceiverKinds::Unknown); break;
            }
            if (step.PauseAfterMs > 0)
                m_Host->Pause(step.PauseAfterMs);
            if (m_Host->IsPortLost())
                break;
        }
    }

    ++m_TickCount;
    m_Host->Pause(WizardTiming::ReadPauseMs);
    const int received = m_Host->Read(m_Buffer, WizardTiming::ReadSize);
    if (received > 0) {
        m_AnythingReceived = true;
        m_Splitter.FeedChunk(m_Buffer, received);
    }

    // Only "Radio Configuration" waits for a radio over several ticks; a recognised radio changes
    // the mode code and so ends the run at the same tick.
    int& finish = WizardCounters::Finish();
    if (m_Model->GetModeCode() != ModeCodes::RadioConfiguration)
        ++finish;
    // A port gone mid-probe will not answer; waiting out the ticks would only delay the failure.
    const bool lost = m_Host->IsPortLost();
    if (finish >= 1 || lost || m_TickCount >= WizardTiming::MaxTicks) {
        int rules = 0;
        const SRadioRule* rule = RadioRules(&rules);
        bool answered = false;
        for (int i = 0; i < rules; ++i)
            answered = answered || m_Processor.Accumulator().find(rule[i].Marker) != std::string::npos;
        m_Result = EvaluateConnectResult(m_Host->IsPortOpen() && !lost, m_Model->GetModeCode(),
                                         m_Model->GetReceiverKind(), answered, m_AnythingReceived);
        m_Finished = true;
        finish = 0;
        m_Host->ShowResult(m_Result);
        return false;
    }
    return true;
}
