#pragma once
// The switchings the scheduler will make over the coming days, worked out from the tables
// and what it has done so far, without running it: each in the minute it will go out, in
// the order it will be queued, following the local clock through its changes of time zone
// offset (a skipped hour is caught up at its end, a repeated hour is scanned once).

#include "base/Interfaces.h"
#include "schedule/Due.h"

#include <chrono>
#include <string>
#include <vector>

namespace tarnwick {

// Every switching the scheduler makes in the minutes after now's, up to and including the
// same moment days later. lastScanned and marks are the scheduler's own.
std::vector<PlannedSwitch> PlanSwitchings(const DueTables& tables, const FiringMarks& marks,
                                          LocalMinute lastScanned, const IClock& clock,
                                          std::chrono::sys_seconds now, int days = 7);

// What planned a switching, as the window and `plan` show it: "Tuesday, pair 1",
// "00:30 after sunset", with a note for a randomized entry or a catch-up.
std::string PlannedByText(const PlannedSwitch& s, std::chrono::minutes randomInterval);

} // namespace tarnwick
