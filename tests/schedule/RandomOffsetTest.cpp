#include "schedule/RandomOffset.h"

#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <array>
#include <cmath>
#include <limits>
#include <map>

using namespace tarnwick;
using tarnwick::testing::ScriptedRandom;

namespace {

int DrawWith(int interval, double r) {
    ScriptedRandom random({r});
    return RandomOffsetDraw(static_cast<std::int16_t>(interval), random);
}

// How often each shift comes out when r runs evenly over [0, 1).
std::map<int, int> Sweep(int interval, int steps) {
    std::map<int, int> counts;
    for (int i = 0; i < steps; ++i) ++counts[DrawWith(interval, (i + 0.5) / steps)];
    return counts;
}

struct DrawCase {
    int interval;
    double r;
    int expected;
};

class RandomOffsetDrawCase : public ::testing::TestWithParam<DrawCase> {};

TEST_P(RandomOffsetDrawCase, GivesTheRoundedShift) {
    const DrawCase c = GetParam();
    EXPECT_EQ(DrawWith(c.interval, c.r), c.expected) << "R=" << c.interval << " r=" << c.r;
}

INSTANTIATE_TEST_SUITE_P(Examples, RandomOffsetDrawCase,
                         ::testing::Values(DrawCase{30, 0.0, -14}, DrawCase{30, 0.44, -1},
                                           DrawCase{30, 0.48, 1}, DrawCase{30, 0.5, 1},
                                           DrawCase{30, 0.99, 15},
                                           // Halves go to the even neighbour; 0 becomes 1.
                                           DrawCase{5, 0.0, -2}, DrawCase{5, 0.3, 1}, DrawCase{5, 0.5, 1},
                                           DrawCase{5, 0.7, 2}, DrawCase{5, 0.9, 2}, DrawCase{99, 0.0, -48},
                                           DrawCase{99, 0.49, 1}, DrawCase{99, 0.999, 50},
                                           DrawCase{32767, 0.0, -16382}, DrawCase{32767, 0.99999999, 16384}),
                         [](const auto& p) {
                             char name[32];
                             std::snprintf(name, sizeof name, "Interval%d_%zu", p.param.interval,
                                           p.index);
                             return std::string(name);
                         });

TEST(RandomOffsetDrawTest, ThirtyGivesMinus14To15EquallyButOneTwice) {
    const std::map<int, int> counts = Sweep(30, 3000);
    EXPECT_EQ(counts.size(), 29u);
    EXPECT_EQ(counts.begin()->first, -14);
    EXPECT_EQ(counts.rbegin()->first, 15);
    for (const auto& [value, count] : counts) EXPECT_EQ(count, value == 1 ? 200 : 100) << value;
}

TEST(RandomOffsetDrawTest, OddIntervalGivesEvenShiftsOrOne) {
    const std::map<int, int> counts = Sweep(99, 99 * 20);
    EXPECT_EQ(counts.size(), 50u); // -48, -46 .. 50 without 0, and 1
    for (const auto& entry : counts) EXPECT_TRUE(entry.first == 1 || entry.first % 2 == 0) << entry.first;
    EXPECT_EQ(counts.begin()->first, -48);
    EXPECT_EQ(counts.rbegin()->first, 50);
}

TEST(RandomOffsetDrawTest, IntervalOneOrLessAlwaysGivesOne) {
    for (int interval : {1, 0, -30, int{std::numeric_limits<std::int16_t>::min()}}) {
        for (double r : {0.0, 0.5, std::nextafter(1.0, 0.0)}) EXPECT_EQ(DrawWith(interval, r), 1) << interval;
    }
}

TEST(RandomOffsetDrawTest, NumbersOutsideZeroToOneAreClampedIntoIt) {
    EXPECT_EQ(DrawWith(30, 1.0), 15);
    EXPECT_EQ(DrawWith(30, 1e300), 15);
    EXPECT_EQ(DrawWith(30, -0.25), -14);
    EXPECT_EQ(DrawWith(30, std::numeric_limits<double>::quiet_NaN()), -14);
}

TEST(DefaultRandomTest, SameEvenSequenceInsideZeroToOneAfterEveryStart) {
    DefaultRandom random;
    DefaultRandom again;
    constexpr int kDraws = 100000;
    std::array<int, 10> deciles{};
    for (int i = 0; i < kDraws; ++i) {
        const double r = random.Next();
        ASSERT_EQ(r, again.Next());
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
        ++deciles[static_cast<std::size_t>(r * 10)];
    }
    for (int count : deciles) EXPECT_NEAR(count, kDraws / 10, 600); // six standard deviations
}

} // namespace
