#pragma once
// The built-in tables behind the quality factor: quantisation levels per decade of
// quality (interpolated inside a decade) and dead-zone thresholds per quality value.

#include <array>
#include <cstdint>

namespace tamr {

inline constexpr int kQualityDecades = 11;        // decades 0..10; 10 is only an interpolation end
inline constexpr int kQualityQuantEntries = 31;   // ten (V, H, D) triples and one more entry
inline constexpr int kQualityThresholdRows = 100; // quality 0..99; 100 is lossless and has no row
inline constexpr int kQualityThresholdLevels = 11;

using QuantTable = std::array<std::array<std::array<std::int16_t, kQualityQuantEntries>, 3>, kQualityDecades>;
using ThresholdTable = std::array<std::array<std::int16_t, kQualityThresholdLevels>, kQualityThresholdRows>;

// [decade t][component A, B, C][entry 3·level + band, or 3·L for the low-pass band]
extern const QuantTable QualityQuantTable;

// [quality][level], level 0 the finest
extern const ThresholdTable QualityThresholdTable;

} // namespace tamr
