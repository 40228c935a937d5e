#pragma once
// The orientation tag of an Exif block, read with libexif.

#include <cstdint>
#include <optional>
#include <span>

namespace tamr {

// libexif reads at most this much of a block: one JPEG APP1 segment's worth,
// where the first directory (and its orientation) always lies.
inline constexpr std::size_t kMostExifBytes = 65527;

// False in a build made without libexif: no Exif orientation is read.
bool CanReadExif();

// The value of the orientation tag in the Exif block's first directory (the
// picture's, not its thumbnail's), whatever its value; nothing when the block
// has none or cannot be read. `tiff` is the block from its byte-order mark on.
std::optional<int> ExifOrientationOf(std::span<const std::uint8_t> tiff);

} // namespace tamr
