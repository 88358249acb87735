#include "sun/SunriseFile.h"

#include "base/Notation.h"

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

} // namespace

LineBound SunriseLineBound() {
    return {kSunriseLineCount, kMaxSunriseLine};
}

int ParseSunEvents(std::string_view bytes, SunEventTable& table) {
    return ReadRecords(bytes, kMaxSunriseLine, table, [](NotationReader& reader, SunEvent& event) {
        // The shift is a count of minutes that merely looks like a date, so any literal will do.
        return ReadCode(reader, event.when) && reader.ReadTimeOfDay(event.offset) &&
               ReadCode(reader, event.action) && reader.ReadDateTime(event.random);
    });
}

std::string FormatSunEvents(const SunEventTable& table) {
    return WriteRecords(table, static_cast<std::size_t>(kDeviceCount * kSunSlotCount) * kZeroEventBytes,
                        [](NotationWriter& writer, const SunEvent& event) {
                            writer.WriteInt16(static_cast<std::int16_t>(event.when));
                            // Only the time of day is meaningful; a date part is never written.
                            writer.WriteDateTime(TimeOf(event.offset));
                            writer.WriteInt16(static_cast<std::int16_t>(event.action));
                            writer.WriteDateTime(event.random);
                        });
}

} // namespace tarnwick
