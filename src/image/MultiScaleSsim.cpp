#include "image/MultiScaleSsim.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "image/SamplePlane.h"
#include "image/WindowSimilarity.h"

namespace tamr {
namespace {

constexpr std::array<double, 5> kExponents = {0.0448, 0.2856, 0.3001, 0.2363, 0.1333};

double ChannelSimilarity(SamplePlane a, SamplePlane b, int threads)
{
    double product = 1;
    for (std::size_t scale = 0; scale < kExponents.size(); ++scale) {
        if (scale > 0) {
            a = HalvedPlane(a);
            b = HalvedPlane(b);
        }
        const bool last = scale + 1 == kExponents.size();
        const double mean =
            MeanWindowSimilarity(a, b, last ? SimilarityTerm::Full : SimilarityTerm::ContrastStructure, threads);
        product *= std::pow(std::max(0.0, mean), kExponents[scale]);
    }
    return product;
}

} // namespace

std::optional<double> MultiScaleStructuralSimilarity(ConstPixelView original, ConstPixelView decoded, int bytesPerPixel,
                                                     int threads)
{
    constexpr int kSmallestSide = kSimilarityWindow << 4; // the fifth scale is 1/16 of the first
    if ((bytesPerPixel != 1 && bytesPerPixel != 3) || original.width != decoded.width ||
        original.height != decoded.height || original.rowPad != decoded.rowPad ||
        !HoldsAllRows(original, bytesPerPixel) || !HoldsAllRows(decoded, bytesPerPixel) ||
        original.width < kSmallestSide || original.height < kSmallestSide)
        return std::nullopt;
    double sum = 0;
    for (int channel = 0; channel < bytesPerPixel; ++channel)
        sum += ChannelSimilarity(ChannelPlane(original, bytesPerPixel, channel),
                                 ChannelPlane(decoded, bytesPerPixel, channel), threads);
    return sum / bytesPerPixel;
}

} // namespace tamr
