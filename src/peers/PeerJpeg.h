#pragma once
// JPEG through libjpeg-turbo, with the settings its cjpeg tool uses for
// "-quality Q": 4:2:0 chroma for colour, standard Huffman tables, quantisation
// tables not forced to 8 bits.

#include <cstdint>
#include <span>
#include <string>

#include "peers/PeerPicture.h"

namespace tamr {

// quality 0 to 100 (0 is taken as 1, as libjpeg does).
PeerPicture CodeJpeg(ConstPixelView picture, int bytesPerPixel, int quality);
// A JPEG file decoded by libjpeg-turbo into the layout of `like` (only its
// sizes count): fails when the file holds another size or depth.
PeerPicture DecodeJpeg(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel);
// The library's version and the settings above, for the outputs.
std::string DescribeJpeg();

} // namespace tamr
