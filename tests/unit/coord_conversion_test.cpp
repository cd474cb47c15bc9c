#include "marks/coordinate_conversion.h"

#include <gtest/gtest.h>

TEST(CoordConversion, DmsToDecimal)
{
    EXPECT_EQ(DmsToDecimal("-33", "30", "30"), "-33.508333");
    EXPECT_EQ(DmsToDecimal("-120", "30", "0"), "-120.500000");
    EXPECT_EQ(DmsToDecimal("51", "30", "0.00"), "51.500000");
    EXPECT_EQ(DmsToDecimal("5", "3", "15"), "5.054167");
    // Empty fields count as 0.
    EXPECT_EQ(DmsToDecimal("", "", ""), "0.000000");
    EXPECT_EQ(DmsToDecimal("12", "", ""), "12.000000");
}

TEST(CoordConversion, DmsSignBetweenMinusOneAndZeroComesFromTheDegreesText)
{
    EXPECT_EQ(DmsToDecimal("0", "30", "0"), "0.500000");
    EXPECT_EQ(DmsToDecimal("00", "30", "0"), "0.500000");
    EXPECT_EQ(DmsToDecimal("-0", "30", "0"), "-0.500000");
    EXPECT_EQ(DmsToDecimal("-", "30", "0"), "-0.500000");
    // A negative zero alone is written as plain zero.
    EXPECT_EQ(DmsToDecimal("-0", "0", "0"), "0.000000");
}

TEST(CoordConversion, DecimalToDms)
{
    auto check = [](const char* in, const char* d, const char* m, const char* s) {
        const SDmsTexts dms = DecimalToDms(in);
        EXPECT_EQ(dms.Degrees, d) << in;
        EXPECT_EQ(dms.Minutes, m) << in;
        EXPECT_EQ(dms.Seconds, s) << in;
    };
    check("51.5", "51", "30", "0.00");
    check("-33.508333", "-33", "30", "30.00");
    check("-0.5", "-0", "30", "0.00");
    check("0.5", "0", "30", "0.00");
    check("-120.500000", "-120", "30", "0.00");
    check("5.054167", "5", "3", "15.00");
    check("10.000139", "10", "0", "0.50");
    check("", "0", "0", "0.00");
    check("-", "0", "0", "0.00");
    check("-0.000001", "0", "0", "0.00");
    // Rounding carries: never 60 seconds or 60 minutes.
    check("12.999999", "13", "0", "0.00");
    check("-12.999999", "-13", "0", "0.00");
    check("12.499999", "12", "30", "0.00");
    check("12.016666", "12", "1", "0.00");  // 59.9976 seconds
}

TEST(CoordConversion, RoundTripKeepsTheValue)
{
    for (const char* d : {"-89.999999", "-0.250000", "0.016667", "45.123456", "179.999999", "-179.000278"}) {
        const SDmsTexts dms = DecimalToDms(d);
        const double back = std::stod(DmsToDecimal(dms.Degrees, dms.Minutes, dms.Seconds));
        EXPECT_NEAR(back, std::stod(d), 0.01 / 3600 / 2 + 1e-6) << d;
    }
}

TEST(CoordConversion, FarOutValuesDoNotOverflow)
{
    const SDmsTexts dms = DecimalToDms("123456789012");
    EXPECT_EQ(dms.Degrees, "123456789012");
    EXPECT_EQ(dms.Minutes, "0");
}

TEST(CoordConversion, DecimalNumberForm)
{
    for (const char* ok : {"0", "-0", "12", "12.", "-12.5", ".5", "-.5"})
        EXPECT_TRUE(IsDecimalNumber(ok)) << ok;
    for (const char* bad : {"", "-", ".", "-.", "1-", "+1", "1.2.3", " 1", "1 ", "nan", "1e3", "0-"})
        EXPECT_FALSE(IsDecimalNumber(bad)) << bad;
}

TEST(CoordConversion, AddRuleUsesFullValues)
{
    EXPECT_TRUE(CanAddMark("90", "180", "5000"));
    EXPECT_TRUE(CanAddMark("-90", "-180", "-2000"));
    EXPECT_TRUE(CanAddMark("-33.508333", "-120.500000", "12.5"));
    EXPECT_FALSE(CanAddMark("90.5", "0", "0"));
    EXPECT_FALSE(CanAddMark("-90.000001", "0", "0"));
    EXPECT_FALSE(CanAddMark("0", "180.5", "0"));
    EXPECT_FALSE(CanAddMark("0", "0", "5000.5"));
    EXPECT_FALSE(CanAddMark("0", "0", "-2000.5"));
    // Empty or not a number: never.
    EXPECT_FALSE(CanAddMark("0", "0", ""));
    EXPECT_FALSE(CanAddMark("", "0", "0"));
    EXPECT_FALSE(CanAddMark("0", "0", "0-"));
    EXPECT_FALSE(CanAddMark("0", "abc", "0"));
}
