#pragma once

// `varnel-sim --replay`: the device of a session log. Each run of R lines is what the program is
// expected to send; the S lines after it are the answer, sent once those bytes have arrived
// (compared as bytes; timing is not compared). Once the first byte of an expected run has come,
// the rest gets ReplayWaitMs; then the answer goes out anyway and the mismatch is reported.
// After the last answer the device stays silent.

#include "serial/session_log.h"

#include <string>
#include <string_view>
#include <vector>

class CSimReplay {
public:
    static constexpr long long ReplayWaitMs = 2000;

    explicit CSimReplay(const std::vector<SSessionLine>& lines);

    std::string Receive(std::string_view bytes, long long nowMs);
    std::string Tick(long long nowMs);
    long long NextEventMs(long long nowMs) const;

    // Mismatch reports since the last call, one line each (both texts escaped).
    std::vector<std::string> TakeMessages();
    int Matched() const { return m_matched; }
    int Mismatched() const { return m_mismatched; }
    // Expected runs not reached yet.
    int Remaining() const { return static_cast<int>(m_steps.size() - m_step); }
    std::string Report() const;

private:
    struct SStep {
        std::string expect;   // R bytes
        std::string answer;   // S bytes that followed them
    };
    // Sends the answers of steps that expect nothing more, and judges the current one.
    std::string Advance(long long nowMs, bool timedOut);

    std::vector<SStep> m_steps;
    std::size_t m_step = 0;
    std::string m_received;
    long long m_waitFromMs = -1;   // first byte of the current step's run
    int m_matched = 0;
    int m_mismatched = 0;
    long long m_extraBytes = 0;    // received after the last step
    std::vector<std::string> m_messages;
};
