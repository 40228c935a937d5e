#pragma once
// Anti-alias and Alias: outliers moved to the mean of their 3 × 3 window.

#include "image/PixelPlaneViews.h"

namespace tamr {

// A byte above the mean of its window (centre included) becomes the mean,
// truncated; others stay.
bool AntiAliasGray(PixelView pixels);
bool AntiAliasColour(PixelView pixels);

// A byte below the mean of its window becomes the mean, truncated; others stay.
bool AliasGray(PixelView pixels);
bool AliasColour(PixelView pixels);

} // namespace tamr
