#include "app/ConfigFile.h"

#include "support/FileTesting.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>

using namespace tarnwick;
using tarnwick::testing::TempFolder;

namespace {

struct Settings {
    std::int16_t port, cpu, clock, interval;
    double latitude, longitude;
    std::int16_t timeZone, daylight;
    bool operator==(const Settings&) const = default;
};

void PrintTo(const Settings& s, std::ostream* os) {
    *os << "{port " << s.port << ", cpu " << s.cpu << ", clock " << s.clock << ", interval " << s.interval
        << ", lat " << s.latitude << ", lon " << s.longitude << ", tz " << s.timeZone << ", dst "
        << s.daylight << "}";
}

Settings SettingsOf(const AppState& state) {
    return {state.CommPortNumber, state.CpuFactor, state.ClockFactor, state.RandomInterval,
            state.Latitude,       state.Longitude, state.TimeZone,    state.DaylightSavings};
}

void Apply(const Settings& s, AppState& state) {
    state.CommPortNumber = s.port;
    state.CpuFactor = s.cpu;
    state.ClockFactor = s.clock;
    state.RandomInterval = s.interval;
    state.Latitude = s.latitude;
    state.Longitude = s.longitude;
    state.TimeZone = s.timeZone;
    state.DaylightSavings = s.daylight;
}

std::string FromHex(std::string_view hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 3)
        bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return bytes;
}

const std::string kFreshFile = FromHex(
    "22 43 4F 4D 20 32 22 0D 0A 22 50 65 6E 74 69 75 6D 20 49 22 0D 0A 22 32 30 30 4D 48 7A 22 0D 0A 34 "
    "35 0D 0A 30 0D 0A 30 0D 0A 36 0D 0A 23 54 52 55 45 23 0D 0A");
const std::string kDallasFile = FromHex(
    "22 43 4F 4D 20 31 22 0D 0A 22 50 65 6E 74 69 75 6D 20 49 56 22 0D 0A 22 33 32 30 30 4D 48 7A 22 0D 0A "
    "33 30 0D 0A 33 32 2E 37 38 0D 0A 2D 39 36 2E 38 0D 0A 36 0D 0A 23 46 41 4C 53 45 23 0D 0A");

constexpr Settings kDefaults{2, 1, 25, 45, 0, 0, 6, kTrue};
constexpr Settings kDallas{1, 27, 400, 30, 32.78, -96.8, 6, kFalse};

// A state whose every setting differs from the defaults and from the examples.
std::unique_ptr<AppState> DirtyState() {
    auto state = std::make_unique<AppState>();
    Apply({3, 9, 100, 77, 51.5, 7.25, -10, kFalse}, *state);
    return state;
}

struct ExampleCase {
    const char* name;
    const std::string* bytes;
    std::size_t size;
    Settings settings;
};

class ConfigExampleTest : public ::testing::TestWithParam<ExampleCase> {};

TEST_P(ConfigExampleTest, WritesTheExactBytesAndReadsThemBack) {
    auto state = DirtyState();
    Apply(GetParam().settings, *state);
    EXPECT_EQ(FormatConfig(*state), *GetParam().bytes);
    EXPECT_EQ(GetParam().bytes->size(), GetParam().size);
    auto back = DirtyState();
    ParseConfig(*GetParam().bytes, *back);
    EXPECT_EQ(SettingsOf(*back), GetParam().settings);
}

INSTANTIATE_TEST_SUITE_P(Examples, ConfigExampleTest,
                         ::testing::Values(ExampleCase{"Fresh", &kFreshFile, 53, kDefaults},
                                           ExampleCase{"Dallas", &kDallasFile, 64, kDallas}),
                         [](const auto& p) { return p.param.name; });

