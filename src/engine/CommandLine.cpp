#include "engine/CommandLine.h"

#include "engine/Version.h"
#include "x10/CodeTable.h"

#include <algorithm>
#include <cctype>

namespace tarnwick {
namespace {

// Locale-free and safe for any byte, where ::isdigit of a negative char is undefined.
bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// "2=/dev/ttyUSB0" -> COM 2 on /dev/ttyUSB0.
bool AddPortMapping(const std::string& value, CommandLine& line) {
    const auto eq = value.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == value.size()) return false;
    const std::string number = value.substr(0, eq);
    if (number.size() > 2 || !AllDigits(number)) return false;
    const int port = std::stoi(number);
    if (port < 1 || port > 99) return false;
    line.portDevices[port] = value.substr(eq + 1);
    return true;
}

// House letter A..P as 0..15, or -1.
int HouseOf(char c) {
    const int h = std::toupper(static_cast<unsigned char>(c)) - 'A';
    return h >= 0 && h < kHouseCount ? h : -1;
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    bool seenCommand = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--simulate") {
            line.simulate = true;
        } else if (a == "--catch-up") {
            line.catchUp = true;
        } else if (a == "--headless") {
            line.headless = true;
        } else if (a == "--help" || a == "-h") {
            line.help = true;
        } else if (a == "--port" || a.rfind("--port=", 0) == 0) {
            std::string value;
            if (a == "--port") {
                if (i + 1 == args.size()) {
                    line.error = "--port needs a value such as 2=/dev/ttyUSB0";
                    return line;
                }
                value = args[++i];
            } else {
                value = a.substr(7);
            }
            if (!AddPortMapping(value, line)) {
                line.error = "--port takes N=DEVICE with N from 1 to 99, such as 2=/dev/ttyUSB0, not \"" +
                             value + "\"";
                return line;
            }
        } else if (a == "--mqtt" || a.rfind("--mqtt=", 0) == 0) {
            line.mqttUrl = a == "--mqtt" ? (i + 1 < args.size() ? args[++i] : "") : a.substr(7);
            if (line.mqttUrl.empty()) {
                line.error = "--mqtt needs a broker URL such as mqtt://localhost:1883";
                return line;
            }
        } else if (!seenCommand && a == "send") {
            seenCommand = line.send = true;
        } else if (!seenCommand && a == "plan") {
            seenCommand = line.plan = true;
        } else if (line.plan && (a == "--days" || a.rfind("--days=", 0) == 0)) {
            const std::string value = a == "--days" ? (i + 1 < args.size() ? args[++i] : "") : a.substr(7);
            if (value.size() != 1 || value[0] < '1' || value[0] > '7') {
                line.error = "--days takes a number of days from 1 to 7, not \"" + value + "\"";
                return line;
            }
            line.planDays = value[0] - '0';
        } else if (line.send && (a.empty() || a[0] != '-')) {
            line.sendWords.push_back(a);
        } else {
            line.error = "unknown argument \"" + a + "\"";
            return line;
        }
    }
    if ((line.send || line.plan) && (line.catchUp || line.headless || !line.mqttUrl.empty())) {
        line.error =
            std::string(line.send ? "send" : "plan") + " takes neither --headless, --catch-up nor --mqtt";
        return line;
    }
    if (line.send && line.sendWords.empty() && !line.help)
        line.error = "send needs at least one command, such as: send C5 on";
    return line;
}

std::string UsageText() {
    return "Tarnwick " + VersionText() +
           "\n"
           "\n"
           "Usage: tarnwick [--headless] [--simulate] [--catch-up] [--port N=DEVICE]... [--mqtt URL]\n"
           "       tarnwick send [--simulate] [--port N=DEVICE]... COMMAND...\n"
           "       tarnwick plan [--days N]\n"
           "\n"
           "Without a command, opens the Tarnwick window. Data files are kept in the current folder,\n"
           "with history.txt, a line for each frame sent. One window at a time runs in a folder;\n"
           "a second start there exits with status 3.\n"
           "\n"
           "--headless runs the schedule without a window or a display, logging a line for each\n"
           "frame and each change of the port on standard error; SIGTERM, SIGINT and SIGHUP save\n"
           "and end it. A window started in its folder takes the folder over and hands it back\n"
           "when it ends; a service started where a window runs waits for it.\n"
           "\n"
           "plan prints the switchings planned for the next N days (1 to 7, default 7), a line each:\n"
           "local time, command, name and what planned it, separated by tabs. It reads the data\n"
           "files of the current folder and changes nothing, beside a running program too.\n"
           "\n"
           "Commands for send, one after another:\n"
           "  C5 on | C5 off    switch device C5 (houses A..P, units 1..16)\n"
           "  A bright | A dim  brighten or dim house code A\n"
           "\n"
           "Options:\n"
           "  --port N=DEVICE   use DEVICE for COM N, e.g. --port 2=/dev/ttyUSB0 (repeatable)\n"
           "  --simulate        no interface needed: print each frame sent on standard error\n"
           "  --catch-up        at start, send each device the last switching due for it in the\n"
           "                    week before, as Configure > Catch Up at Start does at every start;\n"
           "                    randomized entries count at their shifts as they stand now\n"
           "  --mqtt URL        for this run, bridge to the MQTT broker at URL, such as\n"
           "                    mqtt://localhost:1883 or mqtts://host:8883, instead of the one\n"
           "                    in tarnwick.ini; the password comes from tarnwick.ini or\n"
           "                    TARNWICK_MQTT_PASSWORD\n";
}

SendPlan ParseSendCommands(const std::vector<std::string>& words) {
    SendPlan plan;
    for (std::size_t i = 0; i < words.size(); i += 2) {
        const std::string& target = words[i];
        if (i + 1 == words.size()) {
            plan.error = "\"" + target + "\" needs on, off, bright or dim after it";
            return plan;
        }
        const std::string action = Lower(words[i + 1]);
        const int house = target.empty() ? -1 : HouseOf(target[0]);
        if (house < 0) {
            plan.error = "unknown house code in \"" + target + "\": use A to P";
            return plan;
        }
        const std::string unitText = target.substr(1);
        if (unitText.empty()) {
            if (action == "bright")
                plan.messages.push_back(BrightMessage(house));
            else if (action == "dim")
                plan.messages.push_back(DimMessage(house));
            else {
                plan.error = "a house code takes bright or dim, not \"" + words[i + 1] + "\"";
                return plan;
            }
            continue;
        }
        const bool digits = unitText.size() <= 2 && AllDigits(unitText);
        const int unit = digits ? std::stoi(unitText) : 0;
        if (unit < 1 || unit > kUnitCount) {
            plan.error = "unknown device \"" + target + "\": units run from 1 to 16";
            return plan;
        }
        if (action == "on")
            plan.messages.push_back(UnitOnMessage(house, unit - 1));
        else if (action == "off")
            plan.messages.push_back(UnitOffMessage(house, unit - 1));
        else {
            plan.error = "a device takes on or off, not \"" + words[i + 1] + "\"";
            return plan;
        }
    }
    return plan;
}

} // namespace tarnwick
