#include "marks/grid_coordinates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

#ifdef VARNEL_HAVE_PROJ

struct SKnownPoint {
    const char* System;
    bool OwnDatum;  // the published figures are on the system's own datum
    double Latitude, Longitude;
    double Easting, Northing;  // in the system's unit
};

// Points whose grid coordinates are exact by the system's definition (its false origin, a central
// meridian) or published by the system's keeper; a few cross-checked with GeographicLib.
const SKnownPoint kKnownPoints[] = {
    {"32631", false, 0, 3, 500000, 0},                         // UTM 31N: equator on the central meridian
    {"32631", false, 45, 3, 500000, 4982950.400},              // k0 times the WGS 84 meridian arc to 45°
    {"32631", false, 48.8583, 2.2945, 448251.898, 5411943.794},
    {"32733", false, 0, 15, 500000, 10000000},                 // UTM 33S: false northing at the equator
    {"32733", false, -45, 15, 500000, 5017049.600},
    {"32733", false, -34, 16, 592349.603, 6237393.340},
    // Ordnance Survey's worked example (Caister water tower), on OSGB36.
    {"27700", true, 52 + 39 / 60.0 + 27.2531 / 3600, 1 + 43 / 60.0 + 4.5177 / 3600, 651409.903, 313177.270},
    // NAD83 / Texas Central (US survey feet): the central meridian has the false easting, 700 000 m.
    {"2277", true, 31.5493, -(100 + 20 / 60.0), 2296583.333, 10527221.446},
    {"2277", true, 30.2672, -97.7431, 3114226.215, 10070436.131},
};

TEST(GridCoordinates, KnownPointsBothWaysToTheMillimetre)
{
    CGridCoordinates grid;
    ASSERT_EQ(grid.State(), EGridError::None);
    for (const SKnownPoint& p : kKnownPoints) {
        SCOPED_TRACE(std::string(p.System) + " " + std::to_string(p.Latitude) + " " + std::to_string(p.Longitude));
        ASSERT_EQ(grid.Select(p.System), EGridError::None);
        grid.SetOwnDatum(p.OwnDatum);
        const SGridResult g = grid.ToGrid(p.Latitude, p.Longitude);
        ASSERT_TRUE(g.Ok());
        EXPECT_NEAR(g.X, p.Easting, 0.001);
        EXPECT_NEAR(g.Y, p.Northing, 0.001);
        const SGridResult geo = grid.ToGeographic(p.Easting, p.Northing);
        ASSERT_TRUE(geo.Ok());
        // 1e-8 degrees is about a millimetre on the ground.
        EXPECT_NEAR(geo.Y, p.Latitude, 1e-8);
        EXPECT_NEAR(geo.X, p.Longitude, 1e-8);
    }
}

TEST(GridCoordinates, SystemsFoundByCodeOrNameWithAreaAndUnit)
{
    CGridCoordinates grid;
    ASSERT_EQ(grid.State(), EGridError::None);
    EXPECT_EQ(grid.Search("27700").front().Code, "27700");
    EXPECT_EQ(grid.Search("EPSG:27700").front().Code, "27700");
    const auto bng = grid.Search("british national grid");
    EXPECT_TRUE(std::any_of(bng.begin(), bng.end(), [](const SGridSystem& s) { return s.Code == "27700"; }));
    const auto texas = grid.Search("NAD83 / Texas Central");
    EXPECT_TRUE(std::any_of(texas.begin(), texas.end(), [](const SGridSystem& s) { return s.Code == "2277"; }));
    EXPECT_LE(grid.Search("UTM", 5).size(), 5u);
    EXPECT_TRUE(grid.Search("").empty());
    const auto wgs84 = grid.Search("WGS 84", 100000);
    EXPECT_TRUE(std::none_of(wgs84.begin(), wgs84.end(), [](const SGridSystem& s) { return s.Code == "4326"; }));

    ASSERT_EQ(grid.Select("OSGB36 / British National Grid"), EGridError::None);
    EXPECT_EQ(grid.System().Code, "27700");
    EXPECT_EQ(grid.System().Unit, "metre");
    EXPECT_NE(grid.System().AreaName.find("United Kingdom"), std::string::npos);
    EXPECT_EQ(grid.System().UtmZone, 0);
    ASSERT_EQ(grid.Select("EPSG:2277"), EGridError::None);
    EXPECT_EQ(grid.System().Unit, "US survey foot");
    ASSERT_EQ(grid.SelectUtm(33, true), EGridError::None);
    EXPECT_EQ(grid.System().Code, "32733");
    EXPECT_EQ(grid.System().UtmZone, 33);
    EXPECT_TRUE(grid.System().UtmSouth);
}

