#pragma once

// The Satel dialect as the two Satel dialogs use it: the frequency query, channels and
// frequencies, the signal text, the commit lines, and the rover's non-blocking signal poll.
// Standard C++ only; the dialogs wire it to controls and a timer.
//
// "SL" command lines go to the radio at any time (no escape, no command mode); answers end with
// CR LF, a setting is answered "OK". The channel 0..80 is the frequency 433.000 + 0.025 x channel MHz.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "radio/radio_commit.h"
#include "radio/radio_query.h"

namespace Satel {

inline constexpr const char* QueryFrequency = "SL&F?";
inline constexpr const char* FrequencyMarker = "MHz";
inline constexpr const char* QuerySignal = "SL@R?";
inline constexpr const char* SignalMarker = "dBm";
inline constexpr const char* Store = "SL**>";
inline constexpr const char* Acknowledgement = "OK\r\n";
inline constexpr int MaxChannel = 80;
inline constexpr double LowestMHz = 433.0;
inline constexpr double HighestMHz = 435.0;
inline constexpr int LowPowerMw = 500;
inline constexpr int FullPowerMw = 1000;

// A query whose value stands in the ten characters before `marker` (from the start of the text
// when the marker comes sooner), up to the first CR or blank.
SQueryRule MarkerRule(std::string marker);

// The frequency in an "SL&F?" value; nothing when the value does not begin with a number.
std::optional<double> FrequencyFromValue(std::string_view value);
double FrequencyOfChannel(int channel);
// The channel of a frequency, rounding half up; nothing outside 433.0..435.0 MHz.
std::optional<int> ChannelOfFrequency(double megahertz);
// "%3.3f" whatever the locale ("434.025").
std::string FrequencyText(double megahertz);

// The signal text in an "SL@R?" answer: what stands between the first two "dBm" (less the
// character before the second; the whole answer when that is empty and the answer is longer than
// six characters), without "<", as plain text, with "dBm" appended. Nothing without a "dBm" or
// with an empty value: the shown text stays as it was.
std::optional<std::string> SignalText(std::string_view reply);

// The commit lines. Each setting goes out twice (the radio takes one of the two, so one "OK" is
// enough), then "SL**>" stores them; it goes out only when every setting was acknowledged.
std::vector<SCommitStep> BaseCommit(double megahertz, int powerMw);
std::vector<SCommitStep> RoverCommit(double megahertz);

// The rover's signal reading, driven by the dialog's timer instead of sleeping on the UI thread:
// three "SL@R?" 200, 200 and 100 ms apart, then the answer read in 20 ms steps until the radio
// goes quiet (at most 2 s and 4 KiB), every 2 s. Advance does whatever is due and says when it
// wants to run next; it never pauses.
//
//     poll.Start();  timer.start(0);
//     on timeout: int next = poll.Advance(); if (auto t = poll.TakeSignalText()) show(*t);
//                 if (next >= 0) timer.start(next);
class CSignalPoll {
public:
    explicit CSignalPoll(CRadioLink& link) : m_Link(link) {}

    // The first request goes out `firstDelayMs` from now.
    void Start(int firstDelayMs);
    // At once, mid-cycle too: nothing more is sent or read until the next Start.
    void Stop();
    bool Running() const { return m_State != EState::Stopped; }

    // Does what is due now; milliseconds until it wants to run again, -1 while stopped.
    int Advance();
    // The signal text of the last finished reading, once.
    std::optional<std::string> TakeSignalText();

private:
    enum class EState { Stopped, Waiting, Asking, Collecting };
    using TimePoint = CRadioLink::Clock::time_point;

    void Finish(TimePoint now);

    CRadioLink& m_Link;
    EState m_State = EState::Stopped;
    int m_Asked = 0;
    TimePoint m_Due{};
    TimePoint m_CycleStart{};
    TimePoint m_CollectEnd{};
    std::string m_Reply;
    std::optional<std::string> m_Text;
};

}  // namespace Satel
