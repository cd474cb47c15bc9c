#include "gnss/on_mark_check.h"

#include <GeographicLib/Geodesic.hpp>

#include <cmath>

#include "marks/mark.h"
#include "marks/text_number.h"

double GeodesicDistanceM(double lat1, double lon1, double lat2, double lon2)
{
    double s12 = 0;
    GeographicLib::Geodesic::WGS84().Inverse(lat1, lon1, lat2, lon2, s12);
    return s12;
}

SOnMarkResult CheckOnMark(const CNmeaParser& gnss, const CMark* reference, GnssClock::time_point now)
{
    SOnMarkResult r;
    const auto& fix = gnss.Fix();
    // Current by when it arrived here, never by the receiver's time stamp.
    if (!fix || now - fix->Arrived > OnMark::FixCurrentFor || !fix->Quality)
        return r;
    r.Quality = *fix->Quality;
    if (r.Quality >= 6 && r.Quality <= 8) {
        r.State = EOnMarkState::NotMeasured;
        return r;
    }
    if (!fix->Measured())
        return r;
    r.State = EOnMarkState::NoReference;
    if (!reference)
        return r;
    const double lat = TextToDouble(reference->GetLatitude());
    const double lon = TextToDouble(reference->GetLongitude());
    if (!std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 90 || std::fabs(lon) > 180)
        return r;
    r.DistanceM = GeodesicDistanceM(*fix->Latitude, *fix->Longitude, lat, lon);
    r.LimitM = OnMark::MinimumLimitM;
    const auto& errors = gnss.Errors();
    if (errors && now - errors->Arrived <= OnMark::FixCurrentFor)
        if (const auto h = errors->Horizontal())
            r.LimitM = std::max(r.LimitM, OnMark::SigmaFactor * *h);
    r.State = r.DistanceM > r.LimitM ? EOnMarkState::OffMark : EOnMarkState::OnMark;
    return r;
}
