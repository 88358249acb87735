#include "base/RandomOffset.h"
#include "schedule/Planner.h"
#include "schedule/Scheduler.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace tarnwick;

namespace {

class NullSender : public IMessageSender {
public:
    void Send(std::int32_t message, FrameSource) override { benchmark::DoNotOptimize(message); }
};

// Every weekly half enabled and every sun slot active, times spread over the day so
// that a scan finds a few entries due, as a crowded table would.
struct FullTables {
    FullTables() {
        sunTimes = {MakeTime(6, 50), MakeTime(19, 45)};
        int n = 0;
        for (auto& device : *weekly)
            for (auto& day : device)
                for (SchedulePair& pair : day) {
                    pair = {MakeTime(n % 24, n * 7 % 60),         true, static_cast<std::int16_t>(n % 3 - 1),
                            MakeTime((n + 12) % 24, n * 11 % 60), true, 0};
                    ++n;
                }
        for (auto& device : *sunEvents)
            for (SunEvent& event : device) {
                event = {static_cast<SunWhen>(n % 3), MakeTime(n % 3, n % 60),
                         static_cast<SunAction>(n % 2 + 1), static_cast<double>(n % 5)};
                ++n;
            }
    }
    std::unique_ptr<WeeklyTable> weekly = std::make_unique<WeeklyTable>();
    std::unique_ptr<SunEventTable> sunEvents = std::make_unique<SunEventTable>();
    SunTimes sunTimes;
    Settings settings;
    MessageQueue queue;
    DefaultRandom random;
    NullSender sender;
    Scheduler scheduler{*weekly, *sunEvents, sunTimes, settings, queue, random, sender};
};

void BM_SchedulerNewMinuteScan(benchmark::State& bench) {
    FullTables t;
    const DateTime day = MakeDate(2026, 11, 2);
    t.scheduler.Start(day + MakeTime(0, 0, 30));
    int minute = 0;
    for (auto _ : bench) {
        // Each tick falls in the next minute of the same day, so every one scans.
        minute = (minute + 1) % (24 * 60);
        t.scheduler.Tick(day + MakeTime(minute / 60, minute % 60, 30));
    }
}
BENCHMARK(BM_SchedulerNewMinuteScan);

void BM_SchedulerTickWithoutScan(benchmark::State& bench) {
    FullTables t;
    const DateTime now = MakeDateTime(2026, 11, 2, 8, 0, 10);
    t.scheduler.Start(now);
    for (auto _ : bench) t.scheduler.Tick(now);
}
BENCHMARK(BM_SchedulerTickWithoutScan);

// New York's clock, fixed at the Wednesday before daylight time ends.
class NewYorkClock : public IClock {
public:
    std::chrono::sys_seconds NowUtc() override {
        return std::chrono::sys_days{std::chrono::year{2026} / 10 / 28} + std::chrono::hours{17} +
               std::chrono::minutes{27};
    }
    std::chrono::seconds UtcOffset(std::chrono::sys_seconds at) const override {
        const auto end = std::chrono::sys_days{std::chrono::year{2026} / 11 / 1} + std::chrono::hours{6};
        return std::chrono::hours{at < end ? -4 : -5};
    }
};

// A week's plan with every weekly half and every sun slot set: what a window listing the
// coming switchings would wait for.
void BM_PlanSevenDays(benchmark::State& bench) {
    FullTables t;
    NewYorkClock clock;
    t.scheduler.Start(clock.Now());
    for (auto _ : bench) {
        const std::vector<PlannedSwitch> plan = PlanSwitchings(
            t.scheduler.Tables(), t.scheduler.Marks(), t.scheduler.LastScanned(), clock, clock.NowUtc());
        benchmark::DoNotOptimize(plan.data());
    }
}
BENCHMARK(BM_PlanSevenDays)->Unit(benchmark::kMillisecond);

// A start with the catch-up on, every weekly half and sun slot set: a week of switchings
// looked back over, each device's last one queued.
void BM_CatchUpSevenDaysAtStart(benchmark::State& bench) {
    FullTables t;
    NewYorkClock clock;
    for (auto _ : bench) {
        MessageQueue queue;
        Scheduler scheduler{*t.weekly, *t.sunEvents, t.sunTimes, t.settings, queue, t.random, t.sender};
        scheduler.Start(clock.Now(), true);
        benchmark::DoNotOptimize(queue.WaitingCount());
    }
}
BENCHMARK(BM_CatchUpSevenDaysAtStart)->Unit(benchmark::kMillisecond);

} // namespace
