#pragma once

// The acknowledged commit: a dialect lists its commit as steps and RunCommit sends them in order,
// each with at least its pauses, reading what the radio answers after each one. The first step
// that is not acknowledged ends the commit, so the store command and everything after it are not
// sent; the result names the command and what the radio answered, for "Changes not confirmed".
//
//     std::vector<SCommitStep> steps = Microhard::BaseCommit(...);  // dialect builds the list
//     SCommitResult r = RunCommit(link, steps);
//     if (!r.Ok) show(r.Command, r.Answer);
//
// Acknowledgements differ by maker: Microhard echoes and says "OK", Maxstream "OK\r", Satel
// "OK\r\n"; a step's predicate decides. Steps that share a Group number (non-zero, adjacent) count
// as one: the group is acknowledged when at least one of them was (Satel sends some settings in
// two spellings of which the radio takes one).

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "radio/radio_link.h"

using AckPredicate = std::function<bool(std::string_view answer)>;

struct SCommitStep {
    std::string Text;
    bool Raw = false;          // sent as bytes (the escape "+++"), otherwise as a line with CR LF
    int PauseBeforeMs = 0;     // silence before sending (the escape's guard time)
    int PauseAfterMs = 0;      // at least this long before the next step
    AckPredicate Acknowledged; // empty: nothing is expected (sentences for the receiver)
    int AckWaitMs = 1000;      // how long after the pause the answer may still take
    int Group = 0;
};

struct SCommitResult {
    bool Ok = true;
    std::size_t StepsSent = 0;  // how many steps went out
    std::string Command;        // the command that was not acknowledged
    std::string Answer;         // what the radio answered to it, as plain text
};

SCommitResult RunCommit(CRadioLink& link, const std::vector<SCommitStep>& steps);

// Common predicates.
// The answer holds `text` somewhere.
AckPredicate AnswerContains(std::string text);
// The echo of `command` followed, later in the answer, by `ok` (Microhard: "OK").
AckPredicate EchoThen(std::string command, std::string ok);
