#include "marks/mark.h"

#include <cmath>

#include "marks/archive.h"
#include "marks/text_number.h"

void CMark::Set(const std::string& latitude, const std::string& longitude, const std::string& altitude)
{
    m_Latitude = latitude;
    m_Longitude = longitude;
    m_Altitude = altitude;
}

namespace {
bool Near(const std::string& a, const std::string& b)
{
    return std::fabs(TextToDouble(a) - TextToDouble(b)) <= CMark::NearTolerance;
}
}  // namespace

bool CMark::IsNear(const CMark& other) const
{
    // All three pairs are evaluated, whatever the first ones give.
    const bool lat = Near(m_Latitude, other.m_Latitude);
    const bool lon = Near(m_Longitude, other.m_Longitude);
    const bool alt = Near(m_Altitude, other.m_Altitude);
    return lat && lon && alt;
}

bool CMark::SameValue(const CMark& other) const
{
    return std::fabs(TextToDouble(m_Latitude) - TextToDouble(other.m_Latitude)) <= SameDegrees &&
           std::fabs(TextToDouble(m_Longitude) - TextToDouble(other.m_Longitude)) <= SameDegrees &&
           std::fabs(TextToDouble(m_Altitude) - TextToDouble(other.m_Altitude)) <= SameMetres;
}

void CMark::Store(CArchiveWriter& ar) const
{
    ar.WriteText(m_Latitude);
    ar.WriteText(m_Longitude);
    ar.WriteText(m_Altitude);
}

bool CMark::Load(CArchiveReader& ar)
{
    std::string lat, lon, alt;
    if (!ar.ReadText(lat) || !ar.ReadText(lon) || !ar.ReadText(alt))
        return false;
    m_Latitude = std::move(lat);
    m_Longitude = std::move(lon);
    m_Altitude = std::move(alt);
    return true;
}
