#pragma once

// Maxstream (XStream) dialect: "AT" and a two-letter parameter; "=" sets it, "?" (or nothing)
// reads it. No echo; every answer is one line ended by CR alone. Parameters are hexadecimal.

#include "sim_radio.h"

#include <map>

class CSimMaxstream : public CSimAtModem {
public:
    explicit CSimMaxstream(const SSimRadioSettings& settings);
    std::string Family() const override { return "maxstream"; }

    std::string Parameter(const std::string& name) const;   // "" when unknown
    static unsigned PacketCount(bool linkUp, long long nowMs);   // ATGD, 16 bits
    static int SignalLevel(bool linkUp, long long nowMs);        // ATDB, dB below 1 mW

protected:
    std::string EscapeReply() override;
    std::string Command(const std::string& line, long long nowMs) override;

private:
    void LoadDefaults();

    std::map<std::string, std::string> m_parameters;
    std::map<std::string, std::string> m_stored;   // what ATWR kept
};
