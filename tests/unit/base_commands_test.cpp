#include <gtest/gtest.h>

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

TEST(BaseCommands, WriteSettingsNeverSendsALocaleCommaACutNumberOrANonFiniteLevel)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(BaseCommands::WriteSettings(nan, -inf, 1e20, inf, 500, 500),
              (std::vector<std::string>{"$KBASE,INTBATVWARN,100000000000000000000.000000", "$KBASE,INTBATDR,500",
                                        "$KBASE,EXTBATDR,500", "$KBASE,SAVE"}));
    EXPECT_EQ(BaseCommands::IntBatVCritical(1e300).size(), std::string("$KBASE,INTBATVCRITICAL,").size() + 301 + 7);

    // Under a locale with a decimal comma the point stays (when the machine has one installed).
    std::locale previous;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "es_ES.UTF-8"}) {
        try {
            std::locale::global(std::locale(name));
        } catch (const std::runtime_error&) {
            continue;
        }
        EXPECT_EQ(BaseCommands::WriteSettings(11, 11, 12.5, 12, 500, 500)[2], "$KBASE,INTBATVWARN,12.500000") << name;
        std::locale::global(previous);
        return;
    }
    GTEST_SKIP() << "no locale with a decimal comma installed";
}
