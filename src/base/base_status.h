#pragma once

#include <string>

class CBaseSettings;
class CMarkList;
class CMark;

// The base's last voltage and battery time, and the records the reply parser updates. Owns nothing.
class CBaseStatus {
public:
    CBaseStatus(CBaseSettings* settings, CMarkList* marks, CMark* referencePosition)
        : m_Settings(settings), m_Marks(marks), m_ReferencePosition(referencePosition)
    {
    }
    virtual ~CBaseStatus() = default;

    // The voltage exactly as the base sent it (no unit), and as a number.
    const std::string& GetVoltageText() const { return m_VoltageText; }
    void SetVoltageText(const std::string& v) { m_VoltageText = v; }
    double GetVoltage() const { return m_Voltage; }
    void SetVoltage(double v) { m_Voltage = v; }

    int GetBatteryMinutes() const { return m_BatteryMinutes; }
    void SetBatteryMinutes(int v) { m_BatteryMinutes = v; }
    // 1 = low battery, 2 = critical, anything else = operational.
    int GetBatteryState() const { return m_BatteryState; }
    void SetBatteryState(int v) { m_BatteryState = v; }
    static constexpr int BatteryLow = 1;
    static constexpr int BatteryCritical = 2;

    CBaseSettings* GetSettings() const { return m_Settings; }
    CMarkList* GetMarks() const { return m_Marks; }
    CMark* GetReferencePosition() const { return m_ReferencePosition; }

private:
    std::string m_VoltageText;
    double m_Voltage = 0.0;
    CBaseSettings* m_Settings;
    CMarkList* m_Marks;
    CMark* m_ReferencePosition;
    int m_BatteryMinutes = 0;
    int m_BatteryState = 0;
};
