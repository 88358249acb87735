// Any bytes as config.txt: the settings read are among the values the menus offer, written out
// they read back as the same file, lines after the eighth never count, and the file cut to what
// is read from the disk reads the same.

#include "FuzzCheck.h"

#include "engine/ConfigFile.h"

using namespace tarnwick;
using tarnwick::fuzzing::Check;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view bytes = fuzzing::BytesOf(data, size);
    const Settings read = ParseConfig(bytes);
    const std::string written = FormatConfig(read);
    Check(FormatConfig(ParseConfig(written)) == written,
          "a file written once is written again byte for byte");
    Check(read.commPort >= 1 && read.commPort <= 4, "the port read is one the menu offers");
    Check(ParseConfig(written + std::string(bytes)) == ParseConfig(written),
          "lines after the eighth change nothing");
    Check(ParseConfig(CutToBound(bytes, ConfigLineBound())) == read,
          "the file as read from the disk reads the same");
    return 0;
}
