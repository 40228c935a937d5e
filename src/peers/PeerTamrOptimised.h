#pragma once
// tamr's optimising encoder in the registry: the settings searched for the
// best PSNR within the size a quality factor's file has, written as an
// ordinary COD file and decoded as tamr decodes it.

#include <cstddef>
#include <span>
#include <string>

#include "peers/PeerPicture.h"

namespace tamr {

// Its encode time is the whole search's.
PeerPicture CodeTamrOptimised(ConstPixelView picture, int bytesPerPixel, std::size_t targetBytes);
std::string DescribeTamrOptimised();

} // namespace tamr
