#pragma once
// tamr's own files in the registry: a COD file decoded as opening it decodes
// it. Coding at a quality is the document's Compress, which the sweep runs.

#include <cstdint>
#include <span>

#include "peers/PeerPicture.h"

namespace tamr {

// Fails when the file is no COD file or holds another picture than `like`'s layout.
PeerPicture DecodeTamr(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel);

} // namespace tamr
