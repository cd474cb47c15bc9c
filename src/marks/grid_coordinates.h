#pragma once

// Grid coordinates (UTM, a national grid, a state plane) to and from WGS 84 latitude and longitude,
// through PROJ. One instance owns its own PROJ context, so instances may live on different threads;
// one instance is not to be shared between threads. Without PROJ in the build every call reports
// EGridError::NotAvailable.

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

enum class EGridError {
    None,
    NotAvailable,      // built without PROJ
    NoDatabase,        // proj.db not found
    UnknownSystem,     // no such code or name
    NotProjected,      // a geographic (or other) system, not a grid
    NoSystem,          // nothing chosen yet
    OutsideArea,       // the point lies outside the system's area of use
    InvalidValue,      // NaN, infinite or absurd numbers
    ConversionFailed,  // PROJ could not convert the point
};

struct SGridSystem
{
    std::string Authority;  // "EPSG"
    std::string Code;       // "27700"
    std::string Name;       // "OSGB36 / British National Grid"
    std::string AreaName;   // "United Kingdom (UK) - offshore to boundary of UKCS ..."
    // The area of use in degrees; West may exceed East for an area across the antimeridian.
    double West = -180, South = -90, East = 180, North = 90;
    std::string Unit = "metre";  // of easting and northing, as PROJ names it ("US survey foot")
    // UTM with its zone taken from each point's longitude (ToGrid); ToGeographic uses UtmZone/UtmSouth.
    bool UtmAuto = false;
    int UtmZone = 0;  // 1..60 for a UTM system, else 0
    bool UtmSouth = false;
    // Points of a UTM system carry their zone ("31N").
    bool IsUtm() const { return UtmAuto || UtmZone != 0; }
};

// The operation PROJ used between WGS 84 and the grid.
struct SGridTransformation
{
    std::string Name;           // "Inverse of OSGB36 to WGS 84 (6) + British National Grid"
    double AccuracyMetres = -1;  // -1 when PROJ does not know
    bool Ballpark = false;      // no real datum shift was available: metres off are possible
};

struct SGridResult
{
    EGridError Error = EGridError::None;
    double X = 0;  // easting, or longitude in degrees
    double Y = 0;  // northing, or latitude in degrees
    int UtmZone = 0;  // the zone used, for a UTM system
    bool UtmSouth = false;
    SGridTransformation Transformation;
    bool Ok() const { return Error == EGridError::None; }
    static SGridResult Failure(EGridError error)
    {
        SGridResult r;
        r.Error = error;
        return r;
    }
};

// The zone the longitude falls in (1..60), with the Norway and Svalbard exceptions.
int UtmZoneFor(double latitude, double longitude);
// "31N", "33S".
std::string UtmZoneText(int zone, bool south);
// The short form of a unit as PROJ names it: "m", "ftUS", "ft"; another name as it is.
std::string GridUnitSymbol(const std::string& unit);
// "1 m", "0.05 m", or "" when unknown.
std::string AccuracyText(double metres);

class CGridCoordinates
{
public:
    // searchPaths: folders holding proj.db; empty means where the product ships it: the running
    // program's own folder on Windows (the zip and the installer put it there), PROJ's default (the
    // package's folder) elsewhere.
    explicit CGridCoordinates(const std::vector<std::string>& searchPaths = {});
    ~CGridCoordinates();
    CGridCoordinates(const CGridCoordinates&) = delete;
    CGridCoordinates& operator=(const CGridCoordinates&) = delete;

    static bool Available();
    // None, NotAvailable or NoDatabase.
    EGridError State() const;

    // Projected systems whose name holds the text (any case) or whose code starts with it, the exact
    // code first; at most limit of them.
    std::vector<SGridSystem> Search(const std::string& text, std::size_t limit = 50) const;

    // "EPSG:27700", "27700", or a name matching exactly one system (exactly, or as the only match).
    EGridError Select(const std::string& codeOrName);
    // WGS 84 / UTM zone 1..60 north or south.
    EGridError SelectUtm(int zone, bool south);
    // UTM with the zone from each point's longitude; ToGeographic then uses zone and south.
    EGridError SelectUtmAuto(int zone, bool south);
    const SGridSystem& System() const;
    bool HasSystem() const;

    // Latitude and longitude on WGS 84 to easting and northing (X, Y) of the chosen system. Naming
    // the operation used costs more than converting; a list redraw leaves it out (describe false).
    SGridResult ToGrid(double latitude, double longitude, bool describe = true) const;
    // Easting and northing to WGS 84 longitude (X) and latitude (Y).
    SGridResult ToGeographic(double easting, double northing) const;
    // The operation PROJ picks at the middle of the area of use.
    SGridTransformation Transformation() const;

    // For checking a system's own published figures: convert from and to the system's own
    // geographic datum (OSGB36 for the British grid) instead of WGS 84.
    void SetOwnDatum(bool own);

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_Impl;
};

// The grid columns of the mark list, computed for display from a mark's decimal texts: easting and
// northing with millimetre decimals in the system's unit, and the zone ("31N") for UTM. All empty
// where the mark does not convert (outside the area, not a number).
struct SGridColumns
{
    std::string Easting;
    std::string Northing;
    std::string Zone;
};
SGridColumns GridColumns(const CGridCoordinates& grid, const std::string& latitude, const std::string& longitude);
