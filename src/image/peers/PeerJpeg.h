#pragma once
// JPEG through libjpeg-turbo, with the settings its cjpeg tool uses for
// "-quality Q": baseline, 4:2:0 chroma for colour, no optimised tables.

#include "image/peers/PeerPicture.h"

namespace tamr {

// quality 0 to 100 (0 is taken as 1, as libjpeg does).
PeerPicture CodeJpeg(ConstPixelView picture, int bytesPerPixel, int quality);

} // namespace tamr
