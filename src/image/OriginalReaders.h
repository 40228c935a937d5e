#pragma once
// The readers of the kinds the program has always opened (BMP, TGA, GIF,
// JPEG, PNG and PNM), each as a picture reader: the same checks, pictures and
// boxes as ever, the boxes carried in the result instead of shown.

#include <cstdint>
#include <span>

#include "image/PictureReadResult.h"
#include "platform/Limits.h"

namespace tamr {

// A BMP file is loaded by the image model as it is: on success the layout is
// BmpFile and no block is made; the headers are checked as loading checks them.
PictureReadResult ReadBmpPicture(std::span<const std::uint8_t> bytes, const Limits& limits);
// A refused TGA file ends with the read error (no caption) after the reader's own box.
PictureReadResult ReadTgaPicture(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadGifPicture(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadJpegPicture(std::span<const std::uint8_t> bytes, const Limits& limits);
// PNG and PNM carry their reason and no box; the opener puts it under the read error.
PictureReadResult ReadPngPicture(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadPnmPicture(std::span<const std::uint8_t> bytes, const Limits& limits);

// The heads (headers and colour table, no pixel decoded), without boxes.
PictureReadResult ReadBmpPictureHead(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadTgaPictureHead(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadGifPictureHead(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadJpegPictureHead(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadPngPictureHead(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadPnmPictureHead(std::span<const std::uint8_t> bytes, const Limits& limits);

} // namespace tamr
