// Any bytes as Sunrise.txt. Every code read is one the page offers.

#include "FuzzCheck.h"

#include "sun/SunriseFile.h"

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const auto fill = [](SunriseTable& table, int k) {
        for (auto& device : table) device.fill({std::int16_t(7 + k), 2.5, 7, 0.25});
    };
    const SunriseTable& read = fuzzing::CheckRoundTrip<SunriseTable>(
        fuzzing::BytesOf(data, size), fill, ParseSunriseSchedule, FormatSunriseSchedule);
    for (const auto& device : read)
        for (const SunriseEvent& e : device)
            fuzzing::Check(e.When >= 0 && e.When <= 2 && e.Action >= 0 && e.Action <= 2, "codes are 0 to 2");
    return 0;
}
