#include "document/SweepMetrics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tamr {
namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

double Finite(const SweepPoint& point, double value)
{
    return !point.Failed() && std::isfinite(value) ? value : kNone;
}

constexpr SweepMetric kMetrics[] = {
    {"psnr", "PSNR", "PSNR (dB)", [](const SweepPoint& point) { return Finite(point, point.metrics.psnr); }},
    {"psnr_y", "PSNR-Y", "PSNR-Y (dB)", [](const SweepPoint& point) { return Finite(point, point.metrics.psnrY); }},
    {"ssim", "SSIM", "SSIM",
     [](const SweepPoint& point) { return point.metrics.ssim ? Finite(point, *point.metrics.ssim) : kNone; }},
    {"psnr_rgb", "PSNR-RGB", "PSNR-RGB (dB)",
     [](const SweepPoint& point) { return Finite(point, point.metrics.psnrRgb); }},
    {"ms_ssim", "MS-SSIM", "MS-SSIM",
     [](const SweepPoint& point) { return point.metrics.msSsim ? Finite(point, *point.metrics.msSsim) : kNone; }},
    {"butteraugli", "Butteraugli", "Butteraugli distance (3-norm)",
     [](const SweepPoint& point) {
         return point.metrics.butteraugli ? Finite(point, *point.metrics.butteraugli) : kNone;
     }},
};

} // namespace

std::span<const SweepMetric> SweepMetrics()
{
    return kMetrics;
}

const SweepMetric* FindSweepMetric(std::string_view key)
{
    const auto* found = std::find_if(std::begin(kMetrics), std::end(kMetrics),
                                     [key](const SweepMetric& metric) { return metric.key == key; });
    return found == std::end(kMetrics) ? nullptr : found;
}

} // namespace tamr
