#pragma once

#include <string>
#include <string_view>

class CBaseSettings;
class CBaseTexts;
class CBaseStatus;
class CModel;

// Timing of the advanced settings dialog's timer.
namespace AdvancedTiming {
constexpr int TickPeriodMs = 10;
constexpr int RefreshAfterTicks = 50;  // a refresh runs once the counter has passed this
}  // namespace AdvancedTiming

// Ticks counted between refreshes; process-wide, so a later opening of the dialog continues the
// count where the previous one stopped.
int& AdvancedTickCounter();

// The three sliders and the battery setting each one edits.
enum class EBatterySlider { WarnLevel, CriticalLevel, DischargeRate };
inline constexpr EBatterySlider AllBatterySliders[] = {
    EBatterySlider::WarnLevel, EBatterySlider::CriticalLevel, EBatterySlider::DischargeRate};

struct SSliderScale {
    int Minimum;
    int Maximum;
    int PerUnit;   // positions per unit of the setting: 100 for hundredths of a volt
};
SSliderScale SliderScale(EBatterySlider slider);
// The discharge slider's tick interval: wider than its range, so it shows no intermediate ticks.
constexpr int DischargeTickInterval = 5000;

// A setting's slider position: the value times PerUnit rounded to the nearest position, held in the
// range; NaN stands at the minimum. Every position p gives back p through SliderValue.
int SliderPosition(const SSliderScale& scale, double value);
double SliderValue(const SSliderScale& scale, int position);

// What a slider and its label show.
struct SSliderView {
    int Position = 0;
    std::string Label;
};

// The live battery status lines.
struct SBatteryStatusTexts {
    std::string Voltage;
    std::string Remaining;
    std::string State;
    std::string PowerSource;
};

// What a tick needs from the window, and the way out to the base. Replies come in through the base
// configuration dialog's session, the port's one reader, into the records this dialog shows.
class CAdvancedHost {
public:
    virtual ~CAdvancedHost() = default;
    virtual void WriteLine(std::string_view sentence) = 0;
    virtual void ShowStatus(const SBatteryStatusTexts& texts) = 0;
    // Positions a slider; the window must not take this as the operator's move.
    virtual void ShowSlider(EBatterySlider slider, const SSliderView& view) = 0;
};

// The advanced settings dialog's logic: the refresh on each tick, the sliders' mapping to
// the settings record, and the settings sentences. Owns none of the records it is given.
class CAdvancedSettings {
public:
    CAdvancedSettings(CModel* model, CBaseSettings* settings, CBaseStatus* status, CAdvancedHost* host);
    CAdvancedSettings(const CAdvancedSettings&) = delete;
    CAdvancedSettings& operator=(const CAdvancedSettings&) = delete;

    // One timer tick: every 51st asks for the power source and voltage and shows the status and the
    // settings.
    void Tick();

    // Puts every slider and label at the record's current values; stores nothing.
    void ShowSettings();

    // The operator moved a slider: stores the setting it stands for and returns the label's text.
    std::string MoveSlider(EBatterySlider slider, int position);

    // "Read Settings" and "Write Settings".
    void ReadSettings();
    void WriteSettings();

    SSliderView SliderView(EBatterySlider slider) const;
    SBatteryStatusTexts StatusTexts() const;

private:
    CBaseTexts Texts() const;
    std::string SliderLabel(EBatterySlider slider, double value) const;

    CModel* m_Model;
    CBaseSettings* m_Settings;
    CBaseStatus* m_Status;
    CAdvancedHost* m_Host;
};
