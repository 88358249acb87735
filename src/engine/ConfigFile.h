#pragma once
// config.txt: the eight settings kept between runs.

#include "base/Notation.h"
#include "base/Settings.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr const char* kConfigFileName = "config.txt";

// The most of a file that can matter: only its first eight lines count.
LineBound ConfigLineBound();

// The settings of a file's bytes, field by field. A value that cannot be read as its kind,
// an unknown port, CPU or clock word, or a line too long to read costs that setting
// alone, which takes its default; where the text ends early the rest take theirs.
Settings ParseConfig(std::string_view bytes);

// The file's text for the settings in force.
std::string FormatConfig(const Settings& settings);

} // namespace tarnwick
