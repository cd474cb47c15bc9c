#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "marks/grid_coordinates.h"
#include "marks/mark.h"

namespace {

// 10,000 marks on a 100 x 100 lattice from (lat0, lon0).
std::vector<CMark> Lattice(double lat0, double dLat, double lon0, double dLon)
{
    std::vector<CMark> marks;
    char lat[32], lon[32];
    for (int i = 0; i < 10000; ++i) {
        std::snprintf(lat, sizeof lat, "%.8f", lat0 + (i % 100) * dLat);
        std::snprintf(lon, sizeof lon, "%.8f", lon0 + (i / 100) * dLon);
        marks.emplace_back(lat, lon, "100");
    }
    return marks;
}

// The list's grid columns for every mark, as a redraw computes them.
void Columns(benchmark::State& state, const CGridCoordinates& grid, const std::vector<CMark>& marks)
{
    for (auto _ : state) {
        std::size_t filled = 0;
        for (const CMark& m : marks)
            filled += !GridColumns(grid, m.GetLatitude(), m.GetLongitude()).Easting.empty();
        benchmark::DoNotOptimize(filled);
    }
}

// Marks spread over England on the British National Grid.
void BM_GridColumns_10k(benchmark::State& state)
{
    CGridCoordinates grid;
    if (grid.Select("27700") != EGridError::None)
        return state.SkipWithError("no PROJ database");
    Columns(state, grid, Lattice(51.0, 0.01, -2.0, 0.01));
}
BENCHMARK(BM_GridColumns_10k)->Unit(benchmark::kMillisecond);

// UTM with each mark in its own zone: six zones, both hemispheres.
void BM_GridColumnsUtm_10k(benchmark::State& state)
{
    CGridCoordinates grid;
    if (grid.SelectUtmAuto(31, false) != EGridError::None)
        return state.SkipWithError("no PROJ database");
    Columns(state, grid, Lattice(-40.0, 0.8, -18.0, 0.36));
}
BENCHMARK(BM_GridColumnsUtm_10k)->Unit(benchmark::kMillisecond);

}  // namespace
