#include "marks/coordinate_validators.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct Case {
    std::string in;
    std::string message;   // expected message, empty when valid
    std::string out = "";  // expected text afterwards when it differs from the input
};

void Check(CEditValidate& v, const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        std::string text = c.in;
        EXPECT_EQ(v.Validate(text), c.message) << "input '" << c.in << "'";
        const std::string expected = c.out.empty() ? c.in : c.out;
        EXPECT_EQ(text, expected) << "input '" << c.in << "'";
    }
}

}  // namespace

TEST(CoordValidators, SingleCharacterGetsLeadingZero)
{
    std::string t = "7";
    PadSingleChar(t);
    EXPECT_EQ(t, "07");
    t = "-";
    PadSingleChar(t);
    EXPECT_EQ(t, "0-");
    t = "";
    PadSingleChar(t);
    EXPECT_EQ(t, "");
    t = "12";
    PadSingleChar(t);
    EXPECT_EQ(t, "12");

    // Every validator applies it, valid or not.
    CStdCoordLat2Validate minutes;
    t = "7";
    EXPECT_EQ(minutes.Validate(t), "");
    EXPECT_EQ(t, "07");
    CDecimalAltValidate alt;
    t = "-";
    EXPECT_EQ(alt.Validate(t), "");
    EXPECT_EQ(t, "0-");
}

TEST(CoordValidators, LatitudeDegrees)
{
    CStdCoordLatValidate v;
    Check(v, {{"90", ""},
              {"-90", ""},
              {"91", "Latitude Degrees Greater than 90!"},
              {"-91", "Latitude Degrees Less than -90!"},
              {"-0", ""},
              {"5", "", "05"},
              {"", ""}});
}

TEST(CoordValidators, LongitudeDegreesRewritesEastOf180)
{
    CStdCoordLonValidate v;
    Check(v, {{"180", ""},
              {"-180", ""},
              {"-181", "Longitude Degrees Less than -180!"},
              {"361", "Longitude Degrees Greater than 360!"},
              {"181", "", "-179"},
              {"200", "", "-160"},
              {"360", "", "0"}});
}

TEST(CoordValidators, Minutes)
{
    CStdCoordLat2Validate lat;
    Check(lat, {{"59", ""},
                {"00", ""},
                {"60", "Latitude Minutes Greater than 59!"},
                {"-1", "Latitude Minutes Less than 0!"},
                {"7", "", "07"}});
    CStdCoordLon2Validate lon;
    Check(lon, {{"59", ""},
                {"60", "Longitude Minutes Greater than 59!"},
                {"-1", "Longitude Minutes Less than 0!"}});
}

TEST(CoordValidators, SecondsUpToButNotIncluding60)
{
    CStdCoordLat3Validate lat;
    Check(lat, {{"59.5", ""},
                {"59.99", ""},
                {"0", "", "00"},
                {"60", "Latitude Seconds Greater than 59!"},
                {"60.00", "Latitude Seconds Greater than 59!"},
                {"-0.01", "Latitude Seconds Less than 0!"}});
    CStdCoordLon3Validate lon;
    Check(lon, {{"59.5", ""},
                {"60", "Longitude Seconds Greater than 59!"},
                {"-1", "Longitude Seconds Less than 0!"}});
}

TEST(CoordValidators, Altitude)
{
    CDecimalAltValidate v;
    Check(v, {{"5000", ""},
              {"-2000", ""},
              {"5000.5", "Altitude is greater than 5000."},
              {"-2000.1", "Altitude is less than -2000."}});
}

TEST(CoordValidators, DecimalLatitudeUsesFullValue)
{
    CDecimalLatValidate v;
    Check(v, {{"90", ""},
              {"-90.000000", ""},
              {"90.5", "Latitude is greater than 90."},
              {"90.000001", "Latitude is greater than 90."},
              {"-90.5", "Latitude is less than -90."}});
}

TEST(CoordValidators, DecimalLongitude)
{
    CDecimalLonValidate v;
    Check(v, {{"180", ""},
              {"-180", ""},
              {"180.5", "Longitude is greater than 180."},
              {"-180.5", "Longitude is less than -180."}});
}
