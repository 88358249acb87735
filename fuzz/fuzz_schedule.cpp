// Any bytes as schedule.txt.

#include "FuzzCheck.h"

#include "schedule/ScheduleFile.h"

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const auto fill = [](WeeklyTable& table, int k) {
        for (auto& device : table)
            for (auto& day : device) day.fill({2.5, k != 1, std::int16_t(7 + k), -1.0 - k, k == 1, 7});
    };
    fuzzing::CheckRoundTrip<WeeklyTable>(fuzzing::BytesOf(data, size), fill, ParseSchedule, FormatSchedule);
    return 0;
}
