#pragma once
// AVIF through libavif and its default AV1 encoder, as avifenc codes an RGB
// picture: speed 6, full-range BT.601 YUV, quality Q (0 to 100) as the
// quantizer ((100 - Q) * 63 + 50) / 100, the smallest and largest alike.
// 4:4:4 chroma (avifenc's default for RGB input) or 4:2:0. A gray picture is
// coded as colour and comes back as gray through luma. Built only when
// libavif was found (TAMR_HAVE_AVIF).

#include <cstdint>
#include <span>
#include <string>

#include "peers/PeerPicture.h"

namespace tamr {

// The quantizer of a quality 0 to 100, as avifenc maps --qcolor.
int AvifQuantizer(int quality);

PeerPicture CodeAvif444(ConstPixelView picture, int bytesPerPixel, int quality);
PeerPicture CodeAvif420(ConstPixelView picture, int bytesPerPixel, int quality);
// An AVIF file decoded by libavif into the layout of `like` (only its sizes
// count): fails when the file holds another size.
PeerPicture DecodeAvif(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel);
// "libavif 0.11.1 (aom [enc/dec]:3.6.0), speed 6, 4:4:4, quantizer ...".
std::string DescribeAvif444();
std::string DescribeAvif420();

} // namespace tamr
