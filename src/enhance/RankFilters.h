#pragma once
// Filters that pick one of the values of a pixel's neighbourhood: Despeckle
// (an order statistic of the 3 × 3 window), Erode and Dilate (the smallest and
// largest of the pixel and its four direct neighbours).

#include <cstdint>

#include "image/PixelPlaneViews.h"

namespace tamr {

// A byte brighter than the median of its window becomes the intensity-th
// smallest value of the window (intensity clamped to 1 ... 9); others stay.
bool DespeckleGray(PixelView pixels, std::int32_t intensity);
bool DespeckleColour(PixelView pixels, std::int32_t intensity);

bool ErodeGray(PixelView pixels);
bool ErodeColour(PixelView pixels);
bool DilateGray(PixelView pixels);
bool DilateColour(PixelView pixels);

} // namespace tamr
