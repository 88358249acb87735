#include "mqtt/MqttSettings.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tarnwick {
namespace {

constexpr const char* kSection = "mqtt";

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// A topic prefix without its outer slashes; empty when it cannot be one.
std::string TopicLevels(std::string_view text) {
    while (!text.empty() && text.front() == '/') text.remove_prefix(1);
    while (!text.empty() && text.back() == '/') text.remove_suffix(1);
    const bool usable = std::ranges::none_of(text, [](char c) { return c == '+' || c == '#' || c == '\0'; });
    return usable ? std::string(text) : std::string();
}

} // namespace

std::optional<BrokerAddress> ParseBrokerUrl(std::string_view url) {
    BrokerAddress address;
    if (StartsWith(url, "mqtts://")) {
        address.tls = true;
        address.port = 8883;
        url.remove_prefix(8);
    } else if (StartsWith(url, "mqtt://")) {
        url.remove_prefix(7);
    } else if (url.find("://") != std::string_view::npos) {
        return std::nullopt;
    }
    if (!url.empty() && url.back() == '/') url.remove_suffix(1);
    std::string_view port;
    if (StartsWith(url, "[")) {
        const auto close = url.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        address.host = url.substr(1, close - 1);
        const std::string_view rest = url.substr(close + 1);
        if (!rest.empty() && (rest[0] != ':' || rest.size() == 1)) return std::nullopt;
        if (!rest.empty()) port = rest.substr(1);
    } else {
        const auto colon = url.find(':');
        address.host = url.substr(0, colon);
        if (colon != std::string_view::npos) {
            port = url.substr(colon + 1);
            if (port.empty()) return std::nullopt;
        }
    }
    const bool hostOk = !address.host.empty() && std::ranges::all_of(address.host, [](unsigned char c) {
        return std::isalnum(c) || c == '.' || c == '-' || c == '_' || c == ':' || c >= 0x80;
    });
    if (!hostOk) return std::nullopt;
    if (!port.empty()) {
        int number = 0;
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
        if (error != std::errc() || end != port.data() + port.size() || number < 1 || number > 65535 ||
            port[0] == '+')
            return std::nullopt;
        address.port = number;
    }
    return address;
}

std::string BrokerText(const BrokerAddress& address) {
    const bool v6 = address.host.find(':') != std::string::npos;
    return (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

std::string BrokerUrl(const BrokerAddress& address) {
    return (address.tls ? "mqtts://" : "mqtt://") + BrokerText(address);
}

MqttSettings ReadMqttSettings(const IniFile& file) {
    MqttSettings settings;
    const auto read = [&file](const char* key, std::string& value) {
        if (const auto text = file.Get(kSection, key)) value = *text;
    };
    read("url", settings.url);
    read("user", settings.user);
    read("password", settings.password);
    read("ca_file", settings.caFile);
    read("topic_prefix", settings.topicPrefix);
    read("discovery_prefix", settings.discoveryPrefix);
    read("node_id", settings.nodeId);
    return settings;
}

void WriteMqttSettings(const MqttSettings& settings, IniFile& file) {
    file.Set(kSection, "url", settings.url);
    file.Set(kSection, "user", settings.user);
    file.Set(kSection, "password", settings.password);
    file.Set(kSection, "ca_file", settings.caFile);
    file.Set(kSection, "topic_prefix", settings.topicPrefix);
    file.Set(kSection, "discovery_prefix", settings.discoveryPrefix);
    file.Set(kSection, "node_id", settings.nodeId);
}

std::string NodeIdOf(std::string_view text) {
    std::string id;
    for (const unsigned char c : text) id += std::isalnum(c) || c == '-' ? static_cast<char>(c) : '_';
    return id;
}

MqttSettings SettingsForRun(MqttSettings settings, std::string_view urlOverride,
                            const char* environmentPassword, std::string_view hostName) {
    const MqttSettings defaults;
    if (!urlOverride.empty()) settings.url = urlOverride;
    if (settings.password.empty() && environmentPassword != nullptr) settings.password = environmentPassword;
    settings.topicPrefix = TopicLevels(settings.topicPrefix);
    if (settings.topicPrefix.empty()) settings.topicPrefix = defaults.topicPrefix;
    settings.discoveryPrefix = TopicLevels(settings.discoveryPrefix);
    if (settings.discoveryPrefix.empty()) settings.discoveryPrefix = defaults.discoveryPrefix;
    settings.nodeId = NodeIdOf(settings.nodeId.empty() ? hostName : settings.nodeId);
    if (settings.nodeId.empty()) settings.nodeId = "tarnwick";
    return settings;
}

} // namespace tarnwick
