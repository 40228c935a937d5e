#pragma once
// Choosing the quality factor for a target: the highest quality whose COD file
// fits a size, or the lowest whose PSNR reaches a value, by bisection over
// the quality factor.

#include <cstdint>
#include <optional>
#include <string_view>

#include "codec/CodecSettings.h"
#include "document/TamrDoc.h"

namespace tamr {

inline constexpr std::string_view kNoQualityMeetsTarget = "no quality factor reaches the target";

struct QualityTarget {
    std::optional<std::uint32_t> size; // bytes; one of the two is set
    std::optional<double> psnr;        // dB
};

// Codes the document's picture at `quality` (the settings Easy Setup gives it).
bool CompressAtQuality(CTamrDoc& document, CodecSettings& settings, int quality,
                       CTamrDoc::Showing showing = CTamrDoc::Showing::Decoded);

// Compresses the document at the qualities it tries (it is left at the last
// one tried); nothing when no quality meets the target.
std::optional<int> SearchQuality(CTamrDoc& document, CodecSettings& settings, const QualityTarget& target);

} // namespace tamr
