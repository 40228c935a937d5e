#include "codec/EqualSlope.h"

#include <algorithm>
#include <cmath>

#include "codec/BandWeights.h"
#include "codec/CodecComponent.h"

namespace tamr {
namespace {

// 2^(i/32), written out so that every machine walks the same steps.
constexpr std::array<double, 32> kOctaveSteps = {
    1,
    1.0218971486541166,
    1.0442737824274138,
    1.0671404006768237,
    1.0905077326652577,
    1.1143867425958924,
    1.1387886347566916,
    1.1637248587775775,
    1.189207115002721,
    1.215247359980469,
    1.241857812073484,
    1.2690509571917332,
    1.2968395546510096,
    1.3252366431597413,
    1.3542555469368927,
    1.383909881963832,
    1.4142135623730951,
    1.4451808069770467,
    1.4768261459394993,
    1.5091644275934228,
    1.5422108254079407,
    1.5759808451078865,
    1.6104903319492543,
    1.6457554781539649,
    1.681792830507429,
    1.7186192981224779,
    1.7562521603732995,
    1.7947090750031072,
    1.8340080864093424,
    1.8741676341103,
    1.9152065613971474,
    1.9571441241754002,
};
constexpr int kKnobsPerOctave = 32;
constexpr int kLargestThreshold = 999;

int Rounded(double value)
{
    return static_cast<int>(std::floor(value + 0.5));
}

} // namespace

std::optional<BandWeights> WeightsForBands(int levels, const std::array<double, kComponentCount>& componentEnergy)
{
    const auto energy = SynthesisEnergy(levels);
    if (!energy)
        return std::nullopt;
    BandWeights weights{};
    for (std::size_t c = 0; c < kComponentCount; ++c)
        for (std::size_t entry = 0; entry <= static_cast<std::size_t>(3 * levels); ++entry)
            weights[c][entry] = std::sqrt((*energy)[entry] * componentEnergy[c]);
    return weights;
}

double StepOfKnob(int knob)
{
    // Floor division, so that negative knobs continue the same octaves.
    const int octave = knob >= 0 ? knob / kKnobsPerOctave : -((-knob + kKnobsPerOctave - 1) / kKnobsPerOctave);
    const int within = knob - octave * kKnobsPerOctave;
    return std::ldexp(1.0 / kOctaveSteps[static_cast<std::size_t>(within)], -octave);
}

CodecSettings EqualSlopeSettings(const CodecSettings& start, const BandRanges& ranges, const BandWeights& weights,
                                 double step, const SlopeShape& shape)
{
    CodecSettings settings = start;
    const int levels = settings.totalLevels;
    for (std::size_t c = 0; c < kComponentCount; ++c) {
        ComponentSettings& component = settings.components[c];
        component.sampleLevels = 0;
        int discard = 0;
        bool finerCoded = false;
        for (int k = 0; k <= levels; ++k) {
            const int bands = k == levels ? 1 : 3;
            bool coded = false;
            for (int b = 0; b < bands; ++b) {
                const auto entry = static_cast<std::size_t>(3 * k + b);
                const int q = Rounded(ranges[c][entry] * weights[c][entry] / step);
                // The low-pass band is always coded; Q 0 codes a band as nothing.
                const int lowest = k == levels && ranges[c][entry] > 0 ? 1 : 0;
                component.quantizeVector[entry] = static_cast<std::int16_t>(std::clamp(q, lowest, kMaxCodedQ));
                coded = coded || component.quantizeVector[entry] > 0;
            }
            // Only the finest levels can be discarded, from the finest on.
            if (k < levels && !coded && !finerCoded)
                discard = k + 1;
            finerCoded = finerCoded || coded;
        }
        // The coarsest detail level stays, as every setup keeps it.
        component.discardLevels = static_cast<std::int16_t>(std::min(discard, levels - 1));
    }
    for (int k = 0; k < levels; ++k) {
        const double weight = weights[kComponentA][static_cast<std::size_t>(3 * k + 1)];
        const int threshold = weight > 0 ? Rounded(step / weight * shape.thresholdPercent / 100.0) : 0;
        for (ComponentSettings& component : settings.components)
            component.thresholdVector[static_cast<std::size_t>(k)] =
                static_cast<std::int16_t>(std::clamp(threshold, 0, kLargestThreshold));
    }
    return settings;
}

} // namespace tamr
