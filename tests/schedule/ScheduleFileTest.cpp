#include "schedule/ScheduleFile.h"

#include "support/FileTesting.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace tarnwick;
using tarnwick::testing::Lines;
using tarnwick::testing::TempFolder;

namespace {

// Records in file order: device, weekday, pair.
template <typename Table> auto& At(Table& table, int record) {
    return table[static_cast<std::size_t>(record / 28)][static_cast<std::size_t>(record / 4 % 7)]
                [static_cast<std::size_t>(record % 4)];
}

// Every record different and set: both halves, offsets of both signs, seconds, the int16 extremes.
std::unique_ptr<WeeklyTable> PatternTable() {
    auto table = std::make_unique<WeeklyTable>();
    for (int r = 0; r < kScheduleRecordCount; ++r) {
        At(*table, r) = {MakeTime(r % 24, (r * 7) % 60),
                         r % 3 == 0 ? kTrue : kFalse,
                         static_cast<std::int16_t>(r % 199 - 99),
                         MakeTime((r * 5) % 24, (r * 11) % 60, r % 60),
                         r % 5 == 0 ? kTrue : kFalse,
                         static_cast<std::int16_t>(r % 2 == 0 ? -32768 : 32767)};
    }
    return table;
}

// Records before `intact` equal the pattern's; from `clear` on they are clear.
void ExpectRecords(const WeeklyTable& table, int intact, int clear) {
    const auto pattern = PatternTable();
    for (int r = 0; r < intact; ++r) {
        const SchedulePair& x = At(table, r);
        SchedulePair y = At(*pattern, r);
        ASSERT_NEAR(x.OnTime, y.OnTime, 1e-9) << "record " << r;
        ASSERT_NEAR(x.OffTime, y.OffTime, 1e-9) << "record " << r;
        y.OnTime = x.OnTime;
        y.OffTime = x.OffTime;
        ASSERT_EQ(x, y) << "record " << r;
    }
    for (int r = clear; r < kScheduleRecordCount; ++r)
        ASSERT_EQ(At(table, r), SchedulePair{}) << "record " << r;
}

class ScheduleFileTest : public ::testing::Test {
protected:
    TempFolder folder;
    FileTable files{folder.path()};
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
};

TEST_F(ScheduleFileTest, FirstStartWritesAClearFile) {
    ReadScheduleFile(*state, files);
    const std::string text = folder.Read("schedule.txt");
    EXPECT_EQ(text.size(), 344'064u);
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 43'008u);
    const std::vector<std::string> clear{"#00:00:00#", "#FALSE#", "0", "#00:00:00#", "#FALSE#", "0"};
    for (std::size_t i = 0; i < lines.size(); ++i) ASSERT_EQ(lines[i], clear[i % 6]) << "line " << i + 1;
}

TEST_F(ScheduleFileTest, B3WednesdaySecondPairIsAtLines3103To3105) {
    EXPECT_EQ(ScheduleRecordLine(18, 3, 1), 3103);
    state->WeeklySchedule[18][3][1] = {MakeTime(8, 30), kTrue, -7, 0, kFalse, 0};
    UpdateScheduleFile(*state, files);
    const std::vector<std::string> lines = Lines(folder.Read("schedule.txt"));
    ASSERT_EQ(lines.size(), 43'008u);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 3101, lines.begin() + 3106),
              (std::vector<std::string>{"0", "#08:30:00#", "#TRUE#", "-7", "#00:00:00#"}));
}

TEST_F(ScheduleFileTest, TheTableRoundTripsAndClearRecordsClearIt) {
    state->WeeklySchedule = *PatternTable();
    UpdateScheduleFile(*state, files);
    // Trailing data is never read: a sparse gigabyte of zeros after the table.
    std::filesystem::resize_file(folder / "schedule.txt", std::uintmax_t{1} << 30);
    auto back = std::make_unique<AppState>();
    ReadScheduleFile(*back, files);
    ExpectRecords(back->WeeklySchedule, kScheduleRecordCount, kScheduleRecordCount);

    EXPECT_EQ(ParseSchedule(FormatSchedule(*std::make_unique<WeeklyTable>()), back->WeeklySchedule),
              kScheduleRecordCount);
    ExpectRecords(back->WeeklySchedule, 0, 0);
}

// A time with a date in front, as other programs write it, is that time of day: the
// record and those after it are kept, and the file is written back as before.
TEST_F(ScheduleFileTest, ADatedTimeReadsAsItsTimeOfDay) {
    const std::string pattern = FormatSchedule(*PatternTable());
    std::vector<std::string> lines = Lines(pattern);
    lines[3001 * 6].insert(1, "2024-01-01 ");
    lines[3001 * 6 + 3].insert(1, "1899-12-29 ");
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    folder.Write("schedule.txt", text);
    ReadScheduleFile(*state, files);
    ASSERT_NO_FATAL_FAILURE(ExpectRecords(state->WeeklySchedule, kScheduleRecordCount, kScheduleRecordCount));
    UpdateScheduleFile(*state, files);
    EXPECT_TRUE(folder.Read("schedule.txt") == pattern) << "the file written back differs";
}

TEST(ScheduleFormatTest, OnlyTheTimeOfDayIsWritten) {
    auto table = std::make_unique<WeeklyTable>();
    (*table)[0][0][0].OnTime = MakeDateTime(2024, 5, 1, 7, 30);
    (*table)[0][0][0].OffTime = -MakeTime(6, 0);
    const std::vector<std::string> lines = Lines(FormatSchedule(*table));
    EXPECT_EQ(lines[0], "#07:30:00#");
    EXPECT_EQ(lines[3], "#18:00:00#");
}

struct DamageCase {
    const char* name;
    int field; // 0..5 within the record
    std::string text;
};

class ScheduleDamageTest : public ::testing::TestWithParam<DamageCase> {};

// Record 3000 of the pattern file is spoilt; the 3000 before it must survive.
TEST_P(ScheduleDamageTest, KeepsTheRecordsBeforeTheDamage) {
    constexpr int kDamaged = 3000;
    std::vector<std::string> lines = Lines(FormatSchedule(*PatternTable()));
    lines[kDamaged * 6 + GetParam().field] = GetParam().text;
    std::string text;
    for (const std::string& line : lines) text += line + "\n";

    auto back = PatternTable();
    EXPECT_EQ(ParseSchedule(text, *back), kDamaged);
    ExpectRecords(*back, kDamaged, kDamaged);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ScheduleDamageTest,
    ::testing::Values(DamageCase{"TextForTime", 0, "abc"}, DamageCase{"HourOutOfRange", 0, "#25:00:00#"},
                      DamageCase{"NumberForFlag", 1, "-1"}, DamageCase{"FlagForNumber", 2, "#TRUE#"},
                      DamageCase{"OffsetOutOfRange", 5, "99999"}, DamageCase{"EmptyLine", 4, ""},
                      DamageCase{"OverlongLine", 2, std::string(100, '7')}),
    [](const auto& p) { return p.param.name; });

TEST(ScheduleParseTest, AShortFileKeepsItsWholeRecords) {
    const std::string text = FormatSchedule(*PatternTable());
    for (std::size_t cut :
         {std::size_t{0}, std::size_t{5}, text.size() / 3, text.size() / 2, text.size() - 3}) {
        const std::string_view prefix = std::string_view(text).substr(0, cut);
        int lineEnds = 0;
        for (std::size_t p = prefix.find("\r\n"); p != std::string_view::npos; p = prefix.find("\r\n", p + 2))
            ++lineEnds;
        auto back = PatternTable();
        const int read = ParseSchedule(prefix, *back);
        // A last value cut short may still read as a value ("3276" of "32767").
        EXPECT_GE(read, lineEnds / 6) << cut;
        EXPECT_LE(read, (lineEnds + 1) / 6) << cut;
        ExpectRecords(*back, lineEnds / 6, read);
    }
}

TEST(ScheduleRobustnessTest, SurvivesNoiseAndTruncation) {
    auto table = std::make_unique<WeeklyTable>();
    (*table)[0][0][1] = {MakeTime(8, 30), kTrue, -7, MakeTime(22, 0), kTrue, 12};
    const std::string text = FormatSchedule(*table);
    auto back = std::make_unique<WeeklyTable>();
    for (std::size_t cut = 0; cut < 400; ++cut) ParseSchedule(std::string_view(text).substr(0, cut), *back);
    for (const std::string& bytes : tarnwick::testing::NoiseSamples(9, 200, 3000)) {
        const int read = ParseSchedule(bytes, *back);
        for (int r = read; r < kScheduleRecordCount; r += 97) ASSERT_EQ(At(*back, r), SchedulePair{});
    }
}

} // namespace
