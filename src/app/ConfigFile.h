#pragma once
// config.txt: the eight settings kept between runs.

#include "base/AppState.h"
#include "base/DataFiles.h"

#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr const char* kConfigFileName = "config.txt";

// The settings used when there is no file; Latitude and Longitude are left alone.
void ApplyConfigDefaults(AppState& state);

// Sets all eight settings from a file's bytes. Only the first eight lines count.
// Where the text ends early or a value cannot be read as its kind, the settings
// read before stay and the rest take their defaults (Latitude and Longitude 0).
// Unknown port, CPU or clock words take their defaults alone.
void ParseConfig(std::string_view bytes, AppState& state);

// The file's text for the settings in force.
std::string FormatConfig(const AppState& state);

// Loads config.txt, or applies the defaults and writes a fresh file when it cannot be opened.
void ReadConfigFile(AppState& state, FileTable& files);
// Replaces config.txt; leaves it as it was when it cannot be written.
void UpdateConfigFile(const AppState& state, FileTable& files);

} // namespace tarnwick
