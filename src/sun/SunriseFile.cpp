#include "sun/SunriseFile.h"

#include "base/Notation.h"

#include <chrono>
#include <cmath>

namespace tarnwick {
namespace {

// The longest value written is 21 characters; the rest is room for stray blanks.
constexpr std::size_t kMaxSunriseLine = 64;
// An unused event: "0", "#00:00:00#", "0", "#00:00:00#", each with CR LF.
constexpr std::size_t kZeroEventBytes = 3 + 12 + 3 + 12;

// When and Action are codes 0..2. Any other number, from a hand-edited file, reads as 0
// (at, nothing), so the file keeps to its three digits and the page shows what the tick does.
template <typename Code> bool ReadCode(NotationReader& reader, Code& out) {
    std::int16_t code = 0;
    if (!reader.ReadInt16(code)) return false;
    out = static_cast<Code>(code >= 0 && code <= 2 ? code : 0);
    return true;
}

// The shift is a count of minutes that the file holds as a date-time number, 0 meaning not
// randomised. A part of a minute, which only a hand edit gives, is rounded off, but never to 0:
// any other value is randomised.
bool ReadShift(NotationReader& reader, SunEvent& event) {
    DateTime minutes = 0;
    if (!reader.ReadDateTime(minutes)) return false;
    event.randomised = minutes != 0;
    long long whole = std::llround(minutes);
    if (event.randomised && whole == 0) whole = minutes > 0 ? 1 : -1;
    event.shift = std::chrono::minutes{whole};
    return true;
}

DateTime ShiftInFile(const SunEvent& event) {
    return event.randomised ? static_cast<DateTime>(event.shift.count()) : 0;
}

} // namespace

LineBound SunriseLineBound() {
    return {kSunriseLineCount, kMaxSunriseLine};
}

int ParseSunEvents(std::string_view bytes, SunEventTable& table) {
    return ReadRecords(bytes, kMaxSunriseLine, table, [](NotationReader& reader, SunEvent& event) {
        TimeOfDay offset;
        if (!ReadCode(reader, event.when) || !reader.ReadTimeOfDay(offset)) return false;
        event.offset = offset.SinceMidnight();
        return ReadCode(reader, event.action) && ReadShift(reader, event);
    });
}

std::string FormatSunEvents(const SunEventTable& table) {
    return WriteRecords(table, static_cast<std::size_t>(kDeviceCount * kSunSlotCount) * kZeroEventBytes,
                        [](NotationWriter& writer, const SunEvent& event) {
                            writer.WriteInt16(static_cast<std::int16_t>(event.when));
                            // Held as a time of day, so never a day or more.
                            writer.WriteTimeOfDay(TimeOfDay(event.offset));
                            writer.WriteInt16(static_cast<std::int16_t>(event.action));
                            writer.WriteDateTime(ShiftInFile(event));
                        });
}

} // namespace tarnwick
