#pragma once
// The error figures of the Statistics dialog for two pictures of one size and depth.

#include "image/PixelPlaneViews.h"

namespace tamr {

// How far the working image is from the image as loaded.
struct QualityFigures {
    // dB: the mean of the channels' PSNRs over the channels that changed;
    // infinite only when every sample is equal.
    double psnr = 0;
    int largestDifference = 0; // largest byte difference
    double meanSquaredError = 0;
    double pooledSquaredError = 0; // the mean over all samples, every channel pooled
};

// Compares `working` with `reference`, both bottom-up padded rows of the same
// width, height and pad; bytesPerPixel is 1 (gray) or 3 (blue, green, red).
// All 0 when the views do not hold such pictures.
QualityFigures MeasureDifferences(ConstPixelView reference, ConstPixelView working, int bytesPerPixel);

} // namespace tamr
