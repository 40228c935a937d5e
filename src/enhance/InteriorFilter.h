#pragma once
// The one walk every neighbourhood filter makes over an image: each byte of
// every interior pixel is replaced by a rule over its 3 × 3 window, computed
// from the values the image had before the walk.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "image/PixelPlaneViews.h"
#include "platform/ByteBlock.h"

namespace tamr {

inline constexpr int kGrayBytesPerPixel = 1;
inline constexpr int kColourBytesPerPixel = 3;

// The nine values around one byte, in the order of the kernel's multipliers:
// the row stored before (x - 1, x, x + 1), the current row, the row stored after.
enum WindowPlace : std::size_t {
    kPrevLeft,
    kPrev,
    kPrevRight,
    kLeft,
    kCentre,
    kRight,
    kNextLeft,
    kNext,
    kNextRight,
};
using Window = std::array<int, 9>;

// Rows 1 to H - 2 and columns 1 to W - 2 are rewritten; border rows, border
// columns and row padding keep their bytes, and an image narrower or lower
// than 3 pixels is left alone. A colour pixel's three bytes are filtered
// independently: the neighbours of a byte are the same byte of the
// neighbouring pixels.
//
// Rows are walked in storage order. The previous and the current source row
// are kept as copies (the previous one has been overwritten by then, the
// current one is being overwritten); the next row is read straight from the
// image because it is not written yet.
//
// Returns false, with the pixels untouched, when the view does not hold its
// rows or the two row copies cannot be allocated.
template <typename Rule> bool FilterInterior(PixelView pixels, int bytesPerPixel, Rule&& rule)
{
    if (!HoldsAllRows(pixels, bytesPerPixel)) {
        return false;
    }
    if (pixels.width < 3 || pixels.height < 3) {
        return true;
    }
    const std::size_t step = static_cast<std::size_t>(bytesPerPixel);
    const std::size_t stride = RowBytes(pixels, bytesPerPixel);
    const std::size_t rowPixelBytes = static_cast<std::size_t>(pixels.width) * step;
    const auto rows = static_cast<std::size_t>(pixels.height);

    std::vector<std::uint8_t> copies;
    if (!TryResize(copies, 2 * rowPixelBytes)) {
        return false;
    }
    const auto row = [&](std::size_t r) { return pixels.bytes.subspan(r * stride, rowPixelBytes); };
    std::span<std::uint8_t> previous = std::span(copies).first(rowPixelBytes);
    std::span<std::uint8_t> current = std::span(copies).last(rowPixelBytes);
    std::ranges::copy(row(0), previous.begin());
    std::ranges::copy(row(1), current.begin());

    for (std::size_t r = 1; r + 1 < rows; ++r) {
        const std::span<std::uint8_t> target = row(r);
        const std::span<const std::uint8_t> next = row(r + 1);
        for (std::size_t i = step; i + step < rowPixelBytes; ++i) {
            const Window window{previous[i - step], previous[i], previous[i + step],
                                current[i - step],  current[i],  current[i + step],
                                next[i - step],     next[i],     next[i + step]};
            target[i] = rule(window);
        }
        std::swap(previous, current);
        std::ranges::copy(next, current.begin());
    }
    return true;
}

} // namespace tamr
