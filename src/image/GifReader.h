#pragma once
// Reads the first image of a GIF file (87a or 89a) into a packed image block.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "image/ReaderLimits.h"
#include "platform/ByteBlock.h"
#include "platform/Prompter.h"

namespace tamr {

inline constexpr std::string_view kGifDepthMessage = "Two and four bit GIF files are not supported.";

// Pixels a damaged file may ask for beyond what its code stream could possibly
// decode to, so that a cut-off small picture still opens.
inline constexpr std::uint64_t kGifUnbackedPixelAllowance = std::uint64_t{1} << 16;

class CGifReader {
public:
    // Only files whose logical screen declares a 256-entry colour table are
    // read. The block holds 1, 4 or 8 bits per pixel as the image's own table
    // size asks (2, up to 16, or more entries), with that many palette entries.
    // Values are stored as decoded, also those beyond the colour table; pixels
    // the code stream does not reach (it ends early or is corrupt) are 0.
    //
    // Nothing and no message: an empty file, a wrong signature, a file that ends
    // before its image data, or no memory for the block; the caller reports the
    // failure. Nothing after a message: the depth message for a screen table of
    // fewer than 256 entries, the too-large message for more than maxPixels
    // pixels, the missing-picture message for more pixels than the rest of the
    // file could code.
    std::optional<ByteBlock> Read(std::span<const std::uint8_t> file, Prompter& prompter,
                                  std::uint64_t maxPixels = kDefaultMaxReaderPixels) const;
};

} // namespace tamr
