#include "mqtt/Topics.h"

#include "x10/CodeTable.h"

#include <cctype>

namespace tarnwick {
namespace {

bool SameLetters(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != upper[i]) return false;
    return true;
}

// "C5" -> house 2, unit 4; "C" -> house 2, no unit; nothing for anything else.
struct Target {
    int house = -1;
    std::optional<int> unit;
};
std::optional<Target> ReadTarget(std::string_view level) {
    if (level.empty() || level.size() > 3) return std::nullopt;
    const int house = std::toupper(static_cast<unsigned char>(level[0])) - 'A';
    if (house < 0 || house >= kHouseCount) return std::nullopt;
    const std::string_view unit = level.substr(1);
    if (unit.empty()) return Target{house, std::nullopt};
    if (unit[0] < '1' || unit[0] > '9') return std::nullopt;
    int number = 0;
    for (const char c : unit) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (number > kUnitCount) return std::nullopt;
    return Target{house, number - 1};
}

} // namespace

std::string StatusTopic(const TopicNames& names) {
    return names.prefix + "/status";
}
std::string CommandFilter(const TopicNames& names) {
    return names.prefix + "/+/set";
}
std::string LastFrameTopic(const TopicNames& names) {
    return names.prefix + "/last_frame";
}
std::string CommandTopic(const TopicNames& names, int device) {
    return names.prefix + "/" + DeviceLabel(device) + "/set";
}
std::string StateTopic(const TopicNames& names, int device) {
    return names.prefix + "/" + DeviceLabel(device) + "/state";
}

CommandRead ReadCommand(const TopicNames& names, std::string_view topic, std::string_view payload,
                        bool retained) {
    CommandRead read;
    const std::string start = names.prefix + "/";
    const std::string_view end = "/set";
    if (topic.size() <= start.size() + end.size() || topic.substr(0, start.size()) != start ||
        topic.substr(topic.size() - end.size()) != end) {
        read.complaint = Complaint::OutsidePrefix;
        return read;
    }
    const std::string_view level = topic.substr(start.size(), topic.size() - start.size() - end.size());
    if (level.find('/') != std::string_view::npos) {
        read.complaint = Complaint::OutsidePrefix;
        return read;
    }
    if (retained) {
        read.complaint = Complaint::Retained;
        return read;
    }
    if (payload.size() > kMaxCommandPayload) {
        read.complaint = Complaint::TooLong;
        return read;
    }
    const std::optional<Target> target = ReadTarget(level);
    if (!target) {
        read.complaint = Complaint::UnknownDevice;
        return read;
    }
    if (target->unit) {
        if (SameLetters(payload, "ON")) read.message = UnitOnMessage(target->house, *target->unit);
        if (SameLetters(payload, "OFF")) read.message = UnitOffMessage(target->house, *target->unit);
    } else {
        if (SameLetters(payload, "BRIGHT")) read.message = BrightMessage(target->house);
        if (SameLetters(payload, "DIM")) read.message = DimMessage(target->house);
    }
    return read;
}

std::string ComplaintText(Complaint complaint, std::string_view topic) {
    constexpr std::size_t kShown = 80;
    std::string shown;
    for (const char c : topic.substr(0, kShown))
        shown += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
    if (topic.size() > kShown) shown += "...";
    std::string why;
    switch (complaint) {
    case Complaint::OutsidePrefix:
        why = "not a command topic";
        break;
    case Complaint::UnknownDevice:
        why = "no such device or house (A to P, units 1 to 16)";
        break;
    case Complaint::BadPayload:
        why = "a device takes ON or OFF, a house BRIGHT or DIM";
        break;
    case Complaint::TooLong:
        why = "the payload is longer than " + std::to_string(kMaxCommandPayload) + " bytes";
        break;
    case Complaint::Retained:
        why = "a retained command is stale";
        break;
    case Complaint::TooMany:
        why = std::to_string(kMaxWaitingCommands) + " MQTT commands are waiting already";
        break;
    }
    return std::string("tarnwick: mqtt: ") + (complaint == Complaint::TooMany ? "refused " : "ignored ") +
           shown + ": " + why;
}

bool ComplaintLimiter::Allow(Complaint complaint, Clock::time_point now) {
    std::optional<Clock::time_point>& last = last_.at(static_cast<std::size_t>(complaint));
    if (last && now - *last < std::chrono::minutes(1)) return false;
    last = now;
    return true;
}

} // namespace tarnwick
