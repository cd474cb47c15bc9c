#pragma once

// Satel dialect: "SL" command lines at any time (no command mode, no escape); other lines are
// data and go over the air unanswered. Answers end with CR LF.

#include "sim_radio.h"

class CSimSatel : public CSimRadio {
public:
    explicit CSimSatel(const SSimRadioSettings& settings);
    std::string Family() const override { return "satel"; }
    std::string Receive(std::string_view bytes, long long nowMs) override;
    bool InCommandMode() const override { return true; }

    double FrequencyMHz() const { return m_frequency; }
    int PowerMw() const { return m_power; }
    bool Stored() const { return m_stored; }

private:
    std::string Command(const std::string& line, long long nowMs);

    SSimRadioSettings m_settings;
    double m_frequency = 434.125;   // channel 45
    int m_power = 1000;
    bool m_stored = true;           // false after a change until "SL**>"
    CSimLineBuffer m_lines;
};
