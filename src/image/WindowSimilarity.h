#pragma once
// The SSIM of Wang et al. (2004) window by window on one channel: an 11 x 11
// Gaussian window (sigma 1.5, weights summing to 1), K1 0.01, K2 0.03,
// L 255, at every position wholly inside the plane.

#include <span>
#include <vector>

#include "image/SamplePlane.h"

namespace tamr {

inline constexpr int kSimilarityWindow = 11;

enum class SimilarityTerm {
    Full,              // luminance times contrast-structure: SSIM
    ContrastStructure, // (2 sigma_xy + C2) / (sigma_x^2 + sigma_y^2 + C2) alone
};

// The mean of the term over the window positions of two planes of one size,
// at least 11 x 11. Rows are summed on their own and added in order, so the
// result is the same on any number of threads (0: one per core).
double MeanWindowSimilarity(const SamplePlane& a, const SamplePlane& b, SimilarityTerm term, int threads);

// Both terms' means over channel `channel` (0 blue, 1 green, 2 red; 0 for
// gray) of two pictures of one size (bottom-up padded rows), from one pass
// whose rows are made as the windows reach them: no plane of the whole
// channel is ever held. The rows' sums of SSIM are added from the last row
// up: in the order of a picture's stored rows, as StructuralSimilarity adds
// them.
struct WindowSimilarityMeans {
    double fullFromTheLastRow = 0;
    double contrastStructure = 0;
};
WindowSimilarityMeans MeanWindowSimilarities(ConstPixelView a, ConstPixelView b, int bytesPerPixel, int channel,
                                             int threads);

// Adds the SSIM of each window position of channel `channel` of two
// pictures (as MeanWindowSimilarities) to `map`: (width - 10) x (height - 10)
// values row by row from the top. False, and nothing added, for pictures of
// different sizes, smaller than 11 x 11 or a map of another size.
bool AddWindowSimilarityMap(ConstPixelView a, ConstPixelView b, int bytesPerPixel, int channel, int threads,
                            std::span<double> map);

} // namespace tamr
