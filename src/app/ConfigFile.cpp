#include "app/ConfigFile.h"

#include "base/Notation.h"

#include <optional>

namespace tarnwick {
namespace {

constexpr int kConfigLineCount = 8;
constexpr std::size_t kMaxConfigLine = 256;

constexpr std::int16_t kDefaultCommPort = 2;
constexpr std::int16_t kDefaultCpuFactor = 1;
constexpr std::int16_t kDefaultClockFactor = 25;
constexpr std::int16_t kDefaultRandomInterval = 45;
constexpr std::int16_t kDefaultTimeZone = 6;

struct Word {
    std::string_view text;
    std::int16_t value;
};

constexpr Word kPortWords[] = {{"COM 1", 1}, {"COM 2", 2}, {"COM 3", 3}, {"COM 4", 4}};
constexpr Word kCpuWords[] = {{"Pentium I", 1}, {"Pentium II", 3}, {"Pentium III", 9}, {"Pentium IV", 27}};
constexpr Word kClockWords[] = {
    {"200MHz", 25}, {"400MHz", 50}, {"800MHz", 100}, {"1600MHz", 200}, {"3200MHz", 400}};

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

void ApplyConfigDefaults(AppState& state) {
    state.CommPortNumber = kDefaultCommPort;
    state.CpuFactor = kDefaultCpuFactor;
    state.ClockFactor = kDefaultClockFactor;
    state.RandomInterval = kDefaultRandomInterval;
    state.TimeZone = kDefaultTimeZone;
    state.DaylightSavings = kTrue;
}

void ParseConfig(std::string_view bytes, AppState& state) {
    if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
    NotationReader reader(FirstLines(bytes, kConfigLineCount), kMaxConfigLine);
    state.CommPortNumber = ValueOfWord(kPortWords, reader.NextField(), kDefaultCommPort);
    state.CpuFactor = ValueOfWord(kCpuWords, reader.NextField(), kDefaultCpuFactor);
    state.ClockFactor = ValueOfWord(kClockWords, reader.NextField(), kDefaultClockFactor);
    // Each read leaves its default in place when it fails, and stops the reads after it.
    state.RandomInterval = kDefaultRandomInterval;
    state.Latitude = 0;
    state.Longitude = 0;
    state.TimeZone = kDefaultTimeZone;
    state.DaylightSavings = kTrue;
    static_cast<void>(reader.ReadInt16(state.RandomInterval) && reader.ReadDouble(state.Latitude) &&
                      reader.ReadDouble(state.Longitude) && reader.ReadInt16(state.TimeZone) &&
                      reader.ReadFlag(state.DaylightSavings));
}

std::string FormatConfig(const AppState& state) {
    NotationWriter writer;
    writer.WriteString(WordOfValue(kPortWords, state.CommPortNumber, kDefaultCommPort));
    writer.WriteString(WordOfValue(kCpuWords, state.CpuFactor, kDefaultCpuFactor));
    writer.WriteString(WordOfValue(kClockWords, state.ClockFactor, kDefaultClockFactor));
    writer.WriteInt16(state.RandomInterval);
    writer.WriteDouble(state.Latitude);
    writer.WriteDouble(state.Longitude);
    writer.WriteInt16(state.TimeZone);
    writer.WriteBoolean(state.DaylightSavings != kFalse);
    return writer.Take();
}

void ReadConfigFile(AppState& state, FileTable& files) {
    const auto bytes = files.ReadFile(
        kConfigFileName, NotationReader::ByteBudget(kConfigLineCount, kMaxConfigLine) + kUtf8Bom.size());
    if (bytes) {
        ParseConfig(*bytes, state);
        return;
    }
    ApplyConfigDefaults(state);
    UpdateConfigFile(state, files);
}

void UpdateConfigFile(const AppState& state, FileTable& files) {
    files.WriteFile(kConfigFileName, FormatConfig(state));
}

} // namespace tarnwick
