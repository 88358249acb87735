// Any bytes as config.txt. The settings read must not depend on what memory held
// before, must be among the values the program knows, and must come back
// unchanged when written out and read again; lines after the eighth never count.

#include "FuzzCheck.h"

#include "app/ConfigFile.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

using namespace tarnwick;
using tarnwick::fuzzing::Check;
using tarnwick::fuzzing::IsCrLfLines;

namespace {

struct Settings {
    std::int16_t port, cpu, clock, interval;
    double latitude, longitude;
    std::int16_t timeZone, daylight;
    bool operator==(const Settings&) const = default;
};

Settings SettingsOf(const AppState& s) {
    return {s.CommPortNumber, s.CpuFactor, s.ClockFactor, s.RandomInterval,
            s.Latitude,       s.Longitude, s.TimeZone,    s.DaylightSavings};
}

// Settings no reader would ever produce, so a field it forgot to set shows.
void Scribble(AppState& s, std::int16_t junk) {
    s.CommPortNumber = s.CpuFactor = s.ClockFactor = s.RandomInterval = s.TimeZone = s.DaylightSavings = junk;
    s.Latitude = s.Longitude = junk * 1.25;
}

bool OneOf(std::int16_t value, std::initializer_list<std::int16_t> allowed) {
    for (std::int16_t a : allowed)
        if (a == value) return true;
    return false;
}

// The file keeps 15 significant digits, so a longer number read from a hand-made file may move that little.
bool CloseEnough(double written, double read) {
    return written == read || std::abs(written - read) <= 1e-14 * std::abs(written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    static const auto a = std::make_unique<AppState>();
    static const auto b = std::make_unique<AppState>();
    const std::string_view bytes = tarnwick::fuzzing::BytesOf(data, size);

    Scribble(*a, 7777);
    Scribble(*b, -5);
    ParseConfig(bytes, *a);
    ParseConfig(bytes, *b);
    const Settings read = SettingsOf(*a);
    Check(read == SettingsOf(*b), "every setting is set, whatever memory held before");
    Check(OneOf(read.port, {1, 2, 3, 4}), "port is one of COM 1..4");
    Check(OneOf(read.cpu, {1, 3, 9, 27}), "CPU factor is a known one");
    Check(OneOf(read.clock, {25, 50, 100, 200, 400}), "clock factor is a known one");
    Check(OneOf(read.daylight, {kTrue, kFalse}), "daylight flag is -1 or 0");
    Check(std::isfinite(read.latitude) && std::isfinite(read.longitude), "location is finite");

    const std::string written = FormatConfig(*a);
    Check(IsCrLfLines(written, 8), "the file written is eight lines ended by CR LF");
    Scribble(*b, 3);
    ParseConfig(written, *b);
    const Settings reread = SettingsOf(*b);
    Check(reread.port == read.port && reread.cpu == read.cpu && reread.clock == read.clock &&
              reread.interval == read.interval && reread.timeZone == read.timeZone &&
              reread.daylight == read.daylight,
          "whole-number settings read back unchanged");
    Check(CloseEnough(read.latitude, reread.latitude) && CloseEnough(read.longitude, reread.longitude),
          "location reads back to 15 digits");
    Check(FormatConfig(*b) == written, "a file written once is written again byte for byte");

    // Anything after the eighth line is never read.
    std::string tailed = written;
    tailed.append(bytes);
    Scribble(*b, 11);
    ParseConfig(tailed, *b);
    Check(SettingsOf(*b) == reread, "lines after the eighth change nothing");
    return 0;
}
