#include "image/MultiScaleSsim.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <utility>

#include "image/SamplePlane.h"
#include "image/WindowSimilarity.h"
#include "platform/ParallelTasks.h"

namespace tamr {
namespace {

constexpr std::array<double, 5> kExponents = {0.0448, 0.2856, 0.3001, 0.2363, 0.1333};

// The two pictures' planes are made side by side: copies, so the threads
// never change a value.
void MakePlanes(SamplePlane& a, SamplePlane& b, int threads, const std::function<SamplePlane(int)>& make)
{
    std::array<SamplePlane, 2> planes;
    RunTasks(std::min(ResolveThreadCount(threads), 2), 2,
             [&](std::size_t which) { planes[which] = make(static_cast<int>(which)); });
    a = std::move(planes[0]);
    b = std::move(planes[1]);
}

// The channel's multi-scale figure, and the SSIM of its first scale.
MultiScaleFigures ChannelSimilarity(SamplePlane a, SamplePlane b, int threads)
{
    const WindowSimilarityMeans first = MeanWindowSimilarities(a, b, threads);
    double product = std::pow(std::max(0.0, first.contrastStructure), kExponents[0]);
    for (std::size_t scale = 1; scale < kExponents.size(); ++scale) {
        MakePlanes(a, b, threads, [&](int which) { return HalvedPlane(which == 0 ? a : b); });
        const bool last = scale + 1 == kExponents.size();
        const double mean =
            MeanWindowSimilarity(a, b, last ? SimilarityTerm::Full : SimilarityTerm::ContrastStructure, threads);
        product *= std::pow(std::max(0.0, mean), kExponents[scale]);
    }
    return {product, first.fullFromTheLastRow};
}

} // namespace

std::optional<double> MultiScaleStructuralSimilarity(ConstPixelView original, ConstPixelView decoded, int bytesPerPixel,
                                                     int threads)
{
    const auto figures = MultiScaleAndPlainSimilarity(original, decoded, bytesPerPixel, threads);
    return figures ? std::optional(figures->msSsim) : std::nullopt;
}

std::optional<MultiScaleFigures> MultiScaleAndPlainSimilarity(ConstPixelView original, ConstPixelView decoded,
                                                              int bytesPerPixel, int threads)
{
    constexpr int kSmallestSide = kSimilarityWindow << 4; // the fifth scale is 1/16 of the first
    if ((bytesPerPixel != 1 && bytesPerPixel != 3) || original.width != decoded.width ||
        original.height != decoded.height || original.rowPad != decoded.rowPad ||
        !HoldsAllRows(original, bytesPerPixel) || !HoldsAllRows(decoded, bytesPerPixel) ||
        original.width < kSmallestSide || original.height < kSmallestSide)
        return std::nullopt;
    double multiScale = 0;
    double plain = 0;
    for (int channel = 0; channel < bytesPerPixel; ++channel) {
        SamplePlane a;
        SamplePlane b;
        MakePlanes(a, b, threads,
                   [&](int which) { return ChannelPlane(which == 0 ? original : decoded, bytesPerPixel, channel); });
        const MultiScaleFigures figures = ChannelSimilarity(std::move(a), std::move(b), threads);
        multiScale += figures.msSsim;
        plain += figures.ssim;
    }
    return MultiScaleFigures{multiScale / bytesPerPixel, plain / bytesPerPixel};
}

} // namespace tamr
