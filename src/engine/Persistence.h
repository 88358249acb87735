#pragma once
// Keeps the four data files in step with memory. Start-up reads them (a missing one is
// written from the defaults); all four are written at exit; besides, each new minute
// writes the files whose tables changed since their last write, so a power cut or a crash
// loses at most a minute of edits. It is told what changed; it never compares texts.

#include "base/Settings.h"
#include "remote/NamesFile.h"
#include "schedule/WeeklySchedule.h"
#include "sun/SunEvents.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace tarnwick {

// What the files hold, in memory.
struct DataTables {
    Settings& settings;
    WeeklyTable& weekly;
    SunEventTable& sunEvents;
    DeviceNameTable& names;
};

class Persistence {
public:
    // An empty folder means the current working directory.
    Persistence(std::filesystem::path folder, DataTables tables);

    // Reads config.txt, schedule.txt, Sunrise.txt and names.txt in that order. A missing
    // file is written from the defaults, unless only reading: then nothing is written.
    void Load(bool onlyRead = false);
    enum File { kConfig, kSchedule, kSunrise, kNames, kFileCount };
    // Memory now holds what the file does not.
    void MarkChanged(File file) { changed_[file] = true; }
    // The minute save: only files whose tables changed; a failed write is tried again next time.
    void SaveChanged();
    // Every file, in the order config.txt, schedule.txt, Sunrise.txt, names.txt. Nothing
    // before Load: memory holds nothing of the files yet. Gives the names of the files
    // whose changes could not be written.
    std::vector<std::string> SaveAll();

    std::filesystem::path PathOf(const char* name) const;

    // What start-up could not read whole, a line each, for the user. A table file is read up
    // to the first record it cannot read, the rest left clear, and the file as it was is kept
    // beside it under ".damaged", since the next save writes the table. A file that is there
    // but cannot be read is never written: its changes are reported unsaved.
    const std::vector<std::string>& DamageNotes() const { return damageNotes_; }

private:
    std::string Format(File file) const;
    // False when the file does not hold what memory does.
    bool Write(File file);

    std::filesystem::path folder_;
    DataTables tables_;
    void NoteDamage(File file, int recordsRead, int recordCount, bool keep);

    std::array<bool, kFileCount> changed_{};
    std::array<bool, kFileCount> unreadable_{};
    bool loaded_ = false;
    std::vector<std::string> damageNotes_;
};

} // namespace tarnwick
