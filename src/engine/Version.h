#pragma once
// The program's version, from the project's, in the forms it is shown in.

#include <cstdio>
#include <string>

namespace tarnwick {

inline constexpr int kVersionMajor = TARNWICK_VERSION_MAJOR;
inline constexpr int kVersionMinor = TARNWICK_VERSION_MINOR;
inline constexpr int kVersionPatch = TARNWICK_VERSION_PATCH;

// "1.1.0", for --help and the package.
inline std::string VersionText() {
    return std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionPatch);
}

// "V1.01.00" as the title bar shows it, or "V1.01" without the patch level, as About does.
inline std::string VersionMark(bool withPatch) {
    char text[32];
    if (withPatch)
        std::snprintf(text, sizeof text, "V%d.%02d.%02d", kVersionMajor, kVersionMinor, kVersionPatch);
    else
        std::snprintf(text, sizeof text, "V%d.%02d", kVersionMajor, kVersionMinor);
    return text;
}

} // namespace tarnwick
