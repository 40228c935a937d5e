#pragma once
// Limits the image readers apply before allocating, so that a small hostile
// file cannot ask for an unbounded amount of memory.

#include <cstdint>

namespace tamr {

// The most pixels a reader accepts by default (fuzzing passes less).
inline constexpr std::uint64_t kDefaultMaxReaderPixels = std::uint64_t{1} << 28;

} // namespace tamr
