#include "base/advanced_settings.h"

#include <cmath>

#include "base/base_commands.h"
#include "base/base_settings.h"
#include "base/base_status.h"
#include "connection/model.h"
#include "marks/base_texts.h"
#include "marks/text_number.h"
#include "ui/message_template.h"
#include "ui/string_table.h"

namespace BC = BaseCommands;

int& AdvancedTickCounter()
{
    static int counter = 0;
    return counter;
}

SSliderScale SliderScale(EBatterySlider slider)
{
    switch (slider) {
    case EBatterySlider::WarnLevel:
    case EBatterySlider::CriticalLevel: return {1000, 2400, 100};   // 10.00 V to 24.00 V
    case EBatterySlider::DischargeRate: break;
    }
    return {500, 2000, 1};   // minutes per volt
}

int SliderPosition(const SSliderScale& scale, double value)
{
    // Clamped before the conversion, so no value (huge, infinite) can overflow the int.
    const double scaled = value * scale.PerUnit;
    if (std::isnan(scaled) || scaled <= scale.Minimum)
        return scale.Minimum;
    if (scaled >= scale.Maximum)
        return scale.Maximum;
    return static_cast<int>(std::lround(scaled));
}

double SliderValue(const SSliderScale& scale, int position)
{
    return static_cast<double>(position) / scale.PerUnit;
}

namespace {

std::string VoltText(const CBaseTexts& texts, double volts)
{
    return FixedText(volts, 2) + texts.Text(StringIds::Volts);
}

// The sentences carry the levels with six decimals, the answer with two.
bool SameLevel(double a, double b)
{
    return std::lround(a * 100) == std::lround(b * 100);
}

}  // namespace

SAdvancedLevels LevelsOf(const CBaseSettings& settings)
{
    return {settings.GetIntBatVWarn(), settings.GetIntBatVCritical(), settings.GetIntBatDr()};
}

void ApplyLevels(CBaseSettings& settings, const SAdvancedLevels& levels)
{
    settings.SetIntBatVWarn(levels.WarnLevel);
    settings.SetIntBatVCritical(levels.CriticalLevel);
    settings.SetIntBatDr(levels.DischargeRate);
}

bool LevelsValid(const SAdvancedLevels& levels)
{
    // A NaN compares false: refused as well.
    return levels.CriticalLevel < levels.WarnLevel;
}

std::string InvalidLevelsText(const CBaseTexts& texts, const SAdvancedLevels& levels)
{
    return FillTemplate(texts.Text(StringIds::CriticalNotBelowWarning),
                {VoltText(texts, levels.CriticalLevel), VoltText(texts, levels.WarnLevel)});
}

std::string ReadBackText(const CBaseTexts& texts, const SAdvancedLevels& written, const SAdvancedLevels& held,
                         bool answered)
{
    if (!answered)
        return texts.Text(StringIds::SettingsNotReadBack);
    std::string text;
    const auto differs = [&](int name, const std::string& heldText, const std::string& writtenText) {
        if (!text.empty())
            text += ' ';
        text += FillTemplate(texts.Text(StringIds::SettingDiffers), {texts.Text(name), heldText, writtenText});
    };
    if (!SameLevel(held.WarnLevel, written.WarnLevel))
        differs(StringIds::WarningLevel, VoltText(texts, held.WarnLevel), VoltText(texts, written.WarnLevel));
    if (!SameLevel(held.CriticalLevel, written.CriticalLevel))
        differs(StringIds::CriticalLevel, VoltText(texts, held.CriticalLevel), VoltText(texts, written.CriticalLevel));
    if (held.DischargeRate != written.DischargeRate) {
        const std::string unit = texts.Text(StringIds::Minutes) + "/" + texts.Text(StringIds::Volts);
        differs(StringIds::Discharge, std::to_string(held.DischargeRate) + unit,
                std::to_string(written.DischargeRate) + unit);
    }
    return text.empty() ? texts.Text(StringIds::SettingsConfirmed) : text;
}

CAdvancedSettings::CAdvancedSettings(CModel* model, CBaseSettings* settings, CBaseStatus* status,
                                     CAdvancedHost* host)
    : m_Model(model), m_Settings(settings), m_Status(status), m_Host(host)
{
    if (m_Settings)
        m_Opening = LevelsOf(*m_Settings);
}

void CAdvancedSettings::RestoreOpeningLevels()
{
    m_ReadBack.reset();
    if (!m_Settings)
        return;
    ApplyLevels(*m_Settings, m_Opening);
    ShowSettings();
}

CBaseTexts CAdvancedSettings::Texts() const
{
    return CBaseTexts(m_Model ? m_Model->GetLanguageModule() : nullptr);
}

