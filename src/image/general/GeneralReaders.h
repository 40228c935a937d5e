#pragma once
// The general readers: the kinds beyond the program's own readers, and the
// variants those refuse, read through the libraries made for them. Each is a
// picture reader (PictureReaderFunction) giving a packed image block.

#include <cstdint>
#include <span>

#include "image/PictureReadResult.h"
#include "platform/Limits.h"

namespace tamr {

PictureReadResult ReadJpegGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadGifGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadTiffGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadWebPGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadAvifGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadHeifGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadJxlGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadBmpGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);
PictureReadResult ReadTgaGeneral(std::span<const std::uint8_t> bytes, const Limits& limits);

} // namespace tamr