TEST(ConfigFileTest, FirstStartAppliesDefaultsAndWritesTheFreshFile) {
    TempFolder folder;
    FileTable files(folder.path());
    auto state = std::make_unique<AppState>();
    ReadConfigFile(*state, files);
    EXPECT_EQ(SettingsOf(*state), kDefaults);
    EXPECT_EQ(folder.Read("config.txt"), kFreshFile);

    // Without a file the location stays as it was.
    std::filesystem::remove(folder / "config.txt");
    Apply(kDallas, *state);
    ReadConfigFile(*state, files);
    EXPECT_EQ(SettingsOf(*state), (Settings{2, 1, 25, 45, 32.78, -96.8, 6, kTrue}));
    // At exit the settings in force replace the file, extra lines and all.
    folder.Write("config.txt", kFreshFile + "extra\r\n");
    Apply(kDallas, *state);
    UpdateConfigFile(*state, files);
    EXPECT_EQ(folder.Read("config.txt"), kDallasFile);
}

TEST(ConfigFormatTest, UnknownValuesWriteDefaultWordsAndEverythingElseRoundTrips) {
    const std::pair<Settings, Settings> cases[] = {
        {{5, 4, 0, 45, 0, 0, 6, kTrue}, kDefaults},
        {{3, 9, 100, 150, -33.8688, 151.2093, -10, kTrue}, {3, 9, 100, 150, -33.8688, 151.2093, -10, kTrue}},
        {{4, 3, 50, -32768, 0.5, -0.25, 32767, kFalse}, {4, 3, 50, -32768, 0.5, -0.25, 32767, kFalse}},
        {{2, 1, 200, 1, 89.999999999999, -179.123456789012, 0, kTrue},
         {2, 1, 200, 1, 89.999999999999, -179.123456789012, 0, kTrue}},
    };
    for (const auto& [written, read] : cases) {
        auto state = DirtyState();
        Apply(written, *state);
        auto back = DirtyState();
        ParseConfig(FormatConfig(*state), *back);
        EXPECT_EQ(SettingsOf(*back), read);
    }
}

// A German locale, compiled into a private folder when the system has none installed.
bool UseGermanLocale(const TempFolder& folder) {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") || std::setlocale(LC_ALL, "de_DE")) return true;
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + (folder / "de_DE.UTF-8").string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return false;
    ::setenv("LOCPATH", folder.path().c_str(), 1);
    const bool ok = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    ::unsetenv("LOCPATH");
    return ok;
}

TEST(ConfigFormatTest, ADecimalCommaLocaleStillWritesFullStops) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    TempFolder folder;
    if (!UseGermanLocale(folder)) GTEST_SKIP() << "no German locale and no localedef to make one";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    auto state = std::make_unique<AppState>();
    Apply(kDallas, *state);
    const std::string text = FormatConfig(*state);
    auto back = std::make_unique<AppState>();
    ParseConfig(kDallasFile, *back);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(text, kDallasFile);
    EXPECT_EQ(SettingsOf(*back), kDallas);
}

struct DamageCase {
    const char* name;
    std::string bytes;
    Settings settings;
};

class ConfigDamageTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(ConfigDamageTest, KeepsWhatWasReadAndDefaultsTheRest) {
    auto state = DirtyState();
    ParseConfig(GetParam().bytes, *state);
    EXPECT_EQ(SettingsOf(*state), GetParam().settings);
}

TEST(ConfigFileTest, ADamagedFileIsReadAsItIsAndNotRewritten) {
    TempFolder folder;
    FileTable files(folder.path());
    const std::string bytes = kDallasFile.substr(0, 38) + "\x01\xFF\r\n";
    folder.Write("config.txt", bytes);
    auto state = DirtyState();
    ReadConfigFile(*state, files);
    EXPECT_EQ(SettingsOf(*state), (Settings{1, 27, 400, 30, 0, 0, 6, kTrue}));
    EXPECT_EQ(folder.Read("config.txt"), bytes);
}

const std::string kDallasLines[8] = {"\"COM 1\"", "\"Pentium IV\"", "\"3200MHz\"", "30",
                                     "32.78",     "-96.8",          "6",           "#FALSE#"};

