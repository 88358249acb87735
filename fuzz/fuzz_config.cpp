// Any bytes as config.txt: the settings read do not depend on what memory held before, are among
// the values the menus offer, and written out read back as the same file; lines after the eighth
// never count.

#include "FuzzCheck.h"

#include "app/ConfigFile.h"

using namespace tarnwick;
using tarnwick::fuzzing::Check;

// Reads into settings no reader would produce, so a field it forgot to set shows, and writes them out.
static std::string ReadAndWrite(std::string_view bytes, AppState& s, std::int16_t junk) {
    s.CommPortNumber = s.CpuFactor = s.ClockFactor = s.RandomInterval = s.TimeZone = s.DaylightSavings = junk;
    s.Latitude = s.Longitude = junk * 1.25;
    ParseConfig(bytes, s);
    return FormatConfig(s);
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    static const auto a = std::make_unique<AppState>(), b = std::make_unique<AppState>();
    const std::string_view bytes = fuzzing::BytesOf(data, size);
    const std::string written = ReadAndWrite(bytes, *a, 7777);
    Check(ReadAndWrite(bytes, *b, -5) == written, "every setting is set, whatever memory held before");
    Check(ReadAndWrite(written, *b, 3) == written, "a file written once is written again byte for byte");
    Check(a->CommPortNumber == b->CommPortNumber && a->CpuFactor == b->CpuFactor &&
              a->ClockFactor == b->ClockFactor,
          "the port, CPU and clock read are ones the menus offer");
    Check(ReadAndWrite(written + std::string(bytes), *b, 11) == written,
          "lines after the eighth change nothing");
    return 0;
}
