#include "remote/NamesFile.h"

#include "support/FileTesting.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace tarnwick;
using tarnwick::testing::Lines;
using tarnwick::testing::TempFolder;

namespace {

class NamesFileTest : public ::testing::Test {
protected:
    TempFolder folder;
    FileTable files{folder.path()};
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
};

TEST_F(NamesFileTest, FirstStartWrites256EmptyNames) {
    ReadNamesFile(*state, files);
    EXPECT_EQ(Lines(folder.Read("names.txt")), std::vector<std::string>(256, "\"\""));
}

TEST_F(NamesFileTest, NamesRoundTripInTheirPlaces) {
    for (int d = 0; d < kDeviceCount; ++d) state->DeviceNames[d / 16][d % 16] = "Unit " + std::to_string(d);
    state->DeviceNames[1][2] = "Den Lamp";
    state->DeviceNames[2][5] = "Porch, front";
    state->DeviceNames[3][0] = "  padded  ";
    state->DeviceNames[4][1] = "K\xC3\xBC"
                               "che \xE2\x82\xAC";
    UpdateNamesFile(*state, files);
    const std::vector<std::string> lines = Lines(folder.Read("names.txt"));
    ASSERT_EQ(lines.size(), 256u);
    EXPECT_EQ(lines[18], "\"Den Lamp\"");

    auto back = std::make_unique<AppState>();
    ReadNamesFile(*back, files);
    EXPECT_EQ(back->DeviceNames, state->DeviceNames);
}

// Lines as an editor leaves them: a stray comma, a second value, one line saved as
// Windows-1252, a name longer than the name box takes.
TEST_F(NamesFileTest, AHandEditedFileKeepsEveryNameWholeAndOnItsDevice) {
    const std::string longName = "Garden lights by the back door"; // 30 characters
    folder.Write("names.txt", "\"Porch\",\r\n\"Hall\", \"x\"\r\n\"Caf\xE9\"\r\n\"K\xC3\xBC"
                              "che\"\r\n\"" +
                                  longName + "\"\r\n");
    ReadNamesFile(*state, files);
    UpdateNamesFile(*state, files);
    const std::vector<std::string> lines = Lines(folder.Read("names.txt"));
    ASSERT_EQ(lines.size(), 256u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 6),
              (std::vector<std::string>{"\"Porch\"", "\"Hall\"", "\"Caf\xC3\xA9\"",
                                        "\"K\xC3\xBC"
                                        "che\"",
                                        "\"" + longName + "\"", "\"\""}));
}

TEST(NamesFormatTest, TheFileNeverHoldsQuotesLineBreaksOrOtherThanUtf8) {
    EXPECT_EQ(SanitizeName("a\"b\r\nc, d"), "abc, d");
    auto names = std::make_unique<DeviceNameTable>();
    (*names)[0][0] = "say \"hi\"";
    (*names)[0][1] = "two\r\nlines";
    (*names)[0][2] = "K\xFC"
                     "che";
    const std::vector<std::string> lines = Lines(FormatNames(*names));
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
              (std::vector<std::string>{"\"say hi\"", "\"twolines\"",
                                        "\"K\xC3\xBC"
                                        "che\""}));
}

struct ParseCase {
    const char* name;
    std::string bytes;
    int count;
    std::vector<std::string> names; // the first ones; every later name must be empty
};

class NamesParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(NamesParseTest, ReadsNamesAndEmptiesTheRest) {
    auto names = std::make_unique<DeviceNameTable>();
    for (auto& house : *names) house.fill("old");
    EXPECT_EQ(ParseNames(GetParam().bytes, *names), GetParam().count);
    std::vector<std::string> expected = GetParam().names;
    expected.resize(kDeviceCount);
    for (int d = 0; d < kDeviceCount; ++d) EXPECT_EQ((*names)[d / 16][d % 16], expected[d]) << "device " << d;
}

