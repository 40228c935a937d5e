// Sharpening on small images whose expected pixels are worked out by hand:
// v = f·d + c + 0.5 truncated, with f = amount × 0.125 and d = 8c − (sum of the
// eight neighbours), clamped to 0 … 255.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "enhance/Sharpen.h"

namespace tamr {
namespace {

constexpr std::uint8_t kPadding = 0xA5; // not zero, so a write into the padding shows

// A bottom-up image of width × height pixels of the given byte size, every
// pixel byte `fill`, padding bytes kPadding.
struct TestImage {
    TestImage(int width, int height, int bytesPerPixel, std::uint8_t fill)
        : width(width), height(height), bytesPerPixel(bytesPerPixel), rowPad((4 - (width * bytesPerPixel) % 4) % 4),
          bytes(static_cast<std::size_t>(Stride() * height), kPadding)
    {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                for (int b = 0; b < bytesPerPixel; ++b) {
                    At(x, y, b) = fill;
                }
            }
        }
    }

    int Stride() const { return width * bytesPerPixel + rowPad; }
    std::uint8_t& At(int x, int y, int b = 0)
    {
        return bytes[static_cast<std::size_t>(y * Stride() + x * bytesPerPixel + b)];
    }
    void SetPixel(int x, int y, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2)
    {
        At(x, y, 0) = b0;
        At(x, y, 1) = b1;
        At(x, y, 2) = b2;
    }
    PixelView View() { return {bytes, width, height, rowPad}; }

    int width;
    int height;
    int bytesPerPixel;
    int rowPad;
    std::vector<std::uint8_t> bytes;
};

// A 3 × 3 gray image: centre c, the eight neighbours n.
TestImage GrayCentre(std::uint8_t centre, std::uint8_t neighbours)
{
    TestImage image(3, 3, 1, neighbours);
    image.At(1, 1) = centre;
    return image;
}

int SharpenedGrayCentre(std::uint8_t centre, std::uint8_t neighbours, float amount)
{
    TestImage image = GrayCentre(centre, neighbours);
    EXPECT_TRUE(SharpenGray(image.View(), amount));
    return image.At(1, 1);
}

// ---- The single-pixel cases -------------------------------------------------

TEST(SharpenGrayPixel, BrightPixelAmongDarkerOnes)
{
    // 50 %: 50 × 0.01f rounds to 0.5, f = 0.0625, d = 1600 − 800 = 800,
    // v = 50 + 200 + 0.5 = 250.5 → 250 (truncated, not rounded).
    EXPECT_EQ(SharpenedGrayCentre(200, 100, 50 * 0.01f), 250);
    // 100 %: 100 × 0.01f rounds to 1.0, f = 0.125, v = 100 + 200 + 0.5 = 300.5 → 255.
    EXPECT_EQ(SharpenedGrayCentre(200, 100, 100 * 0.01f), 255);
}

TEST(SharpenGrayPixel, DarkPixelClampsAtZero)
{
    // 100 %: d = 320 − 800 = −480, v = −60 + 40 + 0.5 = −19.5 → −19 → 0.
    EXPECT_EQ(SharpenedGrayCentre(40, 100, 1.0f), 0);
    // 50 %: v = −30 + 40 + 0.5 = 10.5 → 10, still inside the range.
    EXPECT_EQ(SharpenedGrayCentre(40, 100, 0.5f), 10);
}

TEST(SharpenGrayPixel, FlatAreaNeverChanges)
{
    for (const std::uint8_t level : {std::uint8_t{0}, std::uint8_t{1}, std::uint8_t{128}, std::uint8_t{255}}) {
        EXPECT_EQ(SharpenedGrayCentre(level, level, 1.0f), level);
    }
}

TEST(SharpenGrayPixel, OnePercentIsUnchangedTwoPercentSharpens)
{
    // 1 %: 0.01f is 0.0099999998 in double, not above 0.01: nothing happens.
    // (Without that test f·d would round to 1.0 and give 201.5 → 201.)
    EXPECT_EQ(SharpenedGrayCentre(200, 100, 1 * 0.01f), 200);
    // 2 %: f = 0.0025 (just below), f·800 rounds to 2.0, v = 202.5 → 202.
    EXPECT_EQ(SharpenedGrayCentre(200, 100, 2 * 0.01f), 202);
    EXPECT_EQ(SharpenedGrayCentre(200, 100, 0.0f), 200);
}

