#include "radio/microhard_dialect.h"

#include <cstdio>

#include "radio/command_mode.h"
#include "radio/radio_timing.h"

namespace Microhard {

namespace {

using namespace RadioTiming;

std::size_t SkipLineEnds(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && (text[pos] == '\r' || text[pos] == '\n'))
        ++pos;
    return pos;
}

// The line starting at `pos` (after any line ends), once a CR closes it and "OK" follows.
std::string CompleteLineBeforeOk(std::string_view text, std::size_t pos)
{
    pos = SkipLineEnds(text, pos);
    const auto end = text.find('\r', pos);
    if (end == std::string_view::npos || text.find("OK", end) == std::string_view::npos)
        return {};
    return std::string(text.substr(pos, end - pos));
}

bool AllDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

SCommitStep Command(std::string text, int pauseMs)
{
    SCommitStep step;
    step.Acknowledged = EchoThen(text, "OK");
    step.Text = std::move(text);
    step.PauseAfterMs = pauseMs;
    return step;
}

SCommitStep Sentence(std::string text, int pauseMs)
{
    SCommitStep step;
    step.Text = std::move(text);
    step.PauseAfterMs = pauseMs;
    return step;
}

std::string Assign(const char* reg, int value)
{
    return std::string(reg) + "=" + std::to_string(value);
}

void AppendClosing(std::vector<SCommitStep>& steps, int pauseMs)
{
    steps.push_back(Command("AT&W", pauseMs));
    steps.push_back(Command(DataMode, pauseMs));
    steps.push_back(Sentence("$JCONN,X", pauseMs));
    steps.push_back(Sentence("$KBASE,PASSTHROUGH,0", pauseMs));
}

}  // namespace

SQueryRule SettingRule(std::string command, EOverflow overflow)
{
    SQueryRule rule;
    rule.Threshold = MicrohardThreshold;
    rule.Extract = [command](std::string_view text) {
        const auto echo = text.find(command);
        return echo == std::string_view::npos ? std::string() : CompleteLineBeforeOk(text, echo + command.size());
    };
    rule.OverflowReply = [overflow](std::string_view text) {
        return overflow == EOverflow::Zero ? std::string("0") : FirstCharacters(text, OverflowReplyLength);
    };
    return rule;
}

SQueryRule FirmwareRule()
{
    SQueryRule rule;
    rule.Threshold = MicrohardThreshold;
    rule.Extract = [](std::string_view text) {
        if (text.find("OK") == std::string_view::npos)
            return std::string();
        const auto maker = text.find("Inc.");
        return CompleteLineBeforeOk(text, maker == std::string_view::npos ? 3 : maker + 4);
    };
    rule.OverflowReply = [](std::string_view text) { return FirstCharacters(text, OverflowReplyLength); };
    return rule;
}

SQueryResult QueryFirmwareVersion(CRadioLink& link)
{
    SQueryResult result = RunQuery(link, QueryFirmware, FirmwareRule());
    if (result.Ok || result.Overflow) {
        link.Pause(MicrohardDrainMs);
        link.Read(QueryReadSize);
    }
    return result;
}

int RadioIdFromRegister(std::string_view value)
{
    long long v = LeadingInteger(value);
    if (v >= 101)
        v -= 101;
    return v >= 0 && v <= MaxRadioId ? static_cast<int>(v) : 0;
}

std::optional<int> ParseRadioId(std::string_view text)
{
    const std::string t(TrimBlanks(text));
    if (!AllDigits(t) || t.size() > 3)
        return std::nullopt;
    const int id = std::stoi(t);
    return id <= MaxRadioId ? std::optional<int>(id) : std::nullopt;
}

std::string RadioIdText(int id)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", id);
    return text;
}

std::string PowerTextFromCode(std::string_view value)
{
    const long long code = LeadingInteger(value);
    if (code < 20 || code > 30)
        return DefaultPower;
    return PowerEntries[static_cast<std::size_t>(code - 20)];
}

std::optional<int> PowerCodeFromText(std::string_view text)
{
    const std::string t(TrimBlanks(text));
    for (std::size_t i = 0; i < PowerEntries.size(); ++i)
        if (t == PowerEntries[i])
            return 20 + static_cast<int>(i);
    return std::nullopt;
}

