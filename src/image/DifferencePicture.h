#pragma once
// Where two pictures differ, made visible: |a - b| per byte, amplified.

#include <cstdint>
#include <vector>

#include "image/PixelPlaneViews.h"

namespace tamr {

inline constexpr int kMinAmplify = 1;
inline constexpr int kMaxAmplify = 64;

// Each byte min(255, |a - b| * amplify) (amplify clamped to 1 to 64), in the
// same padded layout with zero padding. Empty when the views do not hold two
// pictures of one size and depth.
std::vector<std::uint8_t> AmplifiedDifference(ConstPixelView a, ConstPixelView b, int bytesPerPixel, int amplify);

} // namespace tamr
