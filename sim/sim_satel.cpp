#include "sim_satel.h"

#include <cstdio>
#include <cstdlib>

CSimSatel::CSimSatel(const SSimRadioSettings& settings) : m_settings(settings) {}

std::string CSimSatel::Receive(std::string_view bytes, long long nowMs)
{
    std::string out;
    for (char c : bytes) {
        if (std::string line; m_lines.Feed(c, line))
            out += Command(line, nowMs);
    }
    return out;
}

std::string CSimSatel::Command(const std::string& line, long long nowMs)
{
    const std::string cmd = SimUpper(line);
    if (cmd.rfind("SL", 0) != 0)
        return {};
    if (SimRefuses(m_settings, line))
        return "ERROR\r\n";
    char text[96];
    if (cmd == "SL&F?") {
        // Transmit and receive frequency, then power and its setting: each value stands between two
        // of its units, the form the connection probe reads; the frequency takes the 9 characters
        // and a blank before the first "MHz", the form the radio dialogs read.
        std::snprintf(text, sizeof text, "%9.5f MHz %9.5f MHz %d mW %d mW\r\n", m_frequency, m_frequency,
                      m_power, m_power);
        return text;
    }
    if (cmd == "SL@P?") {
        std::snprintf(text, sizeof text, "%d mW\r\n", m_power);
        return text;
    }
    if (cmd == "SL@R?")
        return m_settings.linkUp ? "dBm-" + std::to_string(78 + static_cast<int>((nowMs / 2000) % 9)) + " dBm\r\n"
                                 : std::string("dBm<-110 dBm\r\n");
    if (cmd.rfind("SL&F=", 0) == 0 || cmd.rfind("SL@P=", 0) == 0) {
        const std::string value = cmd.substr(5);
        char* end = nullptr;
        double number = std::strtod(value.c_str(), &end);
        if (value.empty() || *end != '\0')
            return "ERROR\r\n";
        if (cmd[2] == '&') {
            if (number < 400.0 || number > 470.0)
                return "ERROR\r\n";
            m_frequency = number;
        } else {
            if (number < 1 || number > 10000)
                return "ERROR\r\n";
            m_power = static_cast<int>(number);
        }
        m_stored = false;
        return "OK\r\n";
    }
    if (cmd == "SL**>") {
        m_stored = true;
        return "OK\r\n";
    }
    return "ERROR\r\n";
}
