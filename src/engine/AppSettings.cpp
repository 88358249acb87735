#include "engine/AppSettings.h"

#include <cstdio>

namespace tarnwick {

namespace {

namespace chr = std::chrono;

std::optional<LocalMinute> ParseMinute(const std::string& text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d%c", &y, &mo, &d, &h, &mi, &tail) != 5)
        return std::nullopt;
    const chr::year_month_day date{chr::year{y}, chr::month{static_cast<unsigned>(mo)},
                                   chr::day{static_cast<unsigned>(d)}};
    if (!date.ok() || y < 1900 || h < 0 || h > 23 || mi < 0 || mi > 59) return std::nullopt;
    return LocalMinute{LocalDay{date}} + chr::hours{h} + chr::minutes{mi};
}

// The marks take as many lines as they need, each within what the reader takes: "fired",
// "fired.2", "fired.3" and so on.
constexpr std::size_t kMaxFiredLine = 3800;
constexpr std::size_t kMaxFiredLines = 200;

std::string FiredKey(std::size_t line) {
    return line == 0 ? "fired" : "fired." + std::to_string(line + 1);
}

// "W36.2.0.1@2026-12-08T07:30+3" (device, weekday, pair, 1 for on), "S36.2@2026-12-08T17:05-12"
// (device, slot): the entry, its day and unshifted minute, and how many minutes from that it
// went out.
std::string FiredText(const PlannedSwitch& s) {
    char entry[48];
    if (s.origin == PlanOrigin::Weekly)
        std::snprintf(entry, sizeof entry, "W%d.%d.%d.%d@", s.device, s.weekday, s.pair, s.on ? 1 : 0);
    else
        std::snprintf(entry, sizeof entry, "S%d.%d@", s.device, s.slot);
    const LocalMinute base = LocalMinute{s.day} + s.baseMinute;
    char shift[24];
    std::snprintf(shift, sizeof shift, "%+lld", static_cast<long long>((s.at - base).count()));
    return entry + MinuteText(base) + shift;
}

std::optional<PlannedSwitch> ParseFired(const std::string& text) {
    const std::size_t at = text.find('@');
    if (at == std::string::npos || text.size() < at + 17) return std::nullopt;
    const std::optional<LocalMinute> base = ParseMinute(text.substr(at + 1, 16));
    if (!base) return std::nullopt;
    PlannedSwitch s;
    s.day = chr::floor<chr::days>(*base);
    s.baseMinute = *base - s.day;
    int shift = 0;
    char tail = 0;
    const std::string shiftText = text.substr(at + 17);
    if (std::sscanf(shiftText.c_str(), "%5d%c", &shift, &tail) != 1 ||
        (shiftText[0] != '+' && shiftText[0] != '-') || shift <= -2 * 24 * 60 || shift >= 2 * 24 * 60)
        return std::nullopt;
    s.at = *base + chr::minutes{shift};
    const std::string entry = text.substr(0, at);
    int device = -1, a = -1, b = -1, c = -1;
    if (std::sscanf(entry.c_str(), "W%3d.%1d.%1d.%1d%c", &device, &a, &b, &c, &tail) == 4) {
        if (a > 6 || b >= kPairCount || c > 1) return std::nullopt;
        s.origin = PlanOrigin::Weekly;
        s.weekday = a;
        s.pair = b;
        s.on = c == 1;
    } else if (std::sscanf(entry.c_str(), "S%3d.%1d%c", &device, &a, &tail) == 2) {
        if (a >= kSunSlotCount) return std::nullopt;
        s.origin = a < 2 ? PlanOrigin::Sunrise : PlanOrigin::Sunset;
        s.slot = a;
    } else {
        return std::nullopt;
    }
    if (device >= kDeviceCount || a < 0 || device < 0) return std::nullopt;
    s.device = device;
    return s;
}

// The lines as written: as many marks as fit, in their order.
std::vector<std::string> FiredLines(const std::vector<PlannedSwitch>& fired, std::size_t* kept = nullptr) {
    std::vector<std::string> lines;
    std::size_t count = 0;
    for (const PlannedSwitch& s : fired) {
        const std::string item = FiredText(s);
        if (lines.empty() || lines.back().size() + item.size() + 1 > kMaxFiredLine) {
            if (lines.size() == kMaxFiredLines) break;
            lines.emplace_back();
        }
        lines.back() += (lines.back().empty() ? "" : " ") + item;
        ++count;
    }
    if (kept) *kept = count;
    return lines;
}

} // namespace

AppSettings ReadAppSettings(const IniFile& file) {
    AppSettings settings;
    if (const auto value = file.Get("schedule", "catch_up_at_start"))
        settings.catchUpAtStart = ParseBool(*value).value_or(settings.catchUpAtStart);
    if (const auto value = file.Get("handover", "last_scanned")) settings.lastScanned = ParseMinute(*value);
    for (std::size_t line = 0; line < kMaxFiredLines; ++line) {
        const auto value = file.Get("handover", FiredKey(line));
        if (!value) break;
        std::size_t from = 0;
        while (from < value->size()) {
            std::size_t end = value->find(' ', from);
            if (end == std::string::npos) end = value->size();
            if (const auto s = ParseFired(value->substr(from, end - from))) settings.fired.push_back(*s);
            from = end + 1;
        }
    }
    // No more than would be written.
    std::size_t kept = 0;
    FiredLines(settings.fired, &kept);
    settings.fired.resize(kept);
    return settings;
}

void WriteAppSettings(const AppSettings& settings, IniFile& file) {
    file.Set("schedule", "catch_up_at_start", settings.catchUpAtStart ? "true" : "false");
    if (settings.lastScanned) file.Set("handover", "last_scanned", MinuteText(*settings.lastScanned));
    const std::vector<std::string> lines = FiredLines(settings.fired);
    for (std::size_t line = 0; line < kMaxFiredLines; ++line) {
        if (line < lines.size())
            file.Set("handover", FiredKey(line), lines[line]);
        else if (file.Get("handover", FiredKey(line)))
            file.Remove("handover", FiredKey(line));
        else
            break;
    }
}

} // namespace tarnwick
