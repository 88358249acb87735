// Any bytes through the shared notation. The first byte picks the line-length cap, the second how
// many lines the text is cut to and the size of the pieces the cut is fed in; the rest is the text.
// The text cut to those lines reads like the whole text, and every date-time and number taken from
// a field is written as text that reads back as the same value and is written again the same.

#include "FuzzCheck.h"

#include "base/Notation.h"

#include <cmath>

using namespace tarnwick;
using tarnwick::fuzzing::Check;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size < 2) return 0;
    // Mostly short caps, where lines run over them, sometimes the long ones the files use.
    const std::size_t maxLine = data[0] < 192 ? data[0] % 64 : static_cast<std::size_t>(data[0] - 192) * 16;
    const std::size_t lines = data[1] % 32 + 1, pieceSize = data[1] / 32 + 1;
    const std::string_view text = fuzzing::BytesOf(data + 2, size - 2);
    LineCutter cutter({lines, maxLine});
    for (std::size_t at = 0; at < text.size() && cutter.Feed(text.substr(at, pieceSize)); at += pieceSize) {
    }
    const std::string cutText = cutter.Take();
    Check(cutText == CutToBound(text, {lines, maxLine}), "the cut does not depend on the pieces fed");
    NotationReader reader(text, maxLine), cut(cutText, maxLine);
    for (std::size_t i = 0;; ++i) {
        const auto field = reader.NextField();
        if (i < lines)
            Check(cut.NextField() == field, "the text cut to its first lines reads like the whole");
        if (!field && reader.AtEnd()) return 0;
        if (!field) continue;
        if (const auto t = ParseDateTime(*field))
            Check(ParseDateTime(FormatDateTime(*t)) == t, "a date-time reads back");
        if (const auto d = ParseDouble(*field)) {
            const std::string written = FormatDouble(*d);
            const auto back = ParseDouble(written);
            Check(back && std::abs(*back - *d) <= 1e-14 * std::abs(*d) && FormatDouble(*back) == written,
                  "a number reads back to 15 digits and is written again the same");
            Check(written.find_first_of("eE") == std::string::npos,
                  "a number is written without an exponent");
        }
    }
}
