// The bridge without the network, on a real engine with a fake clock and lines: what a command
// heard does, what is published and when, and the [mqtt] settings.

#include "base/RandomOffset.h"
#include "mqtt/Bridge.h"
#include "mqtt/Discovery.h"
#include "mqtt/MqttSettings.h"
#include "x10/CodeTable.h"

#include "support/Fakes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>
#include <tuple>

using namespace tarnwick;
using namespace tarnwick::testing;

namespace {

struct Published {
    std::string topic, payload;
    bool retain;
    bool operator==(const Published&) const = default;
};

struct Recorder : IMqttLink {
    void Publish(const std::string& topic, const std::string& payload, bool retain) override {
        sent.push_back({topic, payload, retain});
    }
    std::vector<Published> Take() { return std::exchange(sent, {}); }
    std::vector<Published> sent;
};

// Each reading a quarter millisecond on, so that a frame takes its time and the line is busy after it.
struct Stepping : ISteadyClock {
    std::int64_t NowNanoseconds() override { return ns += 250'000; }
    std::int64_t ns = 0;
};

struct Bridged {
    explicit Bridged(const TempFolder& folder)
        : clock(LocalAt(2026, 12, 8, 7, 30, 2)), engine({&serial, &clock, &steady, &random, folder.path()}) {
        engine.Load();
        engine.OpenPort();
        bridge = std::make_unique<Bridge>(engine, TopicNames{"tarnwick", "homeassistant", "den"}, link, log);
    }
    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        for (std::string line; std::getline(log, line);) lines.push_back(line);
        log.clear();
        return lines;
    }
    FakeClock clock;
    Stepping steady;
    RecordingSerialControl serial;
    DefaultRandom random;
    Engine engine;
    Recorder link;
    std::stringstream log;
    std::unique_ptr<Bridge> bridge;
};

const std::string kC5Config = "homeassistant/light/tarnwick_den_C5/config";

} // namespace

TEST(MqttCommands, AreReadByTheirTopicAndPayloadAndAnythingElseIsSaidWhy) {
    const std::string unknown = "no such device or house (A to P, units 1 to 16)",
                      outside = "not a command topic",
                      bad = "a device takes ON or OFF, a house BRIGHT or DIM";
    // clang-format off
    const std::vector<std::tuple<std::string, std::string, bool, std::string>> cases = {
        {"tarnwick/C5/set", "ON", false, "C5 On"},     {"tarnwick/c5/set", "off", false, "C5 Off"},
        {"tarnwick/P16/set", "On", false, "P16 On"},   {"tarnwick/C/set", "bright", false, "C Bright"},
        {"tarnwick/A/set", "DIM", false, "A Dim"},     {"tarnwick/Q1/set", "ON", false, unknown},
        {"tarnwick/A17/set", "ON", false, unknown},    {"tarnwick/A0/set", "ON", false, unknown},
        {"tarnwick/A05/set", "ON", false, unknown},    {"tarnwick/A1x/set", "ON", false, unknown},
        {"tarnwick/C5/set", "DIM", false, bad},        {"tarnwick/C/set", "ON", false, bad},
        {"tarnwick/C5/set", "", false, bad},           {"tarnwick/C5/set", std::string("ON\0", 3), false, bad},
        {"tarnwick/C5/set", std::string(17, 'O'), false, "the payload is longer than 16 bytes"},
        {"tarnwick/C5/set", "ON", true, "a retained command is stale"},
        {"other/C5/set", "ON", false, outside},        {"tarnwick/C5/state", "ON", false, outside},
        {"tarnwick/C5/x/set", "ON", false, outside},   {"tarnwick//set", "ON", false, outside}};
    // clang-format on
    for (const auto& [topic, payload, retained, expected] : cases) {
        const CommandRead read = ReadCommand({}, topic, payload, retained);
        const std::string said =
            read.message ? CommandText(*read.message) : ComplaintText(read.complaint, topic);
        EXPECT_EQ(said.substr(said.rfind(": ") == std::string::npos ? 0 : said.rfind(": ") + 2), expected)
            << topic;
    }
    // What the log shows of a hostile topic is one short line.
    EXPECT_EQ(ComplaintText(Complaint::OutsidePrefix, "a\nb\x1b[2J" + std::string(100, 'x')),
              "tarnwick: mqtt: ignored a?b?[2J" + std::string(73, 'x') + "...: not a command topic");
}

