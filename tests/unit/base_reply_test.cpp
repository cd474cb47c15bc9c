#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/base_settings.h"
#include "base/base_status.h"
#include "base/command_processor.h"
#include "connection/model.h"
#include "marks/mark.h"
#include "marks/mark_list.h"

namespace {

class BaseReplyTest : public ::testing::Test {
protected:
    CMarkList marks;
    CBaseSettings settings;
    CMark reference{"0", "0", "0"};
    CBaseStatus status{&settings, &marks, &reference};
    CModel model;
    CCommandProcessor processor{&status, &model};

    void Parse(const std::string& s) { processor.ParseReply(s); }
    std::vector<CMark> Marks() const { return {marks.begin(), marks.end()}; }
};

}  // namespace

TEST_F(BaseReplyTest, MarkReplyFieldSplitting)
{
    Parse("$KBASE,MARKS,51.5,-1.25,100");
    Parse("$KBASE,MARKS,1,2");
    Parse("$KBASE,MARKS,7");
    Parse("$KBASE,MARKS,");
    Parse("$KBASE,MARKS,1,2,3,4");
    Parse("junk$KBASE,MARKS,8,9,10");
    EXPECT_EQ(Marks(), (std::vector<CMark>{{"51.5", "-1.25", "100"}, {"1", "2", "2"}, {"7", "7", "7"},
                                           {"", "", ""}, {"1", "2", "3,4"}, {"8", "9", "10"}}));
    const auto three = CCommandProcessor::SplitThree("a,,b");
    EXPECT_EQ(three.first, "a");
    EXPECT_EQ(three.second, "");
    EXPECT_EQ(three.third, "b");
}

TEST_F(BaseReplyTest, ReceivedMarkMovesToTheEndAndSetsModified)
{
    for (const char* lat : {"1", "2", "3", "4", "5"})
        marks.AddMark(lat, "0", "0");
    marks.SetModified(false);
    Parse("$KBASE,MARKS,3,0,0");
    std::vector<std::string> lats;
    for (const CMark& m : marks)
        lats.push_back(m.GetLatitude());
    EXPECT_EQ(lats, (std::vector<std::string>{"1", "2", "4", "5", "3"}));
    EXPECT_TRUE(marks.GetModified());
    EXPECT_EQ(marks.Size(), 5u);
}

TEST_F(BaseReplyTest, ReferencePositionMarksInUseOnlyWhenNear)
{
    marks.AddMark("51.5", "-1.25", "100");
    marks.SetModified(false);
    Parse("$>JRTK,17,10,20,30");
    EXPECT_EQ(reference, CMark("10", "20", "30"));
    EXPECT_FALSE(marks.GetModified());
    Parse("$>JRTK,17,51.500000,-1.2500000,100.00000005");
    EXPECT_EQ(reference, CMark("51.500000", "-1.2500000", "100.00000005"));
    EXPECT_TRUE(marks.GetModified());
    EXPECT_EQ(marks.Size(), 1u);  // the reference position is not a mark
    Parse("$>JRTK,17,5,6,7,8");
    EXPECT_EQ(reference.GetAltitude(), "7,8");
}

TEST_F(BaseReplyTest, StatusAndVersionReplies)
{
    Parse("$KBASE,VOLTAGE,12.6");
    EXPECT_EQ(status.GetVoltageText(), "12.6");
    EXPECT_DOUBLE_EQ(status.GetVoltage(), 12.6);
    Parse("$KBASE,VOLTAGE,abc");
    EXPECT_EQ(status.GetVoltageText(), "abc");
    EXPECT_EQ(status.GetVoltage(), 0.0);

    Parse("$KBASE,BOOTVERSION,B2.1");
    EXPECT_EQ(model.GetBaseBootloaderVersion(), "B2.1");
    EXPECT_EQ(model.GetBaseFirmwareVersion(), "N/A");
    Parse("$KBASE,VERSION,3.4,beta");
    EXPECT_EQ(model.GetBaseFirmwareVersion(), "3.4,beta");

    Parse("$KBASE,BATTIME,95,1");
    EXPECT_EQ(status.GetBatteryMinutes(), 95);
    EXPECT_EQ(status.GetBatteryState(), CBaseStatus::BatteryLow);
    Parse("$KBASE,BATTIME,120");
    EXPECT_EQ(status.GetBatteryMinutes(), 120);
    EXPECT_EQ(status.GetBatteryState(), 120);

    for (const char* v : {"1", "10"}) {
        settings.SetOnInternalBattery(false);
        Parse(std::string("$KBASE,PSOURCE,") + v);
        EXPECT_TRUE(settings.GetOnInternalBattery()) << v;
    }
    for (const char* v : {"0", "x", ""}) {
        settings.SetOnInternalBattery(true);
        Parse(std::string("$KBASE,PSOURCE,") + v);
        EXPECT_FALSE(settings.GetOnInternalBattery()) << v;
    }
}

