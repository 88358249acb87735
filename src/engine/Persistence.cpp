#include "engine/Persistence.h"

#include "base/FileAccess.h"
#include "engine/ConfigFile.h"
#include "schedule/ScheduleFile.h"
#include "sun/SunriseFile.h"

namespace tarnwick {
namespace {
constexpr std::array<const char*, 4> kFileNames = {kConfigFileName, kScheduleFileName, kSunriseFileName,
                                                   kNamesFileName};
} // namespace

Persistence::Persistence(std::filesystem::path folder, DataTables tables)
    : folder_(std::move(folder)), tables_(tables) {}

std::filesystem::path Persistence::PathOf(const char* name) const {
    return folder_.empty() ? std::filesystem::path(name) : folder_ / name;
}

std::string Persistence::Format(File file) const {
    switch (file) {
    case kConfig:
        return FormatConfig(tables_.settings);
    case kSchedule:
        return FormatSchedule(tables_.weekly);
    case kSunrise:
        return FormatSunEvents(tables_.sunEvents);
    case kNames:
        return FormatNames(tables_.names);
    case kFileCount:
        break;
    }
    return {};
}

void Persistence::Load(bool onlyRead) {
    const std::array<LineBound, kFileCount> bounds = {ConfigLineBound(), ScheduleLineBound(),
                                                      SunriseLineBound(), NamesLineBound()};
    for (int f = 0; f < kFileCount; ++f) {
        const auto file = static_cast<File>(f);
        const auto bytes = ReadFile(PathOf(kFileNames[f]), bounds[f]);
        if (bytes) {
            switch (file) {
            case kConfig:
                tables_.settings = ParseConfig(*bytes);
                break;
            case kSchedule:
                ParseSchedule(*bytes, tables_.weekly);
                break;
            case kSunrise:
                ParseSunEvents(*bytes, tables_.sunEvents);
                break;
            case kNames:
                ParseNames(*bytes, tables_.names);
                break;
            case kFileCount:
                break;
            }
            written_[f] = Format(file);
        } else if (!onlyRead) {
            // Missing: written from the defaults in memory.
            Write(file, Format(file));
        }
    }
    loaded_ = true;
}

bool Persistence::Write(File file, std::string text) {
    if (!WriteFileAtomically(PathOf(kFileNames[file]), text)) return text == written_[file];
    written_[file] = std::move(text);
    return true;
}

bool Persistence::Save(File file, bool evenIfUnchanged) {
    if (!loaded_) return true;
    std::string text = Format(file);
    if (evenIfUnchanged || text != written_[file]) return Write(file, std::move(text));
    return true;
}

void Persistence::SaveChanged() {
    for (int f = 0; f < kFileCount; ++f) Save(static_cast<File>(f), false);
}

std::vector<std::string> Persistence::SaveAll() {
    std::vector<std::string> unsaved;
    for (int f = 0; f < kFileCount; ++f)
        if (!Save(static_cast<File>(f), true)) unsaved.emplace_back(kFileNames[f]);
    return unsaved;
}

} // namespace tarnwick