std::string DallasWith(int line, const char* text) {
    std::string bytes;
    for (int i = 0; i < 8; ++i)
        if (i != line || text != nullptr) bytes += (i == line ? std::string(text) : kDallasLines[i]) + "\r\n";
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ConfigDamageTest,
    ::testing::Values(
        DamageCase{"Empty", "", kDefaults},
        DamageCase{"BinaryJunk", std::string("\x00\xFF\x13\x7F\xC3\x28\x01\x02", 8) + "\r\n\xFE\xFD",
                   kDefaults},
        DamageCase{"EndsAfterLine4", kDallasFile.substr(0, 38), {1, 27, 400, 30, 0, 0, 6, kTrue}},
        DamageCase{"Line5Missing", DallasWith(4, nullptr), {1, 27, 400, 30, -96.8, 6, 6, kTrue}},
        DamageCase{"TextInLine4", DallasWith(3, "thirty"), {1, 27, 400, 45, 0, 0, 6, kTrue}},
        DamageCase{"OutOfRangeInLine7", DallasWith(6, "99999"), {1, 27, 400, 30, 32.78, -96.8, 6, kTrue}},
        DamageCase{"DecimalComma", DallasWith(4, "1,5"), {1, 27, 400, 30, 1, 5, 6, kTrue}},
        DamageCase{"LastLineWithoutLineEnd", kDallasFile.substr(0, 62), kDallas},
        DamageCase{"ByteOrderMark", "\xEF\xBB\xBF" + kDallasFile, kDallas},
        DamageCase{"UnknownWords",
                   "\"COM 5\"\r\n\"Pentium V\"\r\n\"3.2GHz\"\r\n30\r\n32.78\r\n-96.8\r\n6\r\n#FALSE#\r\n",
                   {2, 1, 25, 30, 32.78, -96.8, 6, kFalse}},
        DamageCase{"LowerCaseWord", DallasWith(0, "\"com 1\""), {2, 27, 400, 30, 32.78, -96.8, 6, kFalse}},
        DamageCase{"UnquotedWords",
                   "COM 1\r\nPentium IV\r\n  3200MHz\r\n30\r\n32.78\r\n-96.8\r\n6\r\n#FALSE#\r\n", kDallas},
        DamageCase{"NoLeadingZero", DallasWith(4, ".5"), {1, 27, 400, 30, 0.5, -96.8, 6, kFalse}},
        DamageCase{"UncheckedRanges",
                   "\"COM 1\"\r\n\"Pentium IV\"\r\n\"3200MHz\"\r\n150\r\n-.5\r\n-96.8\r\n-10\r\n#FALSE#\r\n",
                   {1, 27, 400, 150, -0.5, -96.8, -10, kFalse}},
        DamageCase{
            "HugeLine", DallasWith(2, std::string(5'000'000, '7').c_str()), {1, 27, 25, 45, 0, 0, 6, kTrue}}),
    [](const auto& p) { return p.param.name; });

TEST(ConfigRobustnessTest, SurvivesNoiseAndEveryTruncation) {
    auto state = std::make_unique<AppState>();
    auto check = [&](std::string_view bytes) {
        ParseConfig(bytes, *state);
        EXPECT_TRUE(state->CommPortNumber >= 1 && state->CommPortNumber <= 4);
        EXPECT_TRUE(state->CpuFactor == 1 || state->CpuFactor == 3 || state->CpuFactor == 9 ||
                    state->CpuFactor == 27);
    };
    for (std::size_t cut = 0; cut <= kDallasFile.size(); ++cut) {
        check(std::string_view(kDallasFile).substr(0, cut));
        // The values before the cut line are never disturbed.
        if (cut >= 34) {
            EXPECT_EQ(state->ClockFactor, 400) << cut;
        }
    }
    for (const std::string& bytes : tarnwick::testing::NoiseSamples(3, 1500, 300)) check(bytes);
}

} // namespace
