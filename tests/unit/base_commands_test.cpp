#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/base_commands.h"

TEST(BaseCommands, SettingSentencesUseFixedSixDecimalsAndIntegers)
{
    EXPECT_EQ(BaseCommands::IntBatVWarn(12), "$KBASE,INTBATVWARN,12.000000");
    EXPECT_EQ(BaseCommands::ExtBatVCritical(-1), "$KBASE,EXTBATVCRITICAL,-1.000000");
    EXPECT_EQ(BaseCommands::IntBatDr(750), "$KBASE,INTBATDR,750");
    EXPECT_EQ(BaseCommands::ExtBatDr(-3), "$KBASE,EXTBATDR,-3");
}

TEST(BaseCommands, WriteSettingsOrderEndsWithSave)
{
    EXPECT_EQ(BaseCommands::WriteSettings(11, 11.5, 12, 12.5, 500, 600),
              (std::vector<std::string>{"$KBASE,INTBATVCRITICAL,11.000000", "$KBASE,EXTBATVCRITICAL,11.500000",
                                        "$KBASE,INTBATVWARN,12.000000", "$KBASE,EXTBATVWARN,12.500000",
                                        "$KBASE,INTBATDR,500", "$KBASE,EXTBATDR,600", "$KBASE,SAVE"}));
}
