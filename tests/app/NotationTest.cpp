#include "base/Notation.h"

#include "support/FileTesting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

using namespace tarnwick;

namespace {

TEST(NotationTest, DoublesUseAFullStopAndNoTrailingZeros) {
    const std::pair<double, const char*> cases[] = {{0, "0"},
                                                    {-0.0, "0"},
                                                    {32.78, "32.78"},
                                                    {-96.8, "-96.8"},
                                                    {0.5, "0.5"},
                                                    {-180, "-180"},
                                                    {0.1 + 0.2, "0.3"},
                                                    {-2.0 / 3, "-0.666666666666667"},
                                                    {123456789012345.0, "123456789012345"},
                                                    {1e15, "1E+15"},
                                                    {0.00001, "1E-05"},
                                                    {std::nan(""), "0"},
                                                    {std::numeric_limits<double>::infinity(), "0"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(FormatDouble(value), text) << value;
}

TEST(NotationTest, NumbersParseOnlyWhenWholeAndInRange) {
    const std::pair<const char*, std::optional<double>> doubles[] = {
        {"32.78", 32.78}, {"-96.8", -96.8}, {"0.5", 0.5},  {".5", 0.5},      {"-.5", -0.5},
        {"1E+15", 1e15},  {"", {}},         {".", {}},     {"32.78abc", {}}, {"1 2", {}},
        {"nan", {}},      {"inf", {}},      {"1e999", {}}, {"#TRUE#", {}}};
    for (const auto& [text, value] : doubles) EXPECT_EQ(ParseDouble(text), value) << text;

    const std::pair<const char*, std::optional<std::int16_t>> ints[] = {
        {"0", 0},      {"-7", -7}, {"32767", 32767}, {"-32768", -32768}, {"32768", {}}, {"-32769", {}},
        {"99999", {}}, {"", {}},   {"-", {}},        {"1.5", {}},        {"4 5", {}},   {"0x10", {}}};
    for (const auto& [text, value] : ints) EXPECT_EQ(ParseInt16(text), value) << text;

    EXPECT_EQ(ParseBoolean("#TRUE#"), true);
    EXPECT_EQ(ParseBoolean("#FALSE#"), false);
    for (const char* text : {"", "TRUE", "#true#", "-1", "#TRUE"})
        EXPECT_EQ(ParseBoolean(text), std::nullopt);
}

TEST(NotationTest, DateTimesTakeTheShortestFormAndReadBack) {
    const std::pair<DateTime, const char*> cases[] = {
        {0, "#00:00:00#"},
        {MakeTime(7, 30), "#07:30:00#"},
        {MakeTime(23, 59, 59), "#23:59:59#"},
        {5, "#1900-01-04#"},
        {-3, "#1899-12-27#"},
        {MakeDateTime(2024, 2, 29, 12, 0), "#2024-02-29 12:00:00#"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(FormatDateTime(value), text);
        EXPECT_NEAR(ParseDateTime(text).value_or(-99), value, 1e-9) << text;
    }
    const std::pair<const char*, DateTime> lenient[] = {{"#1899-12-30#", 0},
                                                        {"#1899-12-30 08:30:00#", MakeTime(8, 30)},
                                                        {"#7:30#", MakeTime(7, 30)},
                                                        {"#1900-1-4#", 5}};
    for (const auto& [text, value] : lenient)
        EXPECT_NEAR(ParseDateTime(text).value_or(-99), value, 1e-9) << text;

    for (const char* text : {"", "##", "07:30:00", "#07:30:00", "#24:00:00#", "#07:60:00#", "#07:30:60#",
                             "#07#", "#123:00:00#", "#1900-02-29#", "#2024-13-01#", "#2024-04-31#",
                             "#2024-01-01 #", "#24-01-01#", "#TRUE#", "# 07:30:00#"})
        EXPECT_EQ(ParseDateTime(text), std::nullopt) << text;
}

std::vector<std::string> AllFields(std::string_view text, std::size_t maxLine) {
    NotationReader reader(text, maxLine);
    std::vector<std::string> fields;
    while (auto f = reader.NextField()) fields.emplace_back(*f);
    return fields;
}

struct FieldCase {
    const char* name;
    std::string text;
    std::vector<std::string> fields;
};

class NotationFieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(NotationFieldTest, SplitsFields) {
    EXPECT_EQ(AllFields(GetParam().text, 100), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NotationFieldTest,
    ::testing::Values(FieldCase{"CrLf", "a\r\nb\r\n", {"a", "b"}}, FieldCase{"BareLf", "a\nb\n", {"a", "b"}},
                      FieldCase{"BareCr", "a\rb\r\n", {"a", "b"}},
                      FieldCase{"NoFinalLineEnd", "a\r\nb", {"a", "b"}},
                      FieldCase{"BlanksAroundUnquoted", "  COM 1 \t\r\n", {"COM 1"}},
                      FieldCase{"BlanksInsideQuotes", "  \" x \"  \r\n", {" x "}},
                      FieldCase{"CommaInsideQuotes", "\"a,b\"\r\n", {"a,b"}},
                      FieldCase{"CommaSeparates", "a,b\r\n7\r\n", {"a", "b", "7"}},
                      FieldCase{"AfterClosingQuoteIgnored", "\"a\"junk,b\r\n", {"a", "b"}},
                      FieldCase{"OpenQuoteEndsWithLine", "\"open\r\nnext\r\n", {"open", "next"}},
                      FieldCase{"EmptyLines", "\r\n\"\"\r\nx", {"", "", "x"}}, FieldCase{"Nothing", "", {}},
                      FieldCase{"TrailingBlanksAndComma", "a,\r\n   ", {"a", ""}}),
    [](const auto& p) { return p.param.name; });

TEST(NotationTest, ALineOverTheCapEndsReading) {
    EXPECT_EQ(AllFields("12345678\r\n123456789\r\n1\r\n", 8), std::vector<std::string>{"12345678"});
    EXPECT_EQ(AllFields("1234,5678,9\r\n", 10), (std::vector<std::string>{"1234", "5678"}));
}

// Readers load only a budget of bytes; a text cut there must read as the whole one.
TEST(NotationTest, TextCutAtTheBudgetReadsLikeTheWholeText) {
    constexpr std::size_t kMaxLine = 12;
    constexpr std::size_t kFields = 20;
    auto samples = tarnwick::testing::NoiseSamples(7, 300, 600);
    samples.push_back(std::string(kFields * 3, '7') + "\r\n");
    for (const std::string& text : samples) {
        NotationReader whole(text, kMaxLine);
        NotationReader cut(std::string_view(text).substr(0, NotationReader::ByteBudget(kFields, kMaxLine)),
                           kMaxLine);
        for (std::size_t i = 0; i < kFields; ++i)
            ASSERT_EQ(whole.NextField(), cut.NextField()) << "field " << i;
    }
}

} // namespace
