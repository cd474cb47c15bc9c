#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/base_settings.h"
#include "base/base_status.h"
#include "base/command_processor.h"
#include "gnss/nmea_parser.h"
#include "marks/mark.h"
#include "marks/mark_list.h"
#include "marks/mark_writer.h"
#include "serial/callback.h"
#include "serial/sentence_splitter.h"

class CModel;
class CVoltageLog;

namespace BaseTiming {
constexpr int TickMs = 10;
constexpr int OpeningPauseMs = 20;      // between the opening requests
constexpr int ReadSize = 1024;          // one tick's worth of received bytes
constexpr int PollAfterTicks = 50;      // a status request when the counter has passed this
constexpr int WriteFirstMs = 100;       // "$KBASE,CLEARMARKS"
constexpr int WriteSecondMs = 3000;     // the base needs time to clear before the first mark
constexpr int WriteNextMs = 1000;       // each further mark, and the end of the run
constexpr int ConfirmWithinMs = 3000;   // read-back after a write run
constexpr std::size_t MaxMarksPerRead = 10000;  // new marks one read of the base's list may add
}  // namespace BaseTiming

// Counters that pace the status requests; they live for the whole run of the program, so a second
// opening of the dialog continues the rotation where the first stopped.
namespace BaseCounters {
int& PollCounter();
int& PollIndex();
}  // namespace BaseCounters

// The delays of the writing box's timer: the first step, the second, then every further one.
class CWritePacer {
public:
    int NextDelayMs();
private:
    int m_Steps = 0;
};

// What the dialog needs from the port.
class CBaseSessionHost {
public:
    virtual ~CBaseSessionHost() = default;
    virtual int Read(char* buffer, int maximum) = 0;
    virtual void WriteLine(std::string_view sentence) = 0;
};

// The base's list, asked for again after a write, against the list written (by value, as multisets).
struct SWriteConfirmation {
    std::size_t Returned = 0;      // marks the base listed
    std::size_t Total = 0;         // marks written
    std::vector<CMark> Extra;      // listed but not written
    std::vector<CMark> Missing;    // written but not listed
    bool Confirmed() const { return Extra.empty() && Missing.empty(); }
};

class CBaseTexts;
// The line the dialog shows for a read-back.
std::string ConfirmationText(const CBaseTexts& texts, const SWriteConfirmation& confirmation);

// What one tick changed, so that the window redraws only that.
struct SBaseTickResult {
    bool ListChanged = false;      // marks or the reference position
    bool SettingsChanged = false;  // levels, discharge rate, GPS status, power source
    bool PowerChanged = false;     // voltage, remaining time, battery state
    bool OpeningDone = false;      // the last opening request went out in this tick
    std::optional<SWriteConfirmation> Confirmation;
    std::string LogError;          // the voltage log failed and is off
    bool MarksCapped = false;      // a read brought more than MaxMarksPerRead new marks; the rest were dropped
};

// Which values the base has reported since the dialog opened; until then their lines show "N/A".
namespace Reported {
constexpr unsigned PowerSource = 1u << 0;
constexpr unsigned Sats = 1u << 1;
constexpr unsigned StDev = 1u << 2;
constexpr unsigned PeakSnr = 1u << 3;
constexpr unsigned Voltage = 1u << 4;
constexpr unsigned BatteryTime = 1u << 5;
}  // namespace Reported

// The base configuration dialog's logic, without a window: the records the base's replies fill,
// the opening requests, one timer tick, reading and writing marks, and the read-back after a write.
// Owns the mark list, settings, status, reference position, parser and splitter for as long as the
// dialog is open; the dialog lends them to the dialogs it opens.
class CBaseSession {
public:
    using Clock = std::chrono::steady_clock;

    // log: the process-wide voltage log unless a test gives its own.
    CBaseSession(CModel* model, CBaseSessionHost* host, CVoltageLog* log = nullptr);
    CBaseSession(const CBaseSession&) = delete;
    CBaseSession& operator=(const CBaseSession&) = delete;

    // Sends the first opening request; the others follow in later ticks, OpeningPauseMs apart.
    void Start(Clock::time_point now);
    // The same after the port came back, without asking for the marks: the operator's list stays.
    void Restart(Clock::time_point now);
    bool OpeningDone() const { return m_OpeningNext >= OpeningCount(); }
    // One timer tick. Re-entry does nothing.
    SBaseTickResult Tick(Clock::time_point now);

