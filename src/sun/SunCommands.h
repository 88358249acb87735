#pragma once
// What the Sunrise and Sunset page and the location dialog read and do; the engine answers.

#include "base/Devices.h"
#include "base/Settings.h"
#include "sun/SunEvents.h"

#include <chrono>

namespace tarnwick {

class ISunCommands {
public:
    virtual ~ISunCommands() = default;
    virtual const DeviceNameTable& Names() const = 0;
    virtual const SunEventTable& SunEvents() const = 0;
    virtual void SetSunEvent(int device, int slot, SunWhen when, std::chrono::seconds offset,
                             SunAction action) = 0;
    // A randomised event gets its shift drawn from the randomize interval.
    virtual void SetSunRandomised(int device, int slot, bool randomised) = 0;

    virtual const Location& CurrentLocation() const = 0;
    // The sun times follow the place.
    virtual void SetLocation(const Location& place) = 0;
    // Today's, at the place.
    virtual const SunTimes& TodaysSunTimes() const = 0;
};

} // namespace tarnwick
