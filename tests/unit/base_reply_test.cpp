#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
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

    template <class... S>
    void Parse(const S&... replies)
    {
        (processor.ParseReply(replies), ...);
    }
    std::vector<CMark> Marks() const { return {marks.begin(), marks.end()}; }
};

}  // namespace

TEST_F(BaseReplyTest, MarkReplyFieldSplittingAndReceivedMarkMovesToTheEnd)
{
    Parse("$KBASE,MARKS,51.5,-1.25,100", "$KBASE,MARKS,1,2", "$KBASE,MARKS,7", "$KBASE,MARKS,",
          "$KBASE,MARKS,1,2,3,4", "junk$KBASE,MARKS,8,9,10");
    EXPECT_EQ(Marks(), (std::vector<CMark>{{"51.5", "-1.25", "100"}, {"1", "2", "2"}, {"7", "7", "7"},
                                           {"", "", ""}, {"1", "2", "3,4"}, {"8", "9", "10"}}));
    marks.SetModified(false);
    Parse("$KBASE,MARKS,1,2,2");
    EXPECT_EQ(Marks(), (std::vector<CMark>{{"51.5", "-1.25", "100"}, {"7", "7", "7"}, {"", "", ""},
                                           {"1", "2", "3,4"}, {"8", "9", "10"}, {"1", "2", "2"}}));
    EXPECT_TRUE(marks.GetModified());

    // A text longer than the entry fields take makes no mark; 16 characters still do.
    Parse("$KBASE,MARKS,1.23456789012345,0,0", "$KBASE,MARKS,1.234567890123456,0,0", "$KBASE,MARKS,1,0," +
          std::string(60000, '7'));
    EXPECT_EQ(marks.Size(), 7u);
    EXPECT_TRUE(marks.Contains("1.23456789012345", "0", "0"));
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
    Parse("$KBASE,BOOTVERSION,B2.1");
    EXPECT_EQ(model.GetBaseBootloaderVersion(), "B2.1");
    EXPECT_EQ(model.GetBaseFirmwareVersion(), "N/A");
    Parse("$KBASE,VERSION,3.4,beta");
    EXPECT_EQ(model.GetBaseFirmwareVersion(), "3.4,beta");

    for (auto [reply, minutes, state] : {std::tuple{"95,1", 95, int(CBaseStatus::BatteryLow)},
                                         std::tuple{"95,3", 95, 3},
                                         std::tuple{"120", 120, 120}}) {
        Parse(std::string("$KBASE,BATTIME,") + reply);
        EXPECT_EQ(status.GetBatteryMinutes(), minutes) << reply;
        EXPECT_EQ(status.GetBatteryState(), state) << reply;
    }
    // Only the first character counts.
    for (auto [value, internal] : {std::pair{"1", true}, std::pair{"10", true}, std::pair{"0", false},
                                   std::pair{"x", false}, std::pair{"", false}}) {
        settings.SetOnInternalBattery(!internal);
        Parse(std::string("$KBASE,PSOURCE,") + value);
        EXPECT_EQ(settings.GetOnInternalBattery(), internal) << value;
    }
}

TEST_F(BaseReplyTest, SettingsRepliesAndTheirModifiedRules)
{
    Parse("$KBASE,SATS,9", "$KBASE,STDEV,0.25m", "$KBASE,PEAKSNR,48", "$KBASE,INTBATVCRITICAL,10.5",
          "$KBASE,EXTBATVWARN,13", "$KBASE,INTBATDR,750", "$KBASE,EXTBATDR,-20");
    EXPECT_EQ(settings.GetSats(), 9);
    EXPECT_DOUBLE_EQ(settings.GetStDev(), 0.25);
    EXPECT_EQ(settings.GetPeakSnr(), 48);
    EXPECT_DOUBLE_EQ(settings.GetIntBatVCritical(), 10.5);
    EXPECT_DOUBLE_EQ(settings.GetExtBatVWarn(), 13.0);
    EXPECT_EQ(settings.GetIntBatDr(), 750);
    EXPECT_EQ(settings.GetExtBatDr(), -20);
    settings.SetModified(false);
    Parse("$KBASE,SATS,9");
    EXPECT_FALSE(settings.GetModified());
    Parse("$KBASE,INTBATVWARN,12.0");  // battery settings mark even when unchanged
    EXPECT_TRUE(settings.GetModified());

    // Not recognised: the external critical level, "$JI" answers, bare queries, no dollar.
    const SBatterySettings before = settings.GetBattery();
    settings.SetModified(false);
    Parse("$KBASE,EXTBATVCRITICAL,9.0", "$>JI,1234,ABC", "$KBASE,VOLTAGE", "KBASE,SATS,3");
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
    // Stray text and a second dollar before the prefix; the value follows the first occurrence.
    Parse("$GP,x$KBASE,STDEV,1.5$KBASE,STDEV,2.5");
    EXPECT_DOUBLE_EQ(settings.GetStDev(), 1.5);
}

TEST_F(BaseReplyTest, NonFiniteDecimalsAreIgnored)
{
    Parse("$KBASE,VOLTAGE,12.6", "$KBASE,STDEV,0.5");
    const SBatterySettings before = settings.GetBattery();
    settings.SetModified(false);
    for (const char* value : {"nan", "NaN(1)", "inf", "-Infinity", "1e999"})
        for (const char* key : {"VOLTAGE", "INTBATVCRITICAL", "STDEV", "INTBATVWARN", "EXTBATVWARN"})
            Parse(std::string("$KBASE,") + key + "," + value);
    EXPECT_EQ(settings.GetBattery(), before);
    EXPECT_FALSE(settings.GetModified());
    EXPECT_DOUBLE_EQ(settings.GetStDev(), 0.5);
    EXPECT_EQ(status.GetVoltageText(), "12.6");
    EXPECT_DOUBLE_EQ(status.GetVoltage(), 12.6);
    Parse("$KBASE,INTBATVWARN,13.25");  // a finite value after them still counts
    EXPECT_DOUBLE_EQ(settings.GetIntBatVWarn(), 13.25);
}
