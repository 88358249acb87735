#include "sun/SunriseFile.h"

#include "support/FileTesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace tarnwick;
using tarnwick::testing::Lines;
using tarnwick::testing::TempFolder;

namespace {

constexpr int kEventCount = kDeviceCount * kSunSlotCount;

// Events in file order: device, slot.
template <typename Table> auto& At(Table& table, int event) {
    return table[static_cast<std::size_t>(event / kSunSlotCount)]
                [static_cast<std::size_t>(event % kSunSlotCount)];
}

// Every event used and different: all When and Action codes, offsets, shifts of both signs.
std::unique_ptr<SunriseTable> PatternTable() {
    auto table = std::make_unique<SunriseTable>();
    for (int e = 0; e < kEventCount; ++e)
        At(*table, e) = {static_cast<std::int16_t>(e % 3), MakeTime(e % 24, (e * 7) % 59 + 1),
                         static_cast<std::int16_t>(e / 3 % 3), static_cast<double>(e % 199 - 99)};
    return table;
}

// Events before `intact` equal the pattern's; from `zero` on they are zero.
void ExpectEvents(const SunriseTable& table, int intact, int zero) {
    const auto pattern = PatternTable();
    for (int e = 0; e < intact; ++e) {
        const SunriseEvent& x = At(table, e);
        const SunriseEvent& y = At(*pattern, e);
        ASSERT_TRUE(x.When == y.When && x.Action == y.Action) << "event " << e;
        ASSERT_NEAR(x.Offset, y.Offset, 1e-9) << "event " << e;
        ASSERT_EQ(x.Random, y.Random) << "event " << e;
    }
    for (int e = zero; e < kEventCount; ++e) ASSERT_EQ(At(table, e), SunriseEvent{}) << "event " << e;
}

class SunriseFileTest : public ::testing::Test {
protected:
    TempFolder folder;
    FileTable files{folder.path()};
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
};

TEST_F(SunriseFileTest, FirstStartWritesAZeroFile) {
    ReadSunriseScheduleFile(*state, files);
    const std::vector<std::string> lines = Lines(folder.Read("Sunrise.txt"));
    ASSERT_EQ(lines.size(), 4096u);
    const std::vector<std::string> zero{"0", "#00:00:00#", "0", "#00:00:00#"};
    for (std::size_t i = 0; i < lines.size(); ++i) ASSERT_EQ(lines[i], zero[i % 4]) << "line " << i + 1;
}

TEST_F(SunriseFileTest, AfterSunsetSlotIsAtLines9To12OfTheDeviceBlock) {
    constexpr int kDevice = 37;
    EXPECT_EQ(SunriseEventLine(kDevice, 2), 16 * kDevice + 9);
    state->SunriseSchedule[kDevice][2] = {2, MakeTime(0, 30), 1, -3};
    state->SunriseSchedule[kDevice][3] = {1, MakeTime(1, 30), 2, 5};
    UpdateSunriseScheduleFile(*state, files);
    const std::vector<std::string> lines = Lines(folder.Read("Sunrise.txt"));
    ASSERT_EQ(lines.size(), 4096u);
    const auto block = lines.begin() + 16 * kDevice;
    EXPECT_EQ(std::vector<std::string>(block + 7, block + 16),
              (std::vector<std::string>{"#00:00:00#", "2", "#00:30:00#", "1", "#1899-12-27#", "1",
                                        "#01:30:00#", "2", "#1900-01-04#"}));
}

TEST_F(SunriseFileTest, TheTableRoundTripsAndZeroEventsZeroIt) {
    state->SunriseSchedule = *PatternTable();
    UpdateSunriseScheduleFile(*state, files);
    std::filesystem::resize_file(folder / "Sunrise.txt", std::uintmax_t{1} << 30);
    auto back = std::make_unique<AppState>();
    ReadSunriseScheduleFile(*back, files);
    ExpectEvents(back->SunriseSchedule, kEventCount, kEventCount);

    EXPECT_EQ(
        ParseSunriseSchedule(FormatSunriseSchedule(*std::make_unique<SunriseTable>()), back->SunriseSchedule),
        kEventCount);
    ExpectEvents(back->SunriseSchedule, 0, 0);
}

TEST(SunriseParseTest, ShiftsAreReadFromEveryLiteralForm) {
    const std::pair<const char*, DateTime> cases[] = {
        {"#00:00:00#", 0},    {"#1899-12-30#", 0},          {"#1900-01-04#", 5},
        {"#1899-12-27#", -3}, {"#1900-01-04 00:00:00#", 5}, {"#12:00:00#", 0.5}};
    auto table = std::make_unique<SunriseTable>();
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(ParseSunriseSchedule(std::string("2\r\n#00:30:00#\r\n1\r\n") + text + "\r\n", *table), 1);
        EXPECT_EQ((*table)[0][0], (SunriseEvent{2, MakeTime(0, 30), 1, value})) << text;
    }
}