// The same lines the base configuration dialog shows for these settings.
std::string CAdvancedSettings::SliderLabel(EBatterySlider slider, double value) const
{
    CBaseSettings shown;
    switch (slider) {
    case EBatterySlider::WarnLevel: shown.SetIntBatVWarn(value); return Texts().WarningLevel(shown);
    case EBatterySlider::CriticalLevel: shown.SetIntBatVCritical(value); return Texts().CriticalLevel(shown);
    case EBatterySlider::DischargeRate: break;
    }
    shown.SetIntBatDr(static_cast<int>(value));
    return Texts().Discharge(shown);
}

SSliderView CAdvancedSettings::SliderView(EBatterySlider slider) const
{
    double value = 0.0;
    if (m_Settings) {
        switch (slider) {
        case EBatterySlider::WarnLevel: value = m_Settings->GetIntBatVWarn(); break;
        case EBatterySlider::CriticalLevel: value = m_Settings->GetIntBatVCritical(); break;
        case EBatterySlider::DischargeRate: value = m_Settings->GetIntBatDr(); break;
        }
    }
    // Out of range the slider stands at its nearest end while the label tells the stored value.
    return {SliderPosition(SliderScale(slider), value), SliderLabel(slider, value)};
}

std::string CAdvancedSettings::MoveSlider(EBatterySlider slider, int position)
{
    const double value = SliderValue(SliderScale(slider), position);
    if (m_Settings) {
        switch (slider) {
        case EBatterySlider::WarnLevel: m_Settings->SetIntBatVWarn(value); break;
        case EBatterySlider::CriticalLevel: m_Settings->SetIntBatVCritical(value); break;
        case EBatterySlider::DischargeRate: m_Settings->SetIntBatDr(position); break;
        }
    }
    return SliderLabel(slider, value);
}

SBatteryStatusTexts CAdvancedSettings::StatusTexts() const
{
    // This dialog has no "not reported yet": it shows the records as they stand.
    constexpr unsigned shownAsStored = ~0u;
    const CBaseSettings noSettings;
    const CBaseStatus noStatus(nullptr, nullptr, nullptr);
    const CBaseSettings& settings = m_Settings ? *m_Settings : noSettings;
    const CBaseStatus& status = m_Status ? *m_Status : noStatus;
    const CBaseTexts texts = Texts();
    return {texts.BatteryVoltage(status, shownAsStored), texts.BatteryRemaining(status, shownAsStored),
            texts.BatteryState(status, shownAsStored), texts.PowerSource(settings, shownAsStored)};
}

void CAdvancedSettings::ShowSettings()
{
    if (!m_Host)
        return;
    for (EBatterySlider slider : AllBatterySliders)
        m_Host->ShowSlider(slider, SliderView(slider));
}

void CAdvancedSettings::Tick()
{
    if (!m_Host)
        return;
    CheckReadBack();
    int& counter = AdvancedTickCounter();
    if (counter > AdvancedTiming::RefreshAfterTicks) {
        // The answers arrive after this refresh has drawn: they show at the next one.
        m_Host->WriteLine(BC::PowerSource);
        m_Host->WriteLine(BC::Voltage);
        counter = 0;
        m_Host->ShowStatus(StatusTexts());
        ShowSettings();
    }
    ++counter;
}

void CAdvancedSettings::ReadSettings()
{
    if (m_Host)
        m_Host->WriteLine(BC::Config);
}

EWriteResult CAdvancedSettings::WriteSettings(std::string* refusal)
{
    if (!m_Host || !m_Settings)
        return EWriteResult::NoRecord;
    const CBaseSettings& s = *m_Settings;
    const SAdvancedLevels written = LevelsOf(s);
    if (!LevelsValid(written)) {
        if (refusal)
            *refusal = InvalidLevelsText(Texts(), written);
        return EWriteResult::Refused;
    }
    for (const std::string& sentence :
         BC::WriteSettings(s.GetIntBatVCritical(), s.GetExtBatVCritical(), s.GetIntBatVWarn(), s.GetExtBatVWarn(),
                           s.GetIntBatDr(), s.GetExtBatDr()))
        m_Host->WriteLine(sentence);
    // The answer lands in the same record through the session's parser.
    m_ReadBack = SReadBack{written, s.BatteryUpdates(), 0};
    m_Host->WriteLine(BC::Config);
    return EWriteResult::Sent;
}

void CAdvancedSettings::CheckReadBack()
{
    if (!m_ReadBack || !m_Settings)
        return;
    const unsigned lines = m_Settings->BatteryUpdates() - m_ReadBack->UpdatesAtRequest;
    if (lines < static_cast<unsigned>(AdvancedTiming::ReadBackLines) &&
        ++m_ReadBack->Ticks < AdvancedTiming::ReadBackTicks)
        return;
    const SReadBack done = *m_ReadBack;
    m_ReadBack.reset();
    m_Host->ShowReadBack(ReadBackText(Texts(), done.Written, LevelsOf(*m_Settings), lines > 0));
    ShowSettings();
}
