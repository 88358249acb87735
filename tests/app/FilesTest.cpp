// The four data files and their shared notation: what is written, what is read back, and what
// is kept when a file is damaged, edited by hand or cannot be written.

#include "base/FileAccess.h"
#include "base/RandomOffset.h"
#include "engine/ConfigFile.h"
#include "engine/Engine.h"
#include "engine/Persistence.h"
#include "remote/NamesFile.h"
#include "schedule/ScheduleFile.h"
#include "sun/SunriseFile.h"

#include "support/Fakes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <tuple>

#include <stdlib.h>
#include <sys/resource.h>

using namespace tarnwick;
using tarnwick::testing::TempFolder;
namespace fs = std::filesystem;

// The lines of a text whose every line ends in CR LF.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// Lines put back together, each ended by end.
std::string Join(const std::vector<std::string>& lines, const char* end = "\r\n") {
    std::string text;
    for (const std::string& line : lines) text.append(line).append(end);
    return text;
}

using Names = std::vector<std::string>;

class DataFilesTest : public ::testing::Test {
protected:
    bool WriteFile(const char* name, const std::string& text) {
        return WriteFileAtomically(folder / name, text);
    }
    TempFolder folder;
};

TEST_F(DataFilesTest, TheNewTextReplacesTheFileAndNothingIsLeftBeside) {
    folder.Write("config.txt", "old");
    folder.Write("config.txt.tarnwick-tmp", "left by a crash");
    EXPECT_TRUE(WriteFile("config.txt", "new text"));
    EXPECT_EQ(ReadFile(folder / "config.txt", ConfigLineBound()), "new text");
    EXPECT_EQ(ReadFile(folder / "names.txt", ConfigLineBound()), std::nullopt);
    EXPECT_EQ(folder.Contents(), Names{"config.txt"});
}

