#include "marks/base_session.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "base/base_commands.h"
#include "marks/base_texts.h"
#include "marks/text_number.h"
#include "marks/voltage_log.h"
#include "ui/message_template.h"
#include "ui/string_table.h"

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

void CBaseSession::SendOpening(std::string_view request)
{
    if (!(m_KeepMarks && request == BaseCommands::Marks))
        Send(request);
}

void CBaseSession::Restart(Clock::time_point now)
{
    Start(now);
    m_KeepMarks = true;
}

void CBaseSession::Start(Clock::time_point now)
{
    m_KeepMarks = false;
    // The first tick draws everything.
    m_Marks.SetModified(true);
    m_Settings.SetModified(true);
    m_OpeningNext = 0;
    m_ReadTaken = 0;  // the opening requests ask for the marks
    m_BaseList.clear();
    ++m_BaseListVersion;
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
    // A value that reads as NaN or infinity is ignored, so it reports nothing either.
    if (!CCommandProcessor::CarriesValue(reply, value))
        return;
    if (bit & (Reported::PowerSource | Reported::Sats | Reported::StDev | Reported::PeakSnr)) {
        // A first report of the value the record already held still replaces "N/A".
        if (!(m_Reported & bit))
            m_Settings.SetModified(true);
    }
    if (bit & (Reported::Voltage | Reported::BatteryTime))
        m_PowerReply = true;
    m_Reported |= bit;

    if (reply == R::Marks)
        TakeMark(sentence, value);
    else
        m_Processor.ParseReply(sentence);
}

void CBaseSession::TakeMark(const std::string& sentence, std::string_view value)
{
    const auto f = CCommandProcessor::SplitThree(value);
    CMark got{std::string(f.first), std::string(f.second), std::string(f.third)};
    if (m_Confirming)
        m_Listed.push_back(got);
    m_BaseList.push_back(got);
    ++m_BaseListVersion;
    // Beyond the limit only marks already listed still count; new ones are dropped.
    const bool listed = m_Marks.Contains(f.first, f.second, f.third) || m_Marks.FindSameValue(got);
    if (!listed && m_ReadTaken >= BaseTiming::MaxMarksPerRead) {
        m_Capped = true;
        return;
    }
    const std::size_t before = m_Marks.Size();
    m_Processor.ParseReply(sentence);
    m_ReadTaken += m_Marks.Size() - before;
}

namespace {

// Both lists by value, as multisets; sorted by latitude so that a long list compares in n log n.
SWriteConfirmation Compare(const std::vector<CMark>& written, const std::vector<CMark>& listed)
{
    SWriteConfirmation c;
    c.Returned = listed.size();
    c.Total = written.size();
    struct SEntry {
        double Latitude;
        const CMark* Mark;
        bool Used;
    };
    std::vector<SEntry> pool;
    pool.reserve(written.size());
    for (const CMark& m : written) {
        const double lat = TextToDouble(m.GetLatitude());
        pool.push_back({std::isnan(lat) ? 0.0 : lat, &m, false});
    }
    std::sort(pool.begin(), pool.end(), [](const SEntry& a, const SEntry& b) { return a.Latitude < b.Latitude; });
    const auto below = [](const SEntry& e, double v) { return e.Latitude < v; };
    for (const CMark& m : listed) {
        double lat = TextToDouble(m.GetLatitude());
        lat = std::isnan(lat) ? 0.0 : lat;
        bool found = false;
        for (auto it = std::lower_bound(pool.begin(), pool.end(), lat - CMark::SameDegrees, below);
             it != pool.end() && it->Latitude <= lat + CMark::SameDegrees; ++it)
            if (!it->Used && it->Mark->SameValue(m)) {
                it->Used = found = true;
                break;
            }
        if (!found)
            c.Extra.push_back(m);
    }
    // Missing ones in the order written.
    std::vector<bool> used(written.size(), false);
    for (const SEntry& e : pool)
        if (e.Used)
            used[static_cast<std::size_t>(e.Mark - written.data())] = true;
    for (std::size_t i = 0; i < written.size(); ++i)
        if (!used[i])
            c.Missing.push_back(written[i]);
    return c;
}

std::string Named(const CMark& m)
{
    return m.GetLatitude() + ", " + m.GetLongitude() + ", " + m.GetAltitude();
}

}  // namespace

std::string ConfirmationText(const CBaseTexts& texts, const SWriteConfirmation& c)
{
    if (c.Confirmed())
        return texts.Confirmation(c.Returned, c.Total);
    const std::string held = std::to_string(c.Returned);
    if (c.Missing.empty())
        return FillTemplate(texts.Text(StringIds::MarksExtra), {held, std::to_string(c.Extra.size()), Named(c.Extra[0])});
    if (c.Extra.empty())
        return FillTemplate(texts.Text(StringIds::MarksLost), {held, std::to_string(c.Missing.size()), Named(c.Missing[0])});
    return FillTemplate(texts.Text(StringIds::MarksDiffer), {held, std::to_string(c.Total), std::to_string(c.Extra.size()),
                                                     Named(c.Extra[0]), std::to_string(c.Missing.size()),
                                                     Named(c.Missing[0])});
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
        SendOpening(BaseCommands::OpeningRequests[m_OpeningNext++]);
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

    if (m_Capped) {
        result.MarksCapped = true;
        m_Capped = false;
    }

    // The base says nothing when its list ends: the whole wait is needed to see marks it should not hold.
    if (m_Confirming && now >= m_ConfirmDeadline) {
        result.Confirmation = Compare(m_Written, m_Listed);
        m_Confirming = false;
        m_Listed.clear();
    }

    m_InTick = false;
    return result;
}

void CBaseSession::ReadCoordinates()
{
    m_ReadTaken = 0;
    m_BaseList.clear();
    ++m_BaseListVersion;
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
    // The base acknowledges nothing: ask for its list and compare what comes back.
    m_Listed.clear();
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
