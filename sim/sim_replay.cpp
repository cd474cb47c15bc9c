#include "sim_replay.h"

#include <algorithm>

CSimReplay::CSimReplay(const std::vector<SSessionLine>& lines)
{
    bool answering = false;
    for (const SSessionLine& line : lines) {
        if (line.kind == 'R') {
            if (answering || m_steps.empty())
                m_steps.push_back({});
            answering = false;
            m_steps.back().expect += line.bytes;
        } else if (line.kind == 'S') {
            if (m_steps.empty())
                m_steps.push_back({});
            answering = true;
            m_steps.back().answer += line.bytes;
        }
    }
}

std::string CSimReplay::Receive(std::string_view bytes, long long nowMs)
{
    if (m_step >= m_steps.size()) {
        m_extraBytes += static_cast<long long>(bytes.size());
        return {};
    }
    if (m_received.empty() && !bytes.empty() && m_waitFromMs < 0)
        m_waitFromMs = nowMs;
    m_received.append(bytes);
    return Advance(nowMs, false);
}

std::string CSimReplay::Tick(long long nowMs)
{
    const bool timedOut = m_waitFromMs >= 0 && nowMs - m_waitFromMs >= ReplayWaitMs;
    return Advance(nowMs, timedOut);
}

long long CSimReplay::NextEventMs(long long nowMs) const
{
    if (m_step < m_steps.size() && m_steps[m_step].expect.empty())
        return nowMs;
    return m_waitFromMs >= 0 ? m_waitFromMs + ReplayWaitMs : -1;
}

std::string CSimReplay::Advance(long long nowMs, bool timedOut)
{
    std::string out;
    while (m_step < m_steps.size()) {
        const SStep& step = m_steps[m_step];
        if (step.expect.empty()) {   // the device spoke first
            out += step.answer;
            ++m_step;
            continue;
        }
        if (m_received.size() < step.expect.size() && !timedOut)
            break;
        const std::size_t used = std::min(m_received.size(), step.expect.size());
        const std::string_view got(m_received.data(), used);
        if (got == step.expect) {
            ++m_matched;
        } else {
            ++m_mismatched;
            m_messages.push_back("replay: burst " + std::to_string(m_step + 1) + ": expected \"" +
                                 EscapeSessionBytes(step.expect) + "\", received \"" + EscapeSessionBytes(got) +
                                 "\"" + (timedOut ? " (gave up waiting)" : ""));
        }
        m_received.erase(0, used);
        out += step.answer;
        ++m_step;
        timedOut = false;
        m_waitFromMs = m_received.empty() ? -1 : nowMs;
    }
    if (m_step >= m_steps.size() && !m_received.empty()) {
        m_extraBytes += static_cast<long long>(m_received.size());
        m_received.clear();
        m_waitFromMs = -1;
    }
    return out;
}

std::vector<std::string> CSimReplay::TakeMessages()
{
    std::vector<std::string> messages;
    messages.swap(m_messages);
    return messages;
}

std::string CSimReplay::Report() const
{
    return "bursts matched: " + std::to_string(m_matched) + "\n" +
           "bursts mismatched: " + std::to_string(m_mismatched) + "\n" +
           "bursts not reached: " + std::to_string(Remaining()) + "\n" +
           "bytes after the end: " + std::to_string(m_extraBytes) + "\n";
}
