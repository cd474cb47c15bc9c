#pragma once

#include <string>
#include <vector>

#include "gnss/nmea_parser.h"
#include "gnss/on_mark_check.h"

class CLanguageModule;

// The operator's lines for the GNSS window, the averaging and the marks editor's GPS group. Values
// not reported show the table's "N/A"; numbers never follow the process locale.
class CGnssTexts {
public:
    explicit CGnssTexts(const CLanguageModule* language = nullptr) : m_Language(language) {}

    std::string Text(int id) const;
    // Text(id) with %1, %2, ... replaced in order.
    std::string Format(int id, const std::vector<std::string>& values) const;
    std::string Number(const std::optional<double>& value, int decimals) const;

    std::string Quality(int quality) const;
    std::string Constellation(EConstellation c) const;

    // The GNSS window's lines.
    std::string QualityLine(const CNmeaParser& gnss) const;
    std::string SatellitesLine(const CNmeaParser& gnss, const std::vector<SSatellite>& sky) const;
    std::string DopLine(const CNmeaParser& gnss) const;
    std::string PositionLine(const CNmeaParser& gnss) const;
    std::string HeightsLine(const CNmeaParser& gnss) const;
    std::string ErrorsLine(const CNmeaParser& gnss) const;
    std::string AgeLine(const CNmeaParser& gnss, GnssClock::time_point now) const;
    std::string DroppedLine(const CNmeaParser& gnss) const;

    // The marks editor's GPS group: the live position (empty without a current fix) and the
    // distance, warning or notice (empty when there is nothing to compare).
    std::string LivePosition(const CNmeaParser& gnss, GnssClock::time_point now) const;
    std::string OnMarkLine(const SOnMarkResult& result) const;

private:
    const CLanguageModule* m_Language;
};
