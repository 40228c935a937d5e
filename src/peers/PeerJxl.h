#pragma once
// JPEG XL through libjxl, as cjxl codes an RGB picture: effort 7, and quality
// Q (0 to 100) as the distance 0.1 + (100 - Q) * 0.09 from 30 up and
// 53/3000 Q^2 - 23/20 Q + 25 below (the library's documented quality
// mapping), at most the 15 libjxl 0.7 takes; 100 is lossless. A gray picture
// is coded as colour and comes back as gray through luma. Built only when
// libjxl was found (TAMR_HAVE_JXL).

#include <cstdint>
#include <span>
#include <string>

#include "peers/PeerPicture.h"

namespace tamr {

// The distance of a quality 0 to 100 (0 for 100: lossless).
float JxlDistance(int quality);

PeerPicture CodeJxl(ConstPixelView picture, int bytesPerPixel, int quality);
// A JPEG XL file decoded by libjxl into the layout of `like` (only its sizes
// count): fails when the file holds another size.
PeerPicture DecodeJxl(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel);
// "libjxl 0.7.0, effort 7, distance from quality as cjxl maps it".
std::string DescribeJxl();

} // namespace tamr
