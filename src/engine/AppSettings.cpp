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

} // namespace

AppSettings ReadAppSettings(const IniFile& file) {
    AppSettings settings;
    if (const auto value = file.Get("schedule", "catch_up_at_start"))
        settings.catchUpAtStart = ParseBool(*value).value_or(settings.catchUpAtStart);
    if (const auto value = file.Get("handover", "last_scanned")) settings.lastScanned = ParseMinute(*value);
    return settings;
}

void WriteAppSettings(const AppSettings& settings, IniFile& file) {
    file.Set("schedule", "catch_up_at_start", settings.catchUpAtStart ? "true" : "false");
    if (settings.lastScanned) file.Set("handover", "last_scanned", MinuteText(*settings.lastScanned));
}

} // namespace tarnwick
