#pragma once
// What every fuzz target needs: stop loudly when a property fails, so that libFuzzer keeps the input.

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
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

// A table read from any bytes does not depend on what it held before (fill puts one of three
// contents in it), and written out it reads back as the same table.
template <typename Table, typename Fill, typename Parse, typename Format>
const Table& CheckRoundTrip(std::string_view bytes, Fill fill, Parse parse, Format format) {
    static const auto a = std::make_unique<Table>(), b = std::make_unique<Table>();
    fill(*a, 0);
    fill(*b, 1);
    parse(bytes, *a);
    parse(bytes, *b);
    Check(*a == *b, "what is read does not depend on what the table held");
    const std::string written = format(*a);
    fill(*b, 2);
    parse(written, *b);
    Check(*b == *a, "the table written reads back unchanged");
    return *a;
}

} // namespace tarnwick::fuzzing
