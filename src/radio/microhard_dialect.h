#pragma once

// The Microhard MHX920 dialect as the two Microhard dialogs use it: command texts, reply rules,
// the conversions between what the operator picks and the radio's registers, the signal reading
// cycle and the commit sequences. Standard C++ only; the dialogs wire it to controls.
//
// A command line is answered with its echo, the value on a line of its own, then "OK" (or
// "ERROR"). The radio ID is stored in S104 as ID + 101, RF power in S108 as a code 20..30,
// retransmissions in S113, the battery-saving level in S109, the signal reading in S123.

#include <array>
#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "radio/radio_commit.h"
#include "radio/radio_query.h"

namespace Microhard {

inline constexpr const char* QueryRadioId = "ATS104?";
inline constexpr const char* QueryRetransmissions = "ATS113?";
inline constexpr const char* QueryPower = "ATS108?";
inline constexpr const char* QueryBatterySaving = "ATS109?";
inline constexpr const char* QuerySignal = "ATS123?";
inline constexpr const char* QueryFirmware = "AT&V";
inline constexpr const char* Escape = "+++";
inline constexpr const char* DataMode = "ATO";

// The RF power list: entries in mW in the drop-down's order; the code of entry i is 20 + i.
inline constexpr std::array<const char*, 11> PowerEntries = {"100", "125", "160", "200", "250", "320",
                                                             "400", "500", "630", "800", "1000"};
inline constexpr const char* DefaultPower = "1000";
inline constexpr int DefaultRetransmissions = 3;
inline constexpr int MaxRetransmissions = 3;
inline constexpr int DefaultBatteryPosition = 3;  // S109 = 17
inline constexpr int MaxRadioId = 99;

// Which reply a settings query gives when the radio floods it: the base's "0" or, for the rover,
// the first 20 characters received.
enum class EOverflow { Zero, FirstCharacters };

// "ATS104?" and the like: the value on the line after the echo of `command`, once "OK" follows it.
SQueryRule SettingRule(std::string command, EOverflow overflow);
// "AT&V": the line after the maker's name ("... Inc."), once "OK" follows it.
SQueryRule FirmwareRule();
// Runs the firmware query and drains the rest of the listing after a success or an overflow.
SQueryResult QueryFirmwareVersion(CRadioLink& link);

// S104 value (as received) to the radio ID: v >= 101 gives v - 101 when that is below 100, else 0.
int RadioIdFromRegister(std::string_view value);
// The radio ID typed or picked in the drop-down: digits only (spaces around allowed), 0..99.
std::optional<int> ParseRadioId(std::string_view text);
// "%02d".
std::string RadioIdText(int id);

// S108 code (as received) to its list entry; "1000" for anything outside 20..30.
std::string PowerTextFromCode(std::string_view value);
// A list entry to its code; nothing for a text that is not an entry.
std::optional<int> PowerCodeFromText(std::string_view text);

// S113 value to the retransmissions text: the value as received when 0..3, else "3".
std::string RetransmissionsFromRegister(std::string_view value);
// "0".."3" to the count; nothing for anything else.
std::optional<int> ParseRetransmissions(std::string_view text);

// Battery-saving level: track-bar position 1..4 and S109 (12, 15, 17, 18).
int BatteryPositionFromRegister(std::string_view value);
int BatteryRegisterFromPosition(int position);

// The signal reading as shown: "-NN dBm" for 1..120, "No Signal" above 120; nothing for a reading
// of 0 or less (no reading yet), which leaves the text as it was.
std::optional<std::string> SignalText(int level);

// One background reading: escape into command mode, read S123 into `level`, back to data mode,
// rest. Returns early, leaving `level` alone, when a stop is requested between steps.
void SignalCycle(CRadioLink& link, std::atomic<int>& level);
// The reading in an "ATS123?" reply: up to three characters from the seventh after "123?", up to
// the next CR; nothing while that value is not complete (no CR after it yet).
std::optional<int> SignalFromReply(std::string_view text);

struct SBaseChoices {
    int RadioId = 0;
    bool ServiceOptions = false;  // "dir" or "def" given: retransmissions, level and power too
    bool WriteDefaults = false;   // "Write defaults" ticked: factory set 10 first
    int Retransmissions = DefaultRetransmissions;
    int BatteryPosition = DefaultBatteryPosition;
    int PowerCode = 30;
};
struct SRoverChoices {
    int RadioId = 0;
    bool WriteDefaults = false;  // factory set 5 first
};

// The commit lines of the base dialog (20 ms apart) and of the rover dialog ("+++" framed by the
// guard time, then lines 30 ms apart). Every AT command must be echoed and answered "OK"; the
// receiver's sentences at the end are not answered.
std::vector<SCommitStep> BaseCommit(const SBaseChoices& choices);
std::vector<SCommitStep> RoverCommit(const SRoverChoices& choices);

}  // namespace Microhard