// Connecting publishes online, a config for each device with a name or entry and clears the
// rest once; a command heard goes out on the lines and its state and the frame follow.
TEST(MqttBridge, PublishesWhatHomeAssistantNeedsAndSwitchesWhatItHears) {
    TempFolder folder;
    Bridged b(folder);
    b.engine.SetName(36, "Porch Light");
    b.engine.SetTime(37, 2, 1, false, TimeOfDay(0, 0));          // C6 by the timetable
    b.engine.SetSunEvent(38, 3, SunWhen::At, {}, SunAction::On); // C7 at sunset
    b.bridge->Connected();
    auto sent = b.link.Take();
    ASSERT_EQ(sent.size(), 1u + 256u);
    EXPECT_EQ(sent[0], (Published{"tarnwick/status", "online", true}));
    std::vector<std::string> configured;
    for (const Published& p : sent)
        if (!p.payload.empty() && p.topic != "tarnwick/status") configured.push_back(p.topic);
    EXPECT_EQ(configured, (std::vector<std::string>{kC5Config, "homeassistant/light/tarnwick_den_C6/config",
                                                    "homeassistant/light/tarnwick_den_C7/config"}));
    EXPECT_EQ(sent[37].payload,
              R"({"name":"Porch Light","unique_id":"tarnwick_den_C5","command_topic":"tarnwick/C5/set",)"
              R"("state_topic":"tarnwick/C5/state","payload_on":"ON","payload_off":"OFF","retain":false,)"
              R"("availability_topic":"tarnwick/status","payload_available":"online",)"
              R"("payload_not_available":"offline","device":{"identifiers":["tarnwick_den"],)"
              R"("name":"Tarnwick den","manufacturer":"Tarnwick","model":"X10 through a CM17A interface",)"
              R"("sw_version":")" TARNWICK_VERSION R"("}})");
    EXPECT_EQ(sent[38].payload.substr(0, 16), R"({"name":"C6","un)");
    const std::string c7 = sent[39].payload;

    b.bridge->Heard("tarnwick/C5/set", "on", false);
    EXPECT_EQ(b.serial.TakeFrames(), std::vector<std::string>{"C5 On"});
    const std::string frame = R"({"time":"2026-12-08T07:30:02","command":"C5 On","name":"Porch Light",)"
                              R"("source":"mqtt","sent":true})";
    EXPECT_EQ(b.link.Take(), (std::vector<Published>{{"tarnwick/last_frame", frame, true},
                                                     {"tarnwick/C5/state", "ON", true}}));
    EXPECT_NE(folder.Read("history.txt").find("\tC5 On\tPorch Light\tmqtt\r\n"), std::string::npos);

    // A name changed in the window is published again; a device that loses its name and
    // entries loses its config.
    b.engine.SetName(36, "Porch");
    b.engine.SetTime(37, 2, 1, false, std::nullopt);
    b.bridge->Refresh();
    sent = b.link.Take();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].topic, kC5Config);
    EXPECT_EQ(sent[0].payload.substr(0, 16), R"({"name":"Porch",)");
    EXPECT_EQ(sent[1], (Published{"homeassistant/light/tarnwick_den_C6/config", "", true}));
    b.bridge->Refresh();
    EXPECT_TRUE(b.link.Take().empty());

    // Gone and back: everything again, the state as sent included, and nothing cleared twice.
    b.bridge->Disconnected();
    b.engine.SetName(36, "");
    EXPECT_TRUE(b.link.Take().empty());
    b.bridge->Connected();
    EXPECT_EQ(b.link.Take(), (std::vector<Published>{{"tarnwick/status", "online", true},
                                                     {kC5Config, "", true},
                                                     {"homeassistant/light/tarnwick_den_C7/config", c7, true},
                                                     {"tarnwick/C5/state", "ON", true},
                                                     {"tarnwick/last_frame", frame, true}}));
    b.bridge->Leaving();
    EXPECT_EQ(b.link.Take(), (std::vector<Published>{{"tarnwick/status", "offline", true}}));
}

