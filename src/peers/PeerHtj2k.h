#pragma once
// HTJ2K (JPEG 2000 Part 15, the high-throughput block coder) through OpenJPH:
// a raw codestream, the irreversible 9/7 wavelet with the colour transform,
// 64 x 64 blocks, RPCL order, up to five decompositions; the quantisation step
// searched (bisection over its logarithm) for the file closest in size to the
// one aimed at; or lossless, the reversible 5/3 wavelet and colour transform.
// A gray picture is one component. Built only when OpenJPH was
// found (TAMR_HAVE_HTJ2K).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "peers/PeerPicture.h"

namespace tamr {

PeerPicture CodeHtj2k(ConstPixelView picture, int bytesPerPixel, std::size_t targetBytes);
PeerPicture CodeHtj2kLossless(ConstPixelView picture, int bytesPerPixel);
// An HTJ2K codestream decoded by OpenJPH into the layout of `like` (only its
// sizes count): fails when it holds another size or depth.
PeerPicture DecodeHtj2k(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel);
// "OpenJPH 0.9.0, irreversible 9/7, 64 x 64 blocks, RPCL, ...".
std::string DescribeHtj2k();

} // namespace tamr
