#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "gnss/nmea_parser.h"

namespace GeographicLib {
class LocalCartesian;
}

// The mean of a run of fixes and its spread. Memory does not grow with the run: running sums
// (Welford) in a local east-north-up frame, plus the last ScatterCapacity offsets for the plot.
class CPositionAverager : public CNmeaParser::IFixListener {
public:
    static constexpr auto MaxGap = std::chrono::seconds(2);
    static constexpr std::size_t ScatterCapacity = 1200;

    struct SPoint {
        double East = 0, North = 0;  // metres from the mean's frame origin
    };
    struct SMean {
        double Latitude = 0, Longitude = 0;
        std::optional<double> EllipsoidalHeight, HeightMsl;
        std::optional<double> SigmaNorth, SigmaEast, SigmaUp;  // sample standard deviations, from two fixes
    };

    CPositionAverager();
    ~CPositionAverager() override;

    void Start(GnssClock::time_point now);
    void Stop() { m_Running = false; }
    bool Running() const { return m_Running; }
    GnssClock::time_point Started() const { return m_Started; }

    // A fix of quality outside 1-5 and 9, without a position or height, or arriving more than MaxGap
    // after the previous one is skipped.
    void OnFix(const SGnssFix& fix) override;

    std::size_t Used() const { return m_Used; }
    std::size_t Skipped() const { return m_Skipped; }
    std::optional<SMean> Mean() const;
    // The plotted fixes relative to the mean, oldest first.
    std::size_t ScatterCount() const { return m_ScatterCount; }
    SPoint ScatterPoint(std::size_t i) const;

private:
    bool m_Running = false;
    GnssClock::time_point m_Started{};
    std::optional<GnssClock::time_point> m_Previous;
    std::size_t m_Used = 0, m_Skipped = 0, m_WithSeparation = 0;
    std::unique_ptr<GeographicLib::LocalCartesian> m_Frame;
    std::array<double, 3> m_Mean{}, m_M2{};
    double m_SeparationSum = 0;
    std::array<SPoint, ScatterCapacity> m_Scatter{};
    std::size_t m_ScatterNext = 0, m_ScatterCount = 0;
};

// The three texts of a mark at this position: latitude and longitude with eight decimals, the height
// with as many decimals (at most three) as MaxAltitudeChars allow. Empty height when none fits.
struct SMarkTexts {
    std::string Latitude, Longitude, Altitude;
};
constexpr int MaxAltitudeChars = 6;  // the altitude edit's length
SMarkTexts MarkTextsFor(double latitude, double longitude, double height);
