#include "mqtt/Bridge.h"

#include "mqtt/Discovery.h"
#include "x10/CodeTable.h"

namespace tarnwick {

Bridge::Bridge(Engine& engine, TopicNames names, IMqttLink& link, std::ostream& log)
    : engine_(engine), names_(std::move(names)), link_(link), log_(log) {
    follower_ = engine_.Follow([this](Changes changes) { Told(changes); });
}

Bridge::~Bridge() {
    engine_.Unfollow(follower_);
}

void Bridge::Connected() {
    connected_ = true;
    link_.Publish(StatusTopic(names_), "online", true);
    // Every config is told again, for a broker that lost its retained messages; the first
    // connect also clears those a run before this one left for devices that want none now.
    if (!swept_)
        for (int device = 0; device < kDeviceCount; ++device) configs_.try_emplace(device);
    swept_ = true;
    for (auto& [device, config] : configs_) config.clear();
    Refresh();
    for (int device = 0; device < kDeviceCount; ++device)
        if (const auto on = states_[static_cast<std::size_t>(device)])
            link_.Publish(StateTopic(names_, device), *on ? "ON" : "OFF", true);
    if (!lastFrame_.empty()) link_.Publish(LastFrameTopic(names_), lastFrame_, true);
}

void Bridge::Refresh() {
    if (!connected_) return;
    const DeviceNameTable& names = engine_.Names();
    for (int device = 0; device < kDeviceCount; ++device) {
        const auto had = configs_.find(device);
        if (!WantsDiscovery(names, engine_.Weekly(), engine_.SunEvents(), device)) {
            if (had == configs_.end()) continue;
            // An empty retained message takes the config off the broker.
            link_.Publish(DiscoveryTopic(names_, device), "", true);
            configs_.erase(had);
            continue;
        }
        std::string config = DiscoveryConfig(names_, device, NameOf(names, device));
        if (had != configs_.end() && had->second == config) continue;
        link_.Publish(DiscoveryTopic(names_, device), config, true);
        configs_[device] = std::move(config);
    }
}

void Bridge::Leaving() {
    if (connected_) link_.Publish(StatusTopic(names_), "offline", true);
}

void Bridge::Told(Changes changes) {
    if (changes.Has(Change::Names) || changes.Has(Change::Timetable) || changes.Has(Change::SunEvents))
        Refresh();
    if (!changes.Has(Change::Frame)) return;
    const FrameRecord& frame = engine_.LastFrame();
    const std::string& name = frame.device < 0 ? std::string() : NameOf(engine_.Names(), frame.device);
    lastFrame_ = LastFrameDocument(frame, name);
    if (connected_) link_.Publish(LastFrameTopic(names_), lastFrame_, true);
    // The interface tells nothing back: the state is the last command that went out.
    if (frame.device < 0 || !frame.report.wentOut) return;
    const bool on = frame.report.message % 2 == 0;
    states_[static_cast<std::size_t>(frame.device)] = on;
    if (connected_) link_.Publish(StateTopic(names_, frame.device), on ? "ON" : "OFF", true);
}

void Bridge::Heard(std::string_view topic, std::string_view payload, bool retained,
                   ComplaintLimiter::Clock::time_point now) {
    const CommandRead read = ReadCommand(names_, topic, payload, retained);
    if (!read.message) return Say(read.complaint, topic, now);
    if (engine_.WaitingFrom(FrameSource::Mqtt) >= kMaxWaitingCommands)
        return Say(Complaint::TooMany, topic, now);
    engine_.SendWhenFree(*read.message, FrameSource::Mqtt);
}

void Bridge::Say(Complaint complaint, std::string_view topic, ComplaintLimiter::Clock::time_point now) {
    if (limiter_.Allow(complaint, now)) log_ << ComplaintText(complaint, topic) << std::endl;
}

} // namespace tarnwick
