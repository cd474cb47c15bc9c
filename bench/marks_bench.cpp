#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

#include "base/base_settings.h"
#include "base/base_status.h"
#include "base/command_processor.h"
#include "connection/model.h"
#include "marks/base_session.h"
#include "marks/mark.h"
#include "marks/mark_file.h"
#include "marks/mark_list.h"

namespace fs = std::filesystem;

namespace {

constexpr int MarkCount = 100000;

// Texts as the conversions produce them: six decimals.
std::vector<CMark> DistinctMarks()
{
    std::vector<CMark> marks;
    marks.reserve(MarkCount);
    char lat[32], lon[32], alt[32];
    for (int i = 0; i < MarkCount; ++i) {
        std::snprintf(lat, sizeof lat, "%.6f", 51.0 + i * 1e-6);
        std::snprintf(lon, sizeof lon, "%.6f", -1.0 - (i % 977) * 1e-4);
        std::snprintf(alt, sizeof alt, "%d.%03d", 100 + i % 50, i % 1000);
        marks.emplace_back(lat, lon, alt);
    }
    return marks;
}

void Fill(CMarkList& list, const std::vector<CMark>& marks)
{
    for (const CMark& m : marks)
        list.AddMark(m.GetLatitude(), m.GetLongitude(), m.GetAltitude());
}

fs::path BenchFile()
{
    return fs::temp_directory_path() / ("varnel_marks_bench_" + std::to_string(::getpid()) + ".mrk");
}

}  // namespace

static void BM_MarkList_Add100k(benchmark::State& state)
{
    const std::vector<CMark> marks = DistinctMarks();
    for (auto _ : state) {
        auto list = std::make_unique<CMarkList>();
        Fill(*list, marks);
        benchmark::DoNotOptimize(list->Size());
        // Freeing the list is not part of adding.
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * MarkCount);
}
BENCHMARK(BM_MarkList_Add100k)->Unit(benchmark::kMillisecond);

// Baseline for the above: the same texts into a plain hash set of joined keys.
static void BM_HashSet_Add100k(benchmark::State& state)
{
    const std::vector<CMark> marks = DistinctMarks();
    for (auto _ : state) {
        auto set = std::make_unique<std::unordered_set<std::string>>();
        for (const CMark& m : marks) {
            std::string key = m.GetLatitude();
            key += '\0';
            key += m.GetLongitude();
            key += '\0';
            key += m.GetAltitude();
            set->insert(std::move(key));
        }
        benchmark::DoNotOptimize(set->size());
        state.PauseTiming();
        set.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * MarkCount);
}
BENCHMARK(BM_HashSet_Add100k)->Unit(benchmark::kMillisecond);

static void BM_MarkFile_Save100k(benchmark::State& state)
{
    CMarkList list;
    Fill(list, DistinctMarks());
    CBaseSettings settings;
    const fs::path file = BenchFile();
    std::string error;
    for (auto _ : state) {
        if (!CMarkFile::Save(file, list, settings, error))
            state.SkipWithError(error.c_str());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(file)));
    fs::remove(file);
}
BENCHMARK(BM_MarkFile_Save100k)->Unit(benchmark::kMillisecond);

static void BM_MarkFile_Load100k(benchmark::State& state)
{
    const fs::path file = BenchFile();
    std::string error;
    {
        CMarkList list;
        Fill(list, DistinctMarks());
        CBaseSettings settings;
        CMarkFile::Save(file, list, settings, error);
    }
    for (auto _ : state) {
        CMarkList list;
        CBaseSettings settings;
        if (!CMarkFile::Load(file, CMarkFile::ELoadMode::Replace, list, settings, error))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(list.Size());
    }
    state.SetItemsProcessed(state.iterations() * MarkCount);
    fs::remove(file);
}
BENCHMARK(BM_MarkFile_Load100k)->Unit(benchmark::kMillisecond);

