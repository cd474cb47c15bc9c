#pragma once

#include <optional>

#include "gnss/nmea_parser.h"

class CMark;

// Is the base over the point whose coordinates it broadcasts? Compares the latest fix with the
// reference position the base reported ("$>JRTK,17,").
enum class EOnMarkState {
    NoFix,        // no fix arrived in the last FixCurrentFor, or one without a position or of quality 0
    NotMeasured,  // quality 6, 7 or 8: the base reports a position it was given, not one it measured
    NoReference,  // a measured fix, but the base has not reported its reference position
    OnMark,       // within the limit
    OffMark,      // farther than the limit: the operator is warned
};

struct SOnMarkResult {
    EOnMarkState State = EOnMarkState::NoFix;
    double DistanceM = 0;  // geodesic on WGS84, horizontal
    double LimitM = 0;     // max(MinimumLimitM, SigmaFactor × GST's horizontal sigma)
    int Quality = 0;
};

namespace OnMark {
constexpr auto FixCurrentFor = std::chrono::seconds(2);
constexpr double MinimumLimitM = 15.0;
constexpr double SigmaFactor = 3.0;
}  // namespace OnMark

// reference: null until the base reported it. Its texts that are no coordinate count as not reported.
SOnMarkResult CheckOnMark(const CNmeaParser& gnss, const CMark* reference, GnssClock::time_point now);

// Horizontal geodesic distance on WGS84 in metres.
double GeodesicDistanceM(double lat1, double lon1, double lat2, double lon2);
