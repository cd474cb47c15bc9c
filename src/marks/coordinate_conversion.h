#pragma once

// The two forms of a coordinate entry, degrees/minutes/seconds and signed decimal degrees, and the
// conversions that keep them in step while the operator types.

#include <string>

struct SDmsTexts
{
    std::string Degrees;
    std::string Minutes;
    std::string Seconds;
};

// Degrees, minutes and seconds texts to decimal degrees with six decimals ("-33.508333").
// The sign comes from the degrees text, so "-0" with 30 minutes is -0.500000 and "0" is 0.500000;
// the same rule holds for latitude and longitude. A longitude east of 180 (typed as 181 to 360
// degrees) is taken west as a whole value: 200°30' is -159.500000.
std::string DmsToDecimal(const std::string& degrees, const std::string& minutes, const std::string& seconds,
                         bool longitude = false);

// Decimal degrees text to degrees, minutes and seconds texts (seconds with two decimals). Rounding
// to the hundredth of a second carries into minutes and degrees, so 12.999999 is 13, 0, 0.00;
// a value between -1 and 0 keeps its sign in the degrees text ("-0").
SDmsTexts DecimalToDms(const std::string& decimal);

// True when the text is a plain signed decimal number: optional "-", digits, optional point and
// digits, at least one digit, nothing else.
bool IsDecimalNumber(const std::string& text);

// The rule that enables "Add": all three decimal texts are numbers within -90..90, -180..180 and
// -2000..5000 respectively (full values, bounds included).
bool CanAddMark(const std::string& latitude, const std::string& longitude, const std::string& altitude);
