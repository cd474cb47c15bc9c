#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "base/advanced_settings.h"
#include "base/base_settings.h"
#include "base/base_status.h"
#include "base/command_processor.h"
#include "connection/model.h"
#include "marks/mark.h"
#include "marks/mark_list.h"
#include "serial/callback.h"
#include "serial/sentence_splitter.h"

namespace {

const SSliderScale kVolts = SliderScale(EBatterySlider::WarnLevel);
const SSliderScale kRate = SliderScale(EBatterySlider::DischargeRate);

// A port that delivers queued bytes in one read and records what was written; a window that
// records what it was told to show.
class FakeHost : public CAdvancedHost {
public:
    std::string Incoming;
    std::vector<std::string> Written;
    SBatteryStatusTexts Status;
    std::vector<SSliderView> Sliders = std::vector<SSliderView>(3);

    int Read(char* buffer, int maximum) override
    {
        const int n = std::min<int>(maximum, static_cast<int>(Incoming.size()));
        Incoming.copy(buffer, static_cast<std::size_t>(n));
        Incoming.erase(0, static_cast<std::size_t>(n));
        return n;
    }
    void WriteLine(std::string_view sentence) override { Written.emplace_back(sentence); }
    void ShowStatus(const SBatteryStatusTexts& texts) override { Status = texts; }
    void ShowSlider(EBatterySlider slider, const SSliderView& view) override
    {
        Sliders[static_cast<std::size_t>(slider)] = view;
    }
};

// The records the base configuration dialog owns and lends.
class AdvancedSettingsTest : public ::testing::Test {
protected:
    CMarkList marks;
    CBaseSettings settings;
    CMark reference{"0", "0", "0"};
    CBaseStatus status{&settings, &marks, &reference};
    CModel model;
    CCommandProcessor processor{&status, &model};
    TCallback<CCommandProcessor> onSentence{&processor, &CCommandProcessor::ParseReply};
    CSentenceSplitter splitter{&onSentence};
    FakeHost host;
    CAdvancedSettings logic{&model, &settings, &splitter, &status, &host};

    void Ticks(int n, CAdvancedSettings& l)
    {
        for (int i = 0; i < n; ++i)
            l.Tick();
    }
};

}  // namespace

