#pragma once
// The 3 × 3 convolution behind the Edge, Detail, Smooth, Sharpen and Brighten filters.

#include "enhance/FilterKernel.h"
#include "image/PixelPlaneViews.h"

namespace tamr {

// Each interior byte becomes the kernel's weighted sum of its window, wrapped
// to 16 bits, divided by the divisor and clamped to 0 ... 255. The kernel is
// prepared (clamped, divisor 0 made 1) first. False when the row copies
// cannot be allocated or the view does not hold its rows; the pixels are then
// untouched.
bool ConvolveGray(PixelView pixels, const FilterKernel& kernel);
bool ConvolveColour(PixelView pixels, const FilterKernel& kernel);

} // namespace tamr
