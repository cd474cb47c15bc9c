#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "connection/mode_processor.h"
#include "serial/callback.h"
#include "serial/sentence_splitter.h"

class CModel;

// Timing of the wizard's timer.
namespace WizardTiming {
constexpr int FirstTickMs = 2;
constexpr int TickPeriodMs = 500;
constexpr int MaxTicks = 8;
constexpr int ReadPauseMs = 100;     // after the probes, before each read
constexpr int ReadSize = 1024;
constexpr int DirectBaudRate = 9600; // radios wired straight to the PC
constexpr int ProgressHoldTicks = 15; // the bar stays still until this many ticks in the process
}  // namespace WizardTiming

// What one step of the first tick does.
enum class EProbeAction {
    Line,            // WriteLine: the text and CR LF
    Raw,             // Write: the bytes alone
    ForgetReceiver,  // ReceiverKind becomes unknown, so only this run's "$JAPP" answer counts
};

struct SProbeStep {
    EProbeAction Action;
    std::string_view Text;
    int PauseAfterMs;
};

// The first tick's sends and pauses for a mode code: radios back to data mode and the base out of
// pass-through, then "$JAPP" twice, then (except for base configuration) the radio probes.
std::vector<SProbeStep> FirstTickSteps(int modeCode);

// What the main dialog sends, without pauses, when a connection ends: the counterparts of the
// radio probes (except after base configuration), then the watchdog back on.
std::vector<std::string_view> ClosingSentences(int modeCode);

// The baud rate the wizard opens the port with.
int WizardBaudRate(int modeCode, int modelBaudRate);

// The outcome shown at the end of a run.
struct SConnectResult {
    int TextId = 0;          // string-table id of the status line; 0 leaves it as it is
    bool AppendPort = false; // status is "%s %d." with the port number
    bool Success = false;    // "Next" may be pressed
    bool PortInText = false; // the text names the port as %1
};

// radioAnswered: some make's marker arrived, although no mode followed from it (a direct
// connection recognises only Microhard radios).
// anythingReceived: some byte arrived during the run; with none, nothing is on the line at all.
SConnectResult EvaluateConnectResult(bool portOpen, int modeCode, int receiverKind, bool radioAnswered = false,
                                     bool anythingReceived = true);
// The status line for a result, given the loaded text of its id.
std::string FormatConnectStatus(const SConnectResult& result, const std::string& text, int portNumber);

// Counters that live for the whole process, not for one wizard run.
namespace WizardCounters {
int& Finish();    // set back to 0 whenever a run finishes
int& Progress();  // never set back
}  // namespace WizardCounters

// What a tick needs from the port, the event loop and the window.
class CWizardHost {
public:
    virtual ~CWizardHost() = default;
    virtual bool OpenPort(int portNumber, int baudRate) = 0;
    virtual bool IsPortOpen() const = 0;
    // The device went away while probing (unplugged adapter); the run fails at once.
    virtual bool IsPortLost() const { return false; }
    virtual void WriteLine(std::string_view sentence) = 0;
    virtual void WriteRaw(std::string_view bytes) = 0;
    virtual void Pause(int milliseconds) = 0;  // keeps the window responsive
    virtual int Read(char* buffer, int maximum) = 0;
    virtual void StepProgress() = 0;
    virtual void ShowStarted() = 0;             // caption, button texts, "Connecting...."
    virtual void ShowResult(const SConnectResult& result) = 0;
};

// The wizard's run: one call of Tick per timer tick. Owns the mode processor and the splitter that
// feeds it, so each run starts with an empty accumulator.
class CConnectWizard {
public:
    CConnectWizard(CModel* model, CWizardHost* host);
    CConnectWizard(const CConnectWizard&) = delete;
    CConnectWizard& operator=(const CConnectWizard&) = delete;

    // Runs one tick. True: start the timer again with TickPeriodMs. False: the run has finished.
    bool Tick();

    int TickCount() const { return m_TickCount; }
    bool Started() const { return m_Started; }
    bool Finished() const { return m_Finished; }
    const SConnectResult& Result() const { return m_Result; }
    const CModeProcessor& Processor() const { return m_Processor; }

private:
    CModel* m_Model;
    CWizardHost* m_Host;
    int m_TickCount = 0;
    bool m_Started = false;
    bool m_Finished = false;
    SConnectResult m_Result;
    bool m_AnythingReceived = false;
    CModeProcessor m_Processor;
    TCallback<CModeProcessor> m_ChunkCallback;
    TCallback<CModeProcessor> m_SentenceCallback;
    TCallback<CModeProcessor> m_TextCallback;
    CSentenceSplitter m_Splitter;
    char m_Buffer[WizardTiming::ReadSize];
};
