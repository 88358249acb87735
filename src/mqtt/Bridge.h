#pragma once
// The program on the broker, without the network: what is published when the engine tells a
// change or a connection is made, and what a command heard does. The client under it only
// carries messages.

#include "engine/Engine.h"
#include "mqtt/Topics.h"

#include <array>
#include <chrono>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace tarnwick {

// Where the bridge's messages go; dropped while there is no connection.
class IMqttLink {
public:
    virtual ~IMqttLink() = default;
    virtual void Publish(const std::string& topic, const std::string& payload, bool retain) = 0;
};

class Bridge {
public:
    // Follows the engine from now on; complaints go to log.
    Bridge(Engine& engine, TopicNames names, IMqttLink& link, std::ostream& log);
    ~Bridge();
    Bridge(const Bridge&) = delete;
    Bridge& operator=(const Bridge&) = delete;

    const TopicNames& Names() const { return names_; }

    // After every connect: online, the discovery, the states known and the last frame again.
    void Connected();
    void Disconnected() { connected_ = false; }
    // A message heard on the command topics.
    void Heard(std::string_view topic, std::string_view payload, bool retained,
               ComplaintLimiter::Clock::time_point now = ComplaintLimiter::Clock::now());
    // Publishes the discovery that changed with the names and entries: after an edit the engine
    // tells, and once a minute besides for those it does not.
    void Refresh();
    // At a clean exit, before the connection closes.
    void Leaving();

private:
    void Told(Changes changes);
    void Say(Complaint complaint, std::string_view topic, ComplaintLimiter::Clock::time_point now);

    Engine& engine_;
    TopicNames names_;
    IMqttLink& link_;
    std::ostream& log_;
    int follower_ = 0;
    bool connected_ = false;
    bool swept_ = false;                 // the configs of this node no device wants cleared once
    std::map<int, std::string> configs_; // the config each device has on the broker
    std::array<std::optional<bool>, kDeviceCount> states_{};
    std::string lastFrame_;
    ComplaintLimiter limiter_;
};

} // namespace tarnwick
