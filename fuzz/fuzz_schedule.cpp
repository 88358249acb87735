// Any bytes as schedule.txt. The records from the first short or damaged one on
// are clear, every record read holds a time of day and real flags, and the table
// written out reads back whole and unchanged, random offsets included.

#include "FuzzCheck.h"

#include "base/Notation.h"
#include "schedule/ScheduleFile.h"

#include <memory>
#include <string>

using namespace tarnwick;
using tarnwick::fuzzing::Check;

namespace {

bool IsFlag(std::int16_t value) {
    return value == kTrue || value == kFalse;
}

// A record no reader would produce, so one it forgot to fill shows.
constexpr SchedulePair kLeftOver{2.5, 7, 7, -1.0, 7, 7};

void FillWithLeftOvers(WeeklyTable& table) {
    for (auto& device : table)
        for (auto& day : device) day.fill(kLeftOver);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    static const auto read = std::make_unique<WeeklyTable>();
    static const auto reread = std::make_unique<WeeklyTable>();
    const std::string_view bytes = tarnwick::fuzzing::BytesOf(data, size);

    FillWithLeftOvers(*read);
    const int count = ParseSchedule(bytes, *read);
    Check(count >= 0 && count <= kScheduleRecordCount, "the count is of records");
    int index = 0;
    for (const auto& device : *read)
        for (const auto& day : device)
            for (const SchedulePair& pair : day) {
                Check(index < count || pair == SchedulePair{}, "records past the damage are clear");
                Check(IsTimeOfDay(pair.OnTime) && IsTimeOfDay(pair.OffTime), "times are times of day");
                Check(IsFlag(pair.OnEnabled) && IsFlag(pair.OffEnabled), "enabled flags are -1 or 0");
                ++index;
            }

    const std::string written = FormatSchedule(*read);
    Check(tarnwick::fuzzing::IsCrLfLines(written, kScheduleLineCount), "the file written is 43008 lines");
    FillWithLeftOvers(*reread);
    Check(ParseSchedule(written, *reread) == kScheduleRecordCount, "every record written reads back");
    Check(*reread == *read, "the table reads back unchanged");
    return 0;
}
