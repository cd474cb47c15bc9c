#pragma once

#include <cstdint>

class CArchiveWriter;
class CArchiveReader;

// The six battery values, as mark files store them.
struct SBatterySettings {
    double IntBatVCritical = 11.0;
    double ExtBatVCritical = 11.0;
    double IntBatVWarn = 12.0;
    double ExtBatVWarn = 12.0;
    std::int32_t IntBatDr = 500;
    std::int32_t ExtBatDr = 500;

    bool operator==(const SBatterySettings&) const = default;

    // 40 bytes: IntBatVWarn, ExtBatVWarn, IntBatVCritical, ExtBatVCritical, IntBatDr, ExtBatDr.
    void Store(CArchiveWriter& ar) const;
    bool Load(CArchiveReader& ar);
    static constexpr int ArchiveSize = 4 * 8 + 2 * 4;
};

// The base's battery settings and GPS status. Modified tells the base configuration dialog to redraw.
class CBaseSettings {
public:
    CBaseSettings() = default;
    virtual ~CBaseSettings() = default;

    double GetIntBatVCritical() const { return m_Battery.IntBatVCritical; }
    double GetExtBatVCritical() const { return m_Battery.ExtBatVCritical; }
    double GetIntBatVWarn() const { return m_Battery.IntBatVWarn; }
    double GetExtBatVWarn() const { return m_Battery.ExtBatVWarn; }
    int GetIntBatDr() const { return m_Battery.IntBatDr; }
    int GetExtBatDr() const { return m_Battery.ExtBatDr; }
    bool GetOnInternalBattery() const { return m_OnInternalBattery; }
    int GetSats() const { return m_Sats; }
    double GetStDev() const { return m_StDev; }
    int GetPeakSnr() const { return m_PeakSnr; }

    // Battery setters mark the record modified even when the value is the same.
    void SetIntBatVCritical(double v);
    void SetIntBatVWarn(double v);
    void SetExtBatVWarn(double v);
    void SetIntBatDr(int v);
    void SetExtBatDr(int v);
    // Status setters mark it modified only on a change. ExtBatVCritical has no setter: the base never
    // reports it; only defaults and mark files change it.
    void SetSats(int v);
    void SetStDev(double v);
    void SetPeakSnr(int v);
    void SetOnInternalBattery(bool v);

    // Counts every battery setter call (a reply line or an edit), so a reader can tell that the
    // base's answer has come in even when it holds the same values.
    unsigned BatteryUpdates() const { return m_BatteryUpdates; }

    bool GetModified() const { return m_Modified; }
    void SetModified(bool v) { m_Modified = v; }

    // The six battery values back to their defaults; status values stay.
    void ResetDefaults();

    // The 40-byte record of mark files. Load sets Modified; on failure nothing changes.
    void Store(CArchiveWriter& ar) const { m_Battery.Store(ar); }
    bool Load(CArchiveReader& ar);

    // All six battery values at once (mark files); sets Modified.
    SBatterySettings GetBattery() const { return m_Battery; }
    void SetBattery(const SBatterySettings& battery);

private:
    SBatterySettings m_Battery;
    bool m_OnInternalBattery = false;
    bool m_Modified = true;
    unsigned m_BatteryUpdates = 0;
    int m_Sats = 0;
    double m_StDev = 0.0;
    int m_PeakSnr = 0;
};