INSTANTIATE_TEST_SUITE_P(
    Files, NamesParseTest,
    ::testing::Values(
        ParseCase{"Empty", "", 0, {}},
        ParseCase{"EndsEarly", "\"Porch Light\"\r\n\"\"\r\n\"Den Lamp\"", 3, {"Porch Light", "", "Den Lamp"}},
        ParseCase{"Windows1252",
                  "\"K\xFC"
                  "che\"\r\n\"\x80 \x93x\x94\"\r\n",
                  2,
                  {"K\xC3\xBC"
                   "che",
                   "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D"}},
        ParseCase{"Utf8WithByteOrderMark",
                  "\xEF\xBB\xBF\"K\xC3\xBC"
                  "che\"\r\n",
                  1,
                  {"K\xC3\xBC"
                   "che"}},
        ParseCase{"FromTheFirstQuoteOrTheWholeLine", "ab\"c\r\n  plain, text \r\n", 2, {"c", "plain, text"}},
        ParseCase{
            "QuoteInsideQuotesEndsTheName", "\"Den \"Lamp\"\r\n\"Den Lamp\r\n", 2, {"Den ", "Den Lamp"}},
        ParseCase{"ExtraLinesIgnored",
                  [] {
                      std::string text;
                      for (int i = 0; i < 300; ++i) text += "\"x\"\r\n";
                      return text;
                  }(),
                  256, std::vector<std::string>(256, "x")},
        ParseCase{
            "OverlongLineEndsReading", "\"a\"\r\n\"" + std::string(5000, 'y') + "\"\r\n\"c\"\r\n", 1, {"a"}}),
    [](const auto& p) { return p.param.name; });

// A line of the file holds at most 1024 bytes. A name read from a full line gains two quotes
// when written, and one read as Windows-1252 grows in UTF-8: unless they are cut, the next
// start refuses that line and loses every name after it.
TEST(NamesRoundTripTest, ALongNameIsCutSoThatTheNamesAfterItSurviveTheNextStart) {
    const std::string fullLine(1024, 'a');
    const std::string windows1252 = "x" + std::string(700, '\xE9');
    for (const std::string& first : {fullLine, windows1252}) {
        auto names = std::make_unique<DeviceNameTable>();
        ASSERT_EQ(ParseNames(first + "\r\n\"Den Lamp\"\r\n", *names), 2);
        const std::string& cut = (*names)[0][0];
        EXPECT_LE(cut.size(), 1022u);
        EXPECT_GT(cut.size(), 1000u);
        EXPECT_TRUE(IsValidUtf8(cut));

        auto back = std::make_unique<DeviceNameTable>();
        EXPECT_EQ(ParseNames(FormatNames(*names), *back), 256);
        EXPECT_EQ((*back)[0][1], "Den Lamp");
        EXPECT_TRUE(*back == *names) << "the names read back differ from those written";
    }
}

TEST(NamesRobustnessTest, SurvivesNoiseAndEveryTruncation) {
    auto names = std::make_unique<DeviceNameTable>();
    (*names)[0][0] = "Porch Light";
    (*names)[1][2] = "Den, Lamp";
    (*names)[15][15] = "K\xC3\xBC"
                       "che";
    const std::string full = FormatNames(*names);
    auto back = std::make_unique<DeviceNameTable>();
    auto check = [&](std::string_view bytes) {
        EXPECT_LE(ParseNames(bytes, *back), 256);
        for (const auto& house : *back)
            for (const std::string& name : house) {
                EXPECT_EQ(name.find('"'), std::string::npos);
                EXPECT_TRUE(IsValidUtf8(name));
            }
    };
    for (std::size_t cut = 0; cut <= full.size(); ++cut) check(std::string_view(full).substr(0, cut));
    for (const std::string& bytes : tarnwick::testing::NoiseSamples(5, 1000, 400)) check(bytes);
}

} // namespace
