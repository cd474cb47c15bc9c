#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <locale>
#include <stdexcept>
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

TEST(BaseCommands, WriteSettingsNeverSendsACutNumberOrANonFiniteLevel)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(BaseCommands::WriteSettings(NAN, -inf, 1e20, inf, 500, 500),
              (std::vector<std::string>{"$KBASE,INTBATVWARN,100000000000000000000.000000", "$KBASE,INTBATDR,500",
                                        "$KBASE,EXTBATDR,500", "$KBASE,SAVE"}));
    EXPECT_EQ(BaseCommands::IntBatVCritical(1e300).size(), std::string("$KBASE,INTBATVCRITICAL,").size() + 308);
}

TEST(BaseCommands, SettingSentencesKeepThePointUnderALocaleWithADecimalComma)
{
    const std::locale previous;
    try {
        std::locale::global(std::locale("de_DE.UTF-8"));  // a decimal comma, where installed
    } catch (const std::runtime_error&) {
        GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    }
    EXPECT_EQ(BaseCommands::IntBatVWarn(12.5), "$KBASE,INTBATVWARN,12.500000");
    std::locale::global(previous);
}
