#include "app/AppSettings.h"

namespace tarnwick {

AppSettings ReadAppSettings(const IniFile& file) {
    AppSettings settings;
    if (const auto value = file.Get("schedule", "catch_up_at_start"))
        settings.catchUpAtStart = ParseBool(*value).value_or(settings.catchUpAtStart);
    return settings;
}

void WriteAppSettings(const AppSettings& settings, IniFile& file) {
    file.Set("schedule", "catch_up_at_start", settings.catchUpAtStart ? "true" : "false");
}

} // namespace tarnwick
