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
                if (const int read = ParseSchedule(*bytes, tables_.weekly); read < kScheduleRecordCount)
                    NoteDamage(file, read, kScheduleRecordCount, !bytes->empty() && !onlyRead);
                break;
            case kSunrise:
                if (const int read = ParseSunEvents(*bytes, tables_.sunEvents); read < kSunEventCount)
                    NoteDamage(file, read, kSunEventCount, !bytes->empty() && !onlyRead);
                break;
            case kNames:
                ParseNames(*bytes, tables_.names);
                break;
            case kFileCount:
                break;
            }
        } else if (std::error_code error; std::filesystem::exists(PathOf(kFileNames[f]), error) || error) {
            // There but not readable: what it holds is not known, so it is never written over.
            unreadable_[f] = true;
            damageNotes_.push_back(std::string(kFileNames[f]) +
                                   " could not be read: it is left as it is, and changes to what it holds "
                                   "are not saved.");
        } else if (!onlyRead) {
            // Missing: written from the defaults in memory.
            changed_[f] = true;
            Write(file);
        }
    }
    loaded_ = true;
}

void Persistence::NoteDamage(File file, int recordsRead, int recordCount, bool keep) {
    const std::filesystem::path path = PathOf(kFileNames[file]);
    std::string note = std::string(kFileNames[file]) + " is damaged: only " + std::to_string(recordsRead) +
                       " of its " + std::to_string(recordCount) +
                       " records could be read, the rest are left clear";
    if (keep) {
        // A copy kept before stays: it may hold what this one has lost already.
        bool kept = false;
        for (int n = 1; n <= 9 && !kept; ++n) {
            std::filesystem::path copy = path;
            copy += n == 1 ? std::string(".damaged") : ".damaged." + std::to_string(n);
            std::error_code error;
            if (std::filesystem::copy_file(path, copy, error)) {
                note += ", and the file as it was is kept as " + copy.filename().string();
                kept = true;
            }
        }
        // Not kept, it is not written over either.
        if (!kept) {
            unreadable_[file] = true;
            note +=
                "; as it could not be kept beside it, it is left as it is and changes to it are not saved";
        }
    }
    damageNotes_.push_back(note + ".");
}

bool Persistence::Write(File file) {
    if (unreadable_[file]) return !changed_[file];
    if (WriteFileAtomically(PathOf(kFileNames[file]), Format(file))) changed_[file] = false;
    return !changed_[file];
}

void Persistence::SaveChanged() {
    if (!loaded_) return;
    for (int f = 0; f < kFileCount; ++f)
        if (changed_[f]) Write(static_cast<File>(f));
}

std::vector<std::string> Persistence::SaveAll() {
    std::vector<std::string> unsaved;
    if (!loaded_) return unsaved;
    for (int f = 0; f < kFileCount; ++f)
        if (!Write(static_cast<File>(f))) unsaved.emplace_back(kFileNames[f]);
    return unsaved;
}

} // namespace tarnwick
