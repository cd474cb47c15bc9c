#include <benchmark/benchmark.h>

#include <string>

#include "serial/callback.h"
#include "serial/sentence_splitter.h"

namespace {

struct Sink
{
    void OnSentence(std::string s) { bytes += s.size(); }
    void OnText(std::string s) { bytes += s.size(); }
    std::size_t bytes = 0;
};

// What a base and its radio send over a session: position sentences, replies to queries, radio
// command echoes and "OK" text between them.
std::string MixedTraffic()
{
    const char* pieces[] = {
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n",
        "$>JRTK,17,45.123456789,-75.987654321,102.345\r\n",
        "$KBASE,MARKS,45.1234567,-75.1234567,101.2\r\n",
        "OK\r\n",
        "$>JAPP,base,rover\r\n",
        "ATS104?\r\n00012\r\n",
        "$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74\r\n",
        "ERROR\r\n",
        "$KBASE,STATUS,1,12.6,240,2,9,48,0.012\r\n",
    };
    std::string traffic;
    while (traffic.size() < (1u << 20))
        for (const char* p : pieces)
            traffic += p;
    return traffic;
}

// Fed in the 1024-byte chunks that a dialog's poll reads.
void BM_SentenceSplitter(benchmark::State& state)
{
    const std::string traffic = MixedTraffic();
    Sink sink;
    TCallback<Sink> sentence(&sink, &Sink::OnSentence);
    TCallback<Sink> text(&sink, &Sink::OnText);
    CSentenceSplitter splitter(&sentence, nullptr, &text);
    const int chunk = static_cast<int>(state.range(0));
    for (auto _ : state) {
        for (std::size_t at = 0; at < traffic.size(); at += static_cast<std::size_t>(chunk)) {
            const int n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(chunk), traffic.size() - at));
            splitter.Feed(traffic.data() + at, n);
        }
        benchmark::DoNotOptimize(sink.bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(traffic.size()));
}

} // namespace

BENCHMARK(BM_SentenceSplitter)->Arg(1024)->Arg(64);
