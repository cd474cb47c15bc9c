// The tap's cost per read or write while nobody shows the console (the history is kept all the
// same), and a 1 MiB/s flood into that history.

#include <benchmark/benchmark.h>

#include <string>

#include "serial/wire_tap.h"

namespace {

void BM_WireTap_ConsoleClosed(benchmark::State& state)
{
    CWireTap tap;
    CWireLog log;
    tap.Add(&log);
    const std::string sentence = "$KBASE,VOLTAGE,12.90\r\n";
    for (auto _ : state) {
        tap.Sent(sentence.data(), sentence.size());
        tap.Received(sentence.data(), sentence.size());
    }
    state.SetItemsProcessed(state.iterations() * 2);
    tap.Remove(&log);
}
BENCHMARK(BM_WireTap_ConsoleClosed);

// With no observer at all (no port open yet): the branch alone.
void BM_WireTap_NoObserver(benchmark::State& state)
{
    CWireTap tap;
    const std::string sentence = "$KBASE,VOLTAGE,12.90\r\n";
    for (auto _ : state)
        tap.Sent(sentence.data(), sentence.size());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WireTap_NoObserver);

// One second of a 1 MiB/s flood in 4 KiB reads, mixed sentences and runs without line ends; the
// log stays at its bounds (the rows counter shows it).
void BM_Console_Flood1MiB(benchmark::State& state)
{
    CWireTap tap;
    CWireLog log;
    tap.Add(&log);
    std::string chunk;
    for (int i = 0; chunk.size() < 4096; ++i)
        chunk += i % 3 ? "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
                       : std::string(300, '\xA5');
    chunk.resize(4096);
    for (auto _ : state) {
        for (int i = 0; i < 256; ++i)
            tap.Received(chunk.data(), chunk.size());
    }
    state.SetBytesProcessed(state.iterations() * 256 * 4096);
    state.counters["rows"] = static_cast<double>(log.Size());
    tap.Remove(&log);
}
BENCHMARK(BM_Console_Flood1MiB)->Unit(benchmark::kMillisecond);

} // namespace
