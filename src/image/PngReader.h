#pragma once
// Reads a PNG file of any colour type and depth into a packed image block.

#include <cstdint>
#include <span>
#include <string_view>

#include "image/PictureReadResult.h"
#include "platform/Limits.h"

namespace tamr {

// The most bytes of ancillary chunks (text, colour profiles ...) the decoder
// keeps while it reads; the picture does not need them, and a compressed text
// chunk must not expand without end.
inline constexpr std::size_t kPngChunkCacheBytes = std::size_t{8} << 20;

// The notices of a picture that was read with transparent pixels, or without
// its extra chunks (the PNG reader's composited and skippedChunks).
inline constexpr std::string_view kCompositedNotice = "Transparent parts of the picture are shown over white";
inline constexpr std::string_view kSkippedChunksNotice =
    "The file's extra chunks (text, colour profile ...) are larger than the reader keeps and were skipped";

// Gray (1 to 16 bits) and gray with alpha give an 8-bit gray block; RGB and
// RGBA give 24 bits; a palette picture gives gray when every palette entry is
// gray, else 24 bits. Interlaced files are taken. 16-bit samples are rounded to
// 8 bits, (v * 255 + 32767) / 65535; transparent pixels (alpha channel or tRNS)
// are composited over white. Every chunk's checksum is checked; a damaged or
// cut-off file, more than the limits' pixels, a picture over the decode limit, or a large picture the file is far
// too short to code is refused with the reason, and so is picture data (IDAT)
// interrupted by another chunk. Ancillary chunks are ignored; when they are
// more than the decoder keeps (kPngChunkCacheBytes, a compressed text that
// expands without end, thousands of text chunks) the file is read without
// them and skippedChunks says so.
PictureReadResult ReadPng(std::span<const std::uint8_t> file, const Limits& limits);
// The block's header and table alone, after the checks of the chunks before
// the picture data; the picture data is not decoded.
PictureReadResult ReadPngHead(std::span<const std::uint8_t> file, const Limits& limits);

} // namespace tamr
