#pragma once
// names.txt: the names of the 256 devices, one quoted name a line, A1 first.

#include "base/Devices.h"
#include "base/Notation.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr const char* kNamesFileName = "names.txt";

// The name without the characters the file cannot hold, double quotes and line breaks,
// and cut to the longest name its line may hold, never inside a UTF-8 character.
std::string SanitizeName(std::string_view name);

bool IsValidUtf8(std::string_view text);
std::string Windows1252ToUtf8(std::string_view text);

// Fills every name from a file's bytes, line n for device n - 1, and gives how many
// were in the file; names past the file's end are empty, and so is the name of a line
// too long to read, which costs no other name. A line that is not valid UTF-8 is taken
// as Windows-1252.
int ParseNames(std::string_view bytes, DeviceNameTable& names);
// UTF-8 text of 256 lines, each name between double quotes.
std::string FormatNames(const DeviceNameTable& names);

// The most of a file that can matter: its lines, each cut where it is too long to be read.
LineBound NamesLineBound();

} // namespace tarnwick