TEST(SharpenGrayPixel, NegativeAndNotANumberAmountsChangeNothing)
{
    EXPECT_EQ(SharpenedGrayCentre(200, 100, -0.5f), 200);
    EXPECT_EQ(SharpenedGrayCentre(200, 100, std::numeric_limits<float>::quiet_NaN()), 200);
}

TEST(SharpenGrayPixel, AmountsAboveOneCountAsOne)
{
    // c = 100, neighbours seven 100 and one 84: d = 16. At 1: 2 + 100.5 → 102;
    // an unclamped amount 2 would give 4 + 100.5 → 104.
    TestImage image = GrayCentre(100, 100);
    image.At(0, 0) = 84;
    ASSERT_TRUE(SharpenGray(image.View(), 2.0f));
    EXPECT_EQ(image.At(1, 1), 102);
}

TEST(SharpenGrayPixel, ArithmeticIsSinglePrecision)
{
    // 2 %, centre 25 among zeros: f = 21474836 × 2⁻³³ and f·200 = 0.5 − 96 × 2⁻³³,
    // which rounds to 0.5 as a float; v = 0.5 + 25 + 0.5 = 26. In double it
    // would stay below 26 and truncate to 25.
    EXPECT_EQ(SharpenedGrayCentre(25, 0, 2 * 0.01f), 26);
}

// ---- Whole images -----------------------------------------------------------

TEST(SharpenGrayImage, EveryOutputComesFromTheOriginalPixels)
{
    // 5 × 4, all 100 except a bright interior pixel and a black corner.
    // Interior rows 1, 2 and columns 1 … 3 (bottom-up, so row 1 is the second stored row).
    TestImage image(5, 4, 1, 100);
    image.At(1, 1) = 200;
    image.At(4, 0) = 0;
    const TestImage before = image;
    ASSERT_TRUE(SharpenGray(image.View(), 1.0f));

    // f = 0.125:
    EXPECT_EQ(image.At(1, 1), 255); // d = 800: 100 + 200.5
    // Neighbours of the bright pixel: sum 900, d = −100, v = −12.5 + 100.5 = 88.
    // Reading the already written 255 instead would give 81.
    EXPECT_EQ(image.At(2, 1), 88); // same row, to its right
    EXPECT_EQ(image.At(1, 2), 88); // next stored row
    EXPECT_EQ(image.At(2, 2), 88); // diagonal
    // Beside the black border corner: sum 700, d = 100, v = 12.5 + 100.5 = 113.
    EXPECT_EQ(image.At(3, 1), 113);
    EXPECT_EQ(image.At(3, 2), 100); // touches neither

    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (y == 0 || y == image.height - 1 || x == 0 || x == image.width - 1) {
                EXPECT_EQ(image.At(x, y), before.bytes[static_cast<std::size_t>(y * image.Stride() + x)])
                    << "border pixel " << x << "," << y;
            }
        }
        for (int pad = 0; pad < image.rowPad; ++pad) {
            EXPECT_EQ(image.bytes[static_cast<std::size_t>(y * image.Stride() + image.width + pad)], kPadding);
        }
    }
}

TEST(SharpenGrayImage, TooSmallForAnInteriorIsUnchanged)
{
    for (const auto& [width, height] : {std::pair{4, 2}, std::pair{2, 4}, std::pair{1, 1}, std::pair{0, 0}}) {
        TestImage image(width, height, 1, 100);
        if (!image.bytes.empty()) {
            image.At(0, 0) = 250;
        }
        const std::vector<std::uint8_t> before = image.bytes;
        EXPECT_TRUE(SharpenGray(image.View(), 1.0f));
        EXPECT_EQ(image.bytes, before) << width << " x " << height;
    }
}

TEST(SharpenGrayImage, ViewShorterThanItsRowsIsRefused)
{
    TestImage image = GrayCentre(200, 100);
    PixelView view = image.View();
    view.bytes = view.bytes.first(view.bytes.size() - 1);
    const std::vector<std::uint8_t> before = image.bytes;
    EXPECT_FALSE(SharpenGray(view, 1.0f));
    EXPECT_EQ(image.bytes, before);
}

