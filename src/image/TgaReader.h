#pragma once
// Reads an uncompressed TGA file into a packed image block.

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/ByteBlock.h"
#include "platform/Failure.h"
#include "platform/Limits.h"
#include "platform/Prompter.h"

namespace tamr {

inline constexpr std::string_view kCompressedTgaMessage = "Compressed TGA not supported.";

class CTgaReader {
public:
    // The packed image block of a whole TGA file: 24 bits for true-colour and
    // deeply mapped images, 8 or 4 bits with a palette for gray and colour-mapped
    // indices, 1 bit for a gray image carrying a colour map (the image model
    // refuses the last two). Nothing for run-length-encoded files (after telling
    // the user), for types it does not know, for a file shorter than its header,
    // image ID, colour map or pixel rows say, for more than the limits' most pixels,
    // and when memory is short; those tell nothing, the caller reports the failure.
    Result<ByteBlock> Read(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits) const;
    // The block's header and palette alone, after the same checks; no pixel is read.
    Result<ByteBlock> ReadHead(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits) const;
};

} // namespace tamr
