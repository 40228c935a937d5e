#include "gui/CompareZoom.h"

#include <algorithm>
#include <array>

namespace tamr::qt {

namespace {

constexpr std::array<double, 21> kSteps = {1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3, 1.0 / 2,
                                           2.0 / 3,  1,        1.5,     2,       3,       4,       6,
                                           8,        12,       16,      24,      32,      48,      64};
// Scales this close count as equal, so that a fitted scale steps to its neighbour.
constexpr double kTolerance = 1e-9;

} // namespace

double NextZoomStep(double scale)
{
    const auto* next =
        std::find_if(kSteps.begin(), kSteps.end(), [scale](double step) { return step > scale + kTolerance; });
    return next == kSteps.end() ? kSteps.back() : *next;
}

double PreviousZoomStep(double scale)
{
    const auto previous =
        std::find_if(kSteps.rbegin(), kSteps.rend(), [scale](double step) { return step < scale - kTolerance; });
    return previous == kSteps.rend() ? kSteps.front() : *previous;
}

double FitScale(QSize picture, QSize viewport)
{
    if (picture.isEmpty() || viewport.isEmpty())
        return 1;
    const double scale = std::min(static_cast<double>(viewport.width()) / picture.width(),
                                  static_cast<double>(viewport.height()) / picture.height());
    return std::clamp(scale, kSmallestCompareScale, kLargestCompareScale);
}

QPointF ScrollAfterZoom(QPointF scroll, QPointF about, double oldScale, double newScale, double devicePixelRatio)
{
    const QPointF picturePoint = (scroll + about) * devicePixelRatio / oldScale;
    return picturePoint * newScale / devicePixelRatio - about;
}

} // namespace tamr::qt
