#pragma once
// How wide a wrapped caption must be to stay within the lines its design gives it, whatever
// the font: the designs' widths were drawn for a narrower font than most systems show.

#include <QFontMetrics>
#include <QRect>
#include <QString>

namespace tarnwick {

// The narrowest width at which text, wrapped at its blanks, takes at most `lines` lines.
inline int WidthForLines(const QFontMetrics& metrics, const QString& text, int lines) {
    const auto fits = [&](int width) {
        const QRect wrapped = metrics.boundingRect(QRect(0, 0, width, 1 << 20), Qt::TextWordWrap, text);
        return wrapped.height() <= lines * metrics.lineSpacing() && wrapped.width() <= width;
    };
    int low = 1;
    int high = metrics.horizontalAdvance(text) + 1; // on one line it always fits
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (fits(middle))
            high = middle;
        else
            low = middle + 1;
    }
    return high;
}

} // namespace tarnwick