    // "Read Coordinates": the reference position and the base's marks.
    void ReadCoordinates();

    // Index of the first mark that cannot go on the wire as it stands, if any.
    std::optional<std::size_t> FindUnsendableMark() const;
    // No control character or "$" anywhere, and no "," in a latitude or longitude.
    static bool IsSendable(const CMark& mark);
    // One step of a write run (the writing box's timer). True while the run goes on; the step that
    // ends it asks the base for its marks again and starts the read-back check.
    bool WriteStep(Clock::time_point now);
    bool WriteRunning() const { return m_Writer.IsRunning(); }
    // A run cut short: the next WriteStep starts afresh.
    void AbortWrite() { m_Writer.Reset(); }
    bool Confirming() const { return m_Confirming; }
    // The current run's progress: marks sent so far, marks in the run.
    std::size_t WriteSent() const { return m_Writer.Sent(); }
    std::size_t WriteTotal() const { return m_Writer.Total(); }
    // A run cut by a lost port: no read-back, since the base may hold only part of the list.
    void CancelConfirmation() { m_Confirming = false; }

    // The menu's "New": no marks, default settings.
    void New();

    unsigned ReportedMask() const { return m_Reported; }
    // Fed by this session's splitter (and by any dialog that feeds the splitter itself).
    void OnSentence(std::string sentence);

    CMarkList& Marks() { return m_Marks; }
    const CMarkList& Marks() const { return m_Marks; }
    // The marks the base listed since the latest request for its list, in its order: what it holds
    // as far as this program knows. The count goes up with every change.
    const std::vector<CMark>& BaseList() const { return m_BaseList; }
    std::size_t BaseListVersion() const { return m_BaseListVersion; }
    CBaseSettings& Settings() { return m_Settings; }
    CBaseStatus& Status() { return m_Status; }
    const CMark& ReferencePosition() const { return m_ReferencePosition; }
    CSentenceSplitter& Splitter() { return m_Splitter; }
    CCommandProcessor& Processor() { return m_Processor; }
    CVoltageLog& VoltageLog() { return *m_Log; }

    // The one way to the port for this dialog and those it opens.
    void Send(std::string_view sentence);

private:
    static std::size_t OpeningCount();
    void TakeMark(const std::string& sentence, std::string_view value);
    void SendOpening(std::string_view request);

    CModel* m_Model;
    CBaseSessionHost* m_Host;
    CVoltageLog* m_Log;
    CMarkList m_Marks;
    CBaseSettings m_Settings;
    CMark m_ReferencePosition{"0", "0", "0"};
    CMark m_DrawnReference{"0", "0", "0"};
    CBaseStatus m_Status;
    CCommandProcessor m_Processor;
    TCallback<CBaseSession> m_SentenceCallback;
    CSentenceSplitter m_Splitter;
    CMarkWriter m_Writer;

    std::size_t m_OpeningNext = 0;
    bool m_KeepMarks = false;  // the opening requests skip the marks (after a reconnect)
    Clock::time_point m_OpeningDue{};
    unsigned m_Reported = 0;
    bool m_PowerReply = false;
    bool m_InTick = false;

    // Read-back after a write run.
    bool m_Confirming = false;
    Clock::time_point m_ConfirmDeadline{};
    std::vector<CMark> m_Written;
    std::vector<CMark> m_Listed;

    std::vector<CMark> m_BaseList;
    std::size_t m_BaseListVersion = 0;

    // New marks taken since the last request for the base's list.
    std::size_t m_ReadTaken = 0;
    bool m_Capped = false;

    char m_Buffer[BaseTiming::ReadSize];

public:
    // The receiver's NMEA sentences, which arrive through the same splitter as the base's replies.
    CNmeaParser& Gnss() { return m_Gnss; }
    const CNmeaParser& Gnss() const { return m_Gnss; }
    // The reference position, once the base has reported it (null before).
    const CMark* ReportedReference() const { return m_ReferenceReported ? &m_ReferencePosition : nullptr; }
    // For the dialogs that borrow this session: a sentence to the receiver.
    void SendSentence(std::string_view sentence) { Send(sentence); }

private:
    void FeedGnss(const std::string& sentence);

    CNmeaParser m_Gnss;
    bool m_ReferenceReported = false;
};
