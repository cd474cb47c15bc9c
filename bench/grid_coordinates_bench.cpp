#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "marks/grid_coordinates.h"
#include "marks/mark.h"

namespace {

// The list's grid columns for 10,000 marks spread over England, as a redraw computes them.
void BM_GridColumns_10k(benchmark::State& state)
{
    std::vector<CMark> marks;
    char lat[32], lon[32];
    for (int i = 0; i < 10000; ++i) {
        std::snprintf(lat, sizeof lat, "%.8f", 51.0 + (i % 100) * 0.01);
        std::snprintf(lon, sizeof lon, "%.8f", -2.0 + (i / 100) * 0.01);
        marks.emplace_back(lat, lon, "100");
    }
    CGridCoordinates grid;
    if (grid.Select("27700") != EGridError::None) {
        state.SkipWithError("no PROJ database");
        return;
    }
    for (auto _ : state) {
        std::size_t filled = 0;
        for (const CMark& m : marks)
            filled += !GridColumns(grid, m.GetLatitude(), m.GetLongitude()).Easting.empty();
        benchmark::DoNotOptimize(filled);
    }
}
BENCHMARK(BM_GridColumns_10k)->Unit(benchmark::kMillisecond);

// The same with UTM, each mark in its own zone: six zones across the list.
void BM_GridColumnsUtm_10k(benchmark::State& state)
{
    std::vector<CMark> marks;
    char lat[32], lon[32];
    for (int i = 0; i < 10000; ++i) {
        std::snprintf(lat, sizeof lat, "%.8f", -40.0 + (i % 100) * 0.8);
        std::snprintf(lon, sizeof lon, "%.8f", -18.0 + (i / 100) * 0.36);
        marks.emplace_back(lat, lon, "100");
    }
    CGridCoordinates grid;
    if (grid.SelectUtmAuto(31, false) != EGridError::None) {
        state.SkipWithError("no PROJ database");
        return;
    }
    for (auto _ : state) {
        std::size_t filled = 0;
        for (const CMark& m : marks)
            filled += !GridColumns(grid, m.GetLatitude(), m.GetLongitude()).Zone.empty();
        benchmark::DoNotOptimize(filled);
    }
}
BENCHMARK(BM_GridColumnsUtm_10k)->Unit(benchmark::kMillisecond);

}  // namespace
