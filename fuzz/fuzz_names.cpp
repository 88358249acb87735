// Any bytes as names.txt. A name written at exit that could not be read back would be lost at the next
// start; the file cut to what is read from the disk reads the same.

#include "FuzzCheck.h"

#include "remote/NamesFile.h"

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const auto fill = [](DeviceNameTable& table, int k) {
        for (auto& house : table) house.fill(std::string(k + 1, '?'));
    };
    const std::string_view bytes = fuzzing::BytesOf(data, size);
    const DeviceNameTable& read =
        fuzzing::CheckRoundTrip<DeviceNameTable>(bytes, fill, ParseNames, FormatNames);
    static const auto cut = std::make_unique<DeviceNameTable>();
    ParseNames(CutToBound(bytes, NamesLineBound()), *cut);
    fuzzing::Check(*cut == read, "the file as read from the disk reads the same");
    return 0;
}
