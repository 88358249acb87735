#include "app/SendCommand.h"

#include "app/QtSerialControl.h"
#include "app/SystemClocks.h"
#include "base/FileAccess.h"
#include "engine/ConfigFile.h"
#include "x10/CodeTable.h"
#include "x10/SimulatedSerialControl.h"
#include "x10/Transmitter.h"

#include <chrono>
#include <memory>
#include <thread>

namespace tarnwick {
namespace {
// The interface needs time to finish its radio bursts before the next frame.
constexpr auto kPauseBetweenFrames = std::chrono::milliseconds(1000);
} // namespace

int RunSendCommand(const CommandLine& line, std::ostream& err) {
    const SendPlan plan = ParseSendCommands(line.sendWords);
    if (!plan.error.empty()) {
        err << "tarnwick: " << plan.error << "\n";
        return 2;
    }

    // The settings of config.txt when there is one; a missing file is not created here.
    Settings settings;
    if (const auto bytes = ReadFile(kConfigFileName, ConfigLineBound())) settings = ParseConfig(*bytes);

    SystemSteadyClock steady;
    std::unique_ptr<ISerialControl> serial;
    if (line.simulate)
        serial = std::make_unique<SimulatedSerialControl>(err, &steady);
    else
        serial = std::make_unique<QtSerialControl>(line.portDevices);
    Transmitter transmitter(settings, *serial, &steady);
    if (!transmitter.OpenPort()) {
        err << "tarnwick: cannot open COM " << settings.commPort;
        if (const std::string device = serial->DeviceName(settings.commPort); !device.empty())
            err << " (" << device << ")";
        err << ": it is missing or another program has it open\n";
        return 1;
    }
    int status = 0;
    transmitter.SetFrameObserver([&](const FrameReport& frame) {
        if (frame.wentOut) return;
        err << "tarnwick: " << CommandText(frame.message) << " not sent: " << frame.failure << "\n";
        status = 1;
    });
    for (std::size_t i = 0; i < plan.messages.size(); ++i) {
        if (i > 0) std::this_thread::sleep_for(kPauseBetweenFrames);
        transmitter.Send(plan.messages[i]);
    }
    return status;
}

} // namespace tarnwick
