#pragma once
// config.txt: the eight settings kept between runs.

#include "base/Settings.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr const char* kConfigFileName = "config.txt";

// The most of a file that can matter: only its first eight lines count.
std::size_t ConfigByteBudget();

// The settings of a file's bytes. Where the text ends early or a value cannot be read
// as its kind, the settings read before stay and the rest take their defaults.
// Unknown port, CPU or clock words take their defaults alone.
Settings ParseConfig(std::string_view bytes);

// The file's text for the settings in force.
std::string FormatConfig(const Settings& settings);

} // namespace tarnwick
