#pragma once
// Negative: every byte v becomes 255 - v.

#include "image/PixelPlaneViews.h"

namespace tamr {

// Gray images are inverted whole: every byte of the pixel array, border rows
// and columns and row padding included.
bool NegativeGray(PixelView pixels);

// Colour images are inverted inside a one-pixel frame that keeps its bytes,
// like every other filter; the row padding is untouched.
bool NegativeColour(PixelView pixels);

} // namespace tamr
