#include "schedule/ScheduleFile.h"

#include "base/Notation.h"

#include <string>

namespace tarnwick {
namespace {

// The longest value written is 21 characters; the rest is room for stray blanks.
constexpr std::size_t kMaxScheduleLine = 64;

// On failure the pair is part-filled; the caller clears it.
bool ReadRecord(NotationReader& reader, SchedulePair& pair) {
    return reader.ReadTimeOfDay(pair.OnTime) && reader.ReadFlag(pair.OnEnabled) &&
           reader.ReadInt16(pair.OnRandomOffset) && reader.ReadTimeOfDay(pair.OffTime) &&
           reader.ReadFlag(pair.OffEnabled) && reader.ReadInt16(pair.OffRandomOffset);
}

void WriteRecord(NotationWriter& writer, const SchedulePair& pair) {
    // Only the time of day is meaningful; a date part is never written.
    writer.WriteDateTime(TimeOf(pair.OnTime));
    writer.WriteBoolean(pair.OnEnabled != kFalse);
    writer.WriteInt16(pair.OnRandomOffset);
    writer.WriteDateTime(TimeOf(pair.OffTime));
    writer.WriteBoolean(pair.OffEnabled != kFalse);
    writer.WriteInt16(pair.OffRandomOffset);
}

// Most records are clear; handling their text whole spares six values each way.
const std::string& ClearRecordText() {
    static const std::string text = [] {
        NotationWriter writer;
        WriteRecord(writer, SchedulePair{});
        return writer.Take();
    }();
    return text;
}

} // namespace

int ParseSchedule(std::string_view bytes, WeeklyTable& table) {
    const std::string& clearRecord = ClearRecordText();
    NotationReader reader(bytes, kMaxScheduleLine);
    int read = 0;
    bool intact = true;
    for (auto& device : table) {
        for (auto& day : device) {
            for (SchedulePair& pair : day) {
                if (intact && reader.SkipLines(clearRecord)) {
                    pair = SchedulePair{};
                    ++read;
                    continue;
                }
                intact = intact && ReadRecord(reader, pair);
                if (intact) {
                    ++read;
                } else {
                    pair = SchedulePair{};
                }
            }
        }
    }
    return read;
}

std::string FormatSchedule(const WeeklyTable& table) {
    NotationWriter writer;
    writer.Reserve(kScheduleRecordCount * ClearRecordText().size());
    for (const auto& device : table)
        for (const auto& day : device)
            for (const SchedulePair& pair : day) {
                if (pair == SchedulePair{}) {
                    writer.WriteLines(ClearRecordText());
                } else {
                    WriteRecord(writer, pair);
                }
            }
    return writer.Take();
}

void ReadScheduleFile(AppState& state, FileTable& files) {
    const auto bytes =
        files.ReadFile(kScheduleFileName, NotationReader::ByteBudget(kScheduleLineCount, kMaxScheduleLine));
    if (!bytes) {
        UpdateScheduleFile(state, files);
        return;
    }
    ParseSchedule(*bytes, state.WeeklySchedule);
}

void UpdateScheduleFile(const AppState& state, FileTable& files) {
    files.WriteFile(kScheduleFileName, FormatSchedule(state.WeeklySchedule));
}

} // namespace tarnwick
