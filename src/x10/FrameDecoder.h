#pragma once
// Reads frames back off the two control lines, the way the interface does:
// a dropped DTR is a 1, a dropped RTS a 0, both asserted is a pause.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

// "C5 On", "C5 Off", "A Bright", "A Dim"; nullopt for a word no sender makes.
std::optional<std::string> DescribeDataWord(std::uint16_t word);

class FrameDecoder {
public:
    // Called with one line per frame: its description, or an error text
    // starting "Malformed frame".
    using Sink = std::function<void(const std::string& line)>;
    explicit FrameDecoder(Sink sink);

    // The levels of both lines after a change (true = asserted).
    void LinesChanged(bool dtr, bool rts);
    // Long silence: a frame left half-sent is reported and dropped.
    void Timeout();
    bool InFrame() const { return !bits_.empty(); }

private:
    void Bit(int bit);
    void Malformed(const std::string& why);

    Sink sink_;
    std::vector<int> bits_;
    bool dtr_ = true;
    bool rts_ = true;
};

} // namespace tarnwick
