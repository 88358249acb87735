#include "engine/ConfigFile.h"

#include "base/Notation.h"

#include <optional>

namespace tarnwick {
namespace {

constexpr int kConfigLineCount = 8;
// Room for the longest double written in decimal, 341 characters, with blanks to spare.
constexpr std::size_t kMaxConfigLine = 512;

struct Word {
    std::string_view text;
    std::int16_t value;
};

constexpr Word kPortWords[] = {{"COM 1", 1}, {"COM 2", 2}, {"COM 3", 3}, {"COM 4", 4}};
constexpr Word kCpuWords[] = {{"Pentium I", kCpuFactors[0]},
                              {"Pentium II", kCpuFactors[1]},
                              {"Pentium III", kCpuFactors[2]},
                              {"Pentium IV", kCpuFactors[3]}};
constexpr Word kClockWords[] = {{"200MHz", kClockFactors[0]},
                                {"400MHz", kClockFactors[1]},
                                {"800MHz", kClockFactors[2]},
                                {"1600MHz", kClockFactors[3]},
                                {"3200MHz", kClockFactors[4]}};

// Case-sensitive; anything unknown, a missing field included, gives the fallback.
template <std::size_t N>
std::int16_t ValueOfWord(const Word (&words)[N], std::optional<std::string_view> field,
                         std::int16_t fallback) {
    if (field)
        for (const Word& w : words)
            if (w.text == *field) return w.value;
    return fallback;
}

// Unknown values are written as the default's word, which reads back as the default.
template <std::size_t N>
std::string_view WordOfValue(const Word (&words)[N], std::int16_t value, std::int16_t fallback) {
    for (const Word& w : words)
        if (w.value == value) return w.text;
    for (const Word& w : words)
        if (w.value == fallback) return w.text;
    return words[0].text;
}

// The text up to the end of the count-th line; later lines are never read.
std::string_view FirstLines(std::string_view bytes, int count) {
    std::size_t pos = 0;
    for (int line = 0; line < count && pos < bytes.size(); ++line) {
        while (pos < bytes.size() && bytes[pos] != '\r' && bytes[pos] != '\n') ++pos;
        if (pos < bytes.size()) {
            const bool crlf = bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n';
            pos += crlf ? 2 : 1;
        }
    }
    return bytes.substr(0, pos);
}

} // namespace

LineBound ConfigLineBound() {
    // The byte-order mark stands before the first line and takes none of its length.
    return {kConfigLineCount, kMaxConfigLine + kUtf8Bom.size()};
}

Settings ParseConfig(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
    NotationReader reader(FirstLines(bytes, kConfigLineCount), kMaxConfigLine);
    const Settings defaults;
    Settings settings;
    settings.commPort = ValueOfWord(kPortWords, reader.NextField(), defaults.commPort);
    settings.cpuFactor = ValueOfWord(kCpuWords, reader.NextField(), defaults.cpuFactor);
    settings.clockFactor = ValueOfWord(kClockWords, reader.NextField(), defaults.clockFactor);
    // A read that fails leaves its default in place; the reads after it go on all the same.
    Location& place = settings.location;
    if (std::int16_t interval = 0; reader.ReadInt16(interval))
        settings.randomInterval = std::chrono::minutes{interval};
    reader.ReadDouble(place.latitude);
    reader.ReadDouble(place.longitude);
    reader.ReadInt16(place.timeZone);
    reader.ReadBoolean(place.daylightSaving);
    return settings;
}

std::string FormatConfig(const Settings& settings) {
    const Settings defaults;
    NotationWriter writer;
    writer.WriteString(WordOfValue(kPortWords, settings.commPort, defaults.commPort));
    writer.WriteString(WordOfValue(kCpuWords, settings.cpuFactor, defaults.cpuFactor));
    writer.WriteString(WordOfValue(kClockWords, settings.clockFactor, defaults.clockFactor));
    // Only the 16-bit values the file can give are ever set.
    writer.WriteInt16(static_cast<std::int16_t>(settings.randomInterval.count()));
    writer.WriteDouble(settings.location.latitude);
    writer.WriteDouble(settings.location.longitude);
    writer.WriteInt16(settings.location.timeZone);
    writer.WriteBoolean(settings.location.daylightSaving);
    return writer.Take();
}

} // namespace tarnwick
