#include "sun/SunriseFile.h"

#include "base/Notation.h"

#include <string>

namespace tarnwick {
namespace {

// The longest value written is 21 characters; the rest is room for stray blanks.
constexpr std::size_t kMaxSunriseLine = 64;

// When and Action are codes 0..2. Any other number, from a hand-edited file, reads as 0
// (at, nothing): what the tick has always made of it, so the page shows what the tick
// does, and the file keeps to its three digits.
std::int16_t KnownCode(std::int16_t code) {
    return code >= 0 && code <= 2 ? code : 0;
}

// On failure the event is part-filled; the caller clears it.
bool ReadEvent(NotationReader& reader, SunriseEvent& event) {
    if (!reader.ReadInt16(event.When) || !reader.ReadTimeOfDay(event.Offset) ||
        !reader.ReadInt16(event.Action))
        return false;
    event.When = KnownCode(event.When);
    event.Action = KnownCode(event.Action);
    // The shift is a count of minutes that merely looks like a date, so any literal will do.
    return reader.ReadDateTime(event.Random);
}

void WriteEvent(NotationWriter& writer, const SunriseEvent& event) {
    writer.WriteInt16(event.When);
    // Only the time of day is meaningful; a date part is never written.
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
