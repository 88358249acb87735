#pragma once
// The one-value-a-line notation shared by config.txt, names.txt, schedule.txt
// and Sunrise.txt: how each kind of value is written, and how fields are taken
// back out of a file's bytes.

#include "base/DateTime.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tarnwick {

inline constexpr std::string_view kLineEnd = "\r\n";
// Put at the start of a text file by some Windows editors; readers skip it.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Decimal notation however small or large, never an exponent: full stop whatever the
// locale, at most 15 significant digits, no trailing zeros: "0", "32.78", "-96.8", "0.5",
// "0.00001", "-123456789012346000". Values the notation cannot hold (NaN, infinity) give "0".
std::string FormatDouble(double value);

// "#hh:mm:ss#" when the date part is zero, "#yyyy-mm-dd#" when only the time part is,
// "#yyyy-mm-dd hh:mm:ss#" otherwise; the value is rounded to the nearest second.
std::string FormatDateTime(DateTime value);

// Builds a file's text, one value per line.
class NotationWriter {
public:
    void Reserve(std::size_t bytes) { text_.reserve(bytes); }
    // Written between double quotes as it is; the caller keeps quotes and line breaks out.
    void WriteString(std::string_view text);
    void WriteInt16(std::int16_t value);
    void WriteDouble(double value);
    void WriteBoolean(bool value);
    void WriteDateTime(DateTime value);
    void WriteTimeOfDay(TimeOfDay value);

    const std::string& Text() const { return text_; }
    std::string Take() { return std::move(text_); }

private:
    std::string text_;
};

// Field parsers; each gives nullopt for text that is not wholly a value of its kind.
std::optional<std::int16_t> ParseInt16(std::string_view field);
// Accepts "0.5", ".5", "-.5" and exponents; rejects NaN and infinity.
std::optional<double> ParseDouble(std::string_view field);
std::optional<bool> ParseBoolean(std::string_view field);
// "#hh:mm:ss#", "#yyyy-mm-dd#" or "#yyyy-mm-dd hh:mm:ss#" with valid calendar fields.
std::optional<DateTime> ParseDateTime(std::string_view field);

// How much of a file its reader takes: the first `lines` lines of up to `lineLength` bytes each.
struct LineBound {
    std::size_t lines;
    std::size_t lineLength;
};

// Cuts a text, fed piece by piece, to a LineBound: the lines past the bound are dropped and
// a longer line keeps lineLength + 1 bytes, so that its reader still sees it is too long.
// Line ends (CR LF, a bare LF or a bare CR) stay as they are. However long the text's lines,
// it holds at most lines * (lineLength + 3) bytes.
class LineCutter {
public:
    explicit LineCutter(LineBound bound) : bound_(bound) {}

    // False once the last line of the bound is complete: nothing fed after it is kept.
    bool Feed(std::string_view piece);
    std::string Take() { return std::move(text_); }

private:
    LineBound bound_;
    std::string text_;
    std::size_t lines_ = 0;
    std::size_t kept_ = 0; // of the line being fed
    bool afterCr_ = false;
};

// The whole text through a LineCutter.
std::string CutToBound(std::string_view text, LineBound bound);

// Takes fields one by one out of a file's bytes. A field runs to the next comma or
// line end (CR LF, a bare LF or a bare CR); blanks before it are skipped and blanks
// after an unquoted field dropped. A field that starts with a double quote is the text
// up to the next double quote on its line (commas included); anything after that
// quote up to the delimiter is ignored.
//
// A line longer than maxLineLength bytes is refused: the field that runs past that
// length is missing and the next one starts on the next line. So the first n fields
// of a text read the same from the text cut to LineBound{n, maxLineLength}.
class NotationReader {
public:
    explicit NotationReader(std::string_view text, std::size_t maxLineLength);

    // nullopt at the end of the text, or when the field's line is too long.
    std::optional<std::string_view> NextField();
    bool AtEnd() const { return pos_ == text_.size(); }

    // Each takes one field and parses it as its kind; false, with out left as it was,
    // when the field is missing or not of that kind.
    bool ReadInt16(std::int16_t& out);
    bool ReadDouble(double& out);
    bool ReadBoolean(bool& out);
    bool ReadDateTime(DateTime& out);
    // A date-time of any form kept as its time of day; a date in front of it is no damage.
    bool ReadTimeOfDay(TimeOfDay& out);

private:
    bool TakeField(std::string_view& out);
    void SkipLine(std::size_t from);

    std::string_view text_;
    std::size_t maxLineLength_;
    std::size_t pos_ = 0;
    std::size_t lineStart_ = 0;
};

// Calls visit for every record of a table of nested std::arrays, in file order.
template <typename Table, typename Visit> void ForEachRecord(Table& table, Visit&& visit) {
    if constexpr (requires { table.begin(); })
        for (auto& inner : table) ForEachRecord(inner, visit);
    else
        visit(table);
}

// The record files (schedule.txt, Sunrise.txt): the records one after another, each
// read by readRecord. From a short or damaged record on, the rest are left at their
// defaults. Gives how many records were read.
template <typename Table, typename ReadRecord>
int ReadRecords(std::string_view bytes, std::size_t maxLineLength, Table& table, ReadRecord readRecord) {
    NotationReader reader(bytes, maxLineLength);
    int read = 0;
    bool intact = true;
    ForEachRecord(table, [&](auto& record) {
        intact = intact && readRecord(reader, record);
        if (intact)
            ++read;
        else
            record = {};
    });
    return read;
}

template <typename Table, typename WriteRecord>
std::string WriteRecords(const Table& table, std::size_t bytesHint, WriteRecord writeRecord) {
    NotationWriter writer;
    writer.Reserve(bytesHint);
    ForEachRecord(table, [&](const auto& record) { writeRecord(writer, record); });
    return writer.Take();
}

} // namespace tarnwick
