#pragma once
// The broker's settings, kept in the [mqtt] section of tarnwick.ini, and the broker's URL.

#include "base/IniFile.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr const char* kMqttPasswordVariable = "TARNWICK_MQTT_PASSWORD";

struct MqttSettings {
    std::string url; // "mqtt://host:1883", "mqtts://host:8883"; empty: MQTT is off
    std::string user;
    std::string password;
    std::string caFile; // for mqtts; empty: the system's certificates
    std::string topicPrefix = "tarnwick";
    std::string discoveryPrefix = "homeassistant";
    std::string nodeId; // empty: the host name
    bool operator==(const MqttSettings&) const = default;
};

struct BrokerAddress {
    std::string host;
    int port = 1883;
    bool tls = false;
    bool operator==(const BrokerAddress&) const = default;
};

// "mqtt://host", "mqtts://host:8883", "mqtt://[::1]:1883", or a bare "host:port"; nothing for
// anything else (a path, a user in the URL, a port outside 1..65535).
std::optional<BrokerAddress> ParseBrokerUrl(std::string_view url);
std::string BrokerUrl(const BrokerAddress& address);
// "host:1883", as the status bar says it.
std::string BrokerText(const BrokerAddress& address);

// What cannot be read keeps its default.
MqttSettings ReadMqttSettings(const IniFile& file);
// Into the file as read, so that whatever else it holds stays.
void WriteMqttSettings(const MqttSettings& settings, IniFile& file);

// What this run uses: the URL of --mqtt over the file's, the password from the environment
// when the file holds none, the host name for a missing node id, and topic levels fit for
// use (a prefix with a wildcard in it gives way to the default).
MqttSettings SettingsForRun(MqttSettings settings, std::string_view urlOverride,
                            const char* environmentPassword, std::string_view hostName);

// Letters, digits, '_' and '-' only, as discovery's ids want them: "my host.lan" -> "my_host_lan".
std::string NodeIdOf(std::string_view text);

} // namespace tarnwick
