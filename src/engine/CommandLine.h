#pragma once
// The program's command line: the window by default, or `send` to switch
// devices from a script; --port maps a COM number to a device, --simulate
// swaps the interface for one that prints the frames it receives and --mqtt
// names the broker for one run.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tarnwick {

struct CommandLine {
    bool simulate = false;
    bool send = false;
    bool help = false;
    bool catchUp = false;  // send what fell due while the program was not running
    bool plan = false;     // print the switchings planned for the coming days
    bool headless = false; // run the schedule without a window
    int planDays = 7;
    std::string mqttUrl;                    // the broker for this run, over tarnwick.ini's
    std::map<int, std::string> portDevices; // COM number -> device name
    std::vector<std::string> sendWords;     // what follows `send`
    std::string error;                      // non-empty when the line cannot be used
};

CommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText();

struct SendPlan {
    std::vector<std::int32_t> messages;
    std::string error;
};

// "C5 on", "C5 off", "A bright", "A dim", one after another; letters in either case.
SendPlan ParseSendCommands(const std::vector<std::string>& words);

} // namespace tarnwick
