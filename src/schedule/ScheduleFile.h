#pragma once
// schedule.txt: the weekly timetable, six lines a record, device by weekday by pair.

#include "base/Notation.h"
#include "schedule/WeeklySchedule.h"

#include <cstddef>
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

// The most of a file that can matter: its lines, each cut where it is too long to be read.
LineBound ScheduleLineBound();

// Fills the whole table from a file's bytes and gives how many records were read.
// The records from a short or damaged one on (a value not of its field's kind) are
// left clear. A time with a date in front reads as its time of day.
int ParseSchedule(std::string_view bytes, WeeklyTable& table);
std::string FormatSchedule(const WeeklyTable& table);

} // namespace tarnwick