TEST(AdvancedSliders, EveryPositionSurvivesTheRoundTripAndValuesRoundIntoTheRange)
{
    for (EBatterySlider slider : AllBatterySliders) {
        const SSliderScale s = SliderScale(slider);
        for (int p = s.Minimum; p <= s.Maximum; ++p)
            ASSERT_EQ(SliderPosition(s, SliderValue(s, p)), p) << static_cast<int>(slider);
    }
    EXPECT_EQ(kVolts.Minimum, 1000);
    EXPECT_EQ(kVolts.Maximum, 2400);
    EXPECT_EQ(kRate.Minimum, 500);
    EXPECT_EQ(kRate.Maximum, 2000);

    const double inf = std::numeric_limits<double>::infinity();
    struct {
        SSliderScale scale;
        double value;
        int position;
    } const cases[] = {
        {kVolts, 12.349, 1235}, {kVolts, 12.344, 1234}, {kVolts, 11.0, 1100}, {kVolts, 9.99, 1000},
        {kVolts, 30.0, 2400},   {kVolts, -5.0, 1000},   {kVolts, 1e300, 2400}, {kVolts, inf, 2400},
        {kVolts, -inf, 1000},   {kVolts, std::nan(""), 1000}, {kRate, 749.6, 750}, {kRate, 0, 500},
        {kRate, 5000, 2000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SliderPosition(c.scale, c.value), c.position) << c.value;
}

TEST_F(AdvancedSettingsTest, MovingASliderStoresItsSettingAndNamesIt)
{
    struct {
        EBatterySlider slider;
        int position;
        const char* label;
    } const cases[] = {
        {EBatterySlider::WarnLevel, 1250, "Warning Level: 12.50V"},
        {EBatterySlider::CriticalLevel, 1001, "Critical Level: 10.01V"},
        {EBatterySlider::DischargeRate, 750, "Discharge:  750Minutes/V"},
    };
    for (const auto& c : cases) {
        settings.SetModified(false);
        EXPECT_EQ(logic.MoveSlider(c.slider, c.position), c.label);
        EXPECT_TRUE(settings.GetModified());
        EXPECT_EQ(logic.SliderView(c.slider).Position, c.position);
    }
    EXPECT_DOUBLE_EQ(settings.GetIntBatVWarn(), 12.5);
    EXPECT_DOUBLE_EQ(settings.GetIntBatVCritical(), 10.01);
    EXPECT_EQ(settings.GetIntBatDr(), 750);
    EXPECT_TRUE(host.Written.empty());  // nothing reaches the base until "Write Settings"

    logic.WriteSettings();
    logic.ReadSettings();
    EXPECT_EQ(host.Written, (std::vector<std::string>{
                                "$KBASE,INTBATVCRITICAL,10.010000", "$KBASE,EXTBATVCRITICAL,11.000000",
                                "$KBASE,INTBATVWARN,12.500000", "$KBASE,EXTBATVWARN,12.000000",
                                "$KBASE,INTBATDR,750", "$KBASE,EXTBATDR,500", "$KBASE,SAVE", "$KBASE,CONFIG"}));
}

TEST_F(AdvancedSettingsTest, EveryFiftyFirstTickRefreshesWithoutStoringAndTheCountOutlivesTheDialog)
{
    AdvancedTickCounter() = 0;
    logic.ShowSettings();  // at opening: the record as it stands
    EXPECT_EQ(host.Sliders[0].Position, 1200);
    EXPECT_EQ(host.Sliders[1].Label, "Critical Level: 11.00V");
    EXPECT_EQ(host.Sliders[2].Label, "Discharge:  500Minutes/V");

    host.Incoming = "$KBASE,VOLTAGE,12.6\r\n$KBASE,BATTIME,95,1\r\n$KBASE,PSOURCE,1\r\n$KBASE,INTBATVWARN,12.349\r\n";
    Ticks(51, logic);
    EXPECT_TRUE(host.Incoming.empty());
    EXPECT_TRUE(host.Written.empty());
    EXPECT_EQ(host.Status.Voltage, "");  // nothing shown before the first refresh
    Ticks(1, logic);
    EXPECT_EQ(host.Written, (std::vector<std::string>{"$KBASE,PSOURCE", "$KBASE,VOLTAGE"}));
    EXPECT_EQ(host.Status.Voltage, "Battery Voltage: 12.6V");
    EXPECT_EQ(host.Status.Remaining, "Battery Remaining: 95 Minutes");
    EXPECT_EQ(host.Status.State, "Battery State: Low Battery");
    EXPECT_EQ(host.Status.PowerSource, "Power Source: Internal Battery");
    EXPECT_EQ(host.Sliders[0].Position, 1235);
    EXPECT_EQ(host.Sliders[0].Label, "Warning Level: 12.35V");
    EXPECT_DOUBLE_EQ(settings.GetIntBatVWarn(), 12.349);  // positioning stored nothing

    // A dialog opened later goes on counting: 20 ticks here, 31 in the next make the next refresh.
    Ticks(20, logic);
    FakeHost later;
    later.Incoming = "$KBASE,BATTIME,40,2\r\n$KBASE,PSOURCE,0\r\n";
    CAdvancedSettings reopened{&model, &settings, &splitter, &status, &later};
    Ticks(30, reopened);
    EXPECT_TRUE(later.Written.empty());
    Ticks(1, reopened);
    EXPECT_EQ(later.Written.size(), 2u);
    EXPECT_EQ(later.Status.State, "Battery State: Critical");
    EXPECT_EQ(later.Status.PowerSource, "Power Source: External Power");
    for (int state : {0, 3}) {
        status.SetBatteryState(state);
        EXPECT_EQ(reopened.StatusTexts().State, "Battery State: Operational");
    }
}
