#include "app/SendCommand.h"

#include "app/ConfigFile.h"
#include "app/QtSerialControl.h"
#include "app/SystemClocks.h"
#include "base/DataFiles.h"
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
// Eight short lines; anything past this is not settings.
constexpr std::size_t kConfigReadLimit = 64 * 1024;
} // namespace

int RunSendCommand(const CommandLine& line, std::ostream& err) {
    const SendPlan plan = ParseSendCommands(line.sendWords);
    if (!plan.error.empty()) {
        err << "tarnwick: " << plan.error << "\n";
        return 2;
    }

    auto state = std::make_unique<AppState>();
    InitializeData(*state, 0);
    // The settings of config.txt when there is one; a missing file is not created here.
    ApplyConfigDefaults(*state);
    FileTable files;
    if (const auto bytes = files.ReadFile(kConfigFileName, kConfigReadLimit)) ParseConfig(*bytes, *state);

    SystemSteadyClock steady;
    std::unique_ptr<ISerialControl> serial;
    if (line.simulate)
        serial = std::make_unique<SimulatedSerialControl>(err, &steady);
    else
        serial = std::make_unique<QtSerialControl>(line.portDevices);
    serial->SetCommPort(state->CommPortNumber);
    serial->SetSettings("9600,N,8,1");
    if (!OpenPort(*serial)) {
        const auto* qt = dynamic_cast<QtSerialControl*>(serial.get());
        err << "tarnwick: cannot open COM " << state->CommPortNumber;
        if (qt) err << " (" << qt->DeviceName().toStdString() << ")";
        err << ": it is missing or another program has it open\n";
        return 1;
    }
    serial->SetDTREnable(true);
    serial->SetRTSEnable(true);

    Transmitter transmitter(*state, *serial, &steady);
    for (std::size_t i = 0; i < plan.messages.size(); ++i) {
        if (i > 0) std::this_thread::sleep_for(kPauseBetweenFrames);
        transmitter.Transmit_Message(plan.messages[i]);
    }
    return 0;
}

} // namespace tarnwick
