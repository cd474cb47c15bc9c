#include "marks/coordinate_validators.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
    std::string in;
    std::string message;   // expected message, empty when valid
    std::string out = "";  // expected text afterwards when it differs from the input
};

void Check(CEditValidate&& v, const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        std::string text = c.in;
        EXPECT_EQ(v.Validate(text), c.message) << "input '" << c.in << "'";
        EXPECT_EQ(text, c.out.empty() ? c.in : c.out) << "input '" << c.in << "'";
    }
}

}  // namespace

// Every validator first puts a "0" before a single character, valid or not ("5" -> "05", "-" -> "0-").
TEST(CoordValidators, DegreesMinutesSeconds)
{
    Check(CStdCoordLatValidate{}, {{"90", ""}, {"-90", ""}, {"-0", ""}, {"5", "", "05"}, {"", ""},
                                   {"91", "Latitude Degrees Greater than 90!"},
                                   {"-91", "Latitude Degrees Less than -90!"}});
    // East of 180 stays as typed: the conversion maps the whole D/M/S value, minutes included.
    Check(CStdCoordLonValidate{}, {{"180", ""}, {"-180", ""}, {"181", ""}, {"200", ""}, {"360", ""},
                                   {"-181", "Longitude Degrees Less than -180!"},
                                   {"361", "Longitude Degrees Greater than 360!"}});
    Check(CStdCoordLat2Validate{}, {{"59", ""}, {"00", ""},
                                    {"60", "Latitude Minutes Greater than 59!"},
                                    {"-1", "Latitude Minutes Less than 0!"}});
    Check(CStdCoordLon2Validate{}, {{"59", ""},
                                    {"60", "Longitude Minutes Greater than 59!"},
                                    {"-1", "Longitude Minutes Less than 0!"}});
    // Seconds go up to but not including 60.
    Check(CStdCoordLat3Validate{}, {{"59.5", ""}, {"59.99", ""}, {"0", "", "00"},
                                    {"60", "Latitude Seconds Greater than 59!"},
                                    {"60.00", "Latitude Seconds Greater than 59!"},
                                    {"-0.01", "Latitude Seconds Less than 0!"}});
    Check(CStdCoordLon3Validate{}, {{"59.5", ""},
                                    {"60", "Longitude Seconds Greater than 59!"},
                                    {"-1", "Longitude Seconds Less than 0!"}});
}

TEST(CoordValidators, DecimalFormUsesFullValues)
{
    Check(CDecimalAltValidate{}, {{"5000", ""}, {"-2000", ""}, {"-", "", "0-"},
                                  {"5000.5", "Altitude is greater than 5000."},
                                  {"-2000.1", "Altitude is less than -2000."}});
    Check(CDecimalLatValidate{}, {{"90", ""}, {"-90.000000", ""},
                                  {"90.5", "Latitude is greater than 90."},
                                  {"90.000001", "Latitude is greater than 90."},
                                  {"-90.5", "Latitude is less than -90."}});
    Check(CDecimalLonValidate{}, {{"180", ""}, {"-180", ""},
                                  {"180.5", "Longitude is greater than 180."},
                                  {"-180.5", "Longitude is less than -180."}});
}
