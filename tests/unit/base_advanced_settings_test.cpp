#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/advanced_settings.h"
#include "base/base_settings.h"
#include "base/base_status.h"
#include "base/command_processor.h"
#include "connection/model.h"
#include "marks/base_texts.h"
#include "marks/mark.h"
#include "marks/mark_list.h"
#include "serial/callback.h"
#include "serial/sentence_splitter.h"

namespace {

using Strings = std::vector<std::string>;

// The way out to the base, and a window that keeps what it shows.
class FakeHost : public CAdvancedHost {
public:
    Strings Written;
    SBatteryStatusTexts Status;
    SSliderView Sliders[3];

    void WriteLine(std::string_view sentence) override { Written.emplace_back(sentence); }
    void ShowStatus(const SBatteryStatusTexts& texts) override { Status = texts; }
    void ShowSlider(EBatterySlider s, const SSliderView& view) override { Sliders[static_cast<int>(s)] = view; }
    void ShowReadBack(const std::string& text) override { ReadBack.push_back(text); }
    Strings ReadBack;
};

// The records the base configuration dialog owns and lends; its session reads the port and feeds them.
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
    CAdvancedSettings logic{&model, &settings, &status, &host};

    void Receive(const std::string& bytes) { splitter.FeedChunk(bytes.data(), static_cast<int>(bytes.size())); }

