#pragma once
// JPEG 2000 through OpenJPEG: a JP2 file, lossy (the irreversible 9/7
// wavelet), one quality layer cut at a chosen size.

#include "image/peers/PeerPicture.h"

namespace tamr {

// targetBytes: the size the rate allocation aims at (the file comes out a
// little below it; its headers count).
PeerPicture CodeJpeg2000(ConstPixelView picture, int bytesPerPixel, std::size_t targetBytes);

} // namespace tamr
