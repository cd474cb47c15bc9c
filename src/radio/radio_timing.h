#pragma once

// Every pause, limit and size of the radio dialogs, in one place. Dialects and dialogs name these
// instead of writing numbers, so a changed radio timing is one edit here.

#include <cstddef>

namespace RadioTiming {

// Escape sequence "+++": silence before and after it (the radios' guard time).
constexpr int GuardMs = 1200;

// Query and collect (all makers).
constexpr int QueryCycleMs = 100;        // pause before each read
constexpr int QueryDeadlineMs = 2000;    // the query fails when nothing usable came by then
constexpr std::size_t QueryReadSize = 996;
constexpr std::size_t QueryOverflow = 5000;  // accumulated bytes that end a query at once
constexpr std::size_t QueryMinRead = 2;      // reads shorter than this are ignored
constexpr std::size_t OverflowReplyLength = 20;  // "the first 20 received characters"

// Extraction thresholds (accumulated length must exceed them).
constexpr std::size_t MaxstreamThreshold = 1;
constexpr std::size_t MicrohardThreshold = 9;
constexpr std::size_t SatelThreshold = 10;

// Texts from the radio shown to the operator are cut to this many characters.
constexpr std::size_t ShownReplyLength = 60;

// Polling-thread handshake: the dialog waits at most this long for the thread after asking it to
// stop; a thread still running then is detached and the port closed (CSignalPoller::StopWithin).
constexpr int StopWaitCommitMs = 3000;   // Microhard rover commit
constexpr int StopWaitMs = 2000;         // every other case
constexpr int StopPollMs = 100;

// Display timer of the rover dialogs, and the one-shot reading timer of the Microhard base.
constexpr int DisplayTimerMs = 20;

// Microhard.
constexpr int MicrohardBaseCommandPauseMs = 20;   // after each commit line (base)
constexpr int MicrohardRoverCommandPauseMs = 30;  // after each commit line (rover)
constexpr int MicrohardSignalReplyMs = 200;       // after "ATS123?"
constexpr int MicrohardSignalWaitMs = 2000;       // collecting the "ATS123?" reply
constexpr int MicrohardSignalStepMs = 40;
constexpr std::size_t MicrohardSignalReadSize = 256;
constexpr std::size_t MicrohardSignalMinBytes = 6;
constexpr int MicrohardRestSteps = 100;           // rest between readings: 100 x 50 ms = 5 s
constexpr int MicrohardRestStepMs = 50;
constexpr int MicrohardDrainMs = 100;             // before draining the rest of "AT&V"

// Maxstream.
constexpr int MaxstreamGdReplyMs = 100;     // after "ATGD"
constexpr int MaxstreamGdWaitMs = 5000;
constexpr int MaxstreamGdStepMs = 20;
constexpr int MaxstreamDbWaitMs = 2000;
constexpr int MaxstreamDbStepMs = 100;
constexpr std::size_t MaxstreamReadSize = 1024;
constexpr std::size_t MaxstreamCollectLimit = 4096;
constexpr int MaxstreamSettleMs = 200;         // after the escape, before the stale bytes go
constexpr int MaxstreamCommandPauseMs = 20;    // after each commit line

// Satel.
constexpr int SatelFirstPollMs = 100;
constexpr int SatelPollMs = 2000;
constexpr std::size_t SatelPollCollectLimit = 4096;
constexpr int SatelAskGapMs = 200;             // between the three "SL@R?"
constexpr int SatelLastAskMs = 100;            // after the third, before the first read
constexpr int SatelCollectMs = 2000;
constexpr int SatelCollectStepMs = 20;
constexpr std::size_t SatelReadSize = 1024;
constexpr int SatelPairPauseMs = 100;          // between the two spellings of a setting
constexpr int SatelSettingPauseMs = 300;       // after the last setting
constexpr int SatelStorePauseMs = 20;          // after "SL**>"

// Signal readings above this are no signal.
constexpr int NoSignalAbove = 120;

}  // namespace RadioTiming
