#pragma once
// JPEG 2000 through OpenJPEG: a JP2 file, lossy (the irreversible 9/7
// wavelet), cut at chosen sizes. One encode makes a quality layer for each
// size; the file for a size holds the layers up to its own, so many sizes
// cost one encode and a decode each.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "peers/Jpeg2000Layers.h"
#include "peers/PeerCodecs.h"
#include "peers/PeerPicture.h"

namespace tamr {

// OpenJPEG takes at most this many quality layers.
inline constexpr std::size_t kMaxJpeg2000Layers = 100;

struct Jpeg2000Encode {
    std::vector<std::uint8_t> file; // every layer
    Jpeg2000Layout layout;
    std::vector<std::size_t> targets; // ascending: layer i + 1 aims at targets[i]
    double encodeSeconds = 0;
    std::string failure;

    bool Failed() const { return !failure.empty(); }
};

// One encode with a layer aimed at each of `targetBytes` (the layers come out a
// little below their sizes; the headers count). At most kMaxJpeg2000Layers
// different sizes.
Jpeg2000Encode EncodeJpeg2000(ConstPixelView picture, int bytesPerPixel, std::vector<std::size_t> targetBytes);

// The file up to the layer aimed at `targetBytes` (one of the encode's sizes)
// and OpenJPEG's decoding of it; its encode time is the whole encode's.
PeerPicture CutJpeg2000(const Jpeg2000Encode& encode, std::size_t targetBytes, ConstPixelView like, int bytesPerPixel);

// EncodeJpeg2000 as the registry's ladder: each size cut by CutJpeg2000.
std::unique_ptr<SizeLadder> EncodeJpeg2000Ladder(ConstPixelView picture, int bytesPerPixel,
                                                 std::vector<std::size_t> targetBytes);

// One size alone.
PeerPicture CodeJpeg2000(ConstPixelView picture, int bytesPerPixel, std::size_t targetBytes);
// A JP2 file decoded by OpenJPEG into the layout of `like` (only its sizes
// count): fails when the file holds another size or depth.
PeerPicture DecodeJpeg2000(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel);
// The library's version and settings, for the outputs.
std::string DescribeJpeg2000();

} // namespace tamr
