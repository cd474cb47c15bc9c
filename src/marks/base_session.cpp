#include "marks/base_session.h"

#include <algorithm>
#include <iterator>

#include "base/base_commands.h"
#include "marks/voltage_log.h"

namespace R = BaseCommands::Replies;

int& BaseCounters::PollCounter()
{
    static int counter = 0;
    return counter;
}

int& BaseCounters::PollIndex()
{
    static int index = 0;
    return index;
}

int CWritePacer::NextDelayMs()
{
    const int steps = m_Steps++;
    if (steps == 0)
        return BaseTiming::WriteFirstMs;
    return steps == 1 ? BaseTiming::WriteSecondMs : BaseTiming::WriteNextMs;
}

namespace {

bool HasControl(std::string_view s)
{
    return std::any_of(s.begin(), s.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7f;
    });
}

}  // namespace

CBaseSession::CBaseSession(CModel* model, CBaseSessionHost* host, CVoltageLog* log)
    : m_Model(model),
      m_Host(host),
      m_Log(log ? log : &CVoltageLog::Process()),
      m_Status(&m_Settings, &m_Marks, &m_ReferencePosition),
      m_Processor(&m_Status, model),
      m_SentenceCallback(this, &CBaseSession::OnSentence),
      m_Splitter(&m_SentenceCallback),
      m_Writer(m_Marks, [this](const std::string& s) { Send(s); })
{
}

std::size_t CBaseSession::OpeningCount()
{
    return std::size(BaseCommands::OpeningRequests);
}

void CBaseSession::Send(std::string_view sentence)
{
    if (m_Host)
        m_Host->WriteLine(sentence);
}

void CBaseSession::Start(Clock::time_point now)
{
    // The first tick draws everything.
    m_Marks.SetModified(true);
    m_Settings.SetModified(true);
    m_OpeningNext = 0;
    Send(BaseCommands::OpeningRequests[m_OpeningNext++]);
    m_OpeningDue = now + std::chrono::milliseconds(BaseTiming::OpeningPauseMs);
}

void CBaseSession::OnSentence(std::string sentence)
{
    FeedGnss(sentence);
    const auto [reply, value] = CCommandProcessor::FindReply(sentence);
    if (reply.empty())
        return;
    const bool mark = reply == R::Marks || reply == R::ReferencePosition;
    // A control character inside a mark would travel back to the base on the next write.
    if (mark && HasControl(sentence))
        return;

    unsigned bit = 0;
    if (reply == R::PowerSource) bit = Reported::PowerSource;
    else if (reply == R::Sats) bit = Reported::Sats;
    else if (reply == R::StDev) bit = Reported::StDev;
    else if (reply == R::PeakSnr) bit = Reported::PeakSnr;
    else if (reply == R::Voltage) bit = Reported::Voltage;
    else if (reply == R::BatteryTime) bit = Reported::BatteryTime;
    if (bit & (Reported::PowerSource | Reported::Sats | Reported::StDev | Reported::PeakSnr)) {
        // A first report of the value the record already held still replaces "N/A".
        if (!(m_Reported & bit))
            m_Settings.SetModified(true);
    }
    if (bit & (Reported::Voltage | Reported::BatteryTime))
        m_PowerReply = true;
    m_Reported |= bit;

    m_Processor.ParseReply(sentence);

    if (m_Confirming && reply == R::Marks) {
        const auto f = CCommandProcessor::SplitThree(value);
        const CMark got{std::string(f.first), std::string(f.second), std::string(f.third)};
        for (std::size_t i = 0; i < m_Written.size(); ++i)
            if (!m_Returned[i] && m_Written[i] == got) {
                m_Returned[i] = true;
                break;
            }
    }
}

