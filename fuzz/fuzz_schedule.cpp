// Any bytes as schedule.txt; the file cut to what is read from the disk reads the same.

#include "FuzzCheck.h"

#include "schedule/ScheduleFile.h"

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const auto fill = [](WeeklyTable& table, int k) {
        for (auto& device : table)
            for (auto& day : device) day.fill({2.5, k != 1, std::int16_t(7 + k), -1.0 - k, k == 1, 7});
    };
    const std::string_view bytes = fuzzing::BytesOf(data, size);
    const WeeklyTable& read =
        fuzzing::CheckRoundTrip<WeeklyTable>(bytes, fill, ParseSchedule, FormatSchedule);
    static const auto cut = std::make_unique<WeeklyTable>();
    ParseSchedule(CutToBound(bytes, ScheduleLineBound()), *cut);
    fuzzing::Check(*cut == read, "the file as read from the disk reads the same");
    return 0;
}
