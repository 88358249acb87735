#pragma once
// The documents the bridge publishes, as JSON: each device's Home Assistant discovery config,
// one device block for the whole program, and the last frame.

#include "engine/Engine.h"
#include "mqtt/Topics.h"

#include <string>
#include <string_view>

namespace tarnwick {

// A device with a name, or with any timetable or sun entry, appears in Home Assistant.
bool WantsDiscovery(const DeviceNameTable& names, const WeeklyTable& weekly, const SunEventTable& sun,
                    int device);

// "homeassistant/light/tarnwick_<node>_C5/config".
std::string DiscoveryTopic(const TopicNames& names, int device);
// The light's config: its name (the device's, else "C5"), unique id, command and state topics,
// ON/OFF payloads, availability, and the program's device block.
std::string DiscoveryConfig(const TopicNames& names, int device, std::string_view deviceName);

// {"time": "2026-12-08T07:30:02", "command": "C5 On", "name": "Porch Light", "source": "schedule",
// "sent": true}.
std::string LastFrameDocument(const FrameRecord& frame, std::string_view deviceName);

} // namespace tarnwick
