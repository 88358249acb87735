#include "base/Notation.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <system_error>
#include <utility>

namespace tarnwick {
namespace {

void AppendDigits(std::string& out, int value, int width) {
    char buf[16];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value < 0 ? -value : value);
    if (value < 0) out.push_back('-');
    for (auto n = static_cast<int>(end - buf); n < width; ++n) out.push_back('0');
    out.append(buf, end);
}

void AppendDateTime(std::string& out, DateTime value) {
    const LocalFields c = FieldsOf(LocalTimeOf(value));
    const bool dateIsZero = c.year == 1899 && c.month == 12 && c.day == 30;
    const bool timeIsZero = c.hour == 0 && c.minute == 0 && c.second == 0;
    out.push_back('#');
    if (!dateIsZero) {
        AppendDigits(out, c.year, 4);
        out.push_back('-');
        AppendDigits(out, c.month, 2);
        out.push_back('-');
        AppendDigits(out, c.day, 2);
        if (!timeIsZero) out.push_back(' ');
    }
    if (dateIsZero || !timeIsZero) {
        AppendDigits(out, c.hour, 2);
        out.push_back(':');
        AppendDigits(out, c.minute, 2);
        out.push_back(':');
        AppendDigits(out, c.second, 2);
    }
    out.push_back('#');
}

// Walks the inside of a date-time literal.
class LiteralCursor {
public:
    explicit LiteralCursor(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ == text_.size(); }
    bool Peek(char c) const { return pos_ < text_.size() && text_[pos_] == c; }
    bool Take(char c) {
        if (!Peek(c)) return false;
        ++pos_;
        return true;
    }
    // Up to maxCount decimal digits; gives how many were taken.
    int Number(int maxCount, int& out) {
        int count = 0;
        out = 0;
        while (count < maxCount && pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            out = out * 10 + (text_[pos_] - '0');
            ++pos_;
            ++count;
        }
        return count;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool ParseTimePart(LiteralCursor& cur, DateTime& out) {
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (cur.Number(2, hour) == 0 || !cur.Take(':') || cur.Number(2, minute) == 0) return false;
    if (cur.Take(':') && cur.Number(2, second) == 0) return false;
    if (hour > 23 || minute > 59 || second > 59) return false;
    out = MakeTime(hour, minute, second);
    return true;
}

enum CharClass : unsigned char { kBlankChar = 1, kQuoteChar = 2, kCommaChar = 4, kLineEndChar = 8 };

constexpr std::array<unsigned char, 256> MakeCharClasses() {
    std::array<unsigned char, 256> classes{};
    classes[' '] = classes['\t'] = kBlankChar;
    classes['"'] = kQuoteChar;
    classes[','] = kCommaChar;
    classes['\r'] = classes['\n'] = kLineEndChar;
    return classes;
}

constexpr std::array<unsigned char, 256> kCharClasses = MakeCharClasses();

unsigned char ClassOf(char c) {
    return kCharClasses[static_cast<unsigned char>(c)];
}
bool IsBlank(char c) {
    return (ClassOf(c) & kBlankChar) != 0;
}
bool IsDelimiter(char c) {
    return (ClassOf(c) & (kCommaChar | kLineEndChar)) != 0;
}
bool IsQuoteOrLineEnd(char c) {
    return (ClassOf(c) & (kQuoteChar | kLineEndChar)) != 0;
}

// Most bytes are past CR, so one test tells them.
bool IsLineEndByte(char c) {
    return static_cast<unsigned char>(c) <= '\r' && (c == '\r' || c == '\n');
}

int DigitOf(char c) {
    return c >= '0' && c <= '9' ? c - '0' : -1;
}

bool ParseInt16To(std::string_view field, std::int16_t& out) {
    const bool negative = !field.empty() && field.front() == '-';
    if (negative) field.remove_prefix(1);
    if (field.empty()) return false;
    constexpr int kMagnitudeLimit = 32768;
    int magnitude = 0;
    for (char c : field) {
        const int digit = DigitOf(c);
        if (digit < 0) return false;
        magnitude = magnitude * 10 + digit;
        if (magnitude > kMagnitudeLimit) return false;
    }
    if (!negative && magnitude == kMagnitudeLimit) return false;
    out = static_cast<std::int16_t>(negative ? -magnitude : magnitude);
    return true;
}

bool ParseDoubleTo(std::string_view field, double& out) {
    double value = 0;
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value, std::chars_format::general);
    if (field.empty() || ec != std::errc{} || ptr != end || !std::isfinite(value)) return false;
    out = value;
    return true;
}

bool ParseBooleanTo(std::string_view field, bool& out) {
    if (field != "#TRUE#" && field != "#FALSE#") return false;
    out = field == "#TRUE#";
    return true;
}

bool ParseDateTimeTo(std::string_view field, DateTime& out) {
    // Nearly every literal in the files is a time of day in this one shape.
    if (field.size() == 10 && field[0] == '#' && field[3] == ':' && field[6] == ':' && field[9] == '#') {
        const int digits[6] = {DigitOf(field[1]), DigitOf(field[2]), DigitOf(field[4]),
                               DigitOf(field[5]), DigitOf(field[7]), DigitOf(field[8])};
        if ((digits[0] | digits[1] | digits[2] | digits[3] | digits[4] | digits[5]) < 0) return false;
        const int hour = digits[0] * 10 + digits[1];
        const int minute = digits[2] * 10 + digits[3];
        const int second = digits[4] * 10 + digits[5];
        if (hour > 23 || minute > 59 || second > 59) return false;
        out = MakeTime(hour, minute, second);
        return true;
    }
    if (field.size() < 3 || field.front() != '#' || field.back() != '#') return false;
    const std::string_view inside = field.substr(1, field.size() - 2);
    LiteralCursor cur(inside);
    DateTime value = 0;
    int year = 0;
    if (cur.Number(4, year) == 4 && cur.Take('-')) {
        int month = 0;
        int day = 0;
        if (cur.Number(2, month) == 0 || !cur.Take('-') || cur.Number(2, day) == 0) return false;
        if (!std::chrono::year_month_day{std::chrono::year{year},
                                         std::chrono::month{static_cast<unsigned>(month)},
                                         std::chrono::day{static_cast<unsigned>(day)}}
                 .ok())
            return false;
        value = MakeDate(year, month, day);
        if (cur.Take(' ')) {
            DateTime time = 0;
            if (!ParseTimePart(cur, time)) return false;
            value += time;
        }
        if (!cur.AtEnd()) return false;
    } else {
        // No date in front: the literal is a time of day alone.
        LiteralCursor timeCur(inside);
        if (!ParseTimePart(timeCur, value) || !timeCur.AtEnd()) return false;
    }
    out = value;
    return true;
}

} // namespace

std::string FormatDouble(double value) {
    if (!std::isfinite(value) || value == 0) return "0";
    // Rounded to 15 significant digits first: "d.dddddddddddddde+x".
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    if (ec != std::errc{}) return "0";
    const std::string_view scientific(buf, static_cast<std::size_t>(end - buf));
    const std::size_t e = scientific.find('e');
    const char* exponentBegin = buf + e + (scientific[e + 1] == '+' ? 2 : 1);
    int exponent = 0;
    std::from_chars(exponentBegin, end, exponent);
    std::string digits;
    for (char c : scientific.substr(0, e))
        if (DigitOf(c) >= 0) digits.push_back(c);
    digits.erase(digits.find_last_not_of('0') + 1);

    std::string text = value < 0 ? "-" : "";
    if (exponent < 0) {
        text.append("0.").append(static_cast<std::size_t>(-exponent - 1), '0').append(digits);
    } else if (const auto whole = static_cast<std::size_t>(exponent) + 1; digits.size() <= whole) {
        text.append(digits).append(whole - digits.size(), '0');
    } else {
        text.append(digits, 0, whole).append(".").append(digits, whole);
    }
    return text;
}

std::string FormatDateTime(DateTime value) {
    std::string text;
    AppendDateTime(text, value);
    return text;
}

void NotationWriter::WriteString(std::string_view text) {
    text_.push_back('"');
    text_.append(text);
    text_.push_back('"');
    text_.append(kLineEnd);
}

void NotationWriter::WriteInt16(std::int16_t value) {
    char buf[8];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    text_.append(buf, end);
    text_.append(kLineEnd);
}

void NotationWriter::WriteDouble(double value) {
    text_.append(FormatDouble(value));
    text_.append(kLineEnd);
}

void NotationWriter::WriteBoolean(bool value) {
    text_.append(value ? "#TRUE#" : "#FALSE#");
    text_.append(kLineEnd);
}

void NotationWriter::WriteTimeOfDay(TimeOfDay value) {
    WriteDateTime(ToDateTime(value));
}

void NotationWriter::WriteDateTime(DateTime value) {
    AppendDateTime(text_, value);
    text_.append(kLineEnd);
}

namespace {

template <typename T> std::optional<T> Optional(bool (*parse)(std::string_view, T&), std::string_view field) {
    T value{};
    if (!parse(field, value)) return std::nullopt;
    return value;
}

} // namespace

std::optional<std::int16_t> ParseInt16(std::string_view field) {
    return Optional(ParseInt16To, field);
}
std::optional<double> ParseDouble(std::string_view field) {
    return Optional(ParseDoubleTo, field);
}
std::optional<bool> ParseBoolean(std::string_view field) {
    return Optional(ParseBooleanTo, field);
}
std::optional<DateTime> ParseDateTime(std::string_view field) {
    return Optional(ParseDateTimeTo, field);
}

bool LineCutter::Feed(std::string_view piece) {
    if (lines_ == bound_.lines) return false;
    // Bytes are kept in runs, appended when a line is too long or the bound is reached.
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < piece.size();) {
        if (afterCr_ && piece[i] == '\n') ++i; // the second byte of a CR LF
        afterCr_ = false;
        std::size_t end = i;
        while (end < piece.size() && !IsLineEndByte(piece[end])) ++end;
        std::size_t take = 0;
        if (kept_ <= bound_.lineLength) {
            take = std::min(end - i, bound_.lineLength - kept_);
            if (take < end - i) ++take; // the byte that shows the line is too long
        }
        kept_ += take;
        if (i + take < end) {
            text_.append(piece, runStart, i + take - runStart);
            runStart = end;
        }
        if (end == piece.size()) break;
        afterCr_ = piece[end] == '\r';
        kept_ = 0;
        i = end + 1;
        if (++lines_ == bound_.lines) {
            text_.append(piece, runStart, i - runStart);
            return false;
        }
    }
    text_.append(piece, runStart);
    return true;
}

