#pragma once
// What every fuzz target needs: stop loudly when a property fails, so that
// libFuzzer keeps the input.

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace tarnwick::fuzzing {

// Not assert(): the check must hold in the optimised build the fuzzer runs.
inline void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz property violated: %s\n", what);
    std::abort();
}

inline std::string_view BytesOf(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Exactly count lines, each ended by CR LF, and no other line break anywhere.
// Steps from line end to line end: a byte loop here would cost more than the reader under test.
inline bool IsCrLfLines(std::string_view text, std::size_t count) {
    std::size_t lines = 0;
    std::size_t from = 0;
    for (std::size_t cr; (cr = text.find('\r', from)) != std::string_view::npos; from = cr + 2) {
        if (cr + 1 == text.size() || text[cr + 1] != '\n') return false;
        ++lines;
    }
    std::size_t linefeeds = 0;
    for (std::size_t lf = text.find('\n'); lf != std::string_view::npos; lf = text.find('\n', lf + 1))
        ++linefeeds;
    return lines == count && linefeeds == count && text.ends_with("\r\n");
}

} // namespace tarnwick::fuzzing