    static void Ticks(int n, CAdvancedSettings& l)
    {
        while (n-- > 0)
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
    const SSliderScale volts = SliderScale(EBatterySlider::WarnLevel);
    const SSliderScale rate = SliderScale(EBatterySlider::DischargeRate);
    const double inf = HUGE_VAL;
    const struct {
        SSliderScale scale;
        double value;
        int position;
    } cases[] = {{volts, 12.349, 1235}, {volts, 12.344, 1234}, {volts, 9.99, 1000}, {volts, 30.0, 2400},
                 {volts, 1e300, 2400},  {volts, inf, 2400},     {volts, -inf, 1000}, {volts, NAN, 1000},
                 {rate, 749.6, 750},    {rate, 0, 500},         {rate, 5000, 2000}};
    for (const auto& c : cases)
        EXPECT_EQ(SliderPosition(c.scale, c.value), c.position) << c.value;
}

TEST_F(AdvancedSettingsTest, MovesStoreAtOnceAndReachTheBaseOnlyWithWriteSettings)
{
    EXPECT_EQ(logic.MoveSlider(EBatterySlider::WarnLevel, 1250), "Warning Level: 12.50V");
    EXPECT_EQ(logic.MoveSlider(EBatterySlider::CriticalLevel, 1001), "Critical Level: 10.01V");
    EXPECT_EQ(logic.MoveSlider(EBatterySlider::DischargeRate, 750), "Discharge:  750Minutes/V");
    EXPECT_TRUE(host.Written.empty());
    logic.WriteSettings();
    logic.ReadSettings();
    EXPECT_EQ(host.Written, (Strings{"$KBASE,INTBATVCRITICAL,10.010000", "$KBASE,EXTBATVCRITICAL,11.000000",
                                     "$KBASE,INTBATVWARN,12.500000", "$KBASE,EXTBATVWARN,12.000000",
                                     "$KBASE,INTBATDR,750", "$KBASE,EXTBATDR,500", "$KBASE,SAVE", "$KBASE,CONFIG",
                                     "$KBASE,CONFIG"}));
}

TEST(AdvancedLevels, CriticalMustLieBelowWarningAndTheReadBackNamesEachDifference)
{
    const CBaseTexts texts;
    const struct {
        SAdvancedLevels Levels;
        bool Valid;
    } validity[] = {
        {{12.0, 11.0, 500}, true}, {{12.0, 11.99, 500}, true}, {{12.0, 12.0, 500}, false},
        {{11.0, 12.0, 500}, false}, {{12.0, std::nan(""), 500}, false},
    };
    for (const auto& v : validity)
        EXPECT_EQ(LevelsValid(v.Levels), v.Valid) << v.Levels.WarnLevel << " " << v.Levels.CriticalLevel;
    EXPECT_EQ(InvalidLevelsText(texts, {12.0, 12.5, 500}),
              "The critical level (12.50V) must be below the warning level (12.00V). Nothing was sent to the base.");

    const SAdvancedLevels written{12.0, 11.0, 750};
    const struct {
        SAdvancedLevels Held;
        bool Answered;
        const char* Text;
    } readBacks[] = {
        {{12.0, 11.0, 750}, true, "The base confirmed the settings."},
        {{12.001, 10.999, 750}, true, "The base confirmed the settings."},  // the answer's two decimals
        {{11.8, 11.0, 750}, true, "The base holds Warning Level 11.80V, not 12.00V."},
        {{12.0, 10.5, 500}, true,
         "The base holds Critical Level 10.50V, not 11.00V. The base holds Discharge 500Minutes/V, not 750Minutes/V."},
        {{12.0, 11.0, 750}, false,
         "The base did not answer when asked for its settings: it may not hold what was written."},
    };
    for (const auto& r : readBacks)
        EXPECT_EQ(ReadBackText(texts, written, r.Held, r.Answered), r.Text);
}

TEST_F(AdvancedSettingsTest, RefusedLevelsSendNothingAndTheReadBackIsJudgedWhenTheAnswerIsIn)
{
    logic.MoveSlider(EBatterySlider::CriticalLevel, 1200);  // equal to the warning level
    std::string refusal;
    EXPECT_EQ(logic.WriteSettings(&refusal), EWriteResult::Refused);
    EXPECT_NE(refusal.find("12.00V"), std::string::npos);
    EXPECT_TRUE(host.Written.empty());
    EXPECT_FALSE(logic.ReadBackPending());

    // Cancel: the levels the logic was built with, in the record and on the sliders.
    logic.MoveSlider(EBatterySlider::WarnLevel, 1300);
    logic.RestoreOpeningLevels();
    EXPECT_EQ(LevelsOf(settings), (SAdvancedLevels{12.0, 11.0, 500}));
    EXPECT_EQ(host.Sliders[1].Position, 1100);

    // A base that kept its old warning level: judged once its five lines are in, not before.
    logic.MoveSlider(EBatterySlider::WarnLevel, 1250);
    EXPECT_EQ(logic.WriteSettings(), EWriteResult::Sent);
    EXPECT_EQ(host.Written.back(), "$KBASE,CONFIG");
    AdvancedTickCounter() = -1000000;
    Ticks(3, logic);
    Receive("$KBASE,INTBATVCRITICAL,11.00\r\n$KBASE,INTBATVWARN,12.00\r\n");
    Ticks(3, logic);
    EXPECT_TRUE(host.ReadBack.empty());
    Receive("$KBASE,EXTBATVWARN,12.00\r\n$KBASE,INTBATDR,500\r\n$KBASE,EXTBATDR,500\r\n");
    logic.Tick();
    EXPECT_EQ(host.ReadBack, (Strings{"The base holds Warning Level 12.00V, not 12.50V."}));
    EXPECT_EQ(host.Sliders[0].Position, 1200);  // the sliders show what the base holds

    // No answer at all: said once the wait is over.
    logic.WriteSettings();
    Ticks(AdvancedTiming::ReadBackTicks - 1, logic);
    EXPECT_EQ(host.ReadBack.size(), 1u);
    logic.Tick();
    EXPECT_EQ(host.ReadBack.back(), "The base did not answer when asked for its settings: it may not hold what was written.");
    AdvancedTickCounter() = 0;
}

TEST_F(AdvancedSettingsTest, EveryFiftyFirstTickRefreshesWithoutStoringAndTheCountOutlivesTheDialog)
{
    AdvancedTickCounter() = 0;
    logic.ShowSettings();  // at opening: the record as it stands
    EXPECT_EQ(host.Sliders[0].Position, 1200);
    EXPECT_EQ(host.Sliders[1].Label, "Critical Level: 11.00V");
    EXPECT_EQ(host.Sliders[2].Label, "Discharge:  500Minutes/V");

    Receive("$KBASE,VOLTAGE,12.6\r\n$KBASE,BATTIME,95,1\r\n$KBASE,PSOURCE,1\r\n$KBASE,INTBATVWARN,12.349\r\n");
    Ticks(51, logic);
    EXPECT_TRUE(host.Written.empty() && host.Status.Voltage.empty());  // nothing before the first refresh
    Ticks(1, logic);
    EXPECT_EQ(host.Written, (Strings{"$KBASE,PSOURCE", "$KBASE,VOLTAGE"}));
    EXPECT_EQ(host.Status.Voltage, "Battery Voltage: 12.6V");
    EXPECT_EQ(host.Status.Remaining, "Battery Remaining: 95 Minutes");
    EXPECT_EQ(host.Status.State, "Battery State: Low Battery");
    EXPECT_EQ(host.Status.PowerSource, "Power Source: Internal Battery");
    EXPECT_EQ(host.Sliders[0].Position, 1235);
    EXPECT_EQ(host.Sliders[0].Label, "Warning Level: 12.35V");
    EXPECT_DOUBLE_EQ(settings.GetIntBatVWarn(), 12.349);  // positioning stored nothing

    // A dialog opened later goes on counting: 20 ticks here and 31 there make the next refresh.
    Ticks(20, logic);
    FakeHost later;
    Receive("$KBASE,BATTIME,40,2\r\n$KBASE,PSOURCE,0\r\n");
    CAdvancedSettings reopened{&model, &settings, &status, &later};
    Ticks(30, reopened);
    EXPECT_TRUE(later.Written.empty());
    Ticks(1, reopened);
    EXPECT_EQ(later.Written.size(), 2u);
    EXPECT_EQ(later.Status.State, "Battery State: Critical");
    EXPECT_EQ(later.Status.PowerSource, "Power Source: External Power");
    status.SetBatteryState(3);
    EXPECT_EQ(reopened.StatusTexts().State, "Battery State: Operational");
}