TEST_F(BaseReplyTest, SettingsRepliesAndTheirModifiedRules)
{
    Parse("$KBASE,SATS,9");
    Parse("$KBASE,STDEV,0.25m");
    Parse("$KBASE,PEAKSNR,48");
    EXPECT_EQ(settings.GetSats(), 9);
    EXPECT_DOUBLE_EQ(settings.GetStDev(), 0.25);
    EXPECT_EQ(settings.GetPeakSnr(), 48);
    settings.SetModified(false);
    Parse("$KBASE,SATS,9");
    EXPECT_FALSE(settings.GetModified());
    Parse("$KBASE,INTBATVWARN,12.0");
    EXPECT_TRUE(settings.GetModified());

    Parse("$KBASE,INTBATVCRITICAL,10.5");
    Parse("$KBASE,EXTBATVWARN,13");
    Parse("$KBASE,INTBATDR,750");
    Parse("$KBASE,EXTBATDR,-20");
    EXPECT_DOUBLE_EQ(settings.GetIntBatVCritical(), 10.5);
    EXPECT_DOUBLE_EQ(settings.GetExtBatVWarn(), 13.0);
    EXPECT_EQ(settings.GetIntBatDr(), 750);
    EXPECT_EQ(settings.GetExtBatDr(), -20);

    // Not recognised: the external critical level, "$JI" answers, bare queries.
    const SBatterySettings before = settings.GetBattery();
    settings.SetModified(false);
    Parse("$KBASE,EXTBATVCRITICAL,9.0");
    Parse("$>JI,1234,ABC");
    Parse("$KBASE,VOLTAGE");
    Parse("KBASE,SATS,3");
    EXPECT_EQ(settings.GetBattery(), before);
    EXPECT_FALSE(settings.GetModified());
    EXPECT_EQ(settings.GetSats(), 9);
    EXPECT_EQ(status.GetVoltageText(), "");
}

TEST_F(BaseReplyTest, FirstPrefixInOrderWinsWhereverItIs)
{
    // Satellites come before the warning level in the order, although later in the text.
    Parse("$KBASE,INTBATVWARN,9$KBASE,SATS,5");
    EXPECT_EQ(settings.GetSats(), 5);
    EXPECT_DOUBLE_EQ(settings.GetIntBatVWarn(), 12.0);
    // A mark reply outranks everything; its altitude keeps the rest of the sentence.
    Parse("$KBASE,VOLTAGE,1$KBASE,MARKS,1,2,3");
    EXPECT_EQ(status.GetVoltageText(), "");
    EXPECT_TRUE(marks.Contains("1", "2", "3"));
    // Stray text and a second dollar before the prefix.
    Parse("$GP,x$KBASE,PEAKSNR,41");
    EXPECT_EQ(settings.GetPeakSnr(), 41);
    // The value follows the first occurrence.
    Parse("$KBASE,STDEV,1.5$KBASE,STDEV,2.5");
    EXPECT_DOUBLE_EQ(settings.GetStDev(), 1.5);
}

TEST(BaseSettings, DefaultsSettersAndReset)
{
    CBaseSettings s;
    EXPECT_TRUE(s.GetModified());
    EXPECT_EQ(s.GetBattery(), SBatterySettings{});
    EXPECT_DOUBLE_EQ(s.GetIntBatVCritical(), 11.0);
    EXPECT_DOUBLE_EQ(s.GetExtBatVCritical(), 11.0);
    EXPECT_DOUBLE_EQ(s.GetIntBatVWarn(), 12.0);
    EXPECT_DOUBLE_EQ(s.GetExtBatVWarn(), 12.0);
    EXPECT_EQ(s.GetIntBatDr(), 500);
    EXPECT_EQ(s.GetExtBatDr(), 500);

    s.SetModified(false);
    s.SetIntBatDr(500);  // battery setters always mark
    EXPECT_TRUE(s.GetModified());
    s.SetSats(7);
    s.SetPeakSnr(40);
    s.SetOnInternalBattery(true);
    s.SetModified(false);
    s.SetPeakSnr(40);  // status setters only on change
    s.SetOnInternalBattery(true);
    EXPECT_FALSE(s.GetModified());
    s.SetIntBatVWarn(13);
    s.SetExtBatVWarn(14);
    s.SetIntBatVCritical(10);
    s.SetModified(false);
    s.ResetDefaults();
    EXPECT_TRUE(s.GetModified());
    EXPECT_EQ(s.GetBattery(), SBatterySettings{});
    EXPECT_EQ(s.GetSats(), 7);
    EXPECT_TRUE(s.GetOnInternalBattery());
}
