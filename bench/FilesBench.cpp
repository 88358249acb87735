// schedule.txt through its reader and writer, against the same bytes moved with
// no parsing or formatting (through the same atomic write path).

#include "base/FileAccess.h"
#include "schedule/ScheduleFile.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <system_error>

using namespace tarnwick;

namespace {

class BenchFolder {
public:
    BenchFolder() {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() / ("tarnwick-bench-" + std::to_string(stamp));
        std::filesystem::create_directories(path_);
    }
    ~BenchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A timetable with one pair in every `every` set, and randomised: 4 is a busy
// household, 1 the worst case where no record is clear.
std::unique_ptr<WeeklyTable> BusyTable(std::int64_t every) {
    auto table = std::make_unique<WeeklyTable>();
    int r = 0;
    for (auto& device : *table)
        for (auto& day : device)
            for (SchedulePair& pair : day)
                if (++r % every == 0)
                    pair = {
                        {TimeOfDay(r % 24, r % 60), true, r % 91 != 45, std::chrono::minutes{r % 91 - 45}},
                        {TimeOfDay((r + 7) % 24, (r * 3) % 60), true, false, {}}};
    return table;
}

void SetBytes(benchmark::State& st, std::size_t bytes) {
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) * static_cast<std::int64_t>(bytes));
}

void BM_ScheduleFileWrite(benchmark::State& st) {
    BenchFolder folder;
    const auto table = BusyTable(st.range(0));
    const auto path = folder.path() / kScheduleFileName;
    for (auto _ : st) WriteFileAtomically(path, FormatSchedule(*table));
    SetBytes(st, FormatSchedule(*table).size());
}

void BM_ScheduleRawWrite(benchmark::State& st) {
    BenchFolder folder;
    const std::string bytes = FormatSchedule(*BusyTable(st.range(0)));
    const auto path = folder.path() / kScheduleFileName;
    for (auto _ : st) WriteFileAtomically(path, bytes);
    SetBytes(st, bytes.size());
}

void BM_ScheduleFileRead(benchmark::State& st) {
    BenchFolder folder;
    const auto path = folder.path() / kScheduleFileName;
    WriteFileAtomically(path, FormatSchedule(*BusyTable(st.range(0))));
    auto table = std::make_unique<WeeklyTable>();
    for (auto _ : st) {
        const auto bytes = ReadFile(path, ScheduleLineBound());
        benchmark::DoNotOptimize(ParseSchedule(*bytes, *table));
    }
    SetBytes(st, FormatSchedule(*table).size());
}

void BM_ScheduleRawRead(benchmark::State& st) {
    BenchFolder folder;
    const auto path = folder.path() / kScheduleFileName;
    const std::string bytes = FormatSchedule(*BusyTable(st.range(0)));
    WriteFileAtomically(path, bytes);
    for (auto _ : st)
        benchmark::DoNotOptimize(ReadFile(
            path, {std::numeric_limits<std::size_t>::max(), std::numeric_limits<std::size_t>::max()}));
    SetBytes(st, bytes.size());
}

void BM_ScheduleFormat(benchmark::State& st) {
    const auto table = BusyTable(st.range(0));
    for (auto _ : st) benchmark::DoNotOptimize(FormatSchedule(*table));
}

void BM_ScheduleParse(benchmark::State& st) {
    const std::string bytes = FormatSchedule(*BusyTable(st.range(0)));
    auto table = std::make_unique<WeeklyTable>();
    for (auto _ : st) benchmark::DoNotOptimize(ParseSchedule(bytes, *table));
}

BENCHMARK(BM_ScheduleFileWrite)->Arg(4)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScheduleRawWrite)->Arg(4)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScheduleFileRead)->Arg(4)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScheduleRawRead)->Arg(4)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScheduleFormat)->Arg(4)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScheduleParse)->Arg(4)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
