#include "sim_radio.h"

#include "sim_maxstream.h"
#include "sim_microhard.h"
#include "sim_satel.h"

#include <cctype>

std::string SimUpper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool SimRefuses(const SSimRadioSettings& settings, const std::string& line)
{
    return !settings.refuse.empty() && SimUpper(line).rfind(SimUpper(settings.refuse), 0) == 0;
}

std::unique_ptr<CSimRadio> MakeSimRadio(const std::string& family, const SSimRadioSettings& settings)
{
    if (family == "microhard")
        return std::make_unique<CSimMicrohard>(settings);
    if (family == "maxstream")
        return std::make_unique<CSimMaxstream>(settings);
    if (family == "satel")
        return std::make_unique<CSimSatel>(settings);
    return nullptr;
}

bool CSimLineBuffer::Feed(char c, std::string& line)
{
    if (c == '\r' || c == '\n') {
        if (m_line.empty())
            return false;
        line.clear();
        line.swap(m_line);
        return true;
    }
    if (m_line.size() < MaxLine)
        m_line += c;
    return false;
}

CSimAtModem::CSimAtModem(const SSimRadioSettings& settings) : m_settings(settings) {}

std::string CSimAtModem::Receive(std::string_view bytes, long long nowMs)
{
    // A pending escape whose closing silence has passed completes before these bytes count.
    std::string out = Tick(nowMs);
    for (char c : bytes) {
        if (c == '+' && m_plusCount < 3 && (m_plusCount > 0 || nowMs - m_lastByteMs >= LenientGuard())) {
            ++m_plusCount;
            m_lastByteMs = nowMs;
            continue;
        }
        if (m_plusCount > 0) {
            // Not an escape after all: the pluses were ordinary characters.
            if (m_commandMode)
                m_lines.Append(static_cast<std::size_t>(m_plusCount), '+');
            m_plusCount = 0;
        }
        m_lastByteMs = nowMs;
        if (!m_commandMode)
            continue;   // data mode: the radio sends it over the air
        if (std::string line; m_lines.Feed(c, line))
            out += Command(line, nowMs);
    }
    return out;
}

std::string CSimAtModem::Tick(long long nowMs)
{
    if (m_commandMode && m_settings.commandIdleMs > 0 && nowMs - m_lastByteMs >= m_settings.commandIdleMs) {
        m_commandMode = false;   // silently, as the radios do
        m_lines.Clear();
    }
    if (m_plusCount == 3 && nowMs - m_lastByteMs >= LenientGuard()) {
        m_plusCount = 0;
        m_commandMode = true;
        m_lastByteMs = nowMs;   // idle time in command mode counts from here
        m_lines.Clear();
        return EscapeReply();
    }
    return {};
}

long long CSimAtModem::NextEventMs() const
{
    if (m_plusCount == 3)
        return m_lastByteMs + LenientGuard();
    return m_commandMode && m_settings.commandIdleMs > 0 ? m_lastByteMs + m_settings.commandIdleMs : -1;
}
