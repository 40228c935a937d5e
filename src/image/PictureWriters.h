#pragma once
// PNG and PNM files of a picture.

#include <cstdint>
#include <vector>

#include "image/TopDownPicture.h"

namespace tamr {

// An 8-bit gray, 24-bit RGB or 8-bit palette PNG at the default compression
// level. Empty when the picture cannot be encoded or memory is short.
std::vector<std::uint8_t> EncodePng(const TopDownPicture& picture);

// P5 for a gray picture, P6 (maxval 255) for a colour one; a palette picture
// is written with its colours, as P6. Empty when memory is short.
std::vector<std::uint8_t> EncodePnm(const TopDownPicture& picture);

} // namespace tamr
