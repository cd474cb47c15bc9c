#include <benchmark/benchmark.h>

#include <cstdio>

#include "marks/grid_coordinates.h"
#include "marks/mark_list.h"
#include "marks/mark_list_model.h"

namespace {

// 10,000 marks on a 100 x 100 lattice from (lat0, lon0).
void FillLattice(CMarkList& marks, double lat0, double dLat, double lon0, double dLon)
{
    char lat[32], lon[32];
    for (int i = 0; i < 10000; ++i) {
        std::snprintf(lat, sizeof lat, "%.8f", lat0 + (i % 100) * dLat);
        std::snprintf(lon, sizeof lon, "%.8f", lon0 + (i / 100) * dLon);
        marks.AddMark(lat, lon, "100");
    }
}

// What the list costs once another system is chosen: every grid cell of every row drawn again
// (a view asks only for its visible rows; this is the whole list, as a scroll through it would).
void Redraw(benchmark::State& state, CGridCoordinates& grid, CMarkList& marks)
{
    const CMark reference("0", "0", "0");
    CMarkListModel model(marks, reference);
    model.SetGrid(&grid);
    const int rows = model.rowCount(), first = CMarkListModel::ColumnCount, end = model.columnCount();
    for (auto _ : state) {
        model.GridSystemChanged();
        std::size_t filled = 0;
        for (int r = 0; r < rows; ++r)
            for (int c = first; c < end; ++c)
                filled += model.data(model.index(r, c)).toString().size();
        benchmark::DoNotOptimize(filled);
    }
    state.counters["cells"] = static_cast<double>(rows * (end - first));
}

// Marks spread over England on the British National Grid.
void BM_ListModelGridColumns_10k(benchmark::State& state)
{
    CGridCoordinates grid;
    if (grid.Select("27700") != EGridError::None)
        return state.SkipWithError("no PROJ database");
    CMarkList marks;
    FillLattice(marks, 51.0, 0.01, -2.0, 0.01);
    Redraw(state, grid, marks);
}
BENCHMARK(BM_ListModelGridColumns_10k)->Unit(benchmark::kMillisecond);

// UTM with each mark in its own zone (six zones, both hemispheres): three columns.
void BM_ListModelGridColumnsUtm_10k(benchmark::State& state)
{
    CGridCoordinates grid;
    if (grid.SelectUtmAuto(31, false) != EGridError::None)
        return state.SkipWithError("no PROJ database");
    CMarkList marks;
    FillLattice(marks, -40.0, 0.8, -18.0, 0.36);
    Redraw(state, grid, marks);
}
BENCHMARK(BM_ListModelGridColumnsUtm_10k)->Unit(benchmark::kMillisecond);

}  // namespace
