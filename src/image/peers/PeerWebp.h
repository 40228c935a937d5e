#pragma once
// WebP through libwebp: lossy, at a quality factor 0 to 100. A gray picture
// is coded as colour and comes back as gray through luma.

#include "image/peers/PeerPicture.h"

namespace tamr {

PeerPicture CodeWebp(ConstPixelView picture, int bytesPerPixel, int quality);

} // namespace tamr
