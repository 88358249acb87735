// Any bytes as names.txt. One bad name written at exit would cost every name after it at the next start.

#include "FuzzCheck.h"

#include "remote/NamesFile.h"

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const auto fill = [](DeviceNameTable& table, int k) {
        for (auto& house : table) house.fill(std::string(k + 1, '?'));
    };
    fuzzing::CheckRoundTrip<DeviceNameTable>(fuzzing::BytesOf(data, size), fill, ParseNames, FormatNames);
    return 0;
}
