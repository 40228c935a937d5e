#pragma once
// JPEG through libjpeg-turbo, with the settings its cjpeg tool uses for
// "-quality Q": 4:2:0 chroma for colour, standard Huffman tables, quantisation
// tables not forced to 8 bits.

#include "image/peers/PeerPicture.h"

namespace tamr {

// quality 0 to 100 (0 is taken as 1, as libjpeg does).
PeerPicture CodeJpeg(ConstPixelView picture, int bytesPerPixel, int quality);

} // namespace tamr