std::string CutToBound(std::string_view text, LineBound bound) {
    LineCutter cutter(bound);
    cutter.Feed(text);
    return cutter.Take();
}

NotationReader::NotationReader(std::string_view text, std::size_t maxLineLength)
    : text_(text), maxLineLength_(maxLineLength) {}

std::optional<std::string_view> NotationReader::NextField() {
    std::string_view field;
    if (!TakeField(field)) return std::nullopt;
    return field;
}

void NotationReader::SkipLine(std::size_t from) {
    const std::size_t end = text_.find_first_of("\r\n", from);
    if (end == std::string_view::npos) {
        pos_ = text_.size();
    } else {
        pos_ = end + 1;
        if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    }
    lineStart_ = pos_;
}

bool NotationReader::TakeField(std::string_view& out) {
    const char* const d = text_.data();
    const std::size_t size = text_.size();
    // Nothing past this point belongs to an acceptable line.
    const std::size_t limit = std::min(size, lineStart_ + maxLineLength_ + 1);

    std::size_t p = pos_;
    while (p < limit && IsBlank(d[p])) ++p;
    if (p == size) {
        pos_ = size;
        return false;
    }

    std::size_t valueBegin = p;
    std::size_t valueEnd = p;
    std::size_t scan = p;
    const bool quoted = p < limit && d[p] == '"';
    if (quoted) {
        valueBegin = p + 1;
        scan = valueBegin;
        while (scan < limit && !IsQuoteOrLineEnd(d[scan])) ++scan;
        valueEnd = scan;
        if (scan < limit && d[scan] == '"') ++scan;
    }
    while (scan < limit && !IsDelimiter(d[scan])) ++scan;
    const std::size_t delimiter = scan;
    if (delimiter == limit && (limit != size || size - lineStart_ > maxLineLength_)) {
        // Too long to be a line written here: it costs this field alone.
        SkipLine(limit);
        return false;
    }
    if (!quoted) {
        valueEnd = delimiter;
        while (valueEnd > valueBegin && IsBlank(d[valueEnd - 1])) --valueEnd;
    }

    if (delimiter == size) {
        pos_ = size;
    } else if (d[delimiter] == ',') {
        pos_ = delimiter + 1;
    } else {
        pos_ = delimiter + 1;
        if (d[delimiter] == '\r' && pos_ < size && d[pos_] == '\n') ++pos_;
        lineStart_ = pos_;
    }
    out = std::string_view(d + valueBegin, valueEnd - valueBegin);
    return true;
}

bool NotationReader::ReadInt16(std::int16_t& out) {
    std::string_view field;
    return TakeField(field) && ParseInt16To(field, out);
}

bool NotationReader::ReadDouble(double& out) {
    std::string_view field;
    return TakeField(field) && ParseDoubleTo(field, out);
}

bool NotationReader::ReadBoolean(bool& out) {
    std::string_view field;
    return TakeField(field) && ParseBooleanTo(field, out);
}

bool NotationReader::ReadDateTime(DateTime& out) {
    std::string_view field;
    return TakeField(field) && ParseDateTimeTo(field, out);
}

bool NotationReader::ReadTimeOfDay(TimeOfDay& out) {
    DateTime value = 0;
    if (!ReadDateTime(value)) return false;
    out = TimeOfDayOf(value);
    return true;
}

} // namespace tarnwick
