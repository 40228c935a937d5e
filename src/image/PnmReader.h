#pragma once
// Reads binary PNM files: P5 (gray) and P6 (colour) into a packed image block.

#include <cstdint>
#include <span>

#include "image/PictureReadResult.h"
#include "platform/ByteBlock.h"
#include "platform/Limits.h"

namespace tamr {

// P5 gives an 8-bit gray block, P6 a 24-bit one. The header may carry comments
// ('#' to the end of the line) wherever it has white space; maxval is 1 to
// 65535, samples above 255 take two bytes (most significant first), and every
// sample is scaled to 8 bits by (v * 255 + maxval / 2) / maxval. The plain
// (ASCII) kinds P1 to P3 and the 1-bit P4 are refused with the reason, and so
// are a header out of range, more than the limits' pixels, a picture over the decode limit, a file shorter than
// its picture and a sample above maxval. Only the first picture of a file is read.
PictureReadResult ReadPnm(std::span<const std::uint8_t> file, const Limits& limits);
// The same for a file handed over: `file` is left empty, and its memory goes
// back to the system as the picture is read, so that a large file and its
// picture are never held whole at once.
PictureReadResult ReadPnmConsuming(ByteBlock& file, const Limits& limits);
// The block's header and table alone, after the header's checks; no sample is read.
PictureReadResult ReadPnmHead(std::span<const std::uint8_t> file, const Limits& limits);

} // namespace tamr
