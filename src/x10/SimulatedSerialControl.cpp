#include "x10/SimulatedSerialControl.h"

namespace tarnwick {
namespace {
// Far longer than any half-step of a frame on a current PC, far shorter than the gap between frames.
constexpr std::int64_t kFrameGapNs = 500'000'000;
} // namespace

SimulatedSerialControl::SimulatedSerialControl(std::ostream& out, ISteadyClock* steady)
    : out_(out), steady_(steady), decoder_([this](const std::string& line) { out_ << line << std::endl; }) {}

bool SimulatedSerialControl::SetLine(Line line, bool asserted) {
    (line == Line::Dtr ? dtr_ : rts_) = asserted;
    Changed();
    return true;
}

void SimulatedSerialControl::Changed() {
    if (steady_) {
        const std::int64_t now = steady_->NowNanoseconds();
        if (decoder_.InFrame() && now - lastChange_ > kFrameGapNs) decoder_.Timeout();
        lastChange_ = now;
    }
    decoder_.LinesChanged(dtr_, rts_);
}

} // namespace tarnwick
