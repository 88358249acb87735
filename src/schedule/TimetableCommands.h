#pragma once
// What the Schedule page reads and does; the engine answers.

#include "base/Devices.h"
#include "base/LocalTime.h"
#include "schedule/WeeklySchedule.h"

#include <chrono>
#include <cstdint>
#include <optional>

namespace tarnwick {

class ITimetableCommands {
public:
    virtual ~ITimetableCommands() = default;
    virtual const DeviceNameTable& Names() const = 0;
    virtual const WeeklyTable& Weekly() const = 0;
    virtual std::chrono::minutes RandomInterval() const = 0;
    // A time for one half of a pair, or none to switch it off.
    virtual void SetTime(int device, int weekday, int pair, bool on, std::optional<TimeOfDay> time) = 0;
    // A randomised half gets its shift drawn from the randomize interval; taken off, its shift is 0.
    virtual void SetRandomised(int device, int weekday, int pair, bool on, bool randomised) = 0;
    virtual void SetRandomInterval(std::chrono::minutes interval) = 0;
};

} // namespace tarnwick
