#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "gnss/nmea_parser.h"

namespace {

// One second of a dual-constellation receiver's output, as the simulator streams it.
const std::vector<std::string> Epoch = {
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47",
    "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39",
    "$GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75",
    "$GPGSV,2,2,08,15,10,020,33,17,55,120,47,19,30,250,42,24,65,300,48*70",
    "$GLGSV,1,1,03,65,50,010,44,66,20,100,30,72,35,210,40*55",
    "$GPGST,123519,0.9,1.2,0.8,45.0,1.1,0.9,2.0*4C",
    "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A",
};

void BM_Nmea_Parse(benchmark::State& state)
{
    CNmeaParser parser;
    auto now = GnssClock::now();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(parser.Feed(Epoch[i], now));
        if (++i == Epoch.size())
            i = 0;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.counters["bad"] = static_cast<double>(parser.BadChecksums() + parser.MalformedSentences());
}
BENCHMARK(BM_Nmea_Parse);

}  // namespace
