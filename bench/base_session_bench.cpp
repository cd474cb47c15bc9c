#include <benchmark/benchmark.h>

#include <string>

#include "connection/model.h"
#include "marks/base_session.h"
#include "marks/base_texts.h"
#include "marks/voltage_log.h"

namespace {

struct IdleHost : CBaseSessionHost {
    int Read(char*, int) override { return 0; }
    void WriteLine(std::string_view) override {}
};

// One 10 ms tick with nothing received: the cost the dialog pays 100 times a second while idle.
void BM_BaseSession_IdleTick(benchmark::State& state)
{
    CModel model;
    IdleHost host;
    CVoltageLog log;
    CBaseSession session(&model, &host, &log);
    const auto now = CBaseSession::Clock::now();
    session.Start(now);
    for (int i = 0; i < 10; ++i)
        session.Tick(now + std::chrono::seconds(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(session.Tick(now + std::chrono::seconds(1)));
}
BENCHMARK(BM_BaseSession_IdleTick);

// The rows of a 10,000-mark list, with the "In Use" test against the reference position.
void BM_MarkRows_10k(benchmark::State& state)
{
    CMarkList marks;
    for (int i = 0; i < 10000; ++i)
        marks.AddMark("51." + std::to_string(100000 + i), "-1." + std::to_string(200000 + i), std::to_string(i));
    const CMark reference("51.105000", "-1.205000", "5000");
    for (auto _ : state)
        benchmark::DoNotOptimize(CBaseTexts::MarkRows(marks, reference));
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_MarkRows_10k)->Unit(benchmark::kMillisecond);

}  // namespace
