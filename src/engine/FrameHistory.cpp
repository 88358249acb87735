#include "engine/FrameHistory.h"

#include "base/FileAccess.h"
#include "x10/CodeTable.h"

#include <cstdio>

namespace tarnwick {

namespace {

// A name from a hand-edited file may hold tabs; they would shift the history's columns.
std::string OneField(std::string_view text) {
    std::string field(text);
    for (char& c : field)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return field;
}

} // namespace

FrameHistory::FrameHistory(const std::filesystem::path& folder)
    : file_(folder / kHistoryFileName), oldFile_(folder / kOldHistoryFileName) {}

void FrameHistory::Record(std::chrono::sys_seconds at, std::chrono::seconds utcOffset,
                          const FrameReport& frame, std::string_view deviceName) {
    const LocalFields t = FieldsOf(LocalTimeAt(at, utcOffset));
    // The offset tells the two 01:45s of the night daylight time ends apart.
    const long long offsetMinutes = std::chrono::duration_cast<std::chrono::minutes>(utcOffset).count();
    const long long absolute = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char date[16], time[16], zone[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", t.year, t.month, t.day);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    std::snprintf(zone, sizeof zone, "%c%02lld:%02lld", offsetMinutes < 0 ? '-' : '+', absolute / 60 % 100,
                  absolute % 60);
    const std::string command = CommandText(frame.message);
    const std::string name = OneField(deviceName);
    const char* source = SourceName(frame.source);

    lastFrame_ =
        std::string(time) + "  " + command + (name.empty() ? "" : "  " + name) + "  (" + source + ")";
    if (!frame.wentOut) lastFrame_ += "  not sent: " + OneField(frame.failure);

    std::string line = std::string(date) + 'T' + time + zone + '\t' + command + '\t' + name + '\t' + source;
    if (!frame.wentOut) line += "\tnot sent\t" + OneField(frame.failure);
    lastLine_ = line;
    line += "\r\n";
    // A full file becomes the old one, replacing it in one rename; if that fails the
    // line is let go rather than grow the file without end.
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file_, ec);
    if (!ec && size + line.size() > kLimitBytes) {
        std::filesystem::rename(file_, oldFile_, ec);
        if (ec) return;
    }
    AppendToFile(file_, line);
}

} // namespace tarnwick
