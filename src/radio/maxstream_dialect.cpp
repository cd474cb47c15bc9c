#include "radio/maxstream_dialect.h"

#include "radio/command_mode.h"
#include "radio/radio_timing.h"

namespace Maxstream {

namespace {

using namespace RadioTiming;

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

SCommitStep Command(std::string text, int pauseMs)
{
    SCommitStep step;
    step.Text = std::move(text);
    step.PauseAfterMs = pauseMs;
    step.Acknowledged = AnswerContains(Acknowledgement);
    return step;
}

// Collects an answer until one read brings two bytes or more, the time is up, or a stop is asked.
std::string Collect(CRadioLink& link, int waitMs, int stepMs)
{
    std::string reply;
    const auto end = link.Now() + std::chrono::milliseconds(waitMs);
    while (link.Now() < end && !link.StopRequested()) {
        link.Pause(stepMs);
        const std::string chunk = link.Read(MaxstreamReadSize);
        reply += chunk;
        if (chunk.size() >= QueryMinRead || reply.size() >= MaxstreamCollectLimit)
            break;
    }
    return reply;
}

void AppendSettings(std::vector<SCommitStep>& steps, int radioId, bool base, int firstPauseMs)
{
    const int pause = MaxstreamCommandPauseMs;
    steps.push_back(Command("ATRE", firstPauseMs));
    steps.push_back(Command("ATDT=" + std::to_string(radioId), pause));
    steps.push_back(Command("ATHP=" + std::to_string(radioId), pause));
    for (const char* line : {"ATBR=0", "ATRR=0", "ATMT=0"})
        steps.push_back(Command(line, pause));
    if (base)
        steps.push_back(Command("ATTX=1", pause));
    for (const char* line : {"ATPL=4", "ATCT=C8"})
        steps.push_back(Command(line, pause));
    steps.push_back(Command("ATWR", 0));
}

}  // namespace

SQueryRule ValueRule()
{
    SQueryRule rule;
    rule.Threshold = MaxstreamThreshold;
    rule.Extract = [](std::string_view text) {
        const auto end = text.find_first_of("\r\n");
        return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end));
    };
    rule.OverflowReply = [](std::string_view text) { return FirstCharacters(text, OverflowReplyLength); };
    return rule;
}

std::optional<int> RadioIdFromValue(std::string_view value)
{
    value = TrimBlanks(value);
    if (value.empty())
        return std::nullopt;
    int id = 0;
    for (char c : value) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return std::nullopt;
        id = id * 16 + digit;
        if (id > MaxRadioId)
            return std::nullopt;
    }
    return id;
}

int HexReading(std::string_view text, int limit)
{
    int value = 0;
    for (int i = 0; i <= limit; ++i) {
        if (static_cast<std::size_t>(i) >= text.size())
            return -1;
        if (text[static_cast<std::size_t>(i)] == '\r')
            return value;
        const int digit = HexDigit(text[static_cast<std::size_t>(i)]);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

std::optional<std::string> SignalText(int level)
{
    if (level <= 0)
        return std::nullopt;
    if (level >= NoSignalFrom)
        return std::string("No Signal");
    return "-" + std::to_string(level) + " dBm";
}

std::atomic<int>& GoodPacketCount()
{
    static std::atomic<int> count{-1};
    return count;
}

void SignalCycle(CRadioLink& link, std::atomic<int>& level, std::atomic<int>& goodPacketCount)
{
    if (!EnterCommandMode(link, Escape))
        return;
    link.Pause(MaxstreamSettleMs);
    link.Purge();
    link.Read(MaxstreamReadSize);
    link.Purge();

    link.WriteLine(QueryPacketCount);
    link.Pause(MaxstreamGdReplyMs);
    // A count that is not hexadecimal reads as -1 and is compared like any other, so the first
    // one after the start value -1 is nothing heard.
    const int count = HexReading(Collect(link, MaxstreamGdWaitMs, MaxstreamGdStepMs), 5);
    if (count == goodPacketCount) {
        level = NothingHeard;
    } else {
        goodPacketCount = count;
        link.Purge();
        link.WriteLine(QuerySignal);
        const int signal = HexReading(Collect(link, MaxstreamDbWaitMs, MaxstreamDbStepMs), 3);
        if (link.StopRequested())
            return;
        level = signal;
    }
    link.WriteLine(DataMode);
}

std::vector<SCommitStep> BaseCommit(int radioId)
{
    std::vector<SCommitStep> steps;
    AppendSettings(steps, radioId, true, MaxstreamCommandPauseMs);
    return steps;
}

std::vector<SCommitStep> RoverCommit(int radioId)
{
    std::vector<SCommitStep> steps;
    steps.push_back(EscapeStep(Escape, Acknowledgement));
    AppendSettings(steps, radioId, false, 0);  // the rover goes straight on after "ATRE"
    return steps;
}

}  // namespace Maxstream
