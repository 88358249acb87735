#include "mqtt/Discovery.h"

#include "x10/CodeTable.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace tarnwick {
namespace {

// Fields in the order a reader expects them.
using json = nlohmann::ordered_json;

// A name from a hand-edited file may not be UTF-8; it is shown with replacement characters.
std::string Text(const json& document) {
    return document.dump(-1, ' ', false, json::error_handler_t::replace);
}

bool Blank(std::string_view name) {
    return std::ranges::all_of(name, [](char c) { return c == ' ' || c == '\t'; });
}

std::string ObjectId(const TopicNames& names, int device) {
    return "tarnwick_" + names.node + "_" + DeviceLabel(device);
}

} // namespace

bool WantsDiscovery(const DeviceNameTable& names, const WeeklyTable& weekly, const SunEventTable& sun,
                    int device) {
    if (!Blank(NameOf(names, device))) return true;
    const auto& days = weekly.at(static_cast<std::size_t>(device));
    const bool timed = std::ranges::any_of(days, [](const auto& pairs) {
        return std::ranges::any_of(pairs,
                                   [](const SchedulePair& p) { return p.on.enabled || p.off.enabled; });
    });
    const auto& slots = sun.at(static_cast<std::size_t>(device));
    return timed ||
           std::ranges::any_of(slots, [](const SunEvent& e) { return e.action != SunAction::Nothing; });
}

std::string DiscoveryTopic(const TopicNames& names, int device) {
    return names.discoveryPrefix + "/light/" + ObjectId(names, device) + "/config";
}

std::string DiscoveryConfig(const TopicNames& names, int device, std::string_view deviceName) {
    const json document = {
        {"name", Blank(deviceName) ? DeviceLabel(device) : std::string(deviceName)},
        {"unique_id", ObjectId(names, device)},
        {"command_topic", CommandTopic(names, device)},
        {"state_topic", StateTopic(names, device)},
        {"payload_on", "ON"},
        {"payload_off", "OFF"},
        {"retain", false},
        {"availability_topic", StatusTopic(names)},
        {"payload_available", "online"},
        {"payload_not_available", "offline"},
        {"device",
         {{"identifiers", json::array({"tarnwick_" + names.node})},
          {"name", "Tarnwick " + names.node},
          {"manufacturer", "Tarnwick"},
          {"model", "X10 through a CM17A interface"},
          {"sw_version", TARNWICK_VERSION}}},
    };
    return Text(document);
}

std::string LastFrameDocument(const FrameRecord& frame, std::string_view deviceName) {
    const json document = {
        {"time", frame.time},
        {"command", CommandText(frame.report.message)},
        {"name", std::string(deviceName)},
        {"source", SourceName(frame.report.source)},
        {"sent", frame.report.wentOut},
    };
    return Text(document);
}

} // namespace tarnwick
