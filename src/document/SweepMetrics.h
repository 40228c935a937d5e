#pragma once
// The figures of a sweep point a chart can plot against bits per pixel, one
// row each: the SVG plot draws two of them, the desktop's chart any one.

#include <span>
#include <string_view>

#include "document/RateDistortionSweep.h"

namespace tamr {

struct SweepMetric {
    std::string_view key;   // as the CSV column and the JSON key: "psnr_y"
    std::string_view name;  // as a choice: "PSNR-Y"
    std::string_view title; // the axis title: "PSNR-Y (dB)"
    // NaN for a point without it (failed, infinite PSNR, SSIM of a tiny picture).
    double (*value)(const SweepPoint& point);
};

// PSNR, PSNR-Y, SSIM, PSNR-RGB, MS-SSIM, Butteraugli.
std::span<const SweepMetric> SweepMetrics();
// The row of that key; null for none.
const SweepMetric* FindSweepMetric(std::string_view key);

} // namespace tamr
