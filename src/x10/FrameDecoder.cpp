#include "x10/FrameDecoder.h"

#include "x10/CodeTable.h"

#include <array>
#include <cstdio>

namespace tarnwick {
namespace {


std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

unsigned Field(const std::vector<int>& bits, std::size_t first, std::size_t count) {
    unsigned v = 0;
    for (std::size_t i = first; i < first + count; ++i) v = v << 1 | static_cast<unsigned>(bits[i]);
    return v;
}

} // namespace

std::optional<std::string> DescribeDataWord(std::uint16_t word) {
    const unsigned nibble = word >> 12;
    char house = 0;
    for (int h = 0; h < kHouseCount; ++h)
        if (kHouseNibble[h] == nibble) house = static_cast<char>('A' + h);
    const unsigned high = (word >> 8) & 0x0F;
    const unsigned low = word & 0xFF;
    std::string text(1, house);
    if (high == 0 && low == 0x88) return text.append(" Bright");
    if (high == 0 && low == 0x98) return text.append(" Dim");
    if ((high & ~0x4u) != 0 || (low & ~0x78u) != 0) return std::nullopt;
    int unit = 0;
    if (low & 0x10) unit |= 1;
    if (low & 0x08) unit |= 2;
    if (low & 0x40) unit |= 4;
    if (high & 0x4) unit |= 8;
    text.append(std::to_string(unit + 1));
    return text.append((low & 0x20) ? " Off" : " On");
}

FrameDecoder::FrameDecoder(Sink sink) : sink_(std::move(sink)) {}

void FrameDecoder::LinesChanged(bool dtr, bool rts) {
    const bool wasPause = dtr_ && rts_;
    dtr_ = dtr;
    rts_ = rts;
    if (!dtr && !rts) {
        if (InFrame()) Malformed("both lines dropped");
        return;
    }
    // A bit counts once, when the lines leave the pause state for it.
    if (wasPause && !dtr) Bit(1);
    if (wasPause && !rts) Bit(0);
}

void FrameDecoder::Timeout() {
    if (InFrame()) Malformed("ended after " + std::to_string(bits_.size()) + " bits");
}

void FrameDecoder::Bit(int bit) {
    bits_.push_back(bit);
    if (bits_.size() < static_cast<std::size_t>(kFrameBitCount)) return;
    const unsigned header = Field(bits_, 0, 16);
    const auto word = static_cast<std::uint16_t>(Field(bits_, 16, 16));
    const unsigned footer = Field(bits_, 32, 8);
    if (header != kFrameHeader) return Malformed("header " + Hex(header, 4));
    if (footer != kFrameFooter) return Malformed("footer " + Hex(footer, 2));
    const auto text = DescribeDataWord(word);
    if (!text) return Malformed("data " + Hex(word, 4));
    bits_.clear();
    sink_(*text);
}

void FrameDecoder::Malformed(const std::string& why) {
    bits_.clear();
    sink_("Malformed frame: " + why);
}

} // namespace tarnwick
