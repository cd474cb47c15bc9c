#include "base/base_settings.h"

#include "marks/archive.h"

void SBatterySettings::Store(CArchiveWriter& ar) const
{
    ar.WriteDouble(IntBatVWarn);
    ar.WriteDouble(ExtBatVWarn);
    ar.WriteDouble(IntBatVCritical);
    ar.WriteDouble(ExtBatVCritical);
    ar.WriteI32(IntBatDr);
    ar.WriteI32(ExtBatDr);
}

bool SBatterySettings::Load(CArchiveReader& ar)
{
    SBatterySettings s;
    if (!ar.ReadDouble(s.IntBatVWarn) || !ar.ReadDouble(s.ExtBatVWarn) || !ar.ReadDouble(s.IntBatVCritical) ||
        !ar.ReadDouble(s.ExtBatVCritical) || !ar.ReadI32(s.IntBatDr) || !ar.ReadI32(s.ExtBatDr))
        return false;
    *this = s;
    return true;
}

void CBaseSettings::SetIntBatVCritical(double v)
{
    m_Battery.IntBatVCritical = v;
    m_Modified = true;
    ++m_BatteryUpdates;
}

void CBaseSettings::SetIntBatVWarn(double v)
{
    m_Battery.IntBatVWarn = v;
    m_Modified = true;
    ++m_BatteryUpdates;
}

void CBaseSettings::SetExtBatVWarn(double v)
{
    m_Battery.ExtBatVWarn = v;
    m_Modified = true;
    ++m_BatteryUpdates;
}

void CBaseSettings::SetIntBatDr(int v)
{
    m_Battery.IntBatDr = v;
    m_Modified = true;
    ++m_BatteryUpdates;
}

void CBaseSettings::SetExtBatDr(int v)
{
    m_Battery.ExtBatDr = v;
    m_Modified = true;
    ++m_BatteryUpdates;
}

void CBaseSettings::SetSats(int v)
{
    if (v != m_Sats) {
        m_Sats = v;
        m_Modified = true;
    }
}

void CBaseSettings::SetStDev(double v)
{
    if (v != m_StDev) {
        m_StDev = v;
        m_Modified = true;
    }
}

void CBaseSettings::SetPeakSnr(int v)
{
    if (v != m_PeakSnr) {
        m_PeakSnr = v;
        m_Modified = true;
    }
}

void CBaseSettings::SetOnInternalBattery(bool v)
{
    if (v != m_OnInternalBattery) {
        m_OnInternalBattery = v;
        m_Modified = true;
    }
}

void CBaseSettings::ResetDefaults()
{
    m_Battery = SBatterySettings{};
    m_Modified = true;
}

void CBaseSettings::SetBattery(const SBatterySettings& battery)
{
    m_Battery = battery;
    m_Modified = true;
}

bool CBaseSettings::Load(CArchiveReader& ar)
{
    SBatterySettings s;
    if (!s.Load(ar))
        return false;
    SetBattery(s);
    return true;
}
