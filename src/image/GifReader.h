#pragma once
// Reads the first image of a GIF file (87a or 89a) into a packed image block.

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/ByteBlock.h"
#include "platform/Failure.h"
#include "platform/Limits.h"
#include "platform/Prompter.h"

namespace tamr {

inline constexpr std::string_view kGifDepthMessage = "Two and four bit GIF files are not supported.";

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
    // fewer than 256 entries, the too-large message for more than the limits'
    // most pixels, the missing-picture message for more pixels than the rest
    // of the file could code.
    Result<ByteBlock> Read(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits) const;
    // The block's header and palette alone, after the same checks: what the
    // file's headers say of the picture, its pixels not decoded.
    Result<ByteBlock> ReadHead(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits) const;

private:
    Result<ByteBlock> ReadBlock(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits,
                                bool withPixels) const;
};

} // namespace tamr
