#pragma once
// The topics the bridge speaks on, and how a command heard on one is read: C5/set with ON or
// OFF, C/set with BRIGHT or DIM, any case. Anything else is ignored and said, once a minute
// per kind at most, so that a flood of bad input cannot flood the log.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// The levels the program's topics stand under.
struct TopicNames {
    std::string prefix = "tarnwick";
    std::string discoveryPrefix = "homeassistant";
    std::string node;
};

// Longer payloads are no command.
inline constexpr std::size_t kMaxCommandPayload = 16;
// MQTT commands beyond this many waiting are refused; the timetable's never are.
inline constexpr int kMaxWaitingCommands = 64;

std::string StatusTopic(const TopicNames& names);              // "tarnwick/status"
std::string CommandFilter(const TopicNames& names);            // "tarnwick/+/set"
std::string LastFrameTopic(const TopicNames& names);           // "tarnwick/last_frame"
std::string CommandTopic(const TopicNames& names, int device); // "tarnwick/C5/set"
std::string StateTopic(const TopicNames& names, int device);   // "tarnwick/C5/state"

// Why a message was not taken as a command.
enum class Complaint { OutsidePrefix, UnknownDevice, BadPayload, TooLong, Retained, TooMany };
inline constexpr std::size_t kComplaintKinds = 6;

struct CommandRead {
    std::optional<std::int32_t> message; // the X10 message, when it is one
    Complaint complaint = Complaint::BadPayload;
};

// A retained message on a set topic is a stale command, never obeyed.
CommandRead ReadCommand(const TopicNames& names, std::string_view topic, std::string_view payload,
                        bool retained);

// "tarnwick: mqtt: ignored tarnwick/Q1/set: no such device or house ...": one line, the topic cut short
// and stripped of what a terminal would take as control.
std::string ComplaintText(Complaint complaint, std::string_view topic);

// Each kind of complaint at most once a minute.
class ComplaintLimiter {
public:
    using Clock = std::chrono::steady_clock;
    bool Allow(Complaint complaint, Clock::time_point now);

private:
    std::array<std::optional<Clock::time_point>, kComplaintKinds> last_{};
};

} // namespace tarnwick
