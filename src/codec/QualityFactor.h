#pragma once
// The quality factor's mapping onto the raw codec parameters.

#include <array>
#include <cstdint>

#include "codec/CodecSettings.h"

namespace tamr {

// Recomputes every quantisation vector, threshold vector, discard and sample
// level from qualityFactor and totalLevels. Quality 100 (lossless) keeps the
// previous values; so does a quality outside 0..100, which has no table row.
void ApplyQualityFactor(CodecSettings& settings);

// One quantisation entry inside a decade: low + ((high − low) · r) / 10 with
// the division truncating towards zero, so a falling entry stays at `low`
// until the difference times r reaches a whole ten.
std::int16_t InterpolateQuantEntry(std::int16_t low, std::int16_t high, int remainder);

// Discard levels of components A, B and C for a quality 0..99.
std::array<std::int16_t, 3> DiscardLevelsForQuality(int quality);

} // namespace tamr
