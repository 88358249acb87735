// schedule.txt through its reader and writer, against the same bytes moved with
// no parsing or formatting (through the same atomic write path).

#include "base/AppState.h"
#include "base/DataFiles.h"
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
std::unique_ptr<AppState> BusyState(std::int64_t every) {
    auto state = std::make_unique<AppState>();
    int r = 0;
    for (auto& device : state->WeeklySchedule)
        for (auto& day : device)
            for (SchedulePair& pair : day) {
                if (++r % every == 0) {
                    pair = {MakeTime(r % 24, r % 60),
                            kTrue,
                            static_cast<std::int16_t>(r % 91 - 45),
                            MakeTime((r + 7) % 24, (r * 3) % 60),
                            kTrue,
                            0};
                }
            }
    return state;
}

void SetBytes(benchmark::State& st, std::size_t bytes) {
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) * static_cast<std::int64_t>(bytes));
}

void BM_ScheduleFileWrite(benchmark::State& st) {
    BenchFolder folder;
    FileTable files(folder.path());
    const auto state = BusyState(st.range(0));
    for (auto _ : st) UpdateScheduleFile(*state, files);
    SetBytes(st, FormatSchedule(state->WeeklySchedule).size());
}

void BM_ScheduleRawWrite(benchmark::State& st) {
    BenchFolder folder;
    FileTable files(folder.path());
    const std::string bytes = FormatSchedule(BusyState(st.range(0))->WeeklySchedule);
    for (auto _ : st) benchmark::DoNotOptimize(files.WriteFile(kScheduleFileName, bytes));
    SetBytes(st, bytes.size());
}

void BM_ScheduleFileRead(benchmark::State& st) {
    BenchFolder folder;
    FileTable files(folder.path());
    UpdateScheduleFile(*BusyState(st.range(0)), files);
    auto state = std::make_unique<AppState>();
    for (auto _ : st) {
        ReadScheduleFile(*state, files);
        benchmark::ClobberMemory();
    }
    SetBytes(st, FormatSchedule(state->WeeklySchedule).size());
}

void BM_ScheduleRawRead(benchmark::State& st) {
    BenchFolder folder;
    FileTable files(folder.path());
    const std::string bytes = FormatSchedule(BusyState(st.range(0))->WeeklySchedule);
    files.WriteFile(kScheduleFileName, bytes);
    for (auto _ : st)
        benchmark::DoNotOptimize(files.ReadFile(kScheduleFileName, std::numeric_limits<std::size_t>::max()));
    SetBytes(st, bytes.size());
}

// The share of the above spent on text alone.
void BM_ScheduleFormat(benchmark::State& st) {
    const auto state = BusyState(st.range(0));
    for (auto _ : st) benchmark::DoNotOptimize(FormatSchedule(state->WeeklySchedule));
}

void BM_ScheduleParse(benchmark::State& st) {
    const std::string bytes = FormatSchedule(BusyState(st.range(0))->WeeklySchedule);
    auto state = std::make_unique<AppState>();
    for (auto _ : st) benchmark::DoNotOptimize(ParseSchedule(bytes, state->WeeklySchedule));
}

BENCHMARK(BM_ScheduleFileWrite)->Arg(4)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScheduleRawWrite)->Arg(4)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScheduleFileRead)->Arg(4)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScheduleRawRead)->Arg(4)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScheduleFormat)->Arg(4)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScheduleParse)->Arg(4)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
