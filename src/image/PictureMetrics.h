#pragma once
// Quality figures of a decoded picture against its original, the one place
// every command and window measures them: the Statistics dialog's error
// figures, pooled PSNR, PSNR of luma, SSIM, multi-scale SSIM and Butteraugli.

#include <optional>

#include "image/PixelPlaneViews.h"

namespace tamr {

// Which of the costlier figures to measure; the rest are always measured.
struct MetricChoice {
    bool ssim = true;
    bool msSsim = true;
    bool butteraugli = false; // seconds per megapixel: only on request
};

// How far `decoded` is from `original`: same size and depth.
struct PictureMetrics {
    double meanSquaredError = 0;          // as the Statistics dialog computes it (CDibImage::MeasureQuality)
    double psnr = 0;                      // as the Statistics dialog; infinite when the pictures are equal
    double psnrRgb = 0;                   // of the mean squared error over all samples pooled; infinite when equal
    double psnrY = 0;                     // luma Y = 0.299 R + 0.587 G + 0.114 B in double; infinite when equal
    std::optional<double> ssim;           // none for pictures smaller than 11 x 11 or when not chosen
    std::optional<double> msSsim;         // none for pictures smaller than 176 x 176 or when not chosen
    std::optional<double> butteraugli;    // the 3-norm; none unless chosen and available
    std::optional<double> butteraugliMax; // the largest distance, with the former
    int largestDifference = 0;
};

// bytesPerPixel 1 (gray) or 3 (blue, green, red); bottom-up padded rows.
// Pictures of different sizes or views too short for their rows measure as
// all 0 without SSIM. Runs on every core; the figures never depend on it.
PictureMetrics MeasurePictures(ConstPixelView original, ConstPixelView decoded, int bytesPerPixel);
// The same on up to `threads` threads (0: one per core), for callers that
// already keep the cores busy.
PictureMetrics MeasurePictures(ConstPixelView original, ConstPixelView decoded, int bytesPerPixel, int threads);
PictureMetrics MeasurePictures(ConstPixelView original, ConstPixelView decoded, int bytesPerPixel, int threads,
                               const MetricChoice& choice);

// SSIM alone: Wang et al. (2004) with an 11 x 11 Gaussian window (sigma 1.5,
// weights summing to 1), K1 0.01, K2 0.03, L 255, on each channel at every
// window position wholly inside the picture; the mean over positions, then
// over channels. None for a picture smaller than 11 x 11.
std::optional<double> StructuralSimilarity(ConstPixelView original, ConstPixelView decoded, int bytesPerPixel,
                                           int threads);

} // namespace tamr
