// Any bytes through the shared notation. The first byte picks the line-length cap, the second how
// many fields the byte budget is tried for; the rest is the text. The text cut to the byte budget
// reads like the whole text, and every date-time and number taken from a field is written as text
// that reads back as the same value and is written again the same.

#include "FuzzCheck.h"

#include "base/Notation.h"

#include <cmath>

using namespace tarnwick;
using tarnwick::fuzzing::Check;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size < 2) return 0;
    // Mostly short caps, where lines run over them, sometimes the long ones the files use.
    const std::size_t maxLine = data[0] < 192 ? data[0] % 64 : static_cast<std::size_t>(data[0] - 192) * 16;
    const std::size_t budget = data[1] % 32 + 1;
    const std::string_view text = fuzzing::BytesOf(data + 2, size - 2);
    NotationReader reader(text, maxLine),
        cut(text.substr(0, NotationReader::ByteBudget(budget, maxLine)), maxLine);
    for (std::size_t i = 0;; ++i) {
        const auto field = reader.NextField();
        if (i < budget)
            Check(cut.NextField() == field, "text cut at the byte budget reads like the whole text");
        if (!field) return 0;
        if (const auto t = ParseDateTime(*field))
            Check(ParseDateTime(FormatDateTime(*t)) == t, "a date-time reads back");
        if (const auto d = ParseDouble(*field)) {
            const std::string written = FormatDouble(*d);
            const auto back = ParseDouble(written);
            Check(back && std::abs(*back - *d) <= 1e-14 * std::abs(*d) && FormatDouble(*back) == written,
                  "a number reads back to 15 digits and is written again the same");
        }
    }
}
