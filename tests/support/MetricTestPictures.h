#pragma once
// Small pictures for the quality measures: bottom-up rows padded to 4 bytes,
// as the image model keeps them, textured and disturbed by seeded noise.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "image/PixelPlaneViews.h"
#include "support/TestSupport.h"

namespace tamr::test {

// A bottom-up picture with rows padded to 4 bytes, as the image model keeps them.
struct TestPicture {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 3;
    std::vector<std::uint8_t> bytes;

    TestPicture(int w, int h, int bpp) : width(w), height(h), bytesPerPixel(bpp)
    {
        bytes.assign(static_cast<std::size_t>(RowBytes()) * h, 0);
    }
    int Pad() const { return (4 - width * bytesPerPixel % 4) % 4; }
    int RowBytes() const { return width * bytesPerPixel + Pad(); }
    std::uint8_t& At(int x, int y, int c)
    {
        return bytes[static_cast<std::size_t>(y * RowBytes() + x * bytesPerPixel + c)];
    }
    int At(int x, int y, int c) const
    {
        return bytes[static_cast<std::size_t>(y * RowBytes() + x * bytesPerPixel + c)];
    }
    ConstPixelView View() const { return {bytes, width, height, Pad()}; }
};

// Smooth gradients with some texture, so that windows differ in mean and contrast.
inline TestPicture Textured(int w, int h, int bpp, std::uint32_t seed)
{
    TestPicture picture(w, h, bpp);
    const auto noise = test::RandomBytes(static_cast<std::size_t>(w) * h * bpp, seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < bpp; ++c)
                picture.At(x, y, c) = static_cast<std::uint8_t>(
                    (x * 5 + y * 3 + c * 40) % 200 + noise[static_cast<std::size_t>((y * w + x) * bpp + c)] % 50);
    return picture;
}

// `original` with every sample moved by up to +-spread.
inline TestPicture Disturbed(const TestPicture& original, int spread, std::uint32_t seed)
{
    TestPicture decoded = original;
    const auto noise = test::RandomBytes(original.bytes.size(), seed);
    for (int y = 0; y < original.height; ++y)
        for (int x = 0; x < original.width; ++x)
            for (int c = 0; c < original.bytesPerPixel; ++c) {
                const int moved =
                    original.At(x, y, c) +
                    noise[decoded.bytes.size() - 1 - (y * original.RowBytes() + x * original.bytesPerPixel + c)] %
                        (2 * spread + 1) -
                    spread;
                decoded.At(x, y, c) = static_cast<std::uint8_t>(std::clamp(moved, 0, 255));
            }
    return decoded;
}

} // namespace tamr::test