SBaseTickResult CBaseSession::Tick(Clock::time_point now)
{
    SBaseTickResult result;
    if (m_InTick)
        return result;
    m_InTick = true;

    const int n = m_Host ? m_Host->Read(m_Buffer, BaseTiming::ReadSize) : 0;
    if (n > 0)
        m_Splitter.FeedChunk(m_Buffer, n);

    if (!OpeningDone() && now >= m_OpeningDue) {
        Send(BaseCommands::OpeningRequests[m_OpeningNext++]);
        m_OpeningDue = now + std::chrono::milliseconds(BaseTiming::OpeningPauseMs);
        result.OpeningDone = OpeningDone();
    }

    // A changed reference position can move the "In Use" mark; the parser flags only a new match.
    if (m_Marks.GetModified() || !(m_ReferencePosition == m_DrawnReference)) {
        result.ListChanged = true;
        m_Marks.SetModified(false);
        m_DrawnReference = m_ReferencePosition;
    }
    if (m_Settings.GetModified()) {
        result.SettingsChanged = true;
        m_Settings.SetModified(false);
    }
    if (m_PowerReply) {
        result.PowerChanged = true;
        m_PowerReply = false;
    }

    if (m_Log->IsActive() && !m_Log->Tick())
        result.LogError = m_Log->LastError();

    int& counter = BaseCounters::PollCounter();
    int& index = BaseCounters::PollIndex();
    if (counter > BaseTiming::PollAfterTicks) {
        constexpr int rotation = static_cast<int>(std::size(BaseCommands::StatusRotation));
        if (index < 0 || index >= rotation)
            index = 0;
        Send(BaseCommands::StatusRotation[index]);
        index = (index + 1) % rotation;
        counter = 0;
        m_Log->AddSample(m_Status.GetVoltage());
    }
    ++counter;

    if (m_Confirming) {
        const bool all = std::all_of(m_Returned.begin(), m_Returned.end(), [](bool b) { return b; });
        if (all || now >= m_ConfirmDeadline) {
            result.Confirmation = SWriteConfirmation{
                static_cast<std::size_t>(std::count(m_Returned.begin(), m_Returned.end(), true)), m_Written.size()};
            m_Confirming = false;
        }
    }

    m_InTick = false;
    return result;
}

void CBaseSession::ReadCoordinates()
{
    Send(BaseCommands::ReferencePosition);
    Send(BaseCommands::Marks);
}

bool CBaseSession::IsSendable(const CMark& mark)
{
    for (const std::string* text : {&mark.GetLatitude(), &mark.GetLongitude(), &mark.GetAltitude()})
        if (HasControl(*text) || text->find('$') != std::string::npos)
            return false;
    return mark.GetLatitude().find(',') == std::string::npos && mark.GetLongitude().find(',') == std::string::npos;
}

std::optional<std::size_t> CBaseSession::FindUnsendableMark() const
{
    std::size_t i = 0;
    for (const CMark& mark : m_Marks) {
        if (!IsSendable(mark))
            return i;
        ++i;
    }
    return std::nullopt;
}

bool CBaseSession::WriteStep(Clock::time_point now)
{
    if (!m_Writer.IsRunning()) {
        m_Written.assign(m_Marks.begin(), m_Marks.end());
        m_Confirming = false;
    }
    if (m_Writer.Step())
        return true;
    // The base acknowledges nothing: ask for its list and count what comes back.
    m_Returned.assign(m_Written.size(), false);
    m_Confirming = true;
    m_ConfirmDeadline = now + std::chrono::milliseconds(BaseTiming::ConfirmWithinMs);
    ReadCoordinates();
    return false;
}

void CBaseSession::New()
{
    m_Marks.RemoveAll();
    m_Marks.SetModified(true);
    m_Settings.ResetDefaults();
}

void CBaseSession::FeedGnss(const std::string& sentence)
{
    if (m_Gnss.Feed(sentence, Clock::now()) != ENmeaResult::NotNmea)
        return;
    if (CCommandProcessor::FindReply(sentence).Prefix == R::ReferencePosition && !HasControl(sentence))
        m_ReferenceReported = true;
}