// Bad input costs a line a minute per kind and nothing on the wire; a flood waits at most 64
// deep, the timetable's commands queue behind it all the same.
TEST(MqttBridge, BadInputAndFloodsAreRefusedQuietly) {
    TempFolder folder;
    Bridged b(folder);
    b.bridge->Connected();
    b.link.Take();
    const auto start = ComplaintLimiter::Clock::now();
    b.bridge->Heard("tarnwick/Q1/set", "ON", false, start);
    b.bridge->Heard("tarnwick/A17/set", "ON", false, start + std::chrono::seconds(59));
    b.bridge->Heard("tarnwick/C5/set", "MAYBE", false, start);
    b.bridge->Heard("tarnwick/C5/set", "ON", true, start);
    b.bridge->Heard("tarnwick/A17/set", "ON", false, start + std::chrono::seconds(61));
    EXPECT_EQ(
        b.Lines(),
        (std::vector<std::string>{
            "tarnwick: mqtt: ignored tarnwick/Q1/set: no such device or house (A to P, units 1 to 16)",
            "tarnwick: mqtt: ignored tarnwick/C5/set: a device takes ON or OFF, a house BRIGHT or DIM",
            "tarnwick: mqtt: ignored tarnwick/C5/set: a retained command is stale",
            "tarnwick: mqtt: ignored tarnwick/A17/set: no such device or house (A to P, units 1 to 16)"}));
    EXPECT_TRUE(b.serial.TakeFrames().empty());
    EXPECT_TRUE(b.link.Take().empty());

    for (int i = 0; i < 100; ++i)
        b.bridge->Heard("tarnwick/A" + std::to_string(i % 16 + 1) + "/set", "ON", false);
    EXPECT_EQ(b.serial.TakeFrames(), std::vector<std::string>{"A1 On"}); // the line was free
    EXPECT_EQ(b.engine.WaitingFrom(FrameSource::Mqtt), kMaxWaitingCommands);
    EXPECT_EQ(b.Lines(),
              std::vector<std::string>{
                  "tarnwick: mqtt: refused tarnwick/A2/set: 64 MQTT commands are waiting already"});
    b.engine.SetTime(0, 2, 0, true, TimeOfDay(7, 31));
    b.clock.Set(LocalAt(2026, 12, 8, 7, 31, 0));
    b.engine.Tick();
    EXPECT_EQ(b.engine.WaitingFrom(FrameSource::Schedule), 1);
}

TEST(MqttSettings, KeptInTheSettingsFileThePasswordForItsOwnerOnly) {
    TempFolder folder;
    folder.Write("tarnwick.ini", "[schedule]\r\ncatch_up_at_start=true\r\n");
    ::chmod((folder / "tarnwick.ini").c_str(), 0644);
    {
        Bridged b(folder);
        MqttSettings settings;
        settings.url = "mqtts://broker.lan";
        settings.password = "secret";
        EXPECT_TRUE(b.engine.EditSettingsFile([&](IniFile& file) { WriteMqttSettings(settings, file); },
                                              FileProtection::OwnerOnly));
        b.engine.SaveAll(); // the engine's own writes keep the section and the protection
    }
    struct stat status {};
    ASSERT_EQ(::stat((folder / "tarnwick.ini").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    const IniFile file = IniFile::Parse(folder.Read("tarnwick.ini"));
    const MqttSettings read = ReadMqttSettings(file);
    EXPECT_EQ(read.url + " " + read.password + " " + *file.Get("schedule", "catch_up_at_start") + " " +
                  file.Get("handover", "last_scanned").value_or("-"),
              "mqtts://broker.lan secret true 2026-12-08T07:30");

    // For one run: --mqtt's URL, the environment's password when the file has none, the host's name.
    MqttSettings none;
    none.topicPrefix = "/home/#/";
    const MqttSettings run = SettingsForRun(none, "mqtt://127.0.0.1:1884", "from-env", "my host.lan");
    EXPECT_EQ(run.url, "mqtt://127.0.0.1:1884");
    EXPECT_EQ(run.password, "from-env");
    EXPECT_EQ(run.nodeId, "my_host_lan");
    EXPECT_EQ(run.topicPrefix, "tarnwick");
    EXPECT_EQ(SettingsForRun(read, "", "from-env", "h").password, "secret");

    EXPECT_EQ(ParseBrokerUrl("mqtt://h"), (BrokerAddress{"h", 1883, false}));
    EXPECT_EQ(ParseBrokerUrl("mqtts://h"), (BrokerAddress{"h", 8883, true}));
    EXPECT_EQ(ParseBrokerUrl("h.lan:1884"), (BrokerAddress{"h.lan", 1884, false}));
    EXPECT_EQ(ParseBrokerUrl("mqtt://[::1]:1885/"), (BrokerAddress{"::1", 1885, false}));
    for (const char* bad : {"", "http://h", "mqtt://", "mqtt://h:", "mqtt://h:0", "mqtt://h:65536",
                            "mqtt://u@h", "mqtt://h/x", "mqtt://h:+1", "mqtt://[::1"})
        EXPECT_FALSE(ParseBrokerUrl(bad)) << bad;
}
