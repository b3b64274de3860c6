#pragma once

#include <QFontMetrics>

namespace quay {

// A pixel size designed for the window's original font (8-point sans serif, 13 pixels a line)
// at the line height of metrics, so that it grows with the font and with the screen's scaling.
inline int fontScaled(const QFontMetrics& metrics, int designPixels) {
    constexpr int kDesignLineHeight = 13;
    return (designPixels * metrics.height() + kDesignLineHeight / 2) / kDesignLineHeight;
}

}  // namespace quay
