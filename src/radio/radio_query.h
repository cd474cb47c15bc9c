#pragma once

// Query and collect: send one command and gather the reply until the dialect's rule can take a
// value from it. Every radio dialog reads the radio this way; a dialect only supplies an SQueryRule
// (see Microhard::SettingRule in microhard_dialect.h for an example):
//
//     SQueryResult r = RunQuery(link, "ATS104?", Microhard::SettingRule("ATS104?", overflow));
//     if (r.Ok) use(r.Value); else report(r.Reply);
//
// The link's Pause paces the cycles (PumpWait on the UI thread). Reads that return fewer than two
// bytes are ignored, as the radios' replies never arrive that thinly in one cycle; the text grows in
// a std::string and stops short of the overflow limit, so no read falls outside what arrived.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "radio/radio_link.h"

struct SQueryRule {
    // The rule is tried only once the collected text is longer than this.
    std::size_t Threshold = 0;
    // The value in the collected text, or "" while it is not complete yet.
    std::function<std::string(std::string_view received)> Extract;
    // The reply a query gives when the radio floods it (5000 bytes without a value).
    std::function<std::string(std::string_view received)> OverflowReply;
};

struct SQueryResult {
    bool Ok = false;
    bool Overflow = false;
    std::string Value;     // the extracted value (Ok), as the radio sent it
    std::string Reply;     // for messages: the overflow reply, or what arrived, as plain text
    std::string Received;  // everything collected
};

SQueryResult RunQuery(CRadioLink& link, std::string_view command, const SQueryRule& rule);

// The text a radio sent, fit for a message or a label: control characters become spaces (runs
// of them one space), leading and trailing spaces go, and at most `limit` characters remain.
std::string PlainRadioText(std::string_view text, std::size_t limit);

// The first `count` characters of a text, as the dialects' overflow replies take them.
std::string FirstCharacters(std::string_view text, std::size_t count);

// The text without the spaces and tabs around it.
std::string_view TrimBlanks(std::string_view text);

// The longest decimal integer prefix after optional spaces and one sign; 0 when there is none.
// Saturates instead of overflowing.
long long LeadingInteger(std::string_view text);
