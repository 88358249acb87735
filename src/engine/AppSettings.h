#pragma once
// The program's own settings beyond the four data files, kept in tarnwick.ini beside them
// so that those files keep their formats byte for byte.

#include "base/IniFile.h"
#include "base/LocalTime.h"
#include "base/Notation.h"
#include "schedule/Due.h"

#include <optional>
#include <vector>

namespace tarnwick {

inline constexpr const char* kAppSettingsFileName = "tarnwick.ini";
// A hand-edited file is read no further than this.
inline constexpr LineBound kAppSettingsBound{2048, 4096};

struct AppSettings {
    // At start, send each device the last switching due for it in the week before.
    bool catchUpAtStart = false;
    // The last minute scanned when the program last let the folder go, so that the one
    // taking over (the window from the service, or back) scans every minute once.
    std::optional<LocalMinute> lastScanned;
    // Switchings that went out and that a new random shift could bring round again: the
    // entry, its day and its unshifted minute, so that the next run sends none twice.
    std::vector<PlannedSwitch> fired;
    bool operator==(const AppSettings&) const = default;
};

// What cannot be read keeps its default.
AppSettings ReadAppSettings(const IniFile& file);
// Into the file as read, so that whatever else it holds stays.
void WriteAppSettings(const AppSettings& settings, IniFile& file);

} // namespace tarnwick
