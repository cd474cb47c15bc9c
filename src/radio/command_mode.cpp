#include "radio/command_mode.h"

#include "radio/radio_timing.h"

bool EnterCommandMode(CRadioLink& link, const std::string& escape)
{
    if (link.StopRequested())
        return false;
    link.Pause(RadioTiming::GuardMs);
    if (link.StopRequested())
        return false;
    link.Write(escape);
    link.Pause(RadioTiming::GuardMs);
    return !link.StopRequested();
}

SCommitStep EscapeStep(const std::string& escape, const std::string& acknowledgement)
{
    SCommitStep step;
    step.Text = escape;
    step.Raw = true;
    step.PauseBeforeMs = RadioTiming::GuardMs;
    step.PauseAfterMs = RadioTiming::GuardMs;
    step.Acknowledged = AnswerContains(acknowledgement);
    return step;
}
