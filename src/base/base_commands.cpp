#include "base/base_commands.h"

#include <cmath>

#include "marks/text_number.h"

namespace BaseCommands {
namespace {

// "%f" with a point whatever the locale: the receiver reads only a point.
std::string Fixed6(double v) { return FixedText(v, 6); }

std::string WithValue(std::string_view head, const std::string& value)
{
    std::string s(head);
    s += ',';
    s += value;
    return s;
}

}  // namespace

std::string IntBatVCritical(double v) { return WithValue("$KBASE,INTBATVCRITICAL", Fixed6(v)); }
std::string ExtBatVCritical(double v) { return WithValue("$KBASE,EXTBATVCRITICAL", Fixed6(v)); }
std::string IntBatVWarn(double v) { return WithValue("$KBASE,INTBATVWARN", Fixed6(v)); }
std::string ExtBatVWarn(double v) { return WithValue("$KBASE,EXTBATVWARN", Fixed6(v)); }
std::string IntBatDr(int v) { return WithValue("$KBASE,INTBATDR", std::to_string(v)); }
std::string ExtBatDr(int v) { return WithValue("$KBASE,EXTBATDR", std::to_string(v)); }

std::vector<std::string> WriteSettings(double intBatVCritical, double extBatVCritical, double intBatVWarn,
                                       double extBatVWarn, int intBatDr, int extBatDr)
{
    std::vector<std::string> sentences;
    // A value that is not a number is left out: the base keeps its own rather than reading garbage.
    const auto level = [&](std::string (*sentence)(double), double volts) {
        if (std::isfinite(volts))
            sentences.push_back(sentence(volts));
    };
    level(IntBatVCritical, intBatVCritical);
    level(ExtBatVCritical, extBatVCritical);
    level(IntBatVWarn, intBatVWarn);
    level(ExtBatVWarn, extBatVWarn);
    sentences.push_back(IntBatDr(intBatDr));
    sentences.push_back(ExtBatDr(extBatDr));
    sentences.emplace_back(Save);
    return sentences;
}

std::string AddMark(const std::string& lat, const std::string& lon, const std::string& alt)
{
    return "$KBASE,ADDMARK," + lat + ',' + lon + ',' + alt;
}

}  // namespace BaseCommands
