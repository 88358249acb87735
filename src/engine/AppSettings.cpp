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

// Room for a few hundred, far more than the randomised entries of two days; the line stays
// within what the reader takes.
constexpr std::size_t kMaxFiredText = 3800;

// "W36.2.0.1@2026-12-08T07:30" (device, weekday, pair, 1 for on), "S36.2@2026-12-08T17:05"
// (device, slot): the entry, then its day and unshifted minute.
std::string FiredText(const PlannedSwitch& s) {
    char entry[48];
    if (s.origin == PlanOrigin::Weekly)
        std::snprintf(entry, sizeof entry, "W%d.%d.%d.%d@", s.device, s.weekday, s.pair, s.on ? 1 : 0);
    else
        std::snprintf(entry, sizeof entry, "S%d.%d@", s.device, s.slot);
    return entry + MinuteText(LocalMinute{s.day} + s.baseMinute);
}

std::optional<PlannedSwitch> ParseFired(const std::string& text) {
    const std::size_t at = text.find('@');
    if (at == std::string::npos) return std::nullopt;
    const std::optional<LocalMinute> minute = ParseMinute(text.substr(at + 1));
    if (!minute) return std::nullopt;
    PlannedSwitch s;
    s.day = chr::floor<chr::days>(*minute);
    s.baseMinute = *minute - s.day;
    const std::string entry = text.substr(0, at);
    int device = -1, a = -1, b = -1, c = -1;
    char tail = 0;
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

// The list as written: as many as fit, in their order.
std::string FiredListText(const std::vector<PlannedSwitch>& fired, std::size_t* kept = nullptr) {
    std::string text;
    std::size_t count = 0;
    for (const PlannedSwitch& s : fired) {
        const std::string item = FiredText(s);
        if (text.size() + item.size() + 1 > kMaxFiredText) break;
        text += (text.empty() ? "" : " ") + item;
        ++count;
    }
    if (kept) *kept = count;
    return text;
}

} // namespace

AppSettings ReadAppSettings(const IniFile& file) {
    AppSettings settings;
    if (const auto value = file.Get("schedule", "catch_up_at_start"))
        settings.catchUpAtStart = ParseBool(*value).value_or(settings.catchUpAtStart);
    if (const auto value = file.Get("handover", "last_scanned")) settings.lastScanned = ParseMinute(*value);
    if (const auto value = file.Get("handover", "fired")) {
        std::size_t from = 0;
        while (from < value->size()) {
            std::size_t end = value->find(' ', from);
            if (end == std::string::npos) end = value->size();
            if (const auto s = ParseFired(value->substr(from, end - from))) settings.fired.push_back(*s);
            from = end + 1;
        }
        std::size_t kept = 0;
        FiredListText(settings.fired, &kept);
        settings.fired.resize(kept);
    }
    return settings;
}

void WriteAppSettings(const AppSettings& settings, IniFile& file) {
    file.Set("schedule", "catch_up_at_start", settings.catchUpAtStart ? "true" : "false");
    if (settings.lastScanned) file.Set("handover", "last_scanned", MinuteText(*settings.lastScanned));
    const std::string fired = FiredListText(settings.fired);
    if (!fired.empty() || file.Get("handover", "fired")) file.Set("handover", "fired", fired);
}

} // namespace tarnwick
