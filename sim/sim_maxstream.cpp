#include "sim_maxstream.h"

#include <cctype>
#include <cstdio>

CSimMaxstream::CSimMaxstream(const SSimRadioSettings& settings) : CSimAtModem(settings)
{
    LoadDefaults();
    m_parameters["DT"] = "2";   // radio ID 2, so a reading is told apart from the factory 0
    m_parameters["HP"] = "2";
    m_stored = m_parameters;
}

void CSimMaxstream::LoadDefaults()
{
    m_parameters = {
        {"DT", "0"}, {"HP", "0"}, {"ID", "3332"}, {"BR", "1"}, {"RR", "0"}, {"MT", "0"},
        {"TX", "0"}, {"PL", "4"}, {"CT", "C8"}, {"GT", "A"}, {"BD", "3"},
    };
}

std::string CSimMaxstream::Parameter(const std::string& name) const
{
    auto it = m_parameters.find(name);
    return it == m_parameters.end() ? std::string() : it->second;
}

unsigned CSimMaxstream::PacketCount(bool linkUp, long long nowMs)
{
    // A base sends a few packets a second; the count stands still while nothing is heard.
    const unsigned start = 0x1A40;
    return linkUp ? (start + static_cast<unsigned>(nowMs / 300)) & 0xFFFF : start;
}

int CSimMaxstream::SignalLevel(bool linkUp, long long nowMs)
{
    return linkUp ? 0x46 + static_cast<int>((nowMs / 2700) % 10) : 0x7F;
}

std::string CSimMaxstream::EscapeReply()
{
    return "OK\r";
}

std::string CSimMaxstream::Command(const std::string& line, long long nowMs)
{
    const std::string cmd = SimUpper(line);
    if (cmd.rfind("AT", 0) != 0 || SimRefuses(Settings(), line))
        return "ERROR\r";
    const std::string body = cmd.substr(2);
    char hex[16];
    if (body.empty())
        return "OK\r";
    if (body == "CN" || body == "O") {
        LeaveCommandMode();
        return "OK\r";
    }
    if (body == "VL")
        return "9XStream-PKG-R\rFirm 4.30\rBuild 2025-06-12\r2B=" + m_parameters["DT"] + "\r";
    if (body == "RE") {
        LoadDefaults();
        return "OK\r";
    }
    if (body == "WR") {
        m_stored = m_parameters;
        return "OK\r";
    }
    if (body == "GD" || body == "GD?") {
        std::snprintf(hex, sizeof hex, "%X\r", PacketCount(Settings().linkUp, nowMs));
        return hex;
    }
    if (body == "DB" || body == "DB?") {
        std::snprintf(hex, sizeof hex, "%X\r", static_cast<unsigned>(SignalLevel(Settings().linkUp, nowMs)));
        return hex;
    }
    if (body.size() < 2)
        return "ERROR\r";
    auto it = m_parameters.find(body.substr(0, 2));
    if (it == m_parameters.end())
        return "ERROR\r";
    std::string rest = body.substr(2);
    if (rest.empty() || rest == "?")
        return it->second + "\r";
    if (rest[0] == '=' || rest[0] == ' ') {
        std::string value = rest.substr(1);
        while (value.size() > 1 && value[0] == '0')
            value.erase(0, 1);
        bool ok = !value.empty() && value.size() <= 4;
        for (char c : value)
            ok = ok && std::isxdigit(static_cast<unsigned char>(c));
        if (!ok)
            return "ERROR\r";
        it->second = value;
        return "OK\r";
    }
    return "ERROR\r";
}
