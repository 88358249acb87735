// Eight days of 1.5 s ticks with every weekly half and every sun slot of every
// device enabled and randomised, crowded into a few minutes so that the queue
// overflows, checked tick by tick against a model written here: which ticks scan,
// which entries fall due from the shifts in force before each scan, the new
// shifts drawn in scan order, what the ring of 41 slots keeps and drops, and
// what leaves. After the first day no memory taken during a tick may stay taken.

#include "schedule/Scheduler.h"

#include "schedule/RandomOffset.h"
#include "sun/Solar.h"
#include "x10/CodeTable.h"

#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <new>
#include <random>
#include <vector>

namespace {

// Every allocation of this executable carries its size and whether it was made
// while counting, so that what a tick takes and keeps can be told apart.
struct BlockHeader {
    std::size_t size;
    std::size_t counted;
};
static_assert(sizeof(BlockHeader) % alignof(std::max_align_t) == 0);

bool gCounting = false;
long long gCountedAllocations = 0;
long long gCountedBytesHeld = 0;

void* Allocate(std::size_t size) {
    auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
    if (header == nullptr) throw std::bad_alloc();
    header->size = size;
    header->counted = gCounting ? 1 : 0;
    if (gCounting) {
        ++gCountedAllocations;
        gCountedBytesHeld += static_cast<long long>(size);
    }
    return header + 1;
}

void Release(void* block) noexcept {
    if (block == nullptr) return;
    auto* header = static_cast<BlockHeader*>(block) - 1;
    if (header->counted != 0) gCountedBytesHeld -= static_cast<long long>(header->size);
    std::free(header);
}

} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    Release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    Release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    Release(block);
}

using namespace tarnwick;
using tarnwick::testing::FakeClock;

