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
        sunTimes = {TimeOfDay(6, 50), TimeOfDay(19, 45)};
        int n = 0;
        for (auto& device : *weekly)
            for (auto& day : device)
                for (SchedulePair& pair : day) {
                    pair = {
                        {TimeOfDay(n % 24, n * 7 % 60), true, n % 3 != 1, std::chrono::minutes{n % 3 - 1}},
                        {TimeOfDay((n + 12) % 24, n * 11 % 60), true, false, {}}};
                    ++n;
                }
        for (auto& device : *sunEvents)
            for (SunEvent& event : device) {
                event = {static_cast<SunWhen>(n % 3),
                         std::chrono::hours{n % 3} + std::chrono::minutes{n % 60},
                         static_cast<SunAction>(n % 2 + 1), n % 5 != 0, std::chrono::minutes{n % 5}};
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
    const LocalDay day{std::chrono::year{2026} / 11 / 2};
    t.scheduler.Start(day + std::chrono::seconds{30});
    int minute = 0;
    for (auto _ : bench) {
        // Each tick falls in the next minute of the same day, so every one scans.
        minute = (minute + 1) % (24 * 60);
        t.scheduler.Tick(day + std::chrono::minutes{minute} + std::chrono::seconds{30});
    }
}
BENCHMARK(BM_SchedulerNewMinuteScan);

void BM_SchedulerTickWithoutScan(benchmark::State& bench) {
    FullTables t;
    const LocalSeconds now =
        LocalDay{std::chrono::year{2026} / 11 / 2} + std::chrono::hours{8} + std::chrono::seconds{10};
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
    t.scheduler.Start(clock.NowLocal());
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
        scheduler.Start(clock.NowLocal(), true);
        benchmark::DoNotOptimize(queue.WaitingCount());
    }
}
BENCHMARK(BM_CatchUpSevenDaysAtStart)->Unit(benchmark::kMillisecond);

} // namespace
