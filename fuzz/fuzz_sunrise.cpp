// Any bytes as Sunrise.txt. Every code read is one the page offers, and an event has a shift exactly
// while it is randomised; the file cut to what is read from the disk reads the same.

#include "FuzzCheck.h"

#include "sun/SunriseFile.h"

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const auto fill = [](SunEventTable& table, int k) {
        for (auto& device : table)
            device.fill({SunWhen(k), std::chrono::seconds{7205 + k}, SunAction(2 - k), k != 0,
                         std::chrono::minutes{k}});
    };
    const std::string_view bytes = fuzzing::BytesOf(data, size);
    const SunEventTable& read =
        fuzzing::CheckRoundTrip<SunEventTable>(bytes, fill, ParseSunEvents, FormatSunEvents);
    static const auto cut = std::make_unique<SunEventTable>();
    ParseSunEvents(CutToBound(bytes, SunriseLineBound()), *cut);
    fuzzing::Check(*cut == read, "the file as read from the disk reads the same");
    const auto known = [](auto code) { return static_cast<int>(code) >= 0 && static_cast<int>(code) <= 2; };
    for (const auto& device : read)
        for (const SunEvent& e : device) {
            fuzzing::Check(known(e.when) && known(e.action), "codes are 0 to 2");
            fuzzing::Check(e.randomised == (e.shift.count() != 0), "a shift is there while randomised");
        }
    return 0;
}
