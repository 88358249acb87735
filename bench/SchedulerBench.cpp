#include "schedule/RandomOffset.h"
#include "schedule/Scheduler.h"
#include "x10/CodeTable.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace tarnwick;

namespace {

class BenchClock : public IClock {
public:
    DateTime Now() override { return now; }
    DateTime now = 0;
};

class NullSender : public IMessageSender {
public:
    void Transmit_Message(std::int32_t message) override { benchmark::DoNotOptimize(message); }
};

// Every weekly half enabled and every sun slot active, times spread over the day so
// that a scan finds a few entries due, as a crowded table would.
std::unique_ptr<AppState> FullTable() {
    auto state = std::make_unique<AppState>();
    state->RandomInterval = 45;
    state->SunriseTime = MakeTime(6, 50);
    state->SunsetTime = MakeTime(19, 45);
    int n = 0;
    for (auto& device : state->WeeklySchedule) {
        for (auto& day : device) {
            for (SchedulePair& pair : day) {
                pair = {MakeTime(n % 24, n * 7 % 60),         kTrue, static_cast<std::int16_t>(n % 3 - 1),
                        MakeTime((n + 12) % 24, n * 11 % 60), kTrue, 0};
                ++n;
            }
        }
    }
    for (auto& device : state->SunriseSchedule) {
        for (SunriseEvent& event : device) {
            event = {static_cast<std::int16_t>(n % 3), MakeTime(n % 3, n % 60),
                     static_cast<std::int16_t>(n % 2 + 1), static_cast<double>(n % 5)};
            ++n;
        }
    }
    return state;
}

void BM_SchedulerNewMinuteScan(benchmark::State& bench) {
    auto state = FullTable();
    BenchClock clock;
    DefaultRandom random;
    NullSender sender;
    const DateTime day = MakeDate(2026, 11, 2);
    clock.now = day + MakeTime(0, 0, 30);
    InitializeData(*state, clock.now);
    Scheduler scheduler(*state, clock, random, sender);
    int minute = 0;
    for (auto _ : bench) {
        // Each tick falls in the next minute of the same day, so every one scans.
        minute = (minute + 1) % (24 * 60);
        clock.now = day + MakeTime(minute / 60, minute % 60, 30);
        scheduler.Tick();
    }
}
BENCHMARK(BM_SchedulerNewMinuteScan);

void BM_SchedulerTickWithoutScan(benchmark::State& bench) {
    auto state = FullTable();
    BenchClock clock;
    DefaultRandom random;
    NullSender sender;
    clock.now = MakeDateTime(2026, 11, 2, 8, 0, 10);
    InitializeData(*state, clock.now);
    Scheduler scheduler(*state, clock, random, sender);
    for (auto _ : bench) scheduler.Tick();
}
BENCHMARK(BM_SchedulerTickWithoutScan);

} // namespace
