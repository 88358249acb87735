#include "app/CommandLine.h"

#include <gtest/gtest.h>

using namespace tarnwick;

namespace {

TEST(CommandLine, WindowOptions) {
    const auto line = ParseCommandLine({"--simulate", "--port", "2=/dev/ttyUSB0", "--port=3=/dev/ttyACM0"});
    EXPECT_TRUE(line.error.empty()) << line.error;
    EXPECT_TRUE(line.simulate);
    EXPECT_FALSE(line.send);
    EXPECT_EQ(line.portDevices.at(2), "/dev/ttyUSB0");
    EXPECT_EQ(line.portDevices.at(3), "/dev/ttyACM0");
}

TEST(CommandLine, RejectsWhatItCannotUse) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"--port"},
                                                                  {"--port", "x=/dev/a"},
                                                                  {"--port", "2="},
                                                                  {"--port", "0=/dev/a"},
                                                                  {"--frobnicate"},
                                                                  {"send"},
                                                                  {"stray"}}) {
        EXPECT_FALSE(ParseCommandLine(args).error.empty()) << args[0];
    }
}

TEST(CommandLine, SendTakesItsWordsAndOptionsAnywhere) {
    const auto line = ParseCommandLine({"send", "A1", "on", "--simulate", "B3", "off"});
    EXPECT_TRUE(line.error.empty()) << line.error;
    EXPECT_TRUE(line.send);
    EXPECT_TRUE(line.simulate);
    EXPECT_EQ(line.sendWords, (std::vector<std::string>{"A1", "on", "B3", "off"}));
}

TEST(SendCommands, BuildsMessageNumbers) {
    const auto plan = ParseSendCommands({"C5", "on", "C3", "OFF", "p", "bright", "A", "dim", "P16", "off"});
    EXPECT_TRUE(plan.error.empty()) << plan.error;
    EXPECT_EQ(plan.messages, (std::vector<std::int32_t>{76, 73, 542, 33, 541}));
}

TEST(SendCommands, ExplainsBadCommands) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"Q7", "on"}, "unknown house code in \"Q7\""},
        {{"A17", "on"}, "unknown device \"A17\""},
        {{"A0", "on"}, "unknown device \"A0\""},
        {{"A1x", "on"}, "unknown device \"A1x\""},
        {{"A1", "up"}, "a device takes on or off, not \"up\""},
        {{"A", "on"}, "a house code takes bright or dim"},
        {{"A1"}, "needs on, off, bright or dim"},
    };
    for (const auto& [words, message] : cases) {
        const auto plan = ParseSendCommands(words);
        EXPECT_NE(plan.error.find(message), std::string::npos) << plan.error;
    }
}

} // namespace
