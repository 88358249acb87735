#include "schedule/ScheduleFile.h"

#include "base/Notation.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace tarnwick {
namespace {

// The longest value written is 21 characters; the rest is room for stray blanks.
constexpr std::size_t kMaxScheduleLine = 64;
// A clear record, the most common kind: "#00:00:00#", "#FALSE#", "0", twice, each with CR LF.
constexpr std::size_t kClearRecordBytes = 2 * (12 + 9 + 3);

// The file holds the shift alone, 0 meaning not randomised.
bool ReadHalfShift(NotationReader& reader, ScheduleTime& half) {
    std::int16_t shift = 0;
    if (!reader.ReadInt16(shift)) return false;
    half.randomised = shift != 0;
    half.shift = std::chrono::minutes{shift};
    return true;
}

// A shift drawn never leaves the file's range; one that does is kept at its end.
std::int16_t ShiftInFile(const ScheduleTime& half) {
    if (!half.randomised) return 0;
    const auto minutes = std::clamp<std::chrono::minutes::rep>(half.shift.count(), INT16_MIN, INT16_MAX);
    return static_cast<std::int16_t>(minutes);
}

} // namespace

LineBound ScheduleLineBound() {
    return {kScheduleLineCount, kMaxScheduleLine};
}

int ParseSchedule(std::string_view bytes, WeeklyTable& table) {
    return ReadRecords(bytes, kMaxScheduleLine, table, [](NotationReader& reader, SchedulePair& pair) {
        return reader.ReadTimeOfDay(pair.on.time) && reader.ReadBoolean(pair.on.enabled) &&
               ReadHalfShift(reader, pair.on) && reader.ReadTimeOfDay(pair.off.time) &&
               reader.ReadBoolean(pair.off.enabled) && ReadHalfShift(reader, pair.off);
    });
}

std::string FormatSchedule(const WeeklyTable& table) {
    return WriteRecords(table, kScheduleRecordCount * kClearRecordBytes,
                        [](NotationWriter& writer, const SchedulePair& pair) {
                            for (const ScheduleTime& half : {pair.on, pair.off}) {
                                writer.WriteTimeOfDay(half.time);
                                writer.WriteBoolean(half.enabled);
                                writer.WriteInt16(ShiftInFile(half));
                            }
                        });
}

} // namespace tarnwick
