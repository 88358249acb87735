#pragma once
// Converts the window designs' twips into pixels. The designs were drawn at 15 twips
// a pixel for an 8-point system font 13 pixels high; a larger font grows the whole
// design with it, so every caption still fits the place the design gives it.

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace tarnwick {

class TwipScale {
public:
    explicit TwipScale(const QFontMetrics& metrics)
        : pixelsPerTwip_(std::max(1.0, metrics.height() / kDesignLineHeight) / kTwipsPerPixel) {}

    int operator()(int twips) const { return static_cast<int>(std::lround(twips * pixelsPerTwip_)); }

private:
    static constexpr double kDesignLineHeight = 13.0;
    static constexpr double kTwipsPerPixel = 15.0;
    double pixelsPerTwip_;
};

} // namespace tarnwick
