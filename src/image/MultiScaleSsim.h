#pragma once
// Multi-scale SSIM of Wang, Simoncelli and Bovik (2003).

#include <optional>

#include "image/PixelPlaneViews.h"

namespace tamr {

// Five scales, each after the first the previous one halved by averaging
// 2 x 2 blocks (an odd last row or column dropped). At every scale the
// windows of SSIM (WindowSimilarity.h) at the positions wholly inside; the
// mean contrast-structure term of scales 1 to 4 (clipped at 0) and the mean
// SSIM of scale 5 (clipped at 0 as well, so that the power stays real),
// raised to 0.0448, 0.2856, 0.3001, 0.2363 and 0.1333 and multiplied. Per
// channel, then the mean over the channels. bytesPerPixel 1 or 3, bottom-up
// padded rows of one size; none for a picture whose fifth scale is smaller
// than 11 x 11 (under 176 x 176) or for views that do not hold such pictures.
// The same value on any number of threads (0: one per core).
std::optional<double> MultiScaleStructuralSimilarity(ConstPixelView original, ConstPixelView decoded, int bytesPerPixel,
                                                     int threads);

// The same, with the SSIM of the first scale (the pictures as they are)
// measured in the same pass: StructuralSimilarity's value, for the cost of
// the multi-scale figure alone.
struct MultiScaleFigures {
    double msSsim = 0;
    double ssim = 0;
};
std::optional<MultiScaleFigures> MultiScaleAndPlainSimilarity(ConstPixelView original, ConstPixelView decoded,
                                                              int bytesPerPixel, int threads);

} // namespace tamr
