#pragma once
// The continuous zoom of the compare window: a scale in device pixels per
// picture pixel, the steps Ctrl+plus and Ctrl+minus go through, and the
// scroll arithmetic that keeps the picture point under the pointer in place.

#include <QPointF>
#include <QSize>

namespace tamr::qt {

inline constexpr double kSmallestCompareScale = 1.0 / 16;
inline constexpr double kLargestCompareScale = 64;

// The next step above or below `scale`, within the smallest and largest scale.
double NextZoomStep(double scale);
double PreviousZoomStep(double scale);

// The largest scale at which a picture fits the viewport (both in device pixels).
double FitScale(QSize picture, QSize viewport);

// The scroll position (logical pixels) that keeps the picture point under
// `about` (viewport logical pixels) in place when the scale changes.
// devicePixelRatio converts device to logical pixels.
QPointF ScrollAfterZoom(QPointF scroll, QPointF about, double oldScale, double newScale, double devicePixelRatio);

} // namespace tamr::qt
