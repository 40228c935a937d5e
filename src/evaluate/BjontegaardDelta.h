#pragma once
// Bjøntegaard's delta rate and delta quality between two rate-quality curves:
// how many percent more (or, negative, fewer) bits the test codec spends than
// the anchor for the same quality, averaged over the qualities both reach;
// and how much quality it gains at the same rate.

#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "evaluate/CurveIntegral.h"

namespace tamr {

struct RatePoint {
    double bitsPerPixel = 0;
    double quality = 0; // PSNR in dB, SSIM ...
};

// A test curve reaching less than this share of the anchor's range is too
// far from it for the delta to stand for the anchor's qualities (or rates).
inline constexpr double kLeastOverlap = 0.75;

inline constexpr std::string_view kTooFewPoints = "too few points with a rate and a quality";
inline constexpr std::string_view kNoOverlap = "the curves do not overlap";

struct BjontegaardDelta {
    double value = std::numeric_limits<double>::quiet_NaN(); // percent, or the quality's units
    // The range both curves cover over the anchor's range, 0 to 1.
    double overlap = 0;
    std::string problem; // why there is no value; empty when there is one

    bool Measured() const { return problem.empty(); }
    bool TooLittleOverlap() const { return overlap < kLeastOverlap; }
};

// log10 of the rate as a function of the quality, each curve fitted as
// asked and integrated over the qualities both reach; the mean difference d
// gives (10^d - 1) x 100 %. Points without a finite quality or a positive
// finite rate are left out; of points at the same quality the one of
// lowest rate is kept.
BjontegaardDelta BdRate(std::span<const RatePoint> anchor, std::span<const RatePoint> test, CurveFit fit);

// The quality as a function of log10 of the rate, integrated over the rates
// both reach: the test's mean quality minus the anchor's. Of points at the
// same rate the one of highest quality is kept.
BjontegaardDelta BdQuality(std::span<const RatePoint> anchor, std::span<const RatePoint> test, CurveFit fit);

// "akima", "pchip", "cubic".
std::string_view CurveFitName(CurveFit fit);
std::optional<CurveFit> FindCurveFit(std::string_view name);

} // namespace tamr
