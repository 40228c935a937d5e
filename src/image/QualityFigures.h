#pragma once
// The error figures of the Statistics dialog for two pictures of one size and depth.

#include <cstdint>

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

// The same figures added up band by band, for a decoded picture measured as
// its rows come and never held whole. The sums are integers, so the figures
// are MeasureDifferences' own whatever the bands.
class DifferenceSums {
public:
    explicit DifferenceSums(int bytesPerPixel) : bytesPerPixel_(bytesPerPixel) {}
    // Rows of one width and pad in both views; false (and nothing added) when
    // they are not such rows.
    bool Add(ConstPixelView reference, ConstPixelView working);
    // All 0 while no row has been added.
    QualityFigures Figures() const;

private:
    int bytesPerPixel_;
    int width_ = 0;
    std::uint64_t rows_ = 0;
    std::uint64_t sums_[3] = {0, 0, 0};
    int largest_ = 0;
};

} // namespace tamr
