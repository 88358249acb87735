// Any bytes through the shared notation. The first byte picks the line-length cap,
// the second how many fields the byte budget is tried for; the rest is the text.
//
// NotationReader is checked against a plain byte-by-byte reader written here from
// its documented rules (its own scan skips eight bytes at a time), against itself
// cut to the byte budget, and with SkipLines stepping over lines it would read.
// Every field then goes through each Parse function, whose results are checked
// against simple oracles and against what the writer makes of them.

#include "FuzzCheck.h"

#include "base/AppState.h"
#include "base/Notation.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace tarnwick;
using tarnwick::fuzzing::Check;

namespace {

using Field = std::optional<std::string_view>;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The reader's rules, one byte at a time: a field ends at a comma, a line end or
// the end of the text, and is refused, with everything after it, when that end
// lies more than maxLineLength bytes after the start of its line.
class PlainReader {
public:
    PlainReader(std::string_view text, std::size_t maxLineLength) : text_(text), max_(maxLineLength) {}

    Field Next() {
        if (done_) return std::nullopt;
        std::size_t p = pos_;
        while (p < text_.size() && IsBlank(text_[p])) ++p;
        if (p == text_.size()) {
            done_ = true;
            return std::nullopt;
        }
        const bool quoted = text_[p] == '"';
        std::size_t begin = p;
        std::size_t end = p;
        std::size_t q = p;
        if (quoted) {
            begin = end = p + 1;
            while (end < text_.size() && text_[end] != '"' && !IsLineEnd(text_[end])) ++end;
            q = end < text_.size() && text_[end] == '"' ? end + 1 : end;
        }
        while (q < text_.size() && text_[q] != ',' && !IsLineEnd(text_[q])) ++q;
        if (q - lineStart_ > max_) {
            done_ = true;
            return std::nullopt;
        }
        if (!quoted) {
            end = q;
            while (end > begin && IsBlank(text_[end - 1])) --end;
        }
        pos_ = q == text_.size() ? q : q + 1;
        if (q < text_.size() && IsLineEnd(text_[q])) {
            if (text_[q] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
            lineStart_ = pos_;
        }
        return text_.substr(begin, end - begin);
    }

private:
    std::string_view text_;
    std::size_t max_;
    std::size_t pos_ = 0;
    std::size_t lineStart_ = 0;
    bool done_ = false;
};

// Same place in the same text, not merely equal bytes.
bool Same(Field a, Field b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || (a->data() == b->data() && a->size() == b->size());
}

// -?[0-9]+ within the 16-bit range, worked out without the parser's arithmetic.
std::optional<std::int16_t> Int16Oracle(std::string_view s) {
    const bool negative = s.starts_with('-');
    std::string_view digits = negative ? s.substr(1) : s;
    if (digits.empty()) return std::nullopt;
    while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
    for (char c : digits)
        if (!IsDigit(c)) return std::nullopt;
    if (digits.size() > 5) return std::nullopt;
    const long value = std::strtol(std::string(digits).c_str(), nullptr, 10) * (negative ? -1 : 1);
    if (value < -32768 || value > 32767) return std::nullopt;
    return static_cast<std::int16_t>(value);
}

// -?(digits[.digits]|.digits)([eE][+-]?digits)? : the only shape a double may have.
bool LooksDecimal(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && s[i] == '-') ++i;
    std::size_t mantissaDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++mantissaDigits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < s.size() && IsDigit(s[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == s.size();
}

bool CloseEnough(double a, double b) {
    return a == b || std::abs(a - b) <= 1e-14 * std::abs(a);
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

bool IsCalendarDate(int y, int m, int d) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1) return false;
    return d <= kDays[m - 1] + (m == 2 && IsLeap(y) ? 1 : 0);
}

// s has the shape of pattern, where d stands for any digit.
bool Matches(std::string_view s, std::string_view pattern) {
    if (s.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (pattern[i] == 'd' ? !IsDigit(s[i]) : s[i] != pattern[i]) return false;
    return true;
}

// The runs of digits in a literal, in order.
std::vector<int> DigitRuns(std::string_view s) {
    std::vector<int> runs;
    for (std::size_t i = 0; i < s.size();) {
        if (!IsDigit(s[i])) {
            ++i;
            continue;
        }
        int value = 0;
        while (i < s.size() && IsDigit(s[i]) && value < 100000) value = value * 10 + (s[i++] - '0');
        runs.push_back(value);
    }
    return runs;
}

void CheckInt16(std::string_view s, NotationWriter& writer, std::vector<int>& kinds) {
    const auto value = ParseInt16(s);
    Check(value == Int16Oracle(s), "ParseInt16 takes exactly the 16-bit decimals");
    if (!value) return;
    writer.WriteInt16(*value);
    kinds.push_back(0);
}

void CheckDouble(std::string_view s, NotationWriter& writer, std::vector<int>& kinds) {
    const auto value = ParseDouble(s);
    if (!LooksDecimal(s)) {
        Check(!value, "ParseDouble takes only plain decimals");
        return;
    }
    const std::string copy(s);
    errno = 0;
    const double expected = std::strtod(copy.c_str(), nullptr);
    // Out of range either way: only refusing or taking the nearest value are fair.
    if (errno == 0 && std::isfinite(expected)) Check(value == expected, "ParseDouble rounds as strtod does");
    if (!value) return;
    Check(std::isfinite(*value), "a double read is finite");
    const std::string text = FormatDouble(*value);
    Check(text.find_first_not_of("0123456789.E+-") == std::string::npos,
          "a double is written in plain notation");
    const std::size_t mantissaEnd = std::min(text.find('E'), text.size());
    if (text.find('.') < mantissaEnd)
        Check(text[mantissaEnd - 1] != '0' && text[mantissaEnd - 1] != '.', "no trailing zeros are written");
    const auto reread = ParseDouble(text);
    Check(reread && CloseEnough(*value, *reread), "a double written reads back to 15 digits");
    Check(FormatDouble(*reread) == text, "a double written once is written again the same");
    writer.WriteDouble(*value);
    kinds.push_back(1);
}

void CheckBoolean(std::string_view s, NotationWriter& writer, std::vector<int>& kinds) {
    const auto value = ParseBoolean(s);
    const std::optional<bool> expected = s == "#TRUE#"    ? std::optional(true)
                                         : s == "#FALSE#" ? std::optional(false)
                                                          : std::nullopt;
    Check(value == expected, "ParseBoolean takes #TRUE# and #FALSE# only");
    if (!value) return;
    writer.WriteBoolean(*value);
    kinds.push_back(2);
}

void CheckDateTime(std::string_view s, NotationWriter& writer, std::vector<int>& kinds) {
    const auto value = ParseDateTime(s);
    const std::vector<int> runs = DigitRuns(s);
    if (Matches(s, "#dd:dd:dd#") && runs[0] <= 23 && runs[1] <= 59 && runs[2] <= 59)
        Check(value.has_value(), "every #hh:mm:ss# of a real time is taken");
    if (Matches(s, "#dddd-dd-dd#") && IsCalendarDate(runs[0], runs[1], runs[2]))
        Check(value.has_value(), "every #yyyy-mm-dd# of a real date is taken");
    if (!value) return;

    // The value is the very date and time the literal names.
    const CivilDateTime c = ToCivil(*value);
    const bool hasDate = s.find('-') != std::string_view::npos;
    const std::vector<int> fields = hasDate
                                        ? std::vector<int>{c.year, c.month, c.day, c.hour, c.minute, c.second}
                                        : std::vector<int>{c.hour, c.minute, c.second};
    Check(runs.size() <= fields.size() && (hasDate ? runs.size() != 4 : runs.size() >= 2),
          "a literal holds a date, a time, or both");
    for (std::size_t i = 0; i < fields.size(); ++i)
        Check(fields[i] == (i < runs.size() ? runs[i] : 0), "the value is the date and time written");

    const std::string text = FormatDateTime(*value);
    const auto reread = ParseDateTime(text);
    Check(reread == value, "a date-time written reads back exactly");
    writer.WriteDateTime(*value);
    kinds.push_back(3);
}

// What the writer made of the values taken must read back as the same values.
void CheckWrittenValues(const std::string& text, const std::vector<int>& kinds) {
    NotationReader reader(text, 64);
    for (int kind : kinds) {
        const Field field = reader.NextField();
        Check(field.has_value(), "every value written is read");
        switch (kind) {
        case 0:
            Check(ParseInt16(*field).has_value(), "an integer written reads back");
            break;
        case 1:
            Check(ParseDouble(*field).has_value(), "a double written reads back");
            break;
        case 2:
            Check(ParseBoolean(*field).has_value(), "a boolean written reads back");
            break;
        default:
            Check(ParseDateTime(*field).has_value(), "a date-time written reads back");
            break;
        }
    }
    Check(!reader.NextField(), "nothing else was written");
}

// Each typed read takes one field and parses it; a failed one leaves out alone.
void CheckTypedRead(NotationReader& reader, std::size_t index, Field field) {
    switch (index % 5) {
    case 0: {
        std::int16_t out = 12345;
        const auto expected = field ? ParseInt16(*field) : std::nullopt;
        Check(reader.ReadInt16(out) == expected.has_value() && out == expected.value_or(12345), "ReadInt16");
        break;
    }
    case 1: {
        double out = 0.125;
        const auto expected = field ? ParseDouble(*field) : std::nullopt;
        Check(reader.ReadDouble(out) == expected.has_value() && out == expected.value_or(0.125),
              "ReadDouble");
        break;
    }
    case 2: {
        bool out = true;
        const auto expected = field ? ParseBoolean(*field) : std::nullopt;
        Check(reader.ReadBoolean(out) == expected.has_value() && out == expected.value_or(true),
              "ReadBoolean");
        break;
    }
    case 3: {
        std::int16_t out = 7;
        const auto expected = field ? ParseBoolean(*field) : std::nullopt;
        const std::int16_t flag = expected ? (*expected ? kTrue : kFalse) : std::int16_t{7};
        Check(reader.ReadFlag(out) == expected.has_value() && out == flag, "ReadFlag");
        break;
    }
    default: {
        DateTime out = 0.75;
        const auto expected = field ? ParseDateTime(*field) : std::nullopt;
        Check(reader.ReadDateTime(out) == expected.has_value() && out == expected.value_or(0.75),
              "ReadDateTime");
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size < 2) return 0;
    // Mostly short caps, where lines run over them, sometimes the long ones the files use.
    const std::size_t maxLine = data[0] < 192 ? data[0] % 64 : static_cast<std::size_t>(data[0] - 192) * 16;
    const std::size_t budgetFields = data[1] % 32 + 1;
    const std::string_view text = tarnwick::fuzzing::BytesOf(data + 2, size - 2);

    NotationReader reader(text, maxLine);
    NotationReader typed(text, maxLine);
    PlainReader plain(text, maxLine);
    std::vector<Field> fields;
    NotationWriter writer;
    std::vector<int> kinds;
    for (;;) {
        const Field field = reader.NextField();
        Check(Same(field, plain.Next()), "the reader splits fields as its rules say");
        CheckTypedRead(typed, fields.size(), field);
        fields.push_back(field);
        if (!field) break;
        Check(fields.size() <= text.size() + 1, "every field takes at least a byte");
        CheckInt16(*field, writer, kinds);
        CheckDouble(*field, writer, kinds);
        CheckBoolean(*field, writer, kinds);
        CheckDateTime(*field, writer, kinds);
    }
    Check(!reader.NextField() && !plain.Next(), "the end of reading is final");
    CheckWrittenValues(writer.Text(), kinds);

    // The first n fields of the text cut to the budget of n fields are the whole text's.
    const std::string_view cut = text.substr(0, NotationReader::ByteBudget(budgetFields, maxLine));
    NotationReader cutReader(cut, maxLine);
    for (std::size_t i = 0; i < budgetFields; ++i) {
        const Field expected = i < fields.size() ? fields[i] : Field{};
        Check(Same(cutReader.NextField(), expected), "text cut at the byte budget reads like the whole text");
    }

    // Stepping over lines the reader accepts leaves it where reading them would.
    if (maxLine >= 10) {
        static constexpr std::string_view kClearLines = "#00:00:00#\r\n#FALSE#\r\n0\r\n";
        NotationReader skipping(text, maxLine);
        std::size_t next = 0;
        for (;;) {
            if (skipping.SkipLines(kClearLines)) {
                for (std::string_view value : {"#00:00:00#", "#FALSE#", "0"}) {
                    Check(next < fields.size() && fields[next] == value, "skipped lines are the lines read");
                    ++next;
                }
                continue;
            }
            const Field field = skipping.NextField();
            Check(next < fields.size() && Same(field, fields[next]),
                  "after skipping, reading goes on in step");
            ++next;
            if (!field) break;
        }
    }
    return 0;
}
