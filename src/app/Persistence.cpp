#include "app/Persistence.h"

#include "app/ConfigFile.h"
#include "remote/NamesFile.h"
#include "schedule/ScheduleFile.h"
#include "sun/SunriseFile.h"

namespace tarnwick {
namespace {
constexpr std::array<const char*, 4> kFileNames = {kConfigFileName, kScheduleFileName, kSunriseFileName,
                                                   kNamesFileName};
} // namespace

std::string Persistence::Format(File file, const AppState& state) {
    switch (file) {
    case kConfig:
        return FormatConfig(state);
    case kSchedule:
        return FormatSchedule(state.WeeklySchedule);
    case kSunrise:
        return FormatSunriseSchedule(state.SunriseSchedule);
    case kNames:
        return FormatNames(state.DeviceNames);
    case kFileCount:
        break;
    }
    return {};
}

void Persistence::Loaded(const AppState& state) {
    for (int f = 0; f < kFileCount; ++f) written_[f] = Format(static_cast<File>(f), state);
    loaded_ = true;
}

void Persistence::Save(File file, std::string text, bool evenIfUnchanged) {
    if (!loaded_) return;
    if (!evenIfUnchanged && text == written_[file]) return;
    if (files_.WriteFile(kFileNames[file], text)) written_[file] = std::move(text);
}

void Persistence::SaveChanged(const AppState& state) {
    for (int f = 0; f < kFileCount; ++f)
        Save(static_cast<File>(f), Format(static_cast<File>(f), state), false);
}

void Persistence::SaveAll(const AppState& state) {
    for (int f = 0; f < kFileCount; ++f)
        Save(static_cast<File>(f), Format(static_cast<File>(f), state), true);
}

} // namespace tarnwick