TEST(SharpenColourImage, EachByteUsesItsOwnAmountAndNeighbours)
{
    // 3 × 3; every neighbour (100, 100, 0), centre (200, 40, 10).
    TestImage image(3, 3, 3, 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            image.SetPixel(x, y, 100, 100, 0);
        }
    }
    image.SetPixel(1, 1, 200, 40, 10);
    TestImage halfOnByte0 = image;

    ASSERT_TRUE(SharpenColour(image.View(), 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(image.At(1, 1, 0), 255); // d = 800: 300.5
    EXPECT_EQ(image.At(1, 1, 1), 0);   // d = −480: −19.5
    EXPECT_EQ(image.At(1, 1, 2), 20);  // d = 80: 10 + 10 + 0.5

    // Only byte 0 at 50 %; the other two at 0 % keep their values.
    ASSERT_TRUE(SharpenColour(halfOnByte0.View(), 0.5f, 0.0f, 0.0f));
    EXPECT_EQ(halfOnByte0.At(1, 1, 0), 250);
    EXPECT_EQ(halfOnByte0.At(1, 1, 1), 40);
    EXPECT_EQ(halfOnByte0.At(1, 1, 2), 10);
}

TEST(SharpenColourImage, OnePercentSharpensThereIsNoShortcut)
{
    // Centre 200 among 100 at 1 %: f = 0.01f × 0.125, f·800 rounds to 1.0, v = 201.5 → 201.
    TestImage image(3, 3, 3, 100);
    image.SetPixel(1, 1, 200, 200, 200);
    ASSERT_TRUE(SharpenColour(image.View(), 0.01f, 0.01f, 0.01f));
    EXPECT_EQ(image.At(1, 1, 0), 201);
    EXPECT_EQ(image.At(1, 1, 1), 201);
    EXPECT_EQ(image.At(1, 1, 2), 201);
}

TEST(SharpenColourImage, ArithmeticIsSinglePrecision)
{
    // 1 %, centre 50 among zeros: f·400 = 0.5 − 96 × 2⁻³³ rounds to 0.5 as a
    // float, v = 51 (in double it would truncate to 50).
    TestImage image(3, 3, 3, 0);
    image.SetPixel(1, 1, 50, 50, 50);
    ASSERT_TRUE(SharpenColour(image.View(), 0.01f, 0.01f, 0.01f));
    EXPECT_EQ(image.At(1, 1, 0), 51);
}

TEST(SharpenColourImage, OutOfRangeAmountsAreClamped)
{
    // Byte 0: negative counts as 0 (a negative factor would give 150).
    // Byte 1: 2 counts as 1; c = 100 and one neighbour 84 gives d = 16 → 102 (104 unclamped).
    // Byte 2: not a number counts as 0.
    TestImage image(3, 3, 3, 100);
    image.SetPixel(1, 1, 200, 100, 200);
    image.At(0, 0, 1) = 84;
    ASSERT_TRUE(SharpenColour(image.View(), -0.5f, 2.0f, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(image.At(1, 1, 0), 200);
    EXPECT_EQ(image.At(1, 1, 1), 102);
    EXPECT_EQ(image.At(1, 1, 2), 200);
}

TEST(SharpenColourImage, BordersAndPaddingKeepTheirBytes)
{
    // Width 5: 15 pixel bytes and 1 padding byte per row. Random-looking
    // content, so a border byte written with any value would show.
    TestImage image(5, 4, 3, 0);
    for (std::size_t i = 0; i < image.bytes.size(); ++i) {
        image.bytes[i] = static_cast<std::uint8_t>((i * 37 + 11) % 256);
    }
    for (int y = 0; y < image.height; ++y) {
        image.bytes[static_cast<std::size_t>(y * image.Stride() + 15)] = kPadding;
    }
    const TestImage before = image;
    ASSERT_TRUE(SharpenColour(image.View(), 1.0f, 1.0f, 1.0f));
    int interiorChanged = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const bool border = y == 0 || y == image.height - 1 || x == 0 || x == image.width - 1;
            for (int b = 0; b < 3; ++b) {
                const std::size_t i = static_cast<std::size_t>(y * image.Stride() + x * 3 + b);
                if (border) {
                    EXPECT_EQ(image.bytes[i], before.bytes[i]) << x << "," << y << " byte " << b;
                } else if (image.bytes[i] != before.bytes[i]) {
                    ++interiorChanged;
                }
            }
        }
        EXPECT_EQ(image.bytes[static_cast<std::size_t>(y * image.Stride() + 15)], kPadding);
    }
    EXPECT_GT(interiorChanged, 0);
}

TEST(SharpenColourImage, TwoRowsHighIsUnchanged)
{
    TestImage image(4, 2, 3, 100);
    image.SetPixel(1, 0, 250, 0, 250);
    const std::vector<std::uint8_t> before = image.bytes;
    EXPECT_TRUE(SharpenColour(image.View(), 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(image.bytes, before);
}

} // namespace
} // namespace tamr
