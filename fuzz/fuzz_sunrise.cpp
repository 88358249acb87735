// Any bytes as Sunrise.txt. Every code read is one the page offers.

#include "FuzzCheck.h"

#include "sun/SunriseFile.h"

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const auto fill = [](SunEventTable& table, int k) {
        for (auto& device : table) device.fill({SunWhen(k), 2.5, SunAction(2 - k), 0.25 + k});
    };
    const SunEventTable& read = fuzzing::CheckRoundTrip<SunEventTable>(fuzzing::BytesOf(data, size), fill,
                                                                       ParseSunEvents, FormatSunEvents);
    const auto known = [](auto code) { return static_cast<int>(code) >= 0 && static_cast<int>(code) <= 2; };
    for (const auto& device : read)
        for (const SunEvent& e : device) fuzzing::Check(known(e.when) && known(e.action), "codes are 0 to 2");
    return 0;
}