namespace {

constexpr int kDays = 8;
constexpr std::int64_t kTickMs = 1500;
constexpr std::int64_t kDayMs = 86'400'000;
constexpr int kMinutesPerDay = 1440;
// Ticks fall at .2 and .7 s, well clear of the half second at which a time rounds up.
constexpr std::int64_t kStartMs = 200;
constexpr int kRingSlots = 41;
constexpr std::size_t kMostWaiting = 40;
// The interval in force on each day, as if set on the Schedule tab at midnight. A
// day of 1 gives every entry fired that day the same shift for its next firing.
constexpr std::int16_t kIntervals[kDays] = {1, 1, 99, 30, 2, 60, 15, 45};
// A third of the weekly entries sit on these minutes, a minute or two either side.
constexpr int kCrowdedMinutes[] = {6 * 60 + 30, 7 * 60, 18 * 60, 22 * 60 + 30};
constexpr std::int16_t kNearShifts[] = {-2, -1, 1, 2};

// Saturday; the model numbers days from here and takes weekday (6 + day) mod 7.
DateTime StartDate() {
    return MakeDate(2026, 2, 28);
}

int Wrap(int minute) {
    return (minute % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay;
}

std::int16_t MessageFor(int device, bool off) {
    return static_cast<std::int16_t>(device / 16 * 34 + device % 16 * 2 + (off ? 1 : 0));
}

// The same uniform sequence for the scheduler and, from an equal seed, for the model.
class SeededRandom final : public IRandom {
public:
    explicit SeededRandom(std::uint64_t seed) : engine_(seed) {}
    double Next() override { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

private:
    std::mt19937_64 engine_;
};

// Keeps only the last message, so that sending allocates nothing, and how many
// were waiting when it was taken: the queue's depth between scan and send.
class CountingSender final : public IMessageSender {
public:
    explicit CountingSender(const AppState& state) : state_(state) {}
    void Transmit_Message(std::int32_t message) override {
        last = message;
        ++count;
        depth = (state_.QueueTail - state_.QueueHead + kRingSlots) % kRingSlots + 1;
    }
    std::int32_t last = -1;
    long long count = 0;
    int depth = 0;

private:
    const AppState& state_;
};

struct WeeklyHalf {
    int device, weekday, pair;
    bool off;
    int minute;         // the time of day set, in minutes
    std::int16_t shift; // the random offset in force
    int firedDay = -1;
};

struct SunSlot {
    int device, slot;
    std::int16_t when, action;
    int offsetMinutes;
    int shift;
    int firedDay = -1;
};

struct Figures {
    long long ticks = 0, scans = 0, due = 0, queued = 0, dropped = 0, sent = 0;
    std::size_t maxDepth = 0;
};

template <typename State> auto& PairOf(State& state, const WeeklyHalf& e) {
    return state.WeeklySchedule[static_cast<std::size_t>(e.device)][static_cast<std::size_t>(e.weekday)]
                               [static_cast<std::size_t>(e.pair)];
}

template <typename State> auto& EventOf(State& state, const SunSlot& s) {
    return state.SunriseSchedule[static_cast<std::size_t>(s.device)][static_cast<std::size_t>(s.slot)];
}

// The scheduler as its rules describe it, on plain minutes of the day.
class Model {
public:
    explicit Model(std::uint64_t seed) : random_(seed) {
        std::mt19937 gen(7);
        std::uniform_int_distribution<int> spread(-49, 50);
        const auto anyShift = [&] {
            int s = 0;
            while (s == 0) s = spread(gen);
            return static_cast<std::int16_t>(s);
        };
        for (int d = 0; d < kDeviceCount; ++d)
            for (int w = 0; w < kWeekdayCount; ++w)
                for (int p = 0; p < kPairCount; ++p)
                    for (int h = 0; h < 2; ++h) {
                        const int i = ((d * kWeekdayCount + w) * kPairCount + p) * 2 + h;
                        const bool crowded = i % 3 == 0;
                        const int minute =
                            crowded ? kCrowdedMinutes[i / 3 % 4] : (i * 37 + 11) % kMinutesPerDay;
                        const std::int16_t shift = crowded ? kNearShifts[i / 12 % 4] : anyShift();
                        weekly[static_cast<std::size_t>(w)].push_back({d, w, p, h == 1, minute, shift});
                    }
        for (int d = 0; d < kDeviceCount; ++d)
            for (int k = 0; k < kSunSlotCount; ++k) {
                const auto when = static_cast<std::int16_t>((d + k) % 3);
                const auto action = static_cast<std::int16_t>(1 + (d / 3 + k) % 2);
                const int shift = when == 0 ? kNearShifts[d % 4] : anyShift();
                sun.push_back({d, k, when, action, (d * 7 + k * 13) % 181, shift});
            }
    }

    void Install(AppState& state) const {
        for (const auto& day : weekly)
            for (const WeeklyHalf& e : day) {
                SchedulePair& pair = PairOf(state, e);
                (e.off ? pair.OffTime : pair.OnTime) = MakeTime(e.minute / 60, e.minute % 60);
                (e.off ? pair.OffEnabled : pair.OnEnabled) = kTrue;
                (e.off ? pair.OffRandomOffset : pair.OnRandomOffset) = e.shift;
            }
        for (const SunSlot& s : sun)
            EventOf(state, s) = {s.when, MakeTime(s.offsetMinutes / 60, s.offsetMinutes % 60), s.action,
                                 static_cast<DateTime>(s.shift)};
    }

    // A scan of one minute: the entries due from the shifts in force, weekly ones
    // first by device, pair, on before off, then sun slots by device and slot. An
    // entry fires at most once a day; every shift here is non-zero, so each firing draws.
    void Scan(int day, int minute, int sunrise, int sunset, std::int16_t interval,
              std::vector<std::int16_t>& due) {
        due.clear();
        const int weekday = (6 + day) % 7;
        for (WeeklyHalf& e : weekly[static_cast<std::size_t>(weekday)]) {
            if (e.firedDay == day || Wrap(e.minute + e.shift) != minute) continue;
            due.push_back(MessageFor(e.device, e.off));
            e.firedDay = day;
            e.shift = RandomOffsetDraw(interval, random_);
        }
        for (SunSlot& s : sun) {
            const int reference = s.slot < 2 ? sunrise : sunset;
            const int sign = s.when == 1 ? -1 : (s.when == 2 ? 1 : 0);
            if (s.firedDay == day || Wrap(reference + sign * s.offsetMinutes + s.shift) != minute) continue;
            due.push_back(MessageFor(s.device, s.action == 2));
            s.firedDay = day;
            s.shift = RandomOffsetDraw(interval, random_);
        }
    }

    // The shifts of one weekday and of every sun slot, and everything else, as the model has them.
    bool Matches(const AppState& state, int weekday) const {
        for (const WeeklyHalf& e : weekly[static_cast<std::size_t>(weekday)]) {
            const SchedulePair& pair = PairOf(state, e);
            const bool same = e.off ? pair.OffRandomOffset == e.shift && pair.OffEnabled == kTrue &&
                                          pair.OffTime == MakeTime(e.minute / 60, e.minute % 60)
                                    : pair.OnRandomOffset == e.shift && pair.OnEnabled == kTrue &&
                                          pair.OnTime == MakeTime(e.minute / 60, e.minute % 60);
            if (!same) return false;
        }
        for (const SunSlot& s : sun) {
            const SunriseEvent& event = EventOf(state, s);
            if (event.Random != s.shift || event.When != s.when || event.Action != s.action ||
                event.Offset != MakeTime(s.offsetMinutes / 60, s.offsetMinutes % 60))
                return false;
        }
        return true;
    }

    // Each weekday's halves in scan order: by device, then pair, on before off.
    std::array<std::vector<WeeklyHalf>, kWeekdayCount> weekly;
    std::vector<SunSlot> sun;

private:
    SeededRandom random_;
};

// The messages waiting in the ring, oldest first.
bool RingHolds(const AppState& state, const std::deque<std::int16_t>& waiting) {
    const int count = (state.QueueTail - state.QueueHead + kRingSlots) % kRingSlots;
    if (static_cast<std::size_t>(count) != waiting.size()) return false;
    for (int i = 0; i < count; ++i)
        if (state.MessageQueue[static_cast<std::size_t>((state.QueueHead + 1 + i) % kRingSlots)] !=
            waiting[static_cast<std::size_t>(i)])
            return false;
    return true;
}

// Sunrise and sunset of a date as minutes of the day, worked out apart from the scheduler's copy.
void SunMinutes(const AppState& settings, DateTime date, int& sunrise, int& sunset) {
    auto scratch = std::make_unique<AppState>();
    scratch->Latitude = settings.Latitude;
    scratch->Longitude = settings.Longitude;
    scratch->TimeZone = settings.TimeZone;
    scratch->DaylightSavings = settings.DaylightSavings;
    CalculateSunTimes(*scratch, date);
    sunrise = MinuteOfDay(scratch->SunriseTime);
    sunset = MinuteOfDay(scratch->SunsetTime);
}

TEST(SchedulerSoakTest, EightCrowdedDaysQueueEveryDueMessageOnceDropOnlyOverflowAndKeepMemoryFlat) {
    constexpr std::uint64_t kSeed = 20260228;
    auto state = std::make_unique<AppState>();
    state->Latitude = 32.78;
    state->Longitude = -96.8;
    state->TimeZone = 6;
    state->DaylightSavings = kTrue;
    state->RandomInterval = kIntervals[0];
    Model model(kSeed);
    model.Install(*state);

    // Start-up: the start minute is the last one scanned, and the sun times are the start day's.
    const DateTime start = StartDate() + static_cast<double>(kStartMs) / kDayMs;
    InitializeData(*state, start);
    CalculateSunTimes(*state, StartDate());
    SeededRandom random(kSeed);
    CountingSender sender(*state);
    FakeClock clock(start);
    Scheduler scheduler(*state, clock, random, sender);

    Figures figures;
    std::deque<std::int16_t> waiting;
    std::vector<std::int16_t> due;
    due.reserve(4096);
    std::int64_t lastScanned = (kStartMs + 500) / 1000 / 60;
    DateTime lastScanTime = start;
    int day = 0;
    int sunrise = 0;
    int sunset = 0;
    SunMinutes(*state, StartDate(), sunrise, sunset);

    const auto began = std::chrono::steady_clock::now();
    for (std::int64_t k = 1;; ++k) {
        const std::int64_t ms = kStartMs + k * kTickMs;
        if (ms >= kDays * kDayMs) break;
        // What the clock shows, rounded to the second as the program reads it.
        const std::int64_t second = (ms + 500) / 1000;
        const std::int64_t minuteIndex = second / 60;
        const int today = static_cast<int>(second / 86400);
        if (today != day) {
            day = today;
            state->RandomInterval = kIntervals[day];
            SunMinutes(*state, StartDate() + day, sunrise, sunset);
        }
        clock.Set(StartDate() + static_cast<double>(ms) / kDayMs);

        const bool scans = minuteIndex != lastScanned;
        if (scans) {
            // The model's shifts are the ones in force now, so what it finds due is what the scan should.
            if (!model.Matches(*state, (6 + day) % 7)) {
                ADD_FAILURE() << "tick " << k << ": the shifts before the scan are not the model's";
                return;
            }
            lastScanned = minuteIndex;
            lastScanTime = clock.Now();
            model.Scan(day, static_cast<int>(minuteIndex % kMinutesPerDay), sunrise, sunset,
                       state->RandomInterval, due);
            ++figures.scans;
            figures.due += static_cast<long long>(due.size());
            for (std::int16_t message : due) {
                if (waiting.size() < kMostWaiting) {
                    waiting.push_back(message);
                    ++figures.queued;
                } else {
                    ++figures.dropped;
                }
            }
        }
        const std::size_t depth = waiting.size();
        figures.maxDepth = std::max(figures.maxDepth, depth);
        std::int32_t expectedSent = -1;
        if (!waiting.empty()) {
            expectedSent = waiting.front();
            waiting.pop_front();
        }

        const long long sentBefore = sender.count;
        gCounting = day >= 1;
        scheduler.Tick();
        gCounting = false;
        ++figures.ticks;

        const long long sentNow = sender.count - sentBefore;
        if (sentNow != (expectedSent < 0 ? 0 : 1) ||
            (expectedSent >= 0 &&
             (sender.last != expectedSent || static_cast<std::size_t>(sender.depth) != depth))) {
            ADD_FAILURE() << "tick " << k << " (day " << day << ", minute " << minuteIndex % kMinutesPerDay
                          << "): sent " << sentNow << " message(s), last " << sender.last << " of "
                          << sender.depth << " waiting, expected " << expectedSent << " of " << depth;
            return;
        }
        figures.sent += sentNow;
        if (state->LastScanTime != lastScanTime) {
            ADD_FAILURE() << "tick " << k << ": scanned on another tick than the first of its minute";
            return;
        }
        if (!RingHolds(*state, waiting)) {
            ADD_FAILURE() << "tick " << k << " (day " << day << ", minute " << minuteIndex % kMinutesPerDay
                          << "): the queue holds other messages than the " << waiting.size() << " expected";
            return;
        }
        if (scans && !model.Matches(*state, (6 + day) % 7)) {
            ADD_FAILURE() << "tick " << k << " (day " << day << ", minute " << minuteIndex % kMinutesPerDay
                          << "): the shifts after the scan are not the ones drawn for the entries that fired";
            return;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

    for (int w = 0; w < kWeekdayCount; ++w) EXPECT_TRUE(model.Matches(*state, w)) << "weekday " << w;

    std::printf("soak: %lld ticks, %lld scans, %lld messages due, %lld queued, %lld dropped, %lld sent, "
                "max queue depth %zu, %lld allocations and %lld bytes kept by ticks after day 1, %.2f s\n",
                figures.ticks, figures.scans, figures.due, figures.queued, figures.dropped, figures.sent,
                figures.maxDepth, gCountedAllocations, gCountedBytesHeld, seconds);

    // The run must really have crowded the queue, or it proves little about overflow.
    EXPECT_GT(figures.dropped, 0);
    EXPECT_EQ(figures.maxDepth, kMostWaiting);
    EXPECT_EQ(figures.sent, figures.queued - static_cast<long long>(waiting.size()));
    EXPECT_EQ(gCountedBytesHeld, 0) << "ticks after the first day kept memory";
}

} // namespace