// A file-size limit makes the write fail the way a full disk does.
TEST_F(DataFilesTest, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    folder.Write("schedule.txt", "the old schedule");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limited{4096, saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool written = WriteFile("schedule.txt", std::string(1 << 20, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(folder.Read("schedule.txt"), "the old schedule");
    EXPECT_EQ(folder.Contents(), Names{"schedule.txt"});
}

// Tests may run as root, which writes anywhere: what counts is the mode the user set.
TEST_F(DataFilesTest, WhatTheUserProtectedStaysSo) {
    folder.Write("config.txt", "protected");
    fs::permissions(folder / "config.txt", fs::perms::owner_read);
    fs::create_directory(folder / "names.txt");
    EXPECT_FALSE(WriteFile("config.txt", "x"));
    EXPECT_FALSE(WriteFile("names.txt", "x"));
    fs::permissions(folder / "config.txt", fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(WriteFile("config.txt", "x"));
    EXPECT_FALSE(WriteFile("Sunrise.txt", "x"));
    fs::permissions(folder.path(), fs::perms::owner_all);
    EXPECT_EQ(folder.Read("config.txt"), "protected");
    EXPECT_EQ(folder.Contents(), (Names{"config.txt", "names.txt"}));
}

// The settings in force, in the file's order.
std::string SettingsText(const Settings& s) {
    std::ostringstream out;
    out << s.commPort << " " << s.cpuFactor << " " << s.clockFactor << " " << s.randomInterval.count() << " "
        << s.location.latitude << " " << s.location.longitude << " " << s.location.timeZone << " "
        << s.location.daylightSaving;
    return out.str();
}

// The four tables, as the program holds them.
struct Tables {
    DataTables Refs() { return {settings, *weekly, *sunEvents, *names}; }
    Settings settings;
    std::unique_ptr<WeeklyTable> weekly = std::make_unique<WeeklyTable>();
    std::unique_ptr<SunEventTable> sunEvents = std::make_unique<SunEventTable>();
    std::unique_ptr<DeviceNameTable> names = std::make_unique<DeviceNameTable>();
};

const std::string kDallas =
    "\"COM 1\"\r\n\"Pentium IV\"\r\n\"3200MHz\"\r\n30\r\n32.78\r\n-96.8\r\n6\r\n#FALSE#\r\n";

// The program without its windows, on a fake clock: each new minute puts on disk what changed
// since the last save, and only that, and sends what fell due; what could not be written, the
// user having made it read-only, is tried again a minute later.
TEST(Engine, EachMinuteSavesWhatChangedAndRetriesWhatFailed) {
    TempFolder folder;
    tarnwick::testing::FakeClock clock(tarnwick::testing::LocalAt(2026, 12, 8, 7, 29, 10)); // a Tuesday
    tarnwick::testing::RecordingSerialControl serial;
    DefaultRandom random;
    Engine engine({&serial, &clock, nullptr, &random, folder.path()});
    engine.Load();
    const std::string sunrise = folder.Read("Sunrise.txt");
    fs::remove(folder / "config.txt");
    fs::permissions(folder / "Sunrise.txt", fs::perms::owner_read);
    engine.SetTime(36, 2, 0, true, TimeOfDay(7, 30));
    engine.SetSunEvent(0, 2, SunWhen::After, std::chrono::minutes{30}, SunAction::On);
    const auto runMinute = [&] {
        for (int i = 0; i < 40; ++i, clock.AdvanceSeconds(1.5)) engine.Tick();
    };
    runMinute();
    EXPECT_EQ(serial.changes.size(), 79 * 2 + 2u); // C5 On at 07:30
    EXPECT_TRUE(folder.Read("schedule.txt").find("#07:30:00#\r\n#TRUE#") != std::string::npos);
    EXPECT_TRUE(folder.Read("Sunrise.txt") == sunrise);
    EXPECT_TRUE(!fs::exists(folder / "config.txt"));
    EXPECT_EQ(engine.SaveAll(), std::vector<std::string>{"Sunrise.txt"}); // the one whose changes are lost
    fs::permissions(folder / "Sunrise.txt", fs::perms::owner_read | fs::perms::owner_write);
    runMinute();
    EXPECT_NE(folder.Read("Sunrise.txt"), sunrise);
}

// A value that cannot be read costs its own setting; a file that ends early, the settings after its end.
TEST(ConfigFile, ADamagedValueCostsOnlyItsOwnSetting) {
    const auto with = [](int line, const std::string& text) {
        Names lines = Lines(kDallas);
        lines[line] = text;
        return Join(lines);
    };
    const std::pair<std::string, const char*> cases[] = {
        {"", "2 1 25 45 0 0 6 1"},
        {kDallas.substr(0, 38), "1 27 400 30 0 0 6 1"},
        {kDallas.substr(0, 62), "1 27 400 30 32.78 -96.8 6 0"},
        {"\xEF\xBB\xBF" + kDallas + "extra\r\n", "1 27 400 30 32.78 -96.8 6 0"},
        {"COM 1\r\nPentium IV\r\n  3200MHz\r\n30\r\n32.78\r\n-96.8\r\n6\r\n#FALSE#\r\n",
         "1 27 400 30 32.78 -96.8 6 0"},
        {with(0, "\"com 1\""), "2 27 400 30 32.78 -96.8 6 0"},
        {with(3, "thirty"), "1 27 400 45 32.78 -96.8 6 0"},
        {with(4, "1,5"), "1 27 400 30 1 5 6 1"},
        {with(4, "-.5"), "1 27 400 30 -0.5 -96.8 6 0"},
        {with(6, "99999"), "1 27 400 30 32.78 -96.8 6 0"}};
    for (const auto& [bytes, settings] : cases)
        EXPECT_EQ(SettingsText(ParseConfig(bytes)), settings) << bytes.substr(0, 80);
}

// A line far too long to read, among good ones, on its way from the disk and back: it costs its own
// setting, which takes its default, and every other line is written back as it was.
TEST(ConfigFile, ALongLineCostsOnlyItsOwnSetting) {
    for (const auto& [line, fallback] : {std::pair{0, "\"COM 2\""}, std::pair{4, "0"}}) {
        TempFolder folder;
        Names lines = Lines(kDallas);
        lines[line] = "\"" + std::string(1 << 20, '7') + "\"";
        folder.Write("config.txt", Join(lines));
        Tables tables;
        Persistence files(folder.path(), tables.Refs());
        files.Load();
        files.SaveAll();
        lines[line] = fallback;
        EXPECT_EQ(folder.Read("config.txt"), Join(lines));
    }
}

// Latitude and longitude in decimal however small or large, rounded to 15 significant digits,
// never with an exponent, and read back as written.
TEST(ConfigFile, DoublesAreWrittenInDecimalWithoutAnExponent) {
    EXPECT_EQ(FormatConfig(ParseConfig(kDallas)), kDallas);
    const std::tuple<double, double, const char*, const char*> cases[] = {
        {0.00001, -123456789012345678.0, "0.00001", "-123456789012346000"},
        {-1.25e-20, 9.87654321098765432e22, "-0.0000000000000000000125", "98765432109876500000000"},
        {0.1 + 0.2, -99.99999999999999, "0.3", "-100"},
        {123456.7890123456, -0.000123456789012345678, "123456.789012346", "-0.000123456789012346"}};
    for (const auto& [latitude, longitude, latitudeText, longitudeText] : cases) {
        Settings settings;
        settings.location.latitude = latitude;
        settings.location.longitude = longitude;
        const std::string text = FormatConfig(settings);
        EXPECT_EQ(Lines(text)[4], latitudeText);
        EXPECT_EQ(Lines(text)[5], longitudeText);
        EXPECT_EQ(FormatConfig(ParseConfig(text)), text);
    }
}

// Lines as an editor leaves them: one name a line whatever else the line holds, each line in
// UTF-8 or Windows-1252 by itself, a byte-order mark, a name longer than the box takes; the names
// past the file's end are empty.
TEST(NamesFile, AHandEditedFileKeepsEveryNameWholeAndOnItsDevice) {
    auto names = std::make_unique<DeviceNameTable>();
    for (auto& house : *names) house.fill("old");
    EXPECT_EQ(ParseNames("\xEF\xBB\xBF\"Porch\",\r\n\"Hall\", \"x\"\n\"Caf\xE9\"\r\"K\xC3\xBC"
                         "che\"\r\n  plain, text \r\n"
                         "ab\"c\r\n\"Den \"Lamp\"\r\n\"Garden lights by the back door\"\r\n",
                         *names),
              8);
    const Names lines = Lines(FormatNames(*names));
    EXPECT_EQ(Names(lines.begin(), lines.begin() + 10),
              (Names{"\"Porch\"", "\"Hall\"", "\"Caf\xC3\xA9\"",
                     "\"K\xC3\xBC"
                     "che\"",
                     "\"plain, text\"", "\"c\"", "\"Den \"", "\"Garden lights by the back door\"", "\"\"",
                     "\"\""}));
}

// A line holds at most 4096 bytes. A name read from a full line gains two quotes when written,
// and one read as Windows-1252 grows in UTF-8: unless they are cut, the next start refuses that
// line and loses the name.
TEST(NamesFile, ALongNameIsCutSoThatItSurvivesTheNextStart) {
    for (const std::string& first : {std::string(4096, 'a'), std::string(2731, '\xE9')}) {
        auto names = std::make_unique<DeviceNameTable>(), back = std::make_unique<DeviceNameTable>();
        ASSERT_EQ(ParseNames(first + "\r\n\"Den Lamp\"\r\n", *names), 2);
        EXPECT_GT((*names)[0][0].size(), 4000u);
        EXPECT_EQ(ParseNames(FormatNames(*names), *back), 256);
        EXPECT_TRUE(*back == *names);
    }
}

// A name of 1,100 characters is kept whole; a line too long to read costs its own name alone, and
// the other names are read in order and written back as they were.
TEST(NamesFile, ALongLineCostsOnlyItsOwnName) {
    TempFolder folder;
    Names lines = {"\"" + std::string(1 << 20, 'x') + "\"", "\"" + std::string(1100, 'y') + "\""};
    for (int n = 2; n < 256; ++n) lines.push_back("\"Name" + std::to_string(n) + "\"");
    folder.Write("names.txt", Join(lines));
    Tables tables;
    Persistence files(folder.path(), tables.Refs());
    files.Load();
    files.SaveAll();
    lines[0] = "\"\"";
    EXPECT_EQ(folder.Read("names.txt"), Join(lines));
}

// Every record set and different: both halves, shifts of both signs, seconds, the 16-bit extremes.
std::unique_ptr<WeeklyTable> WeeklyPattern() {
    auto table = std::make_unique<WeeklyTable>();
    int r = 0;
    for (auto& device : *table)
        for (auto& day : device)
            for (SchedulePair& pair : day) {
                const int onShift = r % 199 - 99, offShift = r % 2 ? 32767 : -32768;
                pair.on = {TimeOfDay(r % 24, r * 7 % 60), r % 3 == 0, onShift != 0,
                           std::chrono::minutes{onShift}};
                pair.off = {TimeOfDay(r * 5 % 24, r * 11 % 60, r % 60), r % 5 == 0, true,
                            std::chrono::minutes{offShift}};
                ++r;
            }
    return table;
}

// A time with a date in front, as other programs write it, is that time of day: nothing is lost,
// and the table is written back as before.
TEST(ScheduleFile, ADatedTimeReadsAsItsTimeOfDay) {
    const std::string pattern = FormatSchedule(*WeeklyPattern());
    std::vector<std::string> lines = Lines(pattern);
    const std::string dated[] = {"#2024-01-01 01:07:00#", "#1899-12-29 05:11:01#"}; // record 3001's times
    lines[3001 * 6] = dated[0];
    lines[3001 * 6 + 3] = dated[1];
    auto back = std::make_unique<WeeklyTable>();
    EXPECT_TRUE(ParseSchedule(Join(lines), *back) == 7168);
    EXPECT_TRUE(FormatSchedule(*back) == pattern);
}

// Record 3000 is spoilt or cut short: the 3000 before it are kept, the rest cleared.
TEST(ScheduleFile, ADamagedFileKeepsTheRecordsBeforeTheDamage) {
    const std::pair<int, std::string> damage[] = {
        {0, "abc"}, {0, "#25:00:00#"},          {1, "-1"}, {2, "#TRUE#"}, {5, "99999"},
        {4, ""},    {2, std::string(100, '7')}, {-1, ""}};
    const auto pattern = WeeklyPattern();
    for (const auto& [field, text] : damage) {
        std::vector<std::string> lines = Lines(FormatSchedule(*pattern));
        if (field < 0)
            lines.resize(3000 * 6 + 2);
        else
            lines[3000 * 6 + field] = text;
        auto back = WeeklyPattern();
        EXPECT_EQ(ParseSchedule(Join(lines, "\n"), *back), 3000) << text;
        for (int r = 0; r < 7168; ++r)
            ASSERT_EQ((*back)[r / 28][r / 4 % 7][r % 4],
                      r < 3000 ? (*pattern)[r / 28][r / 4 % 7][r % 4] : SchedulePair{})
                << r;
    }
}

// Every event used and different: all When and Action codes, offsets, shifts of both signs.
std::unique_ptr<SunEventTable> SunPattern() {
    auto table = std::make_unique<SunEventTable>();
    for (int e = 0; e < 1024; ++e)
        (*table)[e / 4][e % 4] = {SunWhen(e % 3), TimeOfDay(e % 24, e * 7 % 59 + 1).SinceMidnight(),
                                  SunAction(e / 3 % 3), e % 199 != 99, std::chrono::minutes{e % 199 - 99}};
    return table;
}

// Missing at start-up, the table files are written from memory; grown to a gigabyte, only what
// can matter is read, and the tables come back whole.
TEST(TableFiles, ComeBackWholeFromFilesOfAGigabyte) {
    TempFolder folder;
    Tables written, back;
    *written.weekly = *WeeklyPattern();
    *written.sunEvents = *SunPattern();
    Persistence(folder.path(), written.Refs()).Load();
    for (const char* name : {"schedule.txt", "Sunrise.txt"})
        fs::resize_file(folder / name, std::uintmax_t{1} << 30);
    Persistence(folder.path(), back.Refs()).Load();
    EXPECT_TRUE(*back.weekly == *written.weekly);
    EXPECT_TRUE(*back.sunEvents == *written.sunEvents);
}

// A hand-edited file: an offset with a date in front is its time of day, a shift may be any literal
// and counts in whole minutes (any part of one is one: it stays randomised), and a code no box offers
// is at / nothing, as the tick treats it. Nothing else changes.
TEST(SunriseFile, DatedOffsetsAndUnknownCodesReadAsTheyAreMeant) {
    const std::string pattern = FormatSunEvents(*SunPattern());
    std::vector<std::string> lines = Lines(pattern);
    const std::string dated = "#2024-01-01 17:46:00#",
                      edits[] = {"7", "#1899-12-29 02:15:00#", "-1", "#00:05:00#"};
    lines[1001 * 4 + 1] = dated; // its #17:46:00# with a date
    std::copy(std::begin(edits), std::end(edits), lines.begin() + 1002 * 4);
    auto back = std::make_unique<SunEventTable>();
    EXPECT_EQ(ParseSunEvents(Join(lines), *back), 1024);
    EXPECT_EQ((*back)[250][2], (SunEvent{SunWhen::At, std::chrono::minutes{135}, SunAction::Nothing, true,
                                         std::chrono::minutes{1}}));
    (*back)[250][2] = (*SunPattern())[250][2];
    EXPECT_TRUE(FormatSunEvents(*back) == pattern) << "an event other than the edited one changed";
}

// Event 1000 is spoilt or cut short: the 1000 before it are kept, the rest zeroed.
TEST(SunriseFile, ADamagedFileKeepsTheEventsBeforeTheDamage) {
    const std::pair<int, std::string> damage[] = {
        {0, "after"},      {2, "#TRUE#"}, {2, "70000"},
        {1, "#00:61:00#"}, {3, "5"},      {3, "#1900-02-30#"},
        {1, ""},           {-1, ""},      {3, std::string(100, ' ') + "#00:00:00#"}};
    const auto pattern = SunPattern();
    for (const auto& [field, text] : damage) {
        std::vector<std::string> lines = Lines(FormatSunEvents(*pattern));
        if (field < 0)
            lines.resize(4000);
        else
            lines[4000 + field] = text;
        auto back = SunPattern();
        EXPECT_EQ(ParseSunEvents(Join(lines), *back), 1000) << text;
        for (int e = 0; e < 1024; ++e)
            ASSERT_EQ((*back)[e / 4][e % 4], e < 1000 ? (*pattern)[e / 4][e % 4] : SunEvent{}) << text << e;
    }
}
