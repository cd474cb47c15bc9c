#pragma once

#include <optional>
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
// After "Write Settings" the base is asked for its settings; its answer is judged once all of its lines
// are in, or after this many ticks with what came.
constexpr int ReadBackTicks = 300;
// The lines of the base's answer to "$KBASE,CONFIG" that set the battery record.
constexpr int ReadBackLines = 5;
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
    // The outcome of the read-back after "Write Settings".
    virtual void ShowReadBack(const std::string& text) { (void)text; }
};

// The three settings the dialog edits, as written or as the base gave them back.
struct SAdvancedLevels {
    double WarnLevel = 0.0;
    double CriticalLevel = 0.0;
    int DischargeRate = 0;
    bool operator==(const SAdvancedLevels&) const = default;
};
SAdvancedLevels LevelsOf(const CBaseSettings& settings);
void ApplyLevels(CBaseSettings& settings, const SAdvancedLevels& levels);

// The critical level must lie below the warning level, or the base would never warn before it stops.
bool LevelsValid(const SAdvancedLevels& levels);
// The refusal shown instead of writing invalid levels.
std::string InvalidLevelsText(const CBaseTexts& texts, const SAdvancedLevels& levels);
// The read-back judged: "The base confirmed the settings." or each setting the base holds otherwise.
// Levels compare to the hundredth of a volt the sentences carry. answered: any line came back.
std::string ReadBackText(const CBaseTexts& texts, const SAdvancedLevels& written, const SAdvancedLevels& held,
                         bool answered);

enum class EWriteResult { Sent, Refused, NoRecord };

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
    // Refused, sending nothing, while the critical level is not below the warning level; the text
    // then says why. Sent, it asks the base for its settings and judges the answer in later ticks.
    EWriteResult WriteSettings(std::string* refusal = nullptr);
    bool ReadBackPending() const { return m_ReadBack.has_value(); }

    // The levels the dialog opened with, and putting them back in the record (Cancel).
    const SAdvancedLevels& OpeningLevels() const { return m_Opening; }
    void RestoreOpeningLevels();

    SSliderView SliderView(EBatterySlider slider) const;
    SBatteryStatusTexts StatusTexts() const;

private:
    CBaseTexts Texts() const;
    std::string SliderLabel(EBatterySlider slider, double value) const;

    CModel* m_Model;
    CBaseSettings* m_Settings;
    CBaseStatus* m_Status;
    CAdvancedHost* m_Host;
    SAdvancedLevels m_Opening;
    struct SReadBack {
        SAdvancedLevels Written;
        unsigned UpdatesAtRequest = 0;
        int Ticks = 0;
    };
    std::optional<SReadBack> m_ReadBack;
    void CheckReadBack();
};
