#pragma once
// A bottom-up pixel buffer laid out as the image keeps it (rows padded to a
// multiple of 4 bytes), with its padding bytes marked so that a filter that
// writes them is caught.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "image/PixelPlaneViews.h"

namespace tamr::test {

inline constexpr std::uint8_t kPadMark = 0xA5;

struct FilterTestImage {
    FilterTestImage(int w, int h, int bytesPerPixel)
        : width(w), height(h), bpp(bytesPerPixel), rowPad((4 - (w * bytesPerPixel) % 4) % 4),
          bytes(static_cast<std::size_t>((w * bytesPerPixel + rowPad) * h), kPadMark)
    {
        for (int r = 0; r < height; ++r) {
            for (int c = 0; c < width * bpp; ++c) {
                bytes[Offset(r, 0) + static_cast<std::size_t>(c)] = 0;
            }
        }
    }

    std::size_t Offset(int row, int column, int channel = 0) const
    {
        return static_cast<std::size_t>(row * (width * bpp + rowPad) + column * bpp + channel);
    }
    std::uint8_t& At(int row, int column, int channel = 0) { return bytes[Offset(row, column, channel)]; }
    int Get(int row, int column, int channel = 0) const { return bytes[Offset(row, column, channel)]; }

    // Rows listed in storage order (the first is the bottom row on screen);
    // for a colour image each value goes into the given channel.
    void SetRows(std::initializer_list<std::initializer_list<int>> rows, int channel = 0)
    {
        int r = 0;
        for (const auto& row : rows) {
            int c = 0;
            for (const int value : row) {
                At(r, c++, channel) = static_cast<std::uint8_t>(value);
            }
            ++r;
        }
    }
    void Fill(int value)
    {
        for (int r = 0; r < height; ++r) {
            for (int c = 0; c < width; ++c) {
                for (int b = 0; b < bpp; ++b) {
                    At(r, c, b) = static_cast<std::uint8_t>(value);
                }
            }
        }
    }
    bool PaddingUntouched() const
    {
        for (int r = 0; r < height; ++r) {
            for (int p = 0; p < rowPad; ++p) {
                if (bytes[Offset(r, width) + static_cast<std::size_t>(p)] != kPadMark) {
                    return false;
                }
            }
        }
        return true;
    }
    PixelView View() { return {bytes, width, height, rowPad}; }

    int width;
    int height;
    int bpp;
    int rowPad;
    std::vector<std::uint8_t> bytes;
};

} // namespace tamr::test
