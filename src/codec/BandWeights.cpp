#include "codec/BandWeights.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "codec/WaveletCodec.h"
#include "codec/WaveletTransform.h"

namespace tamr {
namespace {

// Large enough that the integer inverse's rounding is small beside it, small
// enough that no sample of its response leaves 16 bits.
constexpr std::int16_t kImpulse = 2000;
// The plane is this many coarsest-level samples wide, so that a coefficient
// at a band's centre spreads without reaching the replicated edges.
constexpr int kCoarsestSamples = 8;

double ImpulseEnergy(int levels, int side, int row, int column)
{
    std::vector<std::int16_t> plane(static_cast<std::size_t>(side) * static_cast<std::size_t>(side), 0);
    plane[static_cast<std::size_t>(row) * static_cast<std::size_t>(side) + static_cast<std::size_t>(column)] = kImpulse;
    std::vector<std::int16_t> temporary;
    for (int n = 1; n <= levels; ++n) {
        const int region = side >> (levels - n);
        if (!InverseLevel(plane, static_cast<std::size_t>(side), region, region, temporary))
            return 0;
    }
    double energy = 0;
    for (const std::int16_t sample : plane)
        energy += static_cast<double>(sample) * sample;
    return energy / (static_cast<double>(kImpulse) * kImpulse);
}

} // namespace

std::optional<std::array<double, kSettingsVectorLength>> SynthesisEnergy(int levels)
{
    if (levels < 1 || levels > kMaxTotalLevels)
        return std::nullopt;
    const int side = kCoarsestSamples << levels;
    std::array<double, kSettingsVectorLength> energy{};
    for (int k = 0; k < levels; ++k) {
        const int half = side >> (k + 1); // the band's side
        const int centre = half / 2;
        // V lies below the low-pass quadrant, H beside it, D diagonally.
        energy[static_cast<std::size_t>(3 * k)] = ImpulseEnergy(levels, side, half + centre, centre);
        energy[static_cast<std::size_t>(3 * k + 1)] = ImpulseEnergy(levels, side, centre, half + centre);
        energy[static_cast<std::size_t>(3 * k + 2)] = ImpulseEnergy(levels, side, half + centre, half + centre);
    }
    const int lowPass = side >> levels;
    energy[static_cast<std::size_t>(3 * levels)] = ImpulseEnergy(levels, side, lowPass / 2, lowPass / 2);
    return energy;
}

} // namespace tamr
