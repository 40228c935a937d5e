#pragma once
// Readers of every picture kind through the libraries made for them: the
// first frame or primary image of a file as a packed image block (8-bit gray
// with the gray ramp, or 24 bits), transparent pixels over white, or the
// reason the file was refused. Each checks the size its file declares against
// the limits before anything that size is made. A reader whose library was
// missing when tamr was built refuses every file and says so.

#include <cstdint>
#include <span>

#include "image/FileType.h"
#include "image/PictureReadResult.h"
#include "platform/Limits.h"

namespace tamr {

// libjpeg-turbo: baseline, progressive and arithmetic-coded files, gray, RGB,
// YCbCr, CMYK and YCCK (Adobe's inverted CMYK undone); 12-bit files refused.
PictureReadResult ReadJpegGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);
// giflib: the first frame on the logical screen, any colour-table size.
PictureReadResult ReadGifGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);
// libtiff: the first page; 1 to 16 bits, gray, RGB, palette, CMYK, YCbCr, strips or tiles.
PictureReadResult ReadTiffGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);
// libwebp: lossy and lossless, the first frame of an animation.
PictureReadResult ReadWebPGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);
// libavif: the primary image (first frame of a sequence).
PictureReadResult ReadAvifGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);
// libheif: the primary image.
PictureReadResult ReadHeifGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);
// libjxl: the first frame.
PictureReadResult ReadJxlGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);
// The headers alone of the kinds above that only a library reads: the facts
// (headFacts) and metadata of the picture their full reader would give, and
// its refusals of what the headers show, without decoding a pixel.
PictureReadResult ReadTiffGeneralHead(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadWebPGeneralHead(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadAvifGeneralHead(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadHeifGeneralHead(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadJxlGeneralHead(std::span<const std::uint8_t> bytes, const Limits& limits);
// By hand: 1, 2, 4, 8, 16, 24 and 32-bit BMP with palettes or bit masks, RLE4 and RLE8.
PictureReadResult ReadBmpGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);
// By hand: TGA colour-mapped, true-colour and gray, plain or run-length coded.
PictureReadResult ReadTgaGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);

// Whether the library of a kind that only a general reader takes (TIFF, WebP,
// AVIF, HEIF, JPEG XL) was there when tamr was built; true for the other kinds.
bool GeneralReaderBuilt(FileType kind);

} // namespace tamr
