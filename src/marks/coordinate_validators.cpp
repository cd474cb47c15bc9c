#include "marks/coordinate_validators.h"

#include "marks/text_number.h"

namespace {

// The messages carry their bound as a number in the text ("... Greater than 59!").
std::string WithNumber(const char* before, int n, const char* after)
{
    return before + std::to_string(n) + after;
}

}  // namespace

void PadSingleChar(std::string& text)
{
    if (text.size() == 1)
        text.insert(text.begin(), '0');
}

std::string CStdCoordLatValidate::Validate(std::string& text)
{
    PadSingleChar(text);
    const int v = TextToInt(text);
    if (v > 90)
        return "Latitude Degrees Greater than 90!";
    if (v < -90)
        return "Latitude Degrees Less than -90!";
    return {};
}

std::string CStdCoordLat2Validate::Validate(std::string& text)
{
    PadSingleChar(text);
    const int v = TextToInt(text);
    if (v >= 60)
        return WithNumber("Latitude Minutes Greater than ", 59, "!");
    if (v < 0)
        return WithNumber("Latitude Minutes Less than ", 0, "!");
    return {};
}

std::string CStdCoordLat3Validate::Validate(std::string& text)
{
    PadSingleChar(text);
    const double v = TextToDouble(text);
    if (v >= 60.0)
        return WithNumber("Latitude Seconds Greater than ", 59, "!");
    if (v < 0.0)
        return WithNumber("Latitude Seconds Less than ", 0, "!");
    return {};
}

std::string CStdCoordLonValidate::Validate(std::string& text)
{
    PadSingleChar(text);
    const int v = TextToInt(text);
    if (v > 360)
        return "Longitude Degrees Greater than 360!";
    if (v < -180)
        return "Longitude Degrees Less than -180!";
    // 181 to 360 stay as typed: only the whole value with its minutes and seconds can be taken
    // west (the conversion does), rewriting the degrees alone would shift the minutes the wrong way.
    return {};
}

std::string CStdCoordLon2Validate::Validate(std::string& text)
{
    PadSingleChar(text);
    const int v = TextToInt(text);
    if (v >= 60)
        return WithNumber("Longitude Minutes Greater than ", 59, "!");
    if (v < 0)
        return WithNumber("Longitude Minutes Less than ", 0, "!");
    return {};
}

std::string CStdCoordLon3Validate::Validate(std::string& text)
{
    PadSingleChar(text);
    const double v = TextToDouble(text);
    if (v >= 60.0)
        return WithNumber("Longitude Seconds Greater than ", 59, "!");
    if (v < 0.0)
        return WithNumber("Longitude Seconds Less than ", 0, "!");
    return {};
}

std::string CDecimalAltValidate::Validate(std::string& text)
{
    PadSingleChar(text);
    const double v = TextToDouble(text);
    if (v > 5000.0)
        return WithNumber("Altitude is greater than ", 5000, ".");
    if (v < -2000.0)
        return WithNumber("Altitude is less than ", -2000, ".");
    return {};
}

std::string CDecimalLatValidate::Validate(std::string& text)
{
    PadSingleChar(text);
    const double v = TextToDouble(text);
    if (v > 90.0)
        return WithNumber("Latitude is greater than ", 90, ".");
    if (v < -90.0)
        return WithNumber("Latitude is less than ", -90, ".");
    return {};
}

std::string CDecimalLonValidate::Validate(std::string& text)
{
    PadSingleChar(text);
    const double v = TextToDouble(text);
    if (v > 180.0)
        return WithNumber("Longitude is greater than ", 180, ".");
    if (v < -180.0)
        return WithNumber("Longitude is less than ", -180, ".");
    return {};
}