// The largest file loading accepts, all of it one mark repeated: the memory it takes beyond the
// file's own bytes stays small (peak_growth_per_file_byte near 1, not the ~30 of keeping every record).
static void BM_MarkFile_LoadRepeated16MiB(benchmark::State& state)
{
    const fs::path file = BenchFile();
    const std::uint32_t count = static_cast<std::uint32_t>((CMarkFile::MaxFileBytes - 4 - SBatterySettings::ArchiveSize) / 3);
    {
        // Written in pieces, so that the process's peak before loading stays small.
        std::ofstream out(file, std::ios::binary);
        for (int i = 0; i < 4; ++i)
            out.put(static_cast<char>((count >> (8 * i)) & 0xFF));
        const std::string zeros(3 * 65536, '\0');
        for (std::uint64_t left = std::uint64_t{count} * 3 + SBatterySettings::ArchiveSize; left > 0;) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, zeros.size()));
            out.write(zeros.data(), static_cast<std::streamsize>(n));
            left -= n;
        }
    }
    const auto peakKiB = [] {
        rusage u{};
        ::getrusage(RUSAGE_SELF, &u);
        return static_cast<double>(u.ru_maxrss);
    };
    // The function runs more than once (the library first sizes the run): the peak before the first.
    static const double before = peakKiB();
    std::string error;
    for (auto _ : state) {
        CMarkList list;
        CBaseSettings settings;
        if (!CMarkFile::Load(file, CMarkFile::ELoadMode::Replace, list, settings, error))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(list.Size());
    }
    state.counters["peak_growth_per_file_byte"] = (peakKiB() - before) * 1024 / static_cast<double>(fs::file_size(file));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(file)));
    fs::remove(file);
}
BENCHMARK(BM_MarkFile_LoadRepeated16MiB)->Unit(benchmark::kMillisecond);

static void BM_ParseReply(benchmark::State& state)
{
    CMarkList marks;
    CBaseSettings settings;
    CMark reference("0", "0", "0");
    CBaseStatus status(&settings, &marks, &reference);
    CModel model;
    CCommandProcessor processor(&status, &model);
    // One poll rotation's replies, plus the late-matching and unrecognised kinds.
    const std::vector<std::string> sentences = {
        "$KBASE,PEAKSNR,48",      "$KBASE,SATS,9",          "$KBASE,STDEV,0.012",  "$KBASE,PSOURCE,1",
        "$KBASE,VOLTAGE,12.48",   "$KBASE,BATTIME,95,3",    "$KBASE,VERSION,3.4",  "$KBASE,BOOTVERSION,1.2",
        "$KBASE,MARKS,51.500000,-1.250000,100.000", "$>JRTK,17,51.500000,-1.250000,100.000",
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", "$>JI,1234,5678",
    };
    std::size_t i = 0;
    for (auto _ : state) {
        processor.ParseReply(sentences[i]);
        if (++i == sentences.size())
            i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseReply);

// A read of n new marks as the editor takes it: 1024 bytes a tick through the session's splitter,
// and the view's share, the row changes, taken every tick. Linear: 10k costs ten times 1k.
static void BM_MarkList_Intake10k(benchmark::State& state)
{
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const std::vector<CMark> marks = DistinctMarks();
    std::string bytes;
    for (std::size_t i = 0; i < n; ++i)
        bytes += "$KBASE,MARKS," + marks[i].GetLatitude() + "," + marks[i].GetLongitude() + "," +
                 marks[i].GetAltitude() + "\r\n";
    std::size_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto session = std::make_unique<CBaseSession>(nullptr, nullptr);
        state.ResumeTiming();
        session->ReadCoordinates();
        for (std::size_t at = 0; at < bytes.size(); at += BaseTiming::ReadSize) {
            const int chunk = static_cast<int>(std::min<std::size_t>(BaseTiming::ReadSize, bytes.size() - at));
            session->Splitter().FeedChunk(bytes.data() + at, chunk);
            rows += session->Marks().TakeChanges().size();
        }
        benchmark::DoNotOptimize(session->Marks().Size());
        state.PauseTiming();
        session.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(rows));
}
BENCHMARK(BM_MarkList_Intake10k)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
