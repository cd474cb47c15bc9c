#include "radio/radio_commit.h"

#include <algorithm>

#include "radio/radio_query.h"
#include "radio/radio_timing.h"

namespace {

constexpr int AckPollMs = 10;
constexpr std::size_t AnswerLimit = 4096;  // enough for any acknowledgement; bounds a flood

// Whatever is already waiting belongs to an earlier exchange.
void Drain(CRadioLink& link)
{
    for (int i = 0; i < 64 && !link.Read(RadioTiming::QueryReadSize).empty(); ++i) {
    }
}

void Collect(CRadioLink& link, std::string& answer)
{
    std::string chunk = link.Read(RadioTiming::QueryReadSize);
    if (answer.size() < AnswerLimit)
        answer += chunk.substr(0, AnswerLimit - answer.size());
}

// Sends one step and waits at least its pause; true when acknowledged (or nothing is expected).
bool SendStep(CRadioLink& link, const SCommitStep& step, std::string& answer)
{
    if (step.PauseBeforeMs > 0)
        link.Pause(step.PauseBeforeMs);
    Drain(link);
    if (step.Raw)
        link.Write(step.Text);
    else
        link.WriteLine(step.Text);
    const auto start = link.Now();
    const auto pauseEnd = start + std::chrono::milliseconds(step.PauseAfterMs);
    if (!step.Acknowledged) {
        if (step.PauseAfterMs > 0)
            link.Pause(step.PauseAfterMs);
        return true;
    }
    const auto ackEnd = pauseEnd + std::chrono::milliseconds(step.AckWaitMs);
    bool ok = false;
    for (;;) {
        Collect(link, answer);
        ok = ok || step.Acknowledged(answer);
        if (!ok && link.StopRequested())
            break;  // no acknowledgement can come (a lost port): fail now, not at the deadline
        const auto now = link.Now();
        if (now >= pauseEnd && (ok || now >= ackEnd))
            break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            (now < pauseEnd ? pauseEnd : ackEnd) - now);
        link.Pause(static_cast<int>(std::clamp<long long>(left.count(), 1, AckPollMs)));
    }
    return ok;
}

}  // namespace

SCommitResult RunCommit(CRadioLink& link, const std::vector<SCommitStep>& steps)
{
    SCommitResult result;
    for (std::size_t i = 0; i < steps.size();) {
        // A group runs to its end; it fails only when none of its steps was acknowledged.
        std::size_t end = i + 1;
        while (steps[i].Group != 0 && end < steps.size() && steps[end].Group == steps[i].Group)
            ++end;
        bool anyOk = false;
        std::string firstAnswer;
        for (std::size_t k = i; k < end; ++k) {
            std::string answer;
            anyOk = SendStep(link, steps[k], answer) || anyOk;
            ++result.StepsSent;
            if (k == i)
                firstAnswer = answer;
        }
        if (!anyOk) {
            result.Ok = false;
            result.Command = PlainRadioText(steps[i].Text, RadioTiming::ShownReplyLength);
            result.Answer = PlainRadioText(firstAnswer, RadioTiming::ShownReplyLength);
            return result;
        }
        i = end;
    }
    return result;
}

AckPredicate AnswerContains(std::string text)
{
    return [text = std::move(text)](std::string_view answer) {
        return answer.find(text) != std::string_view::npos;
    };
}

AckPredicate EchoThen(std::string command, std::string ok)
{
    return [command = std::move(command), ok = std::move(ok)](std::string_view answer) {
        const auto echo = answer.find(command);
        return echo != std::string_view::npos && answer.find(ok, echo + command.size()) != std::string_view::npos;
    };
}
