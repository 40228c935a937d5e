#pragma once
// Codec settings from a quality factor and raw settings given as text, read
// as the Master Setup dialog reads its edits: for the command line and the C
// interface, which take the same texts.

#include <optional>
#include <string>

#include "codec/CodecSettings.h"

namespace tamr {

// Each as its tamr-cli option takes it; nothing keeps what the quality gives.
struct RawSettingTexts {
    std::optional<std::string> levels;    // --levels: total wavelet levels
    std::optional<std::string> quantA;    // --quant-a: the quantize vectors
    std::optional<std::string> quantB;    // --quant-b
    std::optional<std::string> quantC;    // --quant-c
    std::optional<std::string> threshold; // --threshold: the threshold vector
    std::optional<std::string> discard;   // --discard: levels to discard for A,B,C
    std::optional<std::string> sample;    // --sample: levels to sample for A,B,C

    bool Any() const { return levels || quantA || quantB || quantC || threshold || discard || sample; }
};

struct RawSettingsResult {
    std::optional<CodecSettings> settings;
    std::string problem; // why there are none: a Master Setup rule, or a text that is no number
};

// The settings of the quality factor (0 to 100), then the raw settings on
// top as a Master Setup OK after an Easy Setup would leave them.
RawSettingsResult SettingsFromTexts(int quality, const RawSettingTexts& raw);

} // namespace tamr
