#pragma once
// `tarnwick plan`: the switchings planned for the coming days, on standard output, from the
// data files of a folder; it writes nothing and takes no lock.

#include "base/Interfaces.h"
#include "engine/CommandLine.h"

#include <filesystem>
#include <ostream>

namespace tarnwick {

// One line a switching: "2026-12-08T07:45", "C5 On", the name, what planned it, by tabs.
// Returns the process exit code.
int RunPlanCommand(const CommandLine& line, IClock& clock, const std::filesystem::path& folder,
                   std::ostream& out);

} // namespace tarnwick
