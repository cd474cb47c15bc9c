#include "sim_microhard.h"

#include <cctype>

CSimMicrohard::CSimMicrohard(const SSimRadioSettings& settings) : CSimAtModem(settings)
{
    LoadFactory(settings.baseRole ? 10 : 5);
    m_registers[104] = "104";   // radio ID 3, so a reading is told apart from the factory 0
    m_stored = m_registers;
}

void CSimMicrohard::LoadFactory(int set)
{
    // Set 10 is a point-to-multipoint master (base), set 5 a slave (rover).
    m_registers = {
        {101, set == 10 ? "2" : "3"}, {102, "7"}, {103, "0"}, {104, "101"}, {105, "1"},
        {108, "30"}, {109, "17"}, {113, "3"}, {115, "3"}, {158, "7"},
    };
}

std::string CSimMicrohard::Register(int number) const
{
    auto it = m_registers.find(number);
    return it == m_registers.end() ? std::string() : it->second;
}

int CSimMicrohard::SignalReading(bool linkUp, long long nowMs)
{
    return linkUp ? 68 + static_cast<int>((nowMs / 3000) % 12) : 130;
}

std::string CSimMicrohard::EscapeReply()
{
    return "\r\nOK\r\n";
}

std::string CSimMicrohard::Result(const std::string& line, const std::vector<std::string>& lines, bool ok)
{
    std::string out = line + "\r";
    for (const auto& l : lines)
        out += "\r\n" + l + "\r\n";
    out += ok ? "\r\nOK\r\n" : "\r\nERROR\r\n";
    return out;
}

std::string CSimMicrohard::Command(const std::string& line, long long nowMs)
{
    const std::string cmd = SimUpper(line);
    if (SimRefuses(Settings(), line))
        return Result(line, {}, false);
    if (cmd == "AT")
        return Result(line, {});
    if (cmd == "ATO" || cmd == "ATCN") {
        LeaveCommandMode();
        return Result(line, {});
    }
    if (cmd == "ATI255")
        return Result(line, {Product});
    if (cmd == "AT&V") {
        std::vector<std::string> lines = {Product, Maker, Firmware, ""};
        for (const auto& [number, value] : m_registers)
            lines.push_back("S" + std::to_string(number) + "=" + value);
        return Result(line, lines);
    }
    if (cmd == "AT&W") {
        m_stored = m_registers;
        return Result(line, {});
    }
    if (cmd == "AT&F5" || cmd == "AT&F10") {
        LoadFactory(cmd == "AT&F10" ? 10 : 5);
        return Result(line, {});
    }
    if (cmd.rfind("ATS", 0) == 0) {
        size_t i = 3;
        int number = 0;
        while (i < cmd.size() && i < 6 && std::isdigit(static_cast<unsigned char>(cmd[i])))
            number = number * 10 + (cmd[i++] - '0');
        if (i == 3 || i >= cmd.size())
            return Result(line, {}, false);
        if (cmd[i] == '?' && i + 1 == cmd.size()) {
            if (number == 123)
                return Result(line, {std::to_string(SignalReading(Settings().linkUp, nowMs))});
            auto it = m_registers.find(number);
            if (it == m_registers.end())
                return Result(line, {}, false);
            return Result(line, {it->second});
        }
        if (cmd[i] == '=' && number != 123) {
            std::string value = cmd.substr(i + 1);
            bool digits = !value.empty() && value.size() <= 5;
            for (char c : value)
                digits = digits && std::isdigit(static_cast<unsigned char>(c));
            if (!digits)
                return Result(line, {}, false);
            m_registers[number] = std::to_string(std::stoi(value));
            return Result(line, {});
        }
    }
    return Result(line, {}, false);
}
