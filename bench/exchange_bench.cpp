#include <benchmark/benchmark.h>

#include <string>

#include "marks/mark_exchange.h"
#include "marks/mark_list.h"

// A million rows from a spreadsheet, read, validated and appended to the list: a few seconds at most.
static void BM_Import_Csv1MRows(benchmark::State& state)
{
    std::string csv = "Name,Latitude,Longitude,Altitude\r\n";
    for (int i = 0; i < 1000000; ++i)
        csv += "P" + std::to_string(i) + ",52." + std::to_string(100000 + i) + ",-0." + std::to_string(i % 1000) +
               ",34.5\r\n";
    for (auto _ : state) {
        SImportResult result;
        std::string error;
        MarkExchange::Read(EExchangeFormat::Csv, csv, result, error, "bench.csv");
        CMarkList list;
        MarkExchange::Append(result, list);
        benchmark::DoNotOptimize(list.Size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * csv.size()));
}
BENCHMARK(BM_Import_Csv1MRows)->Unit(benchmark::kMillisecond)->Iterations(1);
