// Any bytes as tarnwick.ini: the file read is written back as it was, and a setting written
// reads back as written.

#include "FuzzCheck.h"

#include "engine/AppSettings.h"

using namespace tarnwick;
using tarnwick::fuzzing::Check;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view bytes = fuzzing::BytesOf(data, size);
    IniFile file = IniFile::Parse(bytes);
    const AppSettings read = ReadAppSettings(file);
    const std::string before = file.Format();
    Check(IniFile::Parse(before).Format() == before, "a file written once is written again byte for byte");
    AppSettings changed = read;
    changed.catchUpAtStart = !read.catchUpAtStart;
    WriteAppSettings(changed, file);
    const std::string after = file.Format();
    Check(ReadAppSettings(IniFile::Parse(after)) == changed, "a setting written reads back as written");
    IniFile again = IniFile::Parse(after);
    WriteAppSettings(read, again);
    Check(ReadAppSettings(again) == read, "and can be set back");
    return 0;
}