TEST(GridCoordinates, BadInputIsAnErrorNotACrash)
{
    CGridCoordinates grid;
    EXPECT_EQ(grid.ToGrid(51, 0).Error, EGridError::NoSystem);
    EXPECT_EQ(grid.Select("99999999"), EGridError::UnknownSystem);
    EXPECT_EQ(grid.Select("no such grid anywhere"), EGridError::UnknownSystem);
    EXPECT_EQ(grid.Select("4326"), EGridError::NotProjected);
    EXPECT_EQ(grid.SelectUtm(61, false), EGridError::UnknownSystem);
    EXPECT_FALSE(grid.HasSystem());

    ASSERT_EQ(grid.Select("27700"), EGridError::None);
    struct {
        double A, B;
        bool Inverse;
        EGridError Expected;
    } const cases[] = {
        {40.4, -3.7, false, EGridError::OutsideArea},  // Madrid
        {kNaN, 0, false, EGridError::InvalidValue},
        {91, 0, false, EGridError::InvalidValue},
        {51, std::numeric_limits<double>::infinity(), false, EGridError::InvalidValue},
        {kNaN, 100000, true, EGridError::InvalidValue},
        {1e12, 100000, true, EGridError::InvalidValue},
        {400000, 5000000, true, EGridError::OutsideArea},  // far north of Shetland
        {530000, 180000, true, EGridError::None},           // London
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.A) + " " + std::to_string(c.B));
        EXPECT_EQ((c.Inverse ? grid.ToGeographic(c.A, c.B) : grid.ToGrid(c.A, c.B)).Error, c.Expected);
    }

    CGridCoordinates missing({"/nonexistent/proj-data"});
    EXPECT_EQ(missing.State(), EGridError::NoDatabase);
    EXPECT_EQ(missing.Select("27700"), EGridError::NoDatabase);
    EXPECT_TRUE(missing.Search("27700").empty());
    EXPECT_EQ(missing.ToGrid(51, 0).Error, EGridError::NoDatabase);
}

TEST(GridCoordinates, TransformationNamedWithAccuracyAndBallparkToldPlainly)
{
    CGridCoordinates grid;
    ASSERT_EQ(grid.Select("27700"), EGridError::None);
    const SGridTransformation bng = grid.Transformation();
    EXPECT_NE(bng.Name.find("OSGB"), std::string::npos) << bng.Name;
    EXPECT_GT(bng.AccuracyMetres, 0);
    EXPECT_FALSE(bng.Ballpark);
    EXPECT_FALSE(grid.ToGrid(51.5, -0.1).Transformation.Ballpark);

    // A datum PROJ knows no shift for: only a ballpark is possible, and the result says so.
    ASSERT_EQ(grid.Select("2017"), EGridError::None);  // NAD27(76) / MTM zone 8, no Canadian grids shipped
    const SGridTransformation ballpark = grid.Transformation();
    EXPECT_TRUE(ballpark.Ballpark) << ballpark.Name;
    EXPECT_LT(ballpark.AccuracyMetres, 0);
}

TEST(GridCoordinates, UtmZoneFromEachPointsLongitude)
{
    struct {
        double Lat, Lon;
        int Zone;
    } const zones[] = {
        {0, 3, 31}, {0, -180, 1}, {0, 180, 60}, {0, 179.99, 60}, {-34, 18.4, 34},
        {60, 5, 32},   // south-west Norway
        {78, 10, 33},  // Svalbard
        {kNaN, 0, 0},
    };
    for (const auto& z : zones)
        EXPECT_EQ(UtmZoneFor(z.Lat, z.Lon), z.Zone) << z.Lat << " " << z.Lon;

    CGridCoordinates grid;
    ASSERT_EQ(grid.SelectUtmAuto(31, false), EGridError::None);
    const SGridColumns paris = GridColumns(grid, "48.8583", "2.2945");
    EXPECT_EQ(paris.Easting, "448251.898");
    EXPECT_EQ(paris.Northing, "5411943.794");
    EXPECT_EQ(paris.Zone, "31N");
    const SGridColumns south = GridColumns(grid, "-34.00000000", "16.00000000");
    EXPECT_EQ(south.Northing, "6237393.340");
    EXPECT_EQ(south.Zone, "33S");
    // The inverse stays in the chosen zone, and a point beyond it is outside.
    EXPECT_TRUE(grid.ToGeographic(448251.898, 5411943.794).Ok());
    EXPECT_EQ(grid.ToGeographic(2000000, 5411943.794).Error, EGridError::OutsideArea);
    ASSERT_EQ(grid.Select("27700"), EGridError::None);
    EXPECT_EQ(GridColumns(grid, "48.8583", "2.2945").Easting, "");  // Paris is off the British grid
    EXPECT_EQ(GridColumns(grid, "51.5", "-0.1").Zone, "");

    EXPECT_EQ(AccuracyText(1), "1 m");
    EXPECT_EQ(AccuracyText(0.05), "0.05 m");
    EXPECT_EQ(AccuracyText(-1), "");
}

#else

TEST(GridCoordinates, WithoutProjEverythingSaysNotAvailable)
{
    CGridCoordinates grid;
    EXPECT_FALSE(CGridCoordinates::Available());
    EXPECT_EQ(grid.State(), EGridError::NotAvailable);
    EXPECT_EQ(grid.Select("27700"), EGridError::NotAvailable);
    EXPECT_EQ(grid.ToGrid(51, 0).Error, EGridError::NotAvailable);
    EXPECT_EQ(GridColumns(grid, "51", "0").Easting, "");
}

#endif

}  // namespace
