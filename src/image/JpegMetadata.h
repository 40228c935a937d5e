#pragma once
// The Exif block (APP1) and the ICC profile (APP2 "ICC_PROFILE" segments) of
// a JPEG file, found by walking its markers up to the first scan.

#include <cstdint>
#include <span>

#include "image/PictureMetadata.h"

namespace tamr {

// The metadata of the file's headers; what is missing, damaged or out of
// order is left empty.
PictureMetadata JpegMetadataOf(std::span<const std::uint8_t> file);

} // namespace tamr
