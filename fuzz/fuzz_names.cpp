// Any bytes as names.txt. Every name read must be storable (UTF-8, no quotes or
// line breaks), the names past those read must be empty, and the table written
// out must read back as the same 256 names: one bad name written at exit would
// cost every name after it at the next start.

#include "FuzzCheck.h"

#include "remote/NamesFile.h"

#include <memory>
#include <string>

using namespace tarnwick;
using tarnwick::fuzzing::Check;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    static const auto read = std::make_unique<DeviceNameTable>();
    static const auto reread = std::make_unique<DeviceNameTable>();
    const std::string_view bytes = tarnwick::fuzzing::BytesOf(data, size);

    for (auto& house : *read) house.fill("left over");
    const int count = ParseNames(bytes, *read);
    Check(count >= 0 && count <= kDeviceCount, "the count is of devices");
    for (int d = 0; d < kDeviceCount; ++d) {
        const std::string& name =
            (*read)[static_cast<std::size_t>(d / kUnitCount)][static_cast<std::size_t>(d % kUnitCount)];
        Check(d < count || name.empty(), "names past the file's end are empty");
        Check(name.find_first_of("\"\r\n") == std::string::npos, "a name holds no quote or line break");
        Check(IsValidUtf8(name), "a name is UTF-8");
    }

    const std::string written = FormatNames(*read);
    Check(tarnwick::fuzzing::IsCrLfLines(written, kDeviceCount),
          "the file written is 256 lines ended by CR LF");
    for (auto& house : *reread) house.fill("left over");
    Check(ParseNames(written, *reread) == kDeviceCount, "all 256 names written read back");
    Check(*reread == *read, "the names read back are the names written");
    return 0;
}
