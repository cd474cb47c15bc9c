#include "radio/satel_dialect.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "radio/radio_timing.h"

namespace Satel {

namespace {

using namespace RadioTiming;
using std::chrono::milliseconds;

constexpr std::size_t ValueLength = 10;
constexpr double ChannelsPerMHz = 40.0;
// Radios report three decimals, so 434.0125 is half a channel; the slack keeps the binary
// representation from rounding it down.
constexpr double RoundingSlack = 1e-6;

SCommitStep Setting(std::string text, int pauseMs, int group)
{
    SCommitStep step;
    step.Text = std::move(text);
    step.PauseAfterMs = pauseMs;
    step.Acknowledged = AnswerContains(Acknowledgement);
    step.Group = group;
    return step;
}

void AppendPair(std::vector<SCommitStep>& steps, const std::string& text, int lastPauseMs, int group)
{
    steps.push_back(Setting(text, SatelPairPauseMs, group));
    steps.push_back(Setting(text, lastPauseMs, group));
}

std::string FrequencyLine(double megahertz)
{
    return "SL&F=" + FrequencyText(megahertz);
}

}  // namespace

SQueryRule MarkerRule(std::string marker)
{
    SQueryRule rule;
    rule.Threshold = SatelThreshold;
    rule.Extract = [marker = std::move(marker)](std::string_view text) {
        const auto p = text.find(marker);
        if (p == std::string_view::npos)
            return std::string();
        const std::string_view value = text.substr(p >= ValueLength ? p - ValueLength : 0, ValueLength);
        return std::string(value.substr(0, value.find_first_of("\r ")));
    };
    rule.OverflowReply = [](std::string_view) { return std::string("00"); };
    return rule;
}

std::optional<double> FrequencyFromValue(std::string_view value)
{
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    if (!value.empty() && value.front() == '+')
        value.remove_prefix(1);
    double megahertz = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), megahertz,
                                              std::chars_format::fixed);
    if (error != std::errc() || end == value.data() || !std::isfinite(megahertz))
        return std::nullopt;
    return megahertz;
}

double FrequencyOfChannel(int channel)
{
    return LowestMHz + std::clamp(channel, 0, MaxChannel) / ChannelsPerMHz;
}

std::optional<int> ChannelOfFrequency(double megahertz)
{
    if (!(megahertz >= LowestMHz && megahertz <= HighestMHz))
        return std::nullopt;
    const double channels = (megahertz - LowestMHz) * ChannelsPerMHz;
    return std::clamp(static_cast<int>(std::floor(channels + 0.5 + RoundingSlack)), 0, MaxChannel);
}

std::string FrequencyText(double megahertz)
{
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, megahertz, std::chars_format::fixed, 3);
    return error == std::errc() ? std::string(text, end) : std::string("433.000");
}

std::optional<std::string> SignalText(std::string_view reply)
{
    const auto first = reply.find(SignalMarker);
    if (first == std::string_view::npos)
        return std::nullopt;
    const auto from = first + 3;
    const auto second = reply.find(SignalMarker, from);
    std::string value;
    if (second != std::string_view::npos && second >= from + 2)
        value = std::string(reply.substr(from, second - 1 - from));
    if (value.empty() && reply.size() > 6)
        value = std::string(reply);
    if (!value.empty() && value.front() == '<')
        value.erase(std::remove(value.begin(), value.end(), '<'), value.end());
    value = PlainRadioText(value, ShownReplyLength);
    if (value.empty())
        return std::nullopt;
    return value + SignalMarker;
}

std::vector<SCommitStep> BaseCommit(double megahertz, int powerMw)
{
    std::vector<SCommitStep> steps;
    AppendPair(steps, FrequencyLine(megahertz), SatelPairPauseMs, 1);
    AppendPair(steps, "SL@P=" + std::to_string(powerMw), SatelSettingPauseMs, 2);
    steps.push_back(Setting(Store, SatelStorePauseMs, 0));
    return steps;
}

std::vector<SCommitStep> RoverCommit(double megahertz)
{
    std::vector<SCommitStep> steps;
    AppendPair(steps, FrequencyLine(megahertz), SatelSettingPauseMs, 1);
    steps.push_back(Setting(Store, SatelStorePauseMs, 0));
    return steps;
}

void CSignalPoll::Start(int firstDelayMs)
{
    m_State = EState::Waiting;
    m_Reply.clear();
    m_Due = m_Link.Now() + milliseconds(std::max(firstDelayMs, 0));
}

void CSignalPoll::Stop()
{
    m_State = EState::Stopped;
    m_Reply.clear();
}

int CSignalPoll::Advance()
{
    if (m_State == EState::Stopped)
        return -1;
    const TimePoint now = m_Link.Now();
    if (now >= m_Due) {
        switch (m_State) {
        case EState::Waiting:
            m_CycleStart = now;
            m_Link.Purge();
            m_Link.WriteLine(QuerySignal);
            m_Asked = 1;
            m_State = EState::Asking;
            m_Due = now + milliseconds(SatelAskGapMs);
            break;
        case EState::Asking:
            if (m_Asked < 3) {
                m_Link.WriteLine(QuerySignal);
                ++m_Asked;
                m_Due = now + milliseconds(m_Asked == 3 ? SatelLastAskMs : SatelAskGapMs);
                break;
            }
            m_Reply = m_Link.Read(SatelReadSize);
            if (m_Reply.empty()) {
                Finish(now);
            } else {
                m_State = EState::Collecting;
                m_CollectEnd = now + milliseconds(SatelCollectMs);
                m_Due = now + milliseconds(SatelCollectStepMs);
            }
            break;
        case EState::Collecting: {
            const std::string chunk = m_Link.Read(SatelReadSize);
            m_Reply += chunk.substr(0, SatelPollCollectLimit - std::min(m_Reply.size(), SatelPollCollectLimit));
            if (chunk.empty() || now >= m_CollectEnd || m_Reply.size() >= SatelPollCollectLimit)
                Finish(now);
            else
                m_Due = now + milliseconds(SatelCollectStepMs);
            break;
        }
        case EState::Stopped:
            break;
        }
    }
    const auto left = std::chrono::duration_cast<milliseconds>(m_Due - m_Link.Now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

void CSignalPoll::Finish(TimePoint now)
{
    if (auto text = SignalText(m_Reply))
        m_Text = std::move(text);
    m_Reply.clear();
    m_State = EState::Waiting;
    // Every 2 s from the start of a reading, or at once when a reading took longer.
    m_Due = std::max(m_CycleStart + milliseconds(SatelPollMs), now);
}

std::optional<std::string> CSignalPoll::TakeSignalText()
{
    auto text = std::move(m_Text);
    m_Text.reset();
    return text;
}

}  // namespace Satel
