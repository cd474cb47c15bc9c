#pragma once

// The Maxstream dialect as the two Maxstream dialogs use it: the value query, the radio ID, the
// background signal cycle ("ATGD" packet count, then "ATDB") and the commit lines. Standard C++
// only; the dialogs wire it to controls.
//
// Every command is "AT" and two letters; "=" sets a parameter, "?" reads it, and the answer is one
// line ended by CR ("OK" CR to a setting). Values are hexadecimal. The radio ID (0..9) is written
// both as the destination address (DT) and as the hopping channel (HP).

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "radio/radio_commit.h"
#include "radio/radio_query.h"

namespace Maxstream {

inline constexpr const char* QueryRadioId = "ATDT?";
inline constexpr const char* QueryPacketCount = "ATGD";
inline constexpr const char* QuerySignal = "ATDB";
inline constexpr const char* Escape = "+++";
inline constexpr const char* DataMode = "ATCN";
inline constexpr const char* Acknowledgement = "OK\r";
inline constexpr int MaxRadioId = 9;
// A signal reading (dB below 1 mW) from which on the link counts as down.
inline constexpr int NoSignalFrom = 120;
// The level a cycle stores when the packet count has not moved: nothing was heard.
inline constexpr int NothingHeard = 150;

// "ATDT?" and the like: the first line of the answer, once a CR or LF closes it.
SQueryRule ValueRule();

// The radio ID in an "ATDT?" value: the hexadecimal number the radio reports, when it is 0..9.
std::optional<int> RadioIdFromValue(std::string_view value);

// Hexadecimal digits from the start of `text` up to the first CR, either case, at most limit + 1
// of them (the rest is ignored). Anything else before the CR, the end of the text included, gives
// -1; a text that begins with CR gives 0.
int HexReading(std::string_view text, int limit);

// The reading as shown: "-NN dBm" below 120, "No Signal" from 120 on; nothing for 0 or less.
std::optional<std::string> SignalText(int level);

// The last packet count read, shared by every opening of the rover dialog in this process; -1
// before the first reading.
std::atomic<int>& GoodPacketCount();

// One background reading: escape into command mode, read the packet count and, when it moved,
// the signal into `level` ("nothing heard" when it did not), then back to data mode. A count that
// cannot be read is -1, compared like any other. Returns early between steps when a stop is requested.
void SignalCycle(CRadioLink& link, std::atomic<int>& level, std::atomic<int>& goodPacketCount);

// The commit lines: the base's ten, 20 ms apart; the rover's "+++" framed by the guard time and
// its nine (no "ATTX=1"). Every line must be answered "OK" CR.
std::vector<SCommitStep> BaseCommit(int radioId);
std::vector<SCommitStep> RoverCommit(int radioId);

}  // namespace Maxstream
