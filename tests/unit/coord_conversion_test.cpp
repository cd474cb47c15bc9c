#include "marks/coordinate_conversion.h"

#include <gtest/gtest.h>

#include <string>

TEST(CoordConversion, DmsToDecimal)
{
    const struct {
        const char *d, *m, *s, *out;
    } cases[] = {
        {"-33", "30", "30", "-33.508333"}, {"-120", "30", "0", "-120.500000"}, {"5", "3", "15", "5.054167"},
        {"", "", "", "0.000000"},          {"12", "", "", "12.000000"},  // empty fields count as 0
        // Between -1 and 0 the sign comes from the degrees text; a negative zero alone is plain zero.
        {"0", "30", "0", "0.500000"},      {"-0", "30", "0", "-0.500000"}, {"-", "30", "0", "-0.500000"},
        {"-0", "0", "0", "0.000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DmsToDecimal(c.d, c.m, c.s), c.out) << c.d << ' ' << c.m << ' ' << c.s;

    // A longitude east of 180 becomes west as a whole value; a latitude is never wrapped.
    const struct {
        const char *d, *m, *s, *out;
    } east[] = {{"200", "30", "0", "-159.500000"}, {"359", "59", "", "-0.016667"}, {"360", "", "", "0.000000"},
                {"180", "", "", "180.000000"},     {"180", "0", "1", "-179.999722"}, {"-120", "30", "0", "-120.500000"}};
    for (const auto& c : east)
        EXPECT_EQ(DmsToDecimal(c.d, c.m, c.s, true), c.out) << c.d << ' ' << c.m << ' ' << c.s;
    EXPECT_EQ(DmsToDecimal("200", "30", "0"), "200.500000");
}

TEST(CoordConversion, DecimalToDms)
{
    const struct {
        const char *in, *d, *m, *s;
    } cases[] = {
        {"51.5", "51", "30", "0.00"},       {"-33.508333", "-33", "30", "30.00"}, {"-0.5", "-0", "30", "0.00"},
        {"10.000139", "10", "0", "0.50"},   {"", "0", "0", "0.00"},               {"-0.000001", "0", "0", "0.00"},
        {"123456789012", "123456789012", "0", "0.00"},  // far out: no overflow
        // Rounding carries: never 60 seconds or 60 minutes.
        {"12.999999", "13", "0", "0.00"},   {"-12.999999", "-13", "0", "0.00"},   {"12.499999", "12", "30", "0.00"},
        {"12.016666", "12", "1", "0.00"},  // 59.9976 seconds
    };
    for (const auto& c : cases) {
        const SDmsTexts dms = DecimalToDms(c.in);
        EXPECT_EQ(dms.Degrees + ',' + dms.Minutes + ',' + dms.Seconds, std::string(c.d) + ',' + c.m + ',' + c.s)
            << c.in;
    }
    for (const char* d : {"-89.999999", "-0.250000", "0.016667", "45.123456", "179.999999", "-179.000278"}) {
        const SDmsTexts dms = DecimalToDms(d);
        const double back = std::stod(DmsToDecimal(dms.Degrees, dms.Minutes, dms.Seconds));
        EXPECT_NEAR(back, std::stod(d), 0.01 / 3600 / 2 + 1e-6) << d;
    }
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
    const char* refused[][3] = {{"90.5", "0", "0"},   {"-90.000001", "0", "0"}, {"0", "180.5", "0"},
                                {"0", "0", "5000.5"}, {"0", "0", "-2000.5"},    {"0", "0", ""},
                                {"", "0", "0"},       {"0", "0", "0-"},         {"0", "abc", "0"}};
    for (const auto& r : refused)
        EXPECT_FALSE(CanAddMark(r[0], r[1], r[2])) << r[0] << ' ' << r[1] << ' ' << r[2];
}
