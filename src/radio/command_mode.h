#pragma once

// Entering command mode the way the Microhard and Maxstream radios take it: "+++" alone on the
// line, with a guard time of silence before and after, so that the radio does not read it as data.
// Standard C++ only.

#include <string>

#include "radio/radio_commit.h"
#include "radio/radio_link.h"

// The escape as a background cycle sends it: guard time, `escape`, guard time. False when a stop
// was requested before or after one of the steps; the cycle should return then.
bool EnterCommandMode(CRadioLink& link, const std::string& escape);

// The escape as the first step of a commit, acknowledged when the answer holds `acknowledgement`.
SCommitStep EscapeStep(const std::string& escape, const std::string& acknowledgement);
