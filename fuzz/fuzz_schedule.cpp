// Any bytes as schedule.txt; the file cut to what is read from the disk reads the same, and a
// time has a shift exactly while it is randomised.

#include "FuzzCheck.h"

#include "schedule/ScheduleFile.h"

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const auto fill = [](WeeklyTable& table, int k) {
        for (auto& device : table)
            for (auto& day : device)
                day.fill({{TimeOfDay(13, 5, 7 + k), k != 1, true, std::chrono::minutes{7 + k}},
                          {TimeOfDay(1, 2, 3), k == 1, k == 1, std::chrono::minutes{k == 1 ? 9 : 0}}});
    };
    const std::string_view bytes = fuzzing::BytesOf(data, size);
    const WeeklyTable& read =
        fuzzing::CheckRoundTrip<WeeklyTable>(bytes, fill, ParseSchedule, FormatSchedule);
    static const auto cut = std::make_unique<WeeklyTable>();
    ParseSchedule(CutToBound(bytes, ScheduleLineBound()), *cut);
    fuzzing::Check(*cut == read, "the file as read from the disk reads the same");
    for (const auto& device : read)
        for (const auto& day : device)
            for (const SchedulePair& pair : day)
                for (const ScheduleTime& half : {pair.on, pair.off})
                    fuzzing::Check(half.randomised == (half.shift.count() != 0),
                                   "a shift is there while randomised");
    return 0;
}
