#pragma once

#include <cstddef>
#include <string>

class CArchiveWriter;
class CArchiveReader;

// One stored base coordinate. The three values stay the texts that were typed or received: the base
// gets back exactly what it sent, and 1.5 and 1.50 remain different marks.
class CMark {
public:
    CMark() = default;
    CMark(std::string latitude, std::string longitude, std::string altitude)
        : m_Latitude(std::move(latitude)), m_Longitude(std::move(longitude)), m_Altitude(std::move(altitude))
    {
    }
    virtual ~CMark() = default;
    CMark(const CMark&) = default;
    CMark& operator=(const CMark&) = default;
    CMark(CMark&&) noexcept = default;
    CMark& operator=(CMark&&) noexcept = default;

    void Set(const std::string& latitude, const std::string& longitude, const std::string& altitude);

    const std::string& GetLatitude() const { return m_Latitude; }
    const std::string& GetLongitude() const { return m_Longitude; }
    const std::string& GetAltitude() const { return m_Altitude; }

    // Numeric comparison, used only to find the mark the base is using: every pair of values within
    // NearTolerance, inclusive. Texts without a number count as 0.
    bool IsNear(const CMark& other) const;
    static constexpr double NearTolerance = 1e-7;

    // The same place by value, whatever the texts: latitude and longitude within SameDegrees,
    // altitude within SameMetres. A base may format a mark it was sent differently (51.5 as 51.500000).
    bool SameValue(const CMark& other) const;
    static constexpr double SameDegrees = 1e-9;
    static constexpr double SameMetres = 1e-4;
    // The longest text the decimal entry fields take; a received mark with a longer one is refused.
    static constexpr std::size_t MaxTextLength = 16;

    // Latitude, longitude, altitude as archive texts. Mark files do not use this: they write each
    // mark's texts altitude first (see CMarkFile).
    void Store(CArchiveWriter& ar) const;
    bool Load(CArchiveReader& ar);

    // Identical texts, character by character.
    bool operator==(const CMark& other) const = default;

private:
    std::string m_Latitude;
    std::string m_Longitude;
    std::string m_Altitude;
};
