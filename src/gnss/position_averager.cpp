#include "gnss/position_averager.h"

#include <GeographicLib/LocalCartesian.hpp>

#include <cmath>

#include "marks/text_number.h"

CPositionAverager::CPositionAverager() = default;
CPositionAverager::~CPositionAverager() = default;

void CPositionAverager::Start(GnssClock::time_point now)
{
    m_Running = true;
    m_Started = now;
    m_Previous.reset();
    m_Used = m_Skipped = m_WithSeparation = 0;
    m_Frame.reset();
    m_Mean = {};
    m_M2 = {};
    m_SeparationSum = 0;
    m_ScatterNext = m_ScatterCount = 0;
}

void CPositionAverager::OnFix(const SGnssFix& fix)
{
    if (!m_Running)
        return;
    const bool gap = m_Previous && fix.Arrived - *m_Previous > MaxGap;
    m_Previous = fix.Arrived;
    if (gap || !fix.Measured() || !fix.AltitudeMsl) {
        ++m_Skipped;
        return;
    }
    // Heights without the geoid separation are taken above sea level; the ellipsoidal mean is then
    // not offered (SMean::EllipsoidalHeight stays empty).
    const double separation = fix.GeoidSeparation.value_or(0.0);
    const double h = *fix.AltitudeMsl + separation;
    if (!m_Frame)
        // The first fix is the frame's origin: within metres of the mean, so the axes agree with a
        // frame at the mean to a few microradians.
        m_Frame = std::make_unique<GeographicLib::LocalCartesian>(*fix.Latitude, *fix.Longitude, h);
    std::array<double, 3> p{};
    m_Frame->Forward(*fix.Latitude, *fix.Longitude, h, p[0], p[1], p[2]);
    ++m_Used;
    for (std::size_t i = 0; i < 3; ++i) {
        const double d = p[i] - m_Mean[i];
        m_Mean[i] += d / static_cast<double>(m_Used);
        m_M2[i] += d * (p[i] - m_Mean[i]);
    }
    if (fix.GeoidSeparation)
        ++m_WithSeparation;
    m_SeparationSum += separation;
    m_Scatter[m_ScatterNext] = SPoint{p[0], p[1]};
    m_ScatterNext = (m_ScatterNext + 1) % ScatterCapacity;
    if (m_ScatterCount < ScatterCapacity)
        ++m_ScatterCount;
}

std::optional<CPositionAverager::SMean> CPositionAverager::Mean() const
{
    if (m_Used == 0 || !m_Frame)
        return std::nullopt;
    SMean m;
    double h = 0;
    m_Frame->Reverse(m_Mean[0], m_Mean[1], m_Mean[2], m.Latitude, m.Longitude, h);
    const double separation = m_SeparationSum / static_cast<double>(m_Used);
    m.HeightMsl = h - separation;
    if (m_WithSeparation == m_Used)
        m.EllipsoidalHeight = h;
    if (m_Used >= 2) {
        const double n1 = static_cast<double>(m_Used - 1);
        m.SigmaEast = std::sqrt(m_M2[0] / n1);
        m.SigmaNorth = std::sqrt(m_M2[1] / n1);
        m.SigmaUp = std::sqrt(m_M2[2] / n1);
    }
    return m;
}

CPositionAverager::SPoint CPositionAverager::ScatterPoint(std::size_t i) const
{
    const std::size_t first = m_ScatterCount < ScatterCapacity ? 0 : m_ScatterNext;
    const SPoint& p = m_Scatter[(first + i) % ScatterCapacity];
    return SPoint{p.East - m_Mean[0], p.North - m_Mean[1]};
}

SMarkTexts MarkTextsFor(double latitude, double longitude, double height)
{
    SMarkTexts t{FixedText(latitude, 8), FixedText(longitude, 8), {}};
    for (int decimals = 3; decimals >= 0; --decimals) {
        std::string h = FixedText(height, decimals);
        if (h == "-0" || h.rfind("-0.", 0) == 0) {
            // "-0.000" reads as zero: no sign for it
            if (std::fabs(TextToDouble(h)) == 0.0)
                h.erase(0, 1);
        }
        if (static_cast<int>(h.size()) <= MaxAltitudeChars) {
            t.Altitude = h;
            break;
        }
    }
    return t;
}
