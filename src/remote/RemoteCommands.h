#pragma once
// What the Remote Control page reads and does; the engine answers.

#include "base/Devices.h"

#include <cstdint>
#include <string>

namespace tarnwick {

class IRemoteCommands {
public:
    virtual ~IRemoteCommands() = default;
    virtual const DeviceNameTable& Names() const = 0;
    virtual void SetName(int device, std::string name) = 0;
    // A frame is going out: a click now must wait.
    virtual bool LineBusy() const = 0;
    // Goes out now; returns when the frame has.
    virtual void SendManual(std::int32_t message) = 0;
};

} // namespace tarnwick
