#pragma once
// Sharpening: each interior pixel gets amount × (pixel − mean of its eight
// neighbours) added, a 3 × 3 Laplacian unsharp step, in place on the working
// image (bottom-up rows, each followed by the view's rowPad bytes).
//
// Only rows 1 … height − 2 and columns 1 … width − 2 change; the frame of
// border pixels and the row padding keep their bytes, and every output is
// computed from the pixels as they were before the call. Both return false,
// with the pixels untouched, when their two row copies cannot be allocated or
// the view's bytes do not hold all its rows.

#include "image/PixelPlaneViews.h"

namespace tamr {

// 8-bit gray images. Amounts of 1 or more count as 1; an amount not above
// 0.01 (so 0 % and 1 %, and anything negative) leaves the image unchanged.
bool SharpenGray(PixelView pixels, float amount);

// 24-bit images: amount0 sharpens byte 0 of every pixel (stored blue), amount1
// byte 1 (green), amount2 byte 2 (red), each byte on its own. Negative amounts
// count as 0, amounts of 1 or more as 1. There is no small-amount shortcut.
bool SharpenColour(PixelView pixels, float amount0, float amount1, float amount2);

} // namespace tamr
