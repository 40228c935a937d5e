#pragma once
// WebP through libwebp: lossy, at a quality factor 0 to 100. A gray picture
// is coded as colour and comes back as gray through luma.

#include <cstdint>
#include <span>
#include <string>

#include "peers/PeerPicture.h"

namespace tamr {

PeerPicture CodeWebp(ConstPixelView picture, int bytesPerPixel, int quality);
// A WebP file decoded by libwebp into the layout of `like` (only its sizes
// count): fails when the file holds another size.
PeerPicture DecodeWebp(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel);
// The library's version and settings, for the outputs.
std::string DescribeWebp();

} // namespace tamr