std::string RetransmissionsFromRegister(std::string_view value)
{
    const long long v = LeadingInteger(value);
    // Shown as one of the list's entries, so that a commit can take it back.
    return v >= 0 && v <= MaxRetransmissions ? std::to_string(v) : std::to_string(DefaultRetransmissions);
}

std::optional<int> ParseRetransmissions(std::string_view text)
{
    const std::string t(TrimBlanks(text));
    if (t.size() != 1 || t[0] < '0' || t[0] > '0' + MaxRetransmissions)
        return std::nullopt;
    return t[0] - '0';
}

int BatteryPositionFromRegister(std::string_view value)
{
    switch (LeadingInteger(value)) {
    case 12: return 1;
    case 15: return 2;
    case 18: return 4;
    default: return 3;
    }
}

int BatteryRegisterFromPosition(int position)
{
    switch (position) {
    case 1: return 12;
    case 2: return 15;
    case 4: return 18;
    default: return 17;
    }
}

std::optional<std::string> SignalText(int level)
{
    if (level <= 0)
        return std::nullopt;
    if (level > NoSignalAbove)
        return std::string("No Signal");
    return "-" + std::to_string(level) + " dBm";
}

std::optional<int> SignalFromReply(std::string_view text)
{
    const auto p = text.find("123?");
    if (p == std::string_view::npos)
        return std::nullopt;
    // The value follows the echo's line end ("ATS123?" CR, then CR LF).
    const std::size_t start = SkipLineEnds(text, p + 4);
    const auto end = text.find('\r', start);
    if (start >= text.size() || end == std::string_view::npos)
        return std::nullopt;
    return static_cast<int>(LeadingInteger(text.substr(start, std::min<std::size_t>(3, end - start))));
}

void SignalCycle(CRadioLink& link, std::atomic<int>& level)
{
    if (!EnterCommandMode(link, Escape))
        return;
    link.Purge();
    link.WriteLine(QuerySignal);
    link.Pause(MicrohardSignalReplyMs);
    std::string text = link.Read(MicrohardSignalReadSize);
    const auto readAt = link.Now();
    std::optional<int> value = SignalFromReply(text);
    while (!value && link.Now() - readAt < std::chrono::milliseconds(MicrohardSignalWaitMs) &&
           !link.StopRequested() && text.size() < QueryOverflow) {
        link.Pause(MicrohardSignalStepMs);
        text += link.Read(MicrohardSignalReadSize);
        value = SignalFromReply(text);
    }
    if (link.StopRequested())
        return;
    if (value)
        level = *value;
    link.WriteLine(DataMode);
    for (int i = 0; i < MicrohardRestSteps; ++i) {
        link.Pause(MicrohardRestStepMs);
        if (link.StopRequested())
            return;
    }
}

std::vector<SCommitStep> BaseCommit(const SBaseChoices& c)
{
    const int pause = MicrohardBaseCommandPauseMs;
    std::vector<SCommitStep> steps;
    if (c.WriteDefaults)
        for (const char* line : {"AT&F10", "ATS102=7", "ATS103=0", "ATS115=3", "ATS158=7"})
            steps.push_back(Command(line, pause));
    steps.push_back(Command(Assign("ATS104", c.RadioId + 101), pause));
    if (c.ServiceOptions) {
        steps.push_back(Command(Assign("ATS113", c.Retransmissions), pause));
        steps.push_back(Command(Assign("ATS109", BatteryRegisterFromPosition(c.BatteryPosition)), pause));
        steps.push_back(Command(Assign("ATS108", c.PowerCode), pause));
    }
    AppendClosing(steps, pause);
    return steps;
}

std::vector<SCommitStep> RoverCommit(const SRoverChoices& c)
{
    const int pause = MicrohardRoverCommandPauseMs;
    std::vector<SCommitStep> steps;
    steps.push_back(EscapeStep(Escape, "OK"));
    if (c.WriteDefaults)
        for (const char* line : {"AT&F5", "ATS102=7", "ATS103=0", "ATS109=17", "ATS113=3", "ATS115=3", "ATS158=7"})
            steps.push_back(Command(line, pause));
    steps.push_back(Command(Assign("ATS104", c.RadioId + 101), pause));
    AppendClosing(steps, pause);
    return steps;
}

}  // namespace Microhard
