// Any bytes as a message heard from the broker: the first byte's low bit says retained, the topic
// runs to the first NUL and the payload is the rest. A command taken is exactly the one its topic
// and payload name, and whatever is ignored is said in one short line. The same bytes as a
// broker URL: one read is written back as one that reads the same.

#include "FuzzCheck.h"

#include "mqtt/MqttSettings.h"
#include "mqtt/Topics.h"
#include "x10/CodeTable.h"

#include <cctype>

using namespace tarnwick;
using tarnwick::fuzzing::Check;

namespace {

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    std::string_view bytes = fuzzing::BytesOf(data, size);
    if (const auto address = ParseBrokerUrl(bytes))
        Check(ParseBrokerUrl(BrokerUrl(*address)) == address, "a broker URL written reads back the same");
    if (bytes.empty()) return 0;
    const bool retained = (bytes[0] & 1) != 0;
    bytes.remove_prefix(1);
    const auto nul = bytes.find('\0');
    const std::string_view topic = bytes.substr(0, nul);
    const std::string_view payload =
        nul == std::string_view::npos ? std::string_view() : bytes.substr(nul + 1);

    const TopicNames names;
    const CommandRead read = ReadCommand(names, topic, payload, retained);
    if (!read.message) {
        const std::string said = ComplaintText(read.complaint, topic);
        Check(said.find_first_of("\r\n") == std::string::npos && said.size() < 200,
              "a complaint is one short line");
        return 0;
    }
    Check(!retained && payload.size() <= kMaxCommandPayload, "no retained or long command is taken");
    Check(*read.message >= 0 && *read.message < kHouseCount * kFunctionsPerHouse,
          "a command is an X10 message");
    const std::string command = CommandText(*read.message); // "C5 On", "A Dim"
    const auto space = command.find(' ');
    Check(topic.substr(0, names.prefix.size() + 1) == names.prefix + "/" &&
              Upper(topic) == Upper(names.prefix + "/" + command.substr(0, space) + "/set"),
          "the command switches the device or house its topic names");
    Check(Upper(payload) == Upper(command.substr(space + 1)), "the command does what its payload says");
    return 0;
}
