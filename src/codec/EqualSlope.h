#pragma once
// Settings that give every band the same step once its error is weighted by
// what it costs in the picture: at one slope of rate against squared error,
// each band's quantiser follows from its own range. A band's step is its
// range over Q, so Q is the range times the band's weight over the step;
// levels whose bands all round to nothing are discarded, and each level's
// threshold is a share of its step.

#include <array>
#include <optional>

#include "codec/CodecSettings.h"

namespace tamr {

// The largest coefficient magnitude of every band (by vector entry) of each
// component, as the coder met them: a band's step is this over its Q.
using BandRanges = std::array<std::array<int, kSettingsVectorLength>, kComponentCount>;

// The amplitude cost of a unit error per band and component: the inverse
// transform's gain times what the component's error costs in the picture.
using BandWeights = std::array<std::array<double, kSettingsVectorLength>, kComponentCount>;

// `componentEnergy` is what a unit squared error in each component costs in
// the figure (0 for a component that is not coded). Nothing for levels
// outside 1..6.
std::optional<BandWeights> WeightsForBands(int levels, const std::array<double, kComponentCount>& componentEnergy);

// The step of knob `step`: steps halve every 32 knobs, 1 at knob 0; the
// knob counts down, so that a higher knob is a finer step and a larger file.
double StepOfKnob(int knob);

struct SlopeShape {
    int thresholdPercent = 60; // each level's threshold as a share of its luma step
};

// `start` (the quality factor's settings, for the entries the coder does not
// read) reshaped to one weighted step; thresholds are the same in all three
// components, as Master Setup shows them.
CodecSettings EqualSlopeSettings(const CodecSettings& start, const BandRanges& ranges, const BandWeights& weights,
                                 double step, const SlopeShape& shape);

} // namespace tamr
