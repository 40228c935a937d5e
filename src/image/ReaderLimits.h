#pragma once
// Limits the image readers apply before allocating, so that a small hostile
// file cannot ask for an unbounded amount of memory.

#include <cstdint>

namespace tamr {

// The most pixels a reader accepts by default (fuzzing passes less).
inline constexpr std::uint64_t kDefaultMaxReaderPixels = std::uint64_t{1} << 28;

// Pictures of up to this many pixels are taken whatever the file's length, so
// that a cut-off file still opens with its missing part black. Larger pictures
// must be backed by bytes that could hold them.
inline constexpr std::uint64_t kUnbackedPixelAllowance = std::uint64_t{1} << 24;

// True when a picture of `pixels` pixels is small enough to be taken anyway,
// or when the file holds the `bytesNeeded` bytes that could code all of it.
inline constexpr bool PictureJustified(std::uint64_t pixels, std::uint64_t bytesPresent, std::uint64_t bytesNeeded)
{
    return pixels <= kUnbackedPixelAllowance || bytesPresent >= bytesNeeded;
}

} // namespace tamr
