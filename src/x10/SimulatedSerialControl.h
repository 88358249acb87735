#pragma once
// A serial control that needs no hardware: it always opens, follows the two
// lines and reports every frame it sees, for trying the program without an
// interface and for end-to-end tests.

#include "base/Interfaces.h"
#include "x10/FrameDecoder.h"

#include <ostream>

namespace tarnwick {

class SimulatedSerialControl final : public ISerialControl {
public:
    // Frames are reported on out, one line each. steady may be null; with it,
    // a frame that stops for longer than a frame's pause is reported as cut off.
    SimulatedSerialControl(std::ostream& out, ISteadyClock* steady);

    bool Open(int) override {
        open_ = true;
        SetLines(true, true);
        return true;
    }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    std::string DeviceName(int) const override { return {}; }

protected:
    bool SetLine(Line line, bool asserted) override;

private:
    void Changed();

    std::ostream& out_;
    ISteadyClock* steady_;
    FrameDecoder decoder_;
    bool open_ = false;
    bool dtr_ = true;
    bool rts_ = true;
    std::int64_t lastChange_ = 0;
};

} // namespace tarnwick
