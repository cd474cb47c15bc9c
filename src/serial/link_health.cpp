#include "serial/link_health.h"

#include <algorithm>

#include "ui/language_module.h"
#include "ui/string_table.h"

namespace {

std::string LoadText(const CLanguageModule* language, int id)
{
    return language ? language->LoadText(id) : std::string(BuiltInStringText(id));
}

std::string WithNumber(std::string text, const std::string& value)
{
    if (const auto at = text.find("%1"); at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}

}  // namespace

CLinkHealth::CLinkHealth(std::string portName, Clock::time_point now)
    : m_PortName(std::move(portName)), m_LastReceived(now), m_QuietSince(now)
{
}

int CLinkHealth::Seconds(Clock::duration d)
{
    return static_cast<int>(std::max<long long>(0, std::chrono::duration_cast<std::chrono::seconds>(d).count()));
}

void CLinkHealth::Received(Clock::time_point t)
{
    m_LastReceived = t;
    m_QuietSince = t;
    m_EverReceived = true;
}

void CLinkHealth::PortLost(Clock::time_point t)
{
    if (m_Lost)
        return;
    m_Lost = true;
    m_LostAt = t;
    m_NextRetry = t + RetryEvery;
    m_ReopenedAt.reset();
}

void CLinkHealth::Reopened(Clock::time_point t)
{
    if (!m_Lost)
        return;
    m_Lost = false;
    m_OutageSeconds = Seconds(t - m_LostAt);
    m_ReopenedAt = t;
    // The equipment gets its full grace again before the line calls it silent.
    m_QuietSince = t;
}

void CLinkHealth::SetExpecting(bool expecting, Clock::time_point t)
{
    if (expecting && !m_Expecting)
        m_QuietSince = t;
    m_Expecting = expecting;
}

CLinkHealth::EState CLinkHealth::State(Clock::time_point now) const
{
    if (m_Lost)
        return EState::Lost;
    if (m_ReopenedAt && now - *m_ReopenedAt < ShowReconnectedFor)
        return EState::Reconnected;
    if (m_Expecting && now - m_QuietSince > SilentAfter)
        return EState::Silent;
    return EState::Receiving;
}

bool CLinkHealth::RetryDue(Clock::time_point now)
{
    if (!m_Lost || now < m_NextRetry)
        return false;
    m_NextRetry = now + RetryEvery;
    return true;
}

std::optional<int> CLinkHealth::ReadingAge(Clock::time_point now) const
{
    const EState state = State(now);
    if (!m_EverReceived)
        return std::nullopt;
    // Just reconnected: the readings are as old as the outage until the equipment answers.
    const bool stale = state == EState::Lost || state == EState::Silent ||
                       (state == EState::Reconnected && m_LastReceived < *m_ReopenedAt);
    if (!stale)
        return std::nullopt;
    return Seconds(now - m_LastReceived);
}

std::string CLinkHealth::Text(Clock::time_point now, const CLanguageModule* language) const
{
    switch (State(now)) {
    case EState::Lost:
        return WithNumber(LoadText(language, StringIds::LinkLost), m_PortName);
    case EState::Reconnected:
        return WithNumber(LoadText(language, StringIds::LinkReconnected), std::to_string(m_OutageSeconds));
    case EState::Silent:
        return WithNumber(LoadText(language, StringIds::LinkSilent), std::to_string(Seconds(now - m_QuietSince)));
    case EState::Receiving:
        break;
    }
    return LoadText(language, StringIds::LinkReceiving);
}

const char* CLinkHealth::Symbol(EState state)
{
    switch (state) {
    case EState::Lost:
        return "\u2716";  // heavy multiplication x
    case EState::Silent:
        return "\u26a0";  // warning sign
    case EState::Reconnected:
        return "\u21bb";  // clockwise open circle arrow
    case EState::Receiving:
        break;
    }
    return "\u2714";  // heavy check mark
}

std::string CLinkHealth::Aged(const std::string& reading, Clock::time_point now, const CLanguageModule* language) const
{
    const auto age = ReadingAge(now);
    if (!age)
        return reading;
    return reading + " " + WithNumber(LoadText(language, StringIds::ReadingAge), std::to_string(*age));
}
