#pragma once
// The error figures of the Statistics dialog for two pictures of one size and depth.

#include "image/PixelPlaneViews.h"

namespace tamr {

// How far the working image is from the image as loaded.
struct QualityFigures {
    double psnr = 0;           // dB; infinite when nothing changed
    int largestDifference = 0; // largest byte difference
    double meanSquaredError = 0;
};

// Compares `working` with `reference`, both bottom-up padded rows of the same
// width, height and pad; bytesPerPixel is 1 (gray) or 3 (blue, green, red).
// All 0 when the views do not hold such pictures.
QualityFigures MeasureDifferences(ConstPixelView reference, ConstPixelView working, int bytesPerPixel);

} // namespace tamr
