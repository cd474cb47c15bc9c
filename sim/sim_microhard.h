#pragma once

// Microhard MHX920 dialect: AT commands with echo, S registers, verbose results.
// A command line is echoed with its CR, each result line comes as CR LF, text, CR LF, and the
// command ends with CR LF "OK" CR LF (or "ERROR").

#include "sim_radio.h"

#include <map>
#include <vector>

class CSimMicrohard : public CSimAtModem {
public:
    explicit CSimMicrohard(const SSimRadioSettings& settings);
    std::string Family() const override { return "microhard"; }

    // Register value as the radio holds it ("" when the register does not exist).
    std::string Register(int number) const;
    static int SignalReading(bool linkUp, long long nowMs);   // S123, dB below 1 mW

    static constexpr const char* Product = "MHX920 Spread Spectrum Radio Modem";
    static constexpr const char* Maker = "Microhard Systems Inc.";
    static constexpr const char* Firmware = "v1.56 build 1043";

protected:
    std::string EscapeReply() override;
    std::string Command(const std::string& line, long long nowMs) override;

private:
    void LoadFactory(int set);
    static std::string Result(const std::string& line, const std::vector<std::string>& lines, bool ok = true);

    std::map<int, std::string> m_registers;
    std::map<int, std::string> m_stored;   // what AT&W kept
};
