#pragma once

// A scripted radio on a virtual clock for the radio code's unit tests. Pause advances the clock at
// once; Respond turns each thing sent into reply bytes that arrive ReplyDelayMs later, and
// ChunkSize limits how much one Read hands out (1 gives a reply byte by byte).

#include <algorithm>
#include <climits>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "radio/radio_link.h"

class CFakeRadioLink : public CRadioLink {
public:
    struct SSent {
        std::string Text;
        bool Line;
        long long AtMs;
    };

    std::function<std::string(const std::string& sent, bool line)> Respond;
    int ReplyDelayMs = 0;
    std::size_t ChunkSize = SIZE_MAX;
    long long StopAtMs = LLONG_MAX;  // StopRequested from this virtual time on
    bool RealSleep = false;          // Pause also sleeps (for tests with a real thread)

    void WriteLine(std::string_view text) override { Send(std::string(text), true); }
    void Write(std::string_view bytes) override { Send(std::string(bytes), false); }
    std::string Read(std::size_t maximum) override
    {
        std::lock_guard lock(m_mutex);
        Deliver();
        const std::size_t n = std::min({maximum, ChunkSize, m_inbox.size()});
        std::string out = m_inbox.substr(0, n);
        m_inbox.erase(0, n);
        return out;
    }
    void Purge() override
    {
        std::lock_guard lock(m_mutex);
        Deliver();
        m_inbox.clear();
        ++Purges;
    }
    void Pause(int milliseconds) override
    {
        if (RealSleep)
            SleepMs(milliseconds);
        std::lock_guard lock(m_mutex);
        m_nowMs += std::max(milliseconds, 0);
    }
    Clock::time_point Now() const override
    {
        std::lock_guard lock(m_mutex);
        return Clock::time_point(std::chrono::milliseconds(m_nowMs));
    }
    bool StopRequested() const override
    {
        std::lock_guard lock(m_mutex);
        return m_nowMs >= StopAtMs;
    }

    // Bytes that arrive afterMs from now, unasked.
    void Arrive(std::string bytes, int afterMs = 0)
    {
        std::lock_guard lock(m_mutex);
        m_pending.push_back({m_nowMs + afterMs, std::move(bytes)});
    }
    long long NowMs() const
    {
        std::lock_guard lock(m_mutex);
        return m_nowMs;
    }
    std::vector<SSent> Sent() const
    {
        std::lock_guard lock(m_mutex);
        return m_sent;
    }
    // The texts sent, in order.
    std::vector<std::string> SentTexts() const
    {
        std::vector<std::string> out;
        for (const auto& s : Sent())
            out.push_back(s.Text);
        return out;
    }
    int Purges = 0;

private:
    struct SPending {
        long long AtMs;
        std::string Bytes;
    };
    void Send(std::string text, bool line)
    {
        std::string reply = Respond ? Respond(text, line) : std::string();
        std::lock_guard lock(m_mutex);
        m_sent.push_back({text, line, m_nowMs});
        if (!reply.empty())
            m_pending.push_back({m_nowMs + ReplyDelayMs, std::move(reply)});
    }
    void Deliver()
    {
        auto due = [this](const SPending& p) { return p.AtMs <= m_nowMs; };
        for (const auto& p : m_pending)
            if (due(p))
                m_inbox += p.Bytes;
        m_pending.erase(std::remove_if(m_pending.begin(), m_pending.end(), due), m_pending.end());
    }

    mutable std::mutex m_mutex;
    long long m_nowMs = 0;
    std::string m_inbox;
    std::vector<SPending> m_pending;
    std::vector<SSent> m_sent;
};
