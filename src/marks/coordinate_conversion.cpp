#include "marks/coordinate_conversion.h"

#include "marks/text_number.h"

#include <charconv>
#include <cmath>

namespace {

bool StartsNegative(const std::string& text)
{
    for (char c : text) {
        if (c == ' ' || c == '\t')
            continue;
        return c == '-';
    }
    return false;
}

// "%f"-style fixed formatting that ignores the process locale.
std::string Fixed(double v, int decimals)
{
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        return "0";
    return std::string(buf, end);
}

bool InRange(const std::string& text, double lo, double hi)
{
    if (!IsDecimalNumber(text))
        return false;
    const double v = TextToDouble(text);
    return v >= lo && v <= hi;
}

}  // namespace

std::string DmsToDecimal(const std::string& degrees, const std::string& minutes, const std::string& seconds,
                         bool longitude)
{
    const int deg = TextToInt(degrees);
    const int min = TextToInt(minutes);
    const double sec = TextToDouble(seconds);
    const double fraction = sec / 3600.0 + min / 60.0;
    const bool negative = deg < 0 || (deg == 0 && StartsNegative(degrees));
    double value = std::fabs(static_cast<double>(deg)) + fraction;
    if (negative)
        value = -value;
    if (longitude && value > 180.0)
        value -= 360.0;
    if (value == 0.0)
        value = 0.0;  // no "-0.000000"
    std::string text = Fixed(value, 6);
    if (text == "-0.000000")
        text.erase(0, 1);
    return text;
}

SDmsTexts DecimalToDms(const std::string& decimal)
{
    const double value = TextToDouble(decimal);
    const double magnitude = std::fabs(value);
    SDmsTexts dms;
    // Far outside any coordinate: hundredths of a second would overflow; show whole degrees only.
    if (!(magnitude < 1e9)) {
        dms.Degrees = std::isfinite(value) ? Fixed(std::trunc(value), 0) : "0";
        dms.Minutes = "0";
        dms.Seconds = "0.00";
        return dms;
    }
    // Round once, in hundredths of a second, so that 59.995 seconds carries into the minute.
    const long long total = std::llround(magnitude * 360000.0);
    const long long deg = total / 360000;
    const long long rest = total % 360000;
    const long long min = rest / 6000;
    const long long hundredths = rest % 6000;
    const bool negative = value < 0.0 && total > 0;
    dms.Degrees = (negative ? "-" : "") + std::to_string(deg);
    dms.Minutes = std::to_string(min);
    const long long frac = hundredths % 100;
    dms.Seconds = std::to_string(hundredths / 100) + (frac < 10 ? ".0" : ".") + std::to_string(frac);
    return dms;
}

bool IsDecimalNumber(const std::string& text)
{
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-')
        ++i;
    bool digits = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        digits = true;
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            digits = true;
            ++i;
        }
    }
    return digits && i == text.size();
}

bool CanAddMark(const std::string& latitude, const std::string& longitude, const std::string& altitude)
{
    return InRange(latitude, -90.0, 90.0) && InRange(longitude, -180.0, 180.0) &&
           InRange(altitude, -2000.0, 5000.0);
}
