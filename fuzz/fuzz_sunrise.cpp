// Any bytes as Sunrise.txt. The events from the first short or damaged one on are
// zero, every offset read is a time of day, every code one the page offers, and the
// table written out reads back whole and unchanged, whatever literal a random shift
// was read from.

#include "FuzzCheck.h"

#include "base/Notation.h"
#include "sun/SunriseFile.h"

#include <cmath>
#include <memory>
#include <string>

using namespace tarnwick;
using tarnwick::fuzzing::Check;

namespace {

// An event no reader would produce, so one it forgot to fill shows.
constexpr SunriseEvent kLeftOver{7, 2.5, 7, 0.25};

void FillWithLeftOvers(SunriseTable& table) {
    for (auto& device : table) device.fill(kLeftOver);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    static const auto read = std::make_unique<SunriseTable>();
    static const auto reread = std::make_unique<SunriseTable>();
    const std::string_view bytes = tarnwick::fuzzing::BytesOf(data, size);

    FillWithLeftOvers(*read);
    const int count = ParseSunriseSchedule(bytes, *read);
    Check(count >= 0 && count <= kDeviceCount * kSunSlotCount, "the count is of events");
    int index = 0;
    for (const auto& device : *read)
        for (const SunriseEvent& event : device) {
            Check(index < count || event == SunriseEvent{}, "events past the damage are zero");
            Check(IsTimeOfDay(event.Offset), "offsets are times of day");
            Check(event.When >= 0 && event.When <= 2 && event.Action >= 0 && event.Action <= 2,
                  "codes are those the page offers");
            Check(std::isfinite(event.Random), "shifts are numbers");
            ++index;
        }

    const std::string written = FormatSunriseSchedule(*read);
    Check(tarnwick::fuzzing::IsCrLfLines(written, kSunriseLineCount), "the file written is 4096 lines");
    FillWithLeftOvers(*reread);
    Check(ParseSunriseSchedule(written, *reread) == kDeviceCount * kSunSlotCount,
          "every event written reads back");
    Check(*reread == *read, "the table reads back unchanged");
    return 0;
}
