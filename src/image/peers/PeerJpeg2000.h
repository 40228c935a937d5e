#pragma once
// JPEG 2000 through OpenJPEG: a JP2 file, lossy (the irreversible 9/7
// wavelet), one quality layer cut at a chosen size.

#include <cstdint>
#include <span>

#include "image/peers/PeerPicture.h"

namespace tamr {

// targetBytes: the size the rate allocation aims at (the file comes out a
// little below it; its headers count).
PeerPicture CodeJpeg2000(ConstPixelView picture, int bytesPerPixel, std::size_t targetBytes);
// A JP2 file decoded by OpenJPEG into the layout of `like` (only its sizes
// count): fails when the file holds another size or depth.
PeerPicture DecodeJpeg2000(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel);

} // namespace tamr
