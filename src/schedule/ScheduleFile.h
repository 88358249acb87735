#pragma once
// schedule.txt: the weekly timetable, six lines a record, device by weekday by pair.

#include "base/AppState.h"
#include "base/DataFiles.h"

#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr const char* kScheduleFileName = "schedule.txt";
inline constexpr int kScheduleRecordCount = kDeviceCount * kWeekdayCount * kPairCount;
inline constexpr int kScheduleValuesPerRecord = 6;
inline constexpr int kScheduleLineCount = kScheduleRecordCount * kScheduleValuesPerRecord;

// 1-based line of the first value of a record.
constexpr int ScheduleRecordLine(int device, int weekday, int pair) {
    return 1 + kScheduleValuesPerRecord * (pair + kPairCount * (weekday + kWeekdayCount * device));
}

// Fills the whole table from a file's bytes and gives how many records were read.
// The records from a short or damaged one on (a value not of its field's kind, a
// time that is not a time of day) are left clear.
int ParseSchedule(std::string_view bytes, WeeklyTable& table);
std::string FormatSchedule(const WeeklyTable& table);

// Loads schedule.txt, or writes it from the current table when it cannot be opened.
void ReadScheduleFile(AppState& state, FileTable& files);
// Replaces schedule.txt; leaves it as it was when it cannot be written.
void UpdateScheduleFile(const AppState& state, FileTable& files);

} // namespace tarnwick
