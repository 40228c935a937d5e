#pragma once
// A BMP file of bare pixels that belong to no image: 24 bits, or 8 bits with
// the gray ramp as its colour table.

#include <cstdint>
#include <vector>

#include "image/PixelPlaneViews.h"

namespace tamr {

// bytesPerPixel 3 (blue, green, red) or 1 (gray); the view's bottom-up padded
// rows become the file's rows. Empty when the view does not hold such a
// picture or it is too large for a BMP file.
std::vector<std::uint8_t> PlainBmpFile(ConstPixelView pixels, int bytesPerPixel);

} // namespace tamr
