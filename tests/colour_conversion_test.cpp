#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "image/ColourConversion.h"

namespace tamr {
namespace {

constexpr std::int16_t kOffset = 128;
constexpr std::int16_t kUntouched = 999;
constexpr std::uint8_t kPadByte = 0xA5;

// A bottom-up pixel buffer laid out as the image keeps it, pad bytes marked.
struct TestImage {
    TestImage(int w, int h, int bytesPerPixel)
        : width(w), height(h), bpp(bytesPerPixel), rowPad((4 - (w * bytesPerPixel) % 4) % 4),
          bytes(static_cast<std::size_t>((w * bytesPerPixel + rowPad) * h), kPadByte)
    {
    }
    std::size_t At(int r, int c) const { return static_cast<std::size_t>(r * (width * bpp + rowPad) + c * bpp); }
    void SetRgb(int r, int c, int red, int green, int blue)
    {
        bytes[At(r, c)] = static_cast<std::uint8_t>(blue);
        bytes[At(r, c) + 1] = static_cast<std::uint8_t>(green);
        bytes[At(r, c) + 2] = static_cast<std::uint8_t>(red);
    }
    void FillRgb(int red, int green, int blue)
    {
        for (int r = 0; r < height; ++r) {
            for (int c = 0; c < width; ++c) {
                SetRgb(r, c, red, green, blue);
            }
        }
    }
    std::array<int, 3> Rgb(int r, int c) const { return {bytes[At(r, c) + 2], bytes[At(r, c) + 1], bytes[At(r, c)]}; }
    bool PadsUntouched() const
    {
        for (int r = 0; r < height; ++r) {
            for (int p = 0; p < rowPad; ++p) {
                if (bytes[At(r, width) + static_cast<std::size_t>(p)] != kPadByte) {
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

struct TestPlane {
    TestPlane(std::size_t s, std::size_t r, std::int16_t fill = kUntouched) : stride(s), rows(r), samples(s * r, fill)
    {
    }
    std::int16_t& At(std::size_t r, std::size_t c) { return samples[r * stride + c]; }
    PlaneView View() { return {samples, stride, rows}; }

    std::size_t stride;
    std::size_t rows;
    std::vector<std::int16_t> samples;
};

struct TestYiq {
    TestYiq(std::size_t stride, std::size_t rows, std::size_t chromaStride, std::size_t chromaRows)
        : y(stride, rows), i(chromaStride, chromaRows), q(chromaStride, chromaRows)
    {
    }
    TestYiq(std::size_t stride, std::size_t rows) : TestYiq(stride, rows, stride, rows) {}
    YiqPlanes View() { return {y.View(), i.View(), q.View()}; }
    ConstYiqPlanes ConstView() { return {y.View(), i.View(), q.View()}; }

    TestPlane y;
    TestPlane i;
    TestPlane q;
};

std::array<int, 3> RoundTrip(int red, int green, int blue, std::array<int, 3>* yiq = nullptr)
{
    TestImage image(1, 1, 3);
    image.SetRgb(0, 0, red, green, blue);
    TestYiq planes(1, 1);
    EXPECT_TRUE(RgbToYiqFull(image.View(), kOffset, planes.View()));
    if (yiq != nullptr) {
        *yiq = {planes.y.At(0, 0), planes.i.At(0, 0), planes.q.At(0, 0)};
    }
    TestImage back(1, 1, 3);
    EXPECT_TRUE(YiqToRgbFull(planes.ConstView(), kOffset, back.View()));
    return back.Rgb(0, 0);
}

TEST(ColourConversionTest, HandComputedPixelsMatchTheFormulas)
{
    std::array<int, 3> yiq{};
    // Mid gray: every difference from the offset is 0.
    EXPECT_EQ(RoundTrip(128, 128, 128, &yiq), (std::array<int, 3>{128, 128, 128}));
    EXPECT_EQ(yiq, (std::array<int, 3>{0, 0, 0}));
    // White: (306 + 601 + 117) * 127 = 130048, >> 10 = 127.
    EXPECT_EQ(RoundTrip(255, 255, 255, &yiq), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(yiq, (std::array<int, 3>{127, 0, 0}));
    // Black: -1024 * 128 >> 10 = -128.
    EXPECT_EQ(RoundTrip(0, 0, 0, &yiq), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(yiq, (std::array<int, 3>{-128, 0, 0}));
    // (200, 100, 50): Y = (306*72 - 601*28 - 117*78) = -3922 >> 10 = -4 (rounds down),
    // I = 122000 - 28000 - 16500 = 77500 >> 10 = 75, Q = 43200 - 53600 + 16000 = 5600 >> 10 = 5.
    // Back with Y' = 124: R += 76605 >> 10 = 74, G += -24235 >> 10 = -24, B += -76255 >> 10 = -75.
    EXPECT_EQ(RoundTrip(200, 100, 50, &yiq), (std::array<int, 3>{198, 100, 49}));
    EXPECT_EQ(yiq, (std::array<int, 3>{-4, 75, 5}));
    // Pure red: Y = (38862 - 76928 - 14976) = -53042 >> 10 = -52, I = 155550 >> 10 = 151,
    // Q = 55080 >> 10 = 53. Back with Y' = 76: R = 76 + 177, G = 76 - 76, B = 76 - 77 clamped to 0.
    EXPECT_EQ(RoundTrip(255, 0, 0, &yiq), (std::array<int, 3>{253, 0, 0}));
    EXPECT_EQ(yiq, (std::array<int, 3>{-52, 151, 53}));
}

// More hand-worked colours, chosen so that changing any single weight by 1 or
// 2 changes at least one result. Sums are listed before the shift by 10.
TEST(ColourConversionTest, HandComputedColoursPinEveryWeight)
{
    struct Case {
        std::array<int, 3> rgb;
        std::array<int, 3> yiq;
        std::array<int, 3> back;
    };
    const Case cases[] = {
        // Y 31283, I -117830, Q -66624; back from Y' 158: R -155540, G 76056, B 16324.
        {{8, 232, 175}, {30, -116, -66}, {6, 232, 173}},
        // Y 2418, I -49640, Q -98832; back from Y' 130: R -109663, G 77885, B -113651.
        {{24, 206, 20}, {2, -49, -97}, {22, 206, 19}},
        // Y -4768, I 76080, Q 61888; back from Y' 123: R 110606, G -60366, B 20798.
        {{232, 64, 144}, {-5, 74, 60}, {231, 64, 143}},
        // Y -5347, I -52540, Q -22536; back from Y' 122: R -65536 (exactly -64), G 29734, B 18804.
        {{60, 151, 142}, {-6, -52, -23}, {58, 151, 140}},
    };
    for (const Case& c : cases) {
        std::array<int, 3> yiq{};
        EXPECT_EQ(RoundTrip(c.rgb[0], c.rgb[1], c.rgb[2], &yiq), c.back)
            << c.rgb[0] << "," << c.rgb[1] << "," << c.rgb[2];
        EXPECT_EQ(yiq, c.yiq) << c.rgb[0] << "," << c.rgb[1] << "," << c.rgb[2];
    }
}

TEST(ColourConversionTest, FullResolutionTailsRepeatTheLastColumnAndRow)
{
    // w = 5 in a plane of stride 8; two rows below the image.
    TestImage image(5, 3, 3);
    std::mt19937 random(7);
    for (auto& byte : image.bytes) {
        byte = static_cast<std::uint8_t>(random());
    }
    TestYiq planes(8, 5);
    ASSERT_TRUE(RgbToYiqFull(image.View(), kOffset, planes.View()));
    for (TestPlane* plane : {&planes.y, &planes.i, &planes.q}) {
        for (std::size_t r = 0; r < 3; ++r) {
            for (std::size_t c = 5; c < 8; ++c) {
                EXPECT_EQ(plane->At(r, c), plane->At(r, 4)) << "row " << r << " column " << c;
            }
        }
        for (std::size_t r = 3; r < 5; ++r) {
            for (std::size_t c = 0; c < 8; ++c) {
                EXPECT_EQ(plane->At(r, c), plane->At(2, c)) << "row " << r << " column " << c;
            }
        }
        EXPECT_EQ(std::count(plane->samples.begin(), plane->samples.end(), kUntouched), 0);
    }
}

TEST(ColourConversionTest, GrayWritesTheImageAreaOnly)
{
    TestImage image(5, 3, 1);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 5; ++c) {
            image.bytes[image.At(r, c)] = static_cast<std::uint8_t>(50 * c + r);
        }
    }
    TestPlane plane(8, 4);
    ASSERT_TRUE(GrayToPlane(image.View(), kOffset, plane.View()));
    for (std::size_t r = 0; r < 4; ++r) {
        for (std::size_t c = 0; c < 8; ++c) {
            const int expected = (r < 3 && c < 5) ? static_cast<int>(50 * c + r) - 128 : kUntouched;
            EXPECT_EQ(plane.At(r, c), expected) << "row " << r << " column " << c;
        }
    }
    TestImage back(5, 3, 1);
    ASSERT_TRUE(PlaneToGray(plane.View(), kOffset, back.View()));
    EXPECT_EQ(back.bytes, image.bytes);
}

TEST(ColourConversionTest, SubsampledChromaOfOddSizesComesFromBlocksPairsAndTheCorner)
{
    // A 3 × 3 image: one 2 × 2 block, a column pair, a row pair and the corner.
    TestImage image(3, 3, 3);
    image.FillRgb(128, 128, 128);
    image.SetRgb(0, 0, 255, 0, 0);
    image.SetRgb(0, 1, 255, 0, 0);
    image.SetRgb(0, 2, 228, 128, 28);
    image.SetRgb(1, 2, 128, 128, 129);
    image.SetRgb(2, 0, 128, 0, 128);
    image.SetRgb(2, 2, 255, 0, 0);
    TestYiq planes(4, 4, 3, 3);
    ASSERT_TRUE(RgbToYiqSubsampled(image.View(), kOffset, planes.View()));

    // Block: sums 254, -256, -256, >> 2 gives 63, -64, -64;
    // I = (127*330 + 127*280) >> 10 = 77470 >> 10 = 75, Q = (0*320 + 127*216) >> 10 = 27432 >> 10 = 26.
    EXPECT_EQ(planes.i.At(0, 0), 75);
    EXPECT_EQ(planes.q.At(0, 0), 26);
    // Column pair: sums 100, 0, -99, >> 1 gives 50, 0, -50 (rounding down);
    // I = (100*330 + 50*280) >> 10 = 47000 >> 10 = 45, Q = (-50*320 + 50*216) >> 10 = -5200 >> 10 = -6.
    EXPECT_EQ(planes.i.At(0, 1), 45);
    EXPECT_EQ(planes.q.At(0, 1), -6);
    // Row pair: green sum -128 >> 1 = -64; I = 64*280 >> 10 = 17, Q = (64*320 + 64*216) >> 10 = 33.
    EXPECT_EQ(planes.i.At(1, 0), 17);
    EXPECT_EQ(planes.q.At(1, 0), 33);
    // Corner: the red pixel alone, I = 155550 >> 10 = 151, Q = 55080 >> 10 = 53.
    EXPECT_EQ(planes.i.At(1, 1), 151);
    EXPECT_EQ(planes.q.At(1, 1), 53);

    // Every pixel keeps its own luminance: red -52, gray 0.
    EXPECT_EQ(planes.y.At(0, 0), -52);
    EXPECT_EQ(planes.y.At(2, 2), -52);
    EXPECT_EQ(planes.y.At(1, 1), 0);

    // Tails: luminance from column 3 on, chroma from column ⌈3/2⌉ = 2 on; rows below copy.
    for (std::size_t r = 0; r < 4; ++r) {
        EXPECT_EQ(planes.y.At(r, 3), planes.y.At(r, 2));
    }
    EXPECT_EQ(planes.y.At(3, 0), planes.y.At(2, 0));
    for (TestPlane* chroma : {&planes.i, &planes.q}) {
        for (std::size_t r = 0; r < 3; ++r) {
            EXPECT_EQ(chroma->At(r, 2), chroma->At(r, 1));
        }
        for (std::size_t c = 0; c < 3; ++c) {
            EXPECT_EQ(chroma->At(2, c), chroma->At(1, c));
        }
    }
    // Every sample is written: the codec's colour planes are not zero-filled first.
    for (TestPlane* plane : {&planes.y, &planes.i, &planes.q}) {
        EXPECT_EQ(std::count(plane->samples.begin(), plane->samples.end(), kUntouched), 0);
    }
}

TEST(ColourConversionTest, SubsampledInverseServesEachBlockFromItsChromaSample)
{
    // 5 × 3 pixels: the last column and row use the sample of their pair.
    TestYiq half(8, 4, 3, 2);
    TestYiq full(8, 4);
    std::mt19937 random(11);
    for (std::size_t r = 0; r < 3; ++r) {
        for (std::size_t c = 0; c < 5; ++c) {
            half.y.At(r, c) = full.y.At(r, c) = static_cast<std::int16_t>(static_cast<int>(random() % 256) - 128);
        }
    }
    for (std::size_t k = 0; k < 2; ++k) {
        for (std::size_t j = 0; j < 3; ++j) {
            half.i.At(k, j) = static_cast<std::int16_t>(static_cast<int>(random() % 300) - 150);
            half.q.At(k, j) = static_cast<std::int16_t>(static_cast<int>(random() % 300) - 150);
        }
    }
    for (std::size_t r = 0; r < 3; ++r) {
        for (std::size_t c = 0; c < 5; ++c) {
            full.i.At(r, c) = half.i.At(r / 2, c / 2);
            full.q.At(r, c) = half.q.At(r / 2, c / 2);
        }
    }
    TestImage fromHalf(5, 3, 3);
    TestImage fromFull(5, 3, 3);
    ASSERT_TRUE(YiqToRgbSubsampled(half.ConstView(), kOffset, fromHalf.View()));
    ASSERT_TRUE(YiqToRgbFull(full.ConstView(), kOffset, fromFull.View()));
    EXPECT_EQ(fromHalf.bytes, fromFull.bytes);
    EXPECT_TRUE(fromHalf.PadsUntouched());
}

TEST(ColourConversionTest, UniformBlocksRoundTripAsAtFullResolution)
{
    // With every 2 × 2 block of one colour the averages are exact, so the
    // subsampled chroma equals the per-pixel chroma.
    TestImage image(6, 4, 3);
    std::mt19937 random(5);
    for (int k = 0; k < 2; ++k) {
        for (int j = 0; j < 3; ++j) {
            const int red = static_cast<int>(random() % 256);
            const int green = static_cast<int>(random() % 256);
            const int blue = static_cast<int>(random() % 256);
            for (int r = 2 * k; r < 2 * k + 2; ++r) {
                for (int c = 2 * j; c < 2 * j + 2; ++c) {
                    image.SetRgb(r, c, red, green, blue);
                }
            }
        }
    }
    TestYiq fullPlanes(8, 4);
    TestYiq halfPlanes(8, 4, 4, 2);
    ASSERT_TRUE(RgbToYiqFull(image.View(), kOffset, fullPlanes.View()));
    ASSERT_TRUE(RgbToYiqSubsampled(image.View(), kOffset, halfPlanes.View()));
    EXPECT_EQ(halfPlanes.y.samples, fullPlanes.y.samples);
    TestImage viaFull(6, 4, 3);
    TestImage viaHalf(6, 4, 3);
    ASSERT_TRUE(YiqToRgbFull(fullPlanes.ConstView(), kOffset, viaFull.View()));
    ASSERT_TRUE(YiqToRgbSubsampled(halfPlanes.ConstView(), kOffset, viaHalf.View()));
    EXPECT_EQ(viaHalf.bytes, viaFull.bytes);
}

TEST(ColourConversionTest, InverseResultsAreClampedInEveryVariant)
{
    // Y' = -3 and Y' = 260 with no chroma.
    for (const auto& [luminance, expected] : {std::pair<int, int>{-131, 0}, {132, 255}}) {
        TestYiq planes(1, 1, 1, 1);
        planes.y.At(0, 0) = static_cast<std::int16_t>(luminance);
        planes.i.At(0, 0) = 0;
        planes.q.At(0, 0) = 0;
        const std::array<int, 3> gray{expected, expected, expected};
        TestImage full(1, 1, 3);
        ASSERT_TRUE(YiqToRgbFull(planes.ConstView(), kOffset, full.View()));
        EXPECT_EQ(full.Rgb(0, 0), gray);
        TestImage half(1, 1, 3);
        ASSERT_TRUE(YiqToRgbSubsampled(planes.ConstView(), kOffset, half.View()));
        EXPECT_EQ(half.Rgb(0, 0), gray);
        TestImage level(1, 1, 3);
        ASSERT_TRUE(LevelYiqToRgb(LevelShifts{}, planes.ConstView(), kOffset, level.View()));
        EXPECT_EQ(level.Rgb(0, 0), gray);
        TestImage grayImage(1, 1, 1);
        ASSERT_TRUE(PlaneToGray(planes.y.View(), kOffset, grayImage.View()));
        EXPECT_EQ(grayImage.bytes[0], expected);
    }
}

TEST(ColourConversionTest, ExtremeSamplesClampWithoutLeavingTheTable)
{
    // Sums of full-range 16-bit samples lie far outside the clamping table;
    // the table lookup must give what direct comparison gives.
    const std::array<std::int16_t, 7> values{-32768, -32767, -1200, -1, 0, 1300, 32767};
    const std::size_t n = values.size();
    TestYiq planes(n * n * n, 1);
    std::size_t column = 0;
    for (auto y : values) {
        for (auto i : values) {
            for (auto q : values) {
                planes.y.At(0, column) = y;
                planes.i.At(0, column) = i;
                planes.q.At(0, column) = q;
                ++column;
            }
        }
    }
    const int width = static_cast<int>(n * n * n);
    TestImage viaTable(width, 1, 3);
    TestImage viaCompare(width, 1, 3);
    ASSERT_TRUE(YiqToRgbFull(planes.ConstView(), kOffset, viaTable.View()));
    ASSERT_TRUE(LevelYiqToRgb(LevelShifts{}, planes.ConstView(), kOffset, viaCompare.View()));
    EXPECT_EQ(viaTable.bytes, viaCompare.bytes);
    // All of Y = -32768 comes out black, all of Y = 32767 with no chroma white.
    EXPECT_EQ(viaTable.Rgb(0, 0), (std::array<int, 3>{0, 0, 0}));
    const int whiteColumn = static_cast<int>((n - 1) * n * n + 4 * n + 4);
    EXPECT_EQ(viaTable.Rgb(0, whiteColumn), (std::array<int, 3>{255, 255, 255}));
}

TEST(ColourConversionTest, LevelDisplayWithoutShiftEqualsTheFullInverse)
{
    TestYiq planes(8, 6);
    std::mt19937 random(3);
    for (TestPlane* plane : {&planes.y, &planes.i, &planes.q}) {
        for (auto& sample : plane->samples) {
            sample = static_cast<std::int16_t>(static_cast<int>(random() % 700) - 350);
        }
    }
    TestImage full(7, 5, 3);
    TestImage level(7, 5, 3);
    ASSERT_TRUE(YiqToRgbFull(planes.ConstView(), kOffset, full.View()));
    ASSERT_TRUE(LevelYiqToRgb(LevelShifts{}, planes.ConstView(), kOffset, level.View()));
    EXPECT_EQ(level.bytes, full.bytes);

    TestImage gray(7, 5, 1);
    TestImage grayLevel(7, 5, 1);
    ASSERT_TRUE(PlaneToGray(planes.y.View(), kOffset, gray.View()));
    ASSERT_TRUE(LevelPlaneToGray(0, planes.y.View(), kOffset, grayLevel.View()));
    EXPECT_EQ(grayLevel.bytes, gray.bytes);
}

TEST(ColourConversionTest, LevelDisplayShiftsEverySampleDown)
{
    // Full image 9 × 6 shown at shift 2: a 2 × 1 reduced image. The chroma
    // planes have the subsampled geometry and are read through their own stride.
    TestYiq planes(12, 8, 6, 4);
    planes.y.At(0, 1) = -300; // >> 2 = -75, Y' = 53
    planes.i.At(0, 1) = 7;    // >> 2 = 1
    planes.q.At(0, 1) = -5;   // >> 2 = -2 (rounds down)
    planes.y.At(0, 0) = 0;
    planes.i.At(0, 0) = 0;
    planes.q.At(0, 0) = 0;
    TestImage reduced(9 >> 2, 6 >> 2, 3);
    ASSERT_TRUE(LevelYiqToRgb(LevelShifts{2, 2, 2}, planes.ConstView(), kOffset, reduced.View()));
    // R = 53 + (979 - 1272) >> 10 = 52, G = 53 + (-279 + 1324) >> 10 = 54, B = 53 + (-3488 - 1133) >> 10 = 48.
    EXPECT_EQ(reduced.Rgb(0, 1), (std::array<int, 3>{52, 54, 48}));
    EXPECT_EQ(reduced.Rgb(0, 0), (std::array<int, 3>{128, 128, 128}));
    EXPECT_TRUE(reduced.PadsUntouched());

    // Chroma planes carrying one level less of gain take a smaller shift:
    // I = 7 >> 1 = 3, Q = -5 >> 1 = -3; R = 53 + 1029 >> 10, G = 53 + 1149 >> 10, B = 53 + (-8631 >> 10).
    ASSERT_TRUE(LevelYiqToRgb(LevelShifts{2, 1, 1}, planes.ConstView(), kOffset, reduced.View()));
    EXPECT_EQ(reduced.Rgb(0, 1), (std::array<int, 3>{54, 54, 44}));
    EXPECT_FALSE(LevelYiqToRgb(LevelShifts{2, 16, 1}, planes.ConstView(), kOffset, reduced.View()));
    EXPECT_FALSE(LevelYiqToRgb(LevelShifts{2, 1, -1}, planes.ConstView(), kOffset, reduced.View()));

    TestImage gray(2, 1, 1);
    ASSERT_TRUE(LevelPlaneToGray(2, planes.y.View(), kOffset, gray.View()));
    EXPECT_EQ(gray.bytes[1], 53);
    EXPECT_FALSE(LevelPlaneToGray(16, planes.y.View(), kOffset, gray.View()));
    EXPECT_FALSE(LevelPlaneToGray(-1, planes.y.View(), kOffset, gray.View()));
}

TEST(ColourConversionTest, BuffersTooSmallAreRefusedUntouched)
{
    TestImage image(5, 3, 3);
    image.FillRgb(10, 20, 30);
    TestYiq narrow(4, 3);
    EXPECT_FALSE(RgbToYiqFull(image.View(), kOffset, narrow.View()));
    EXPECT_EQ(std::count(narrow.y.samples.begin(), narrow.y.samples.end(), kUntouched), 12);
    TestYiq shortChroma(8, 4, 2, 2); // needs ⌈5/2⌉ = 3 chroma columns
    EXPECT_FALSE(RgbToYiqSubsampled(image.View(), kOffset, shortChroma.View()));
    EXPECT_EQ(std::count(shortChroma.y.samples.begin(), shortChroma.y.samples.end(), kUntouched), 32);
    EXPECT_FALSE(YiqToRgbSubsampled(shortChroma.ConstView(), kOffset, image.View()));

    // A plane view claiming more rows than its samples hold.
    TestYiq planes(8, 4);
    YiqPlanes lying = planes.View();
    lying.q.rows = 5;
    EXPECT_FALSE(RgbToYiqFull(image.View(), kOffset, lying));

    // Pixel bytes shorter than the padded rows.
    PixelView truncated = image.View();
    truncated.bytes = truncated.bytes.first(truncated.bytes.size() - 1);
    EXPECT_FALSE(RgbToYiqFull(truncated, kOffset, planes.View()));
    EXPECT_FALSE(YiqToRgbFull(planes.ConstView(), kOffset, truncated));
    EXPECT_EQ(image.Rgb(0, 0), (std::array<int, 3>{10, 20, 30}));
}

// Rounding bound of the round trip. With exact arithmetic the inverse weights
// reproduce a colour to within 0.162 (red), 0.049 (green) and 0.779 (blue) over
// the offset range -128..127. Each of the five shifts on the way drops less than
// 1 (Y and the final inverse sum with weight 1, I and Q through the inverse
// weights / 1024); only the negative inverse weights turn a dropped fraction
// into a gain. So, as integers: red -3..0, green -2..0, blue -4..+1.
struct ErrorRange {
    int low;
    int high;
};
constexpr std::array<ErrorRange, 3> kRoundTripBound{{{-3, 0}, {-2, 0}, {-4, 1}}};

TEST(ColourConversionTest, EveryColourRoundTripsWithinTheRoundingBound)
{
    // All 2^24 colours: one 256 × 256 image of green × blue per red value.
    TestImage image(256, 256, 3);
    TestImage back(256, 256, 3);
    TestYiq planes(256, 256);
    std::array<ErrorRange, 3> seen{{{0, 0}, {0, 0}, {0, 0}}};
    for (int red = 0; red < 256; ++red) {
        for (int green = 0; green < 256; ++green) {
            for (int blue = 0; blue < 256; ++blue) {
                image.SetRgb(green, blue, red, green, blue);
            }
        }
        ASSERT_TRUE(RgbToYiqFull(image.View(), kOffset, planes.View()));
        ASSERT_TRUE(YiqToRgbFull(planes.ConstView(), kOffset, back.View()));
        for (std::size_t at = 0; at < image.bytes.size(); at += 3) {
            for (std::size_t channel = 0; channel < 3; ++channel) {
                // Bytes are blue, green, red; the bound is listed red first.
                const int error = back.bytes[at + channel] - image.bytes[at + channel];
                ErrorRange& range = seen[2 - channel];
                range.low = std::min(range.low, error);
                range.high = std::max(range.high, error);
            }
        }
    }
    const char* names[] = {"red", "green", "blue"};
    for (std::size_t channel = 0; channel < 3; ++channel) {
        RecordProperty(std::string(names[channel]) + "_error",
                       std::to_string(seen[channel].low) + ".." + std::to_string(seen[channel].high));
        EXPECT_GE(seen[channel].low, kRoundTripBound[channel].low) << names[channel];
        EXPECT_LE(seen[channel].high, kRoundTripBound[channel].high) << names[channel];
    }
}

TEST(ColourConversionTest, OneComponentAtATimeGivesThePlanesOfTheJointConversion)
{
    std::mt19937 random(25);
    std::uniform_int_distribution<int> byte(0, 255);
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{3, 5}, std::pair{16, 9}, std::pair{37, 22}}) {
        TestImage image(w, h, 3);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c)
                image.SetRgb(r, c, byte(random), byte(random), byte(random));
        for (const bool subsampled : {false, true}) {
            // Planes larger than the image, so that the padding is compared too.
            const std::size_t stride = static_cast<std::size_t>(w) + 3;
            const std::size_t rows = static_cast<std::size_t>(h) + 2;
            const std::size_t chromaStride = subsampled ? stride / 2 + 1 : stride;
            const std::size_t chromaRows = subsampled ? rows / 2 + 1 : rows;
            TestYiq joint(stride, rows, chromaStride, chromaRows);
            ASSERT_TRUE(subsampled ? RgbToYiqSubsampled(image.View(), kOffset, joint.View())
                                   : RgbToYiqFull(image.View(), kOffset, joint.View()));
            TestPlane y(stride, rows);
            TestPlane i(chromaStride, chromaRows);
            TestPlane q(chromaStride, chromaRows);
            ASSERT_TRUE(RgbToYiqComponent(image.View(), kOffset, YiqComponent::Y, subsampled, y.View()));
            ASSERT_TRUE(RgbToYiqComponent(image.View(), kOffset, YiqComponent::I, subsampled, i.View()));
            ASSERT_TRUE(RgbToYiqComponent(image.View(), kOffset, YiqComponent::Q, subsampled, q.View()));
            EXPECT_EQ(y.samples, joint.y.samples) << w << " x " << h << " subsampled " << subsampled;
            EXPECT_EQ(i.samples, joint.i.samples) << w << " x " << h << " subsampled " << subsampled;
            EXPECT_EQ(q.samples, joint.q.samples) << w << " x " << h << " subsampled " << subsampled;
        }
    }
}

} // namespace
} // namespace tamr
