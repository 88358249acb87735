#pragma once
// `tarnwick send`: switches devices from a script or a cron job, through the
// same transmitter and with the port and timing of config.txt, without a window.

#include "engine/CommandLine.h"

#include <ostream>

namespace tarnwick {

// Returns the process exit code; errors are explained on err.
int RunSendCommand(const CommandLine& line, std::ostream& err);

} // namespace tarnwick
