#include "image/MultiScaleSsim.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "image/SamplePlane.h"
#include "image/WindowSimilarity.h"
#include "platform/ParallelTasks.h"

namespace tamr {
namespace {

constexpr std::array<double, 5> kExponents = {0.0448, 0.2856, 0.3001, 0.2363, 0.1333};

// The planes of both pictures at every scale after the first, kept from one
// channel to the next, so that only the first channel takes fresh memory.
struct ScalePlanes {
    std::array<SamplePlane, kExponents.size()> a;
    std::array<SamplePlane, kExponents.size()> b;
};

// The two pictures' planes are made side by side, each from the picture's own.
void FillPlanes(ScalePlanes& planes, std::size_t scale, int threads,
                const std::function<void(int which, SamplePlane& plane)>& fill)
{
    RunTasks(std::min(ResolveThreadCount(threads), 2), 2,
             [&](std::size_t which) { fill(static_cast<int>(which), which == 0 ? planes.a[scale] : planes.b[scale]); });
}

// A channel's multi-scale figure, and the SSIM of its first scale. The
// first scale is measured on the pictures' rows as they are and halved
// straight from them: only the coarser scales have planes.
MultiScaleFigures ChannelSimilarity(ConstPixelView original, ConstPixelView decoded, int bytesPerPixel, int channel,
                                    ScalePlanes& planes, int threads)
{
    const WindowSimilarityMeans first = MeanWindowSimilarities(original, decoded, bytesPerPixel, channel, threads);
    double product = std::pow(std::max(0.0, first.contrastStructure), kExponents[0]);
    for (std::size_t scale = 1; scale < kExponents.size(); ++scale) {
        FillPlanes(planes, scale, threads, [&](int which, SamplePlane& half) {
            if (scale == 1)
                FillHalvedChannelPlane(which == 0 ? original : decoded, bytesPerPixel, channel, half);
            else
                FillHalvedPlane(which == 0 ? planes.a[scale - 1] : planes.b[scale - 1], half);
        });
        const bool last = scale + 1 == kExponents.size();
        const double mean = MeanWindowSimilarity(
            planes.a[scale], planes.b[scale], last ? SimilarityTerm::Full : SimilarityTerm::ContrastStructure, threads);
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
    ScalePlanes planes;
    for (int channel = 0; channel < bytesPerPixel; ++channel) {
        const MultiScaleFigures figures = ChannelSimilarity(original, decoded, bytesPerPixel, channel, planes, threads);
        multiScale += figures.msSsim;
        plain += figures.ssim;
    }
    return MultiScaleFigures{multiScale / bytesPerPixel, plain / bytesPerPixel};
}

} // namespace tamr
