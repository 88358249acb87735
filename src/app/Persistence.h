#pragma once
// Keeps the four data files in step with memory. All four are written at exit;
// besides, each new minute writes the files whose text changed since their last
// write, so a power cut or a crash loses at most a minute of edits.

#include "base/AppState.h"
#include "base/DataFiles.h"

#include <array>
#include <string>

namespace tarnwick {

class Persistence {
public:
    explicit Persistence(FileTable& files) : files_(files) {}

    // What the files hold once start-up has read (or created) them. A file is never
    // written before this: memory holds nothing of it yet.
    void Loaded(const AppState& state);
    // The minute save: only files whose text changed; a failed write is tried again next time.
    void SaveChanged(const AppState& state);
    // Every file, in the order config.txt, schedule.txt, Sunrise.txt, names.txt.
    void SaveAll(const AppState& state);

private:
    enum File { kConfig, kSchedule, kSunrise, kNames, kFileCount };
    static std::string Format(File file, const AppState& state);
    void Save(File file, std::string text, bool evenIfUnchanged);

    FileTable& files_;
    std::array<std::string, kFileCount> written_;
    bool loaded_ = false;
};

} // namespace tarnwick
