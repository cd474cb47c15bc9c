#include "base/base_commands.h"

#include <cstdio>

namespace BaseCommands {
namespace {

// "%f" with a point whatever the locale: the receiver reads only a point.
std::string Fixed6(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%f", v);
    std::string s(buf);
    for (char& c : s)
        if (c == ',')
            c = '.';
    return s;
}

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
    return {IntBatVCritical(intBatVCritical), ExtBatVCritical(extBatVCritical), IntBatVWarn(intBatVWarn),
            ExtBatVWarn(extBatVWarn), IntBatDr(intBatDr), ExtBatDr(extBatDr), std::string(Save)};
}

std::string AddMark(const std::string& lat, const std::string& lon, const std::string& alt)
{
    return "$KBASE,ADDMARK," + lat + ',' + lon + ',' + alt;
}

}  // namespace BaseCommands
