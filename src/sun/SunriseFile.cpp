#include "sun/SunriseFile.h"

#include "app/Notation.h"

#include <string>

namespace tarnwick {
namespace {

// The longest value written is 21 characters; the rest is room for stray blanks.
constexpr std::size_t kMaxSunriseLine = 64;

// On failure the event is part-filled; the caller clears it.
bool ReadEvent(NotationReader& reader, SunriseEvent& event) {
    if (!reader.ReadInt16(event.When) || !reader.ReadDateTime(event.Offset) || !IsTimeOfDay(event.Offset))
        return false;
    // The shift is a count of minutes that merely looks like a date, so any literal will do.
    return reader.ReadInt16(event.Action) && reader.ReadDateTime(event.Random);
}

void WriteEvent(NotationWriter& writer, const SunriseEvent& event) {
    writer.WriteInt16(event.When);
    // Only the time of day is meaningful; a stray date part would not read back.
    writer.WriteDateTime(TimeOf(event.Offset));
    writer.WriteInt16(event.Action);
    writer.WriteDateTime(event.Random);
}

// Most events are unused; handling their text whole spares four values each way.
const std::string& ZeroEventText() {
    static const std::string text = [] {
        NotationWriter writer;
        WriteEvent(writer, SunriseEvent{});
        return writer.Take();
    }();
    return text;
}

} // namespace

int ParseSunriseSchedule(std::string_view bytes, SunriseTable& table) {
    const std::string& zeroEvent = ZeroEventText();
    NotationReader reader(bytes, kMaxSunriseLine);
    int read = 0;
    bool intact = true;
    for (auto& device : table) {
        for (SunriseEvent& event : device) {
            if (intact && reader.SkipLines(zeroEvent)) {
                event = SunriseEvent{};
                ++read;
                continue;
            }
            intact = intact && ReadEvent(reader, event);
            if (intact) {
                ++read;
            } else {
                event = SunriseEvent{};
            }
        }
    }
    return read;
}

std::string FormatSunriseSchedule(const SunriseTable& table) {
    NotationWriter writer;
    writer.Reserve(static_cast<std::size_t>(kDeviceCount * kSunSlotCount) * ZeroEventText().size());
    for (const auto& device : table)
        for (const SunriseEvent& event : device) {
            if (event == SunriseEvent{}) {
                writer.WriteLines(ZeroEventText());
            } else {
                WriteEvent(writer, event);
            }
        }
    return writer.Take();
}

void ReadSunriseScheduleFile(AppState& state, FileTable& files) {
    const auto bytes =
        files.ReadFile(kSunriseFileName, NotationReader::ByteBudget(kSunriseLineCount, kMaxSunriseLine));
    if (!bytes) {
        UpdateSunriseScheduleFile(state, files);
        return;
    }
    ParseSunriseSchedule(*bytes, state.SunriseSchedule);
}

void UpdateSunriseScheduleFile(const AppState& state, FileTable& files) {
    files.WriteFile(kSunriseFileName, FormatSunriseSchedule(state.SunriseSchedule));
}

} // namespace tarnwick
