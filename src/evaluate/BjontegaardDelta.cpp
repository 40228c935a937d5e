#include "evaluate/BjontegaardDelta.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tamr {
namespace {

enum class Axis { QualityToRate, RateToQuality };

// The points as a function along the axis: x strictly increasing, one
// point (the better one) for each x.
std::vector<CurvePoint> Curve(std::span<const RatePoint> points, Axis axis)
{
    std::vector<CurvePoint> curve;
    for (const RatePoint& point : points) {
        if (!std::isfinite(point.quality) || !std::isfinite(point.bitsPerPixel) || point.bitsPerPixel <= 0)
            continue;
        const double logRate = std::log10(point.bitsPerPixel);
        curve.push_back(axis == Axis::QualityToRate ? CurvePoint{point.quality, logRate}
                                                    : CurvePoint{logRate, point.quality});
    }
    // Better: less rate for a quality, more quality for a rate.
    const auto better = [axis](double a, double b) { return axis == Axis::QualityToRate ? a < b : a > b; };
    std::sort(curve.begin(), curve.end(),
              [&](const CurvePoint& a, const CurvePoint& b) { return a.x != b.x ? a.x < b.x : better(a.y, b.y); });
    curve.erase(
        std::unique(curve.begin(), curve.end(), [](const CurvePoint& a, const CurvePoint& b) { return a.x == b.x; }),
        curve.end());
    return curve;
}

struct MeanDifference {
    double value = 0;
    double overlap = 0;
    std::string problem;
};

MeanDifference MeanCurveDifference(std::span<const RatePoint> anchorPoints, std::span<const RatePoint> testPoints,
                                   CurveFit fit, Axis axis)
{
    const std::vector<CurvePoint> anchor = Curve(anchorPoints, axis);
    const std::vector<CurvePoint> test = Curve(testPoints, axis);
    MeanDifference difference;
    if (anchor.size() < FewestPoints(fit) || test.size() < FewestPoints(fit)) {
        difference.problem = kTooFewPoints;
        return difference;
    }
    const double from = std::max(anchor.front().x, test.front().x);
    const double to = std::min(anchor.back().x, test.back().x);
    if (to <= from) {
        difference.problem = kNoOverlap;
        return difference;
    }
    difference.overlap = (to - from) / (anchor.back().x - anchor.front().x);
    difference.value = (IntegrateCurve(test, fit, from, to) - IntegrateCurve(anchor, fit, from, to)) / (to - from);
    return difference;
}

BjontegaardDelta Delta(const MeanDifference& difference, double value)
{
    BjontegaardDelta delta;
    delta.overlap = difference.overlap;
    delta.problem = difference.problem;
    if (delta.problem.empty())
        delta.value = value;
    return delta;
}

constexpr std::string_view kFitNames[] = {"akima", "pchip", "cubic"};
constexpr CurveFit kFits[] = {CurveFit::Akima, CurveFit::Pchip, CurveFit::Cubic};

} // namespace

BjontegaardDelta BdRate(std::span<const RatePoint> anchor, std::span<const RatePoint> test, CurveFit fit)
{
    const MeanDifference difference = MeanCurveDifference(anchor, test, fit, Axis::QualityToRate);
    return Delta(difference, (std::pow(10.0, difference.value) - 1) * 100);
}

BjontegaardDelta BdQuality(std::span<const RatePoint> anchor, std::span<const RatePoint> test, CurveFit fit)
{
    const MeanDifference difference = MeanCurveDifference(anchor, test, fit, Axis::RateToQuality);
    return Delta(difference, difference.value);
}

std::string_view CurveFitName(CurveFit fit)
{
    for (std::size_t i = 0; i < std::size(kFits); ++i)
        if (kFits[i] == fit)
            return kFitNames[i];
    return {};
}

std::optional<CurveFit> FindCurveFit(std::string_view name)
{
    for (std::size_t i = 0; i < std::size(kFits); ++i)
        if (kFitNames[i] == name)
            return kFits[i];
    return std::nullopt;
}

} // namespace tamr
