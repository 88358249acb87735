#pragma once
// What went out: the last frame, for the status line, and history.txt beside the data
// files, one line a frame, kept to a mebibyte by moving a full file to history.1.txt.
// Nothing reads the history back; a write that fails is let go and sending goes on.

#include "base/LocalTime.h"
#include "x10/Transmitter.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr const char* kHistoryFileName = "history.txt";
inline constexpr const char* kOldHistoryFileName = "history.1.txt";

class FrameHistory {
public:
    static constexpr std::uintmax_t kLimitBytes = 1 << 20;

    // An empty folder means the current working directory.
    explicit FrameHistory(const std::filesystem::path& folder);

    // One frame that ended at the moment at, when local time stood utcOffset from UTC,
    // switching the device of that name.
    void Record(std::chrono::sys_seconds at, std::chrono::seconds utcOffset, const FrameReport& frame,
                std::string_view deviceName);

    // "17:51:00  C5 On  Porch Light  (schedule)"; empty before the first frame.
    const std::string& LastFrameText() const { return lastFrame_; }
    // The last line written, without its line end; empty before the first frame.
    const std::string& LastLine() const { return lastLine_; }

private:
    std::filesystem::path file_;
    std::filesystem::path oldFile_;
    std::string lastFrame_;
    std::string lastLine_;
};

} // namespace tarnwick