// A hand-edited file: an offset with a date in front is its time of day, and a code no
// box offers is at / nothing, as the tick treats it. Nothing after them is lost.
TEST_F(SunriseFileTest, DatedOffsetsAndUnknownCodesReadAsTheyAreMeant) {
    const std::vector<std::string> pattern = Lines(FormatSunriseSchedule(*PatternTable()));
    std::vector<std::string> lines = pattern;
    lines[1001 * 4 + 1].insert(1, "2024-01-01 ");
    lines[1002 * 4] = "7";
    lines[1002 * 4 + 1] = "#1899-12-29 02:15:00#";
    lines[1002 * 4 + 2] = "-1";
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    folder.Write("Sunrise.txt", text);
    ReadSunriseScheduleFile(*state, files);
    UpdateSunriseScheduleFile(*state, files);
    lines = Lines(folder.Read("Sunrise.txt"));
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1002 * 4, lines.begin() + 1003 * 4),
              (std::vector<std::string>{"0", "#02:15:00#", "0", pattern[1002 * 4 + 3]}));
    std::copy_n(pattern.begin() + 1002 * 4, 4, lines.begin() + 1002 * 4);
    EXPECT_TRUE(lines == pattern) << "an event other than the unknown codes' changed";
}

struct DamageCase {
    const char* name;
    int field; // 0..3 within the event; -1 ends the file there
    std::string text;
};

class SunriseDamageTest : public ::testing::TestWithParam<DamageCase> {};

// Event 1000 of the pattern file is spoilt; the 1000 before it must survive.
TEST_P(SunriseDamageTest, KeepsTheEventsBeforeTheDamage) {
    constexpr int kDamaged = 1000;
    std::vector<std::string> lines = Lines(FormatSunriseSchedule(*PatternTable()));
    if (GetParam().field < 0) {
        lines.resize(kDamaged * 4);
    } else {
        lines[kDamaged * 4 + GetParam().field] = GetParam().text;
    }
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";

    auto back = PatternTable();
    EXPECT_EQ(ParseSunriseSchedule(text, *back), kDamaged);
    ExpectEvents(*back, kDamaged, kDamaged);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SunriseDamageTest,
    ::testing::Values(DamageCase{"TextForWhen", 0, "after"}, DamageCase{"LiteralForAction", 2, "#TRUE#"},
                      DamageCase{"ActionBeyond16Bits", 2, "70000"}, DamageCase{"BadOffset", 1, "#00:61:00#"},
                      DamageCase{"NumberForRandom", 3, "5"}, DamageCase{"BadRandomDate", 3, "#1900-02-30#"},
                      DamageCase{"OverlongLine", 3, std::string(100, ' ') + "#00:00:00#"},
                      DamageCase{"EndsEarly", -1, ""}, DamageCase{"EmptyLine", 1, ""}),
    [](const auto& p) { return p.param.name; });

TEST(SunriseRobustnessTest, SurvivesNoiseAndTruncation) {
    auto table = std::make_unique<SunriseTable>();
    (*table)[0][2] = {2, MakeTime(0, 30), 1, -3};
    const std::string text = FormatSunriseSchedule(*table);
    auto back = std::make_unique<SunriseTable>();
    for (std::size_t cut = 0; cut < 300; ++cut) {
        const int read = ParseSunriseSchedule(std::string_view(text).substr(0, cut), *back);
        for (int e = read; e < kEventCount; ++e) ASSERT_EQ(At(*back, e), SunriseEvent{});
    }
    for (const std::string& bytes : tarnwick::testing::NoiseSamples(13, 300, 3000)) {
        const int read = ParseSunriseSchedule(bytes, *back);
        for (int e = read; e < kEventCount; ++e) ASSERT_EQ(At(*back, e), SunriseEvent{});
    }
}

} // namespace
