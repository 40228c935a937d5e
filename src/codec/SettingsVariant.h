#pragma once
// A family of settings the format can carry beside the quality factor's: the
// quality factor's vectors at a quality, reshaped the same way at every
// quality (lower thresholds, chroma kept to finer levels, a coarser finest
// luma level). Walking the quality walks the family's size.

#include <cstdint>

#include "codec/CodecSettings.h"

namespace tamr {

struct SettingsVariant {
    int thresholdPercent = 100;   // every threshold entry scaled, rounded to nearest
    int chromaDiscardFewer = 0;   // B and C discard this many levels fewer (never below 0)
    int finestLumaQPercent = 100; // A's finest-level quantisers scaled
    int chromaQPercent = 100;     // B's and C's detail quantisers scaled

    bool operator==(const SettingsVariant&) const = default;
};

// The quality factor's own settings: the family every search starts from.
inline constexpr SettingsVariant kQualityFactorVariant{};

// `base` with the quality factor's settings at `quality` (0..99), reshaped by
// `variant`; thresholds are the same in all three components, as Master
// Setup shows them. Quantisers stay within 1..125. The discard levels are the
// quality factor's at `discardQuality` (its rows jump, which would make the
// family's sizes jump with them), fewer as the variant says.
CodecSettings VariantSettings(const CodecSettings& base, int quality, const SettingsVariant& variant,
                              int discardQuality);

} // namespace tamr
