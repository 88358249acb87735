#pragma once
// Reading and writing the data files. A write is atomic: the text goes to a temporary
// file beside the data file, is flushed to the disk and only then renamed over it, so a
// crash, a full disk or a failed write leaves the previous file as it was.

#include "base/Notation.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// A regular file cut to bound, read a piece at a time, so that a long line is never held
// whole; nullopt when it cannot be opened (missing, a folder).
std::optional<std::string> ReadFile(const std::filesystem::path& path, LineBound bound);

// Who may read a file written: as the file it replaces, or its owner alone (a file holding
// a password), the text never readable by others on its way.
enum class FileProtection { Keep, OwnerOnly };

// Replaces the file with text, keeping its permissions unless told to make it the owner's
// alone; false, with the file untouched and no temporary file left, when any step failed. A
// read-only folder or file, or a folder by that name, is never written.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view text,
                         FileProtection protection = FileProtection::Keep);

// Whether the writes here may create and replace files in the folder: a read-only folder
// counts as such even for a user whom the system would let write there.
bool CanWriteIn(const std::filesystem::path& folder);

// Adds text to the end of the file, creating it if need be, and flushes it to the disk;
// false when it could not, or may not, be written.
bool AppendToFile(const std::filesystem::path& path, std::string_view text);

// Where a write waits until the rename.
std::filesystem::path TemporaryPathOf(const std::filesystem::path& path);

} // namespace tarnwick
