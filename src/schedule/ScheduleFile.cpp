#include "schedule/ScheduleFile.h"

#include "base/Notation.h"

namespace tarnwick {
namespace {

// The longest value written is 21 characters; the rest is room for stray blanks.
constexpr std::size_t kMaxScheduleLine = 64;
// A clear record, the most common kind: "#00:00:00#", "#FALSE#", "0", twice, each with CR LF.
constexpr std::size_t kClearRecordBytes = 2 * (12 + 9 + 3);

} // namespace

LineBound ScheduleLineBound() {
    return {kScheduleLineCount, kMaxScheduleLine};
}

int ParseSchedule(std::string_view bytes, WeeklyTable& table) {
    return ReadRecords(bytes, kMaxScheduleLine, table, [](NotationReader& reader, SchedulePair& pair) {
        return reader.ReadTimeOfDay(pair.onTime) && reader.ReadBoolean(pair.onEnabled) &&
               reader.ReadInt16(pair.onRandomOffset) && reader.ReadTimeOfDay(pair.offTime) &&
               reader.ReadBoolean(pair.offEnabled) && reader.ReadInt16(pair.offRandomOffset);
    });
}

std::string FormatSchedule(const WeeklyTable& table) {
    return WriteRecords(table, kScheduleRecordCount * kClearRecordBytes,
                        [](NotationWriter& writer, const SchedulePair& pair) {
                            // Only the time of day is meaningful; a date part is never written.
                            writer.WriteDateTime(TimeOf(pair.onTime));
                            writer.WriteBoolean(pair.onEnabled);
                            writer.WriteInt16(pair.onRandomOffset);
                            writer.WriteDateTime(TimeOf(pair.offTime));
                            writer.WriteBoolean(pair.offEnabled);
                            writer.WriteInt16(pair.offRandomOffset);
                        });
}

} // namespace tarnwick
