#pragma once
// Lossless byte-plane coding: every byte position of the pixels (blue, green
// and red of a colour image, or the gray byte) is gathered row by row, without
// the row padding, and coded as one arithmetic-coder stream over 257 symbols.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "codec/ArithmeticCoder.h"
#include "image/PixelPlaneViews.h"

namespace tamr {

inline constexpr int kLosslessAlphabet = 257;

// Codes the pixels' planes one after another into `out`. Returns the number of
// bytes written, or nothing when the pixels do not hold their rows, the
// scratch plane cannot be allocated or the streams do not fit into `out`.
// With more than one thread the planes of a colour image are coded at the
// same time, each stream after the first into a block of its own that is then
// appended: the same bytes and the same result as one after another.
std::optional<std::size_t> EncodeLosslessPlanes(ArithmeticCoder& coder, ConstPixelView pixels, bool isColour,
                                                std::span<std::uint8_t> out, int threads = 1);

// Decodes the planes from `in` into the pixels, each stream bounded by the
// image's width × height and required to end exactly there. Returns the number
// of input bytes taken, or nothing on failure (allocation, a stream that is
// short, long or unterminated); after a failure the pixels may be partly
// rewritten.
std::optional<std::size_t> DecodeLosslessPlanes(ArithmeticCoder& coder, std::span<const std::uint8_t> in, bool isColour,
                                                PixelView pixels);

} // namespace tamr
