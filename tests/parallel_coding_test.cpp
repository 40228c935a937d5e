// Coding on several threads and the vectorised loops must give exactly the
// bytes and samples of coding on one thread with the plain formulas: random
// pictures over the whole range of settings are compressed and decoded with
// one thread and with several, and the transform's and conversions' fast
// loops are compared with plain references.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

#include "codec/QualityFactor.h"
#include "codec/WaveletCodec.h"
#include "codec/WaveletTransform.h"
#include "image/ColourConversion.h"
#include "image/DibImage.h"
#include "image/ImageCompression.h"
#include "platform/ParallelTasks.h"
#include "support/BmpTestFiles.h"
#include "support/ScriptedPrompter.h"

namespace tamr {
namespace {

// Smooth shading with edges and noise of the given strength; gray pictures
// carry a gray colour table.
std::vector<std::uint8_t> RandomBmp(std::mt19937& random, int width, int height, bool colour, int noise)
{
    std::uniform_int_distribution<int> jitter(-noise, noise);
    const int edge = std::uniform_int_distribution<int>(1, 40)(random);
    return test::SampledBmp(width, height, colour, [&](int x, int y, int k) {
        const int shade = (x * (3 + k) + y * (5 - k)) % 256 + ((x / edge + y / edge) % 2 != 0 ? 60 : -60);
        return static_cast<std::uint8_t>(std::clamp(shade + jitter(random), 0, 255));
    });
}

// The settings of a quality factor, then, now and then, raw changes as Master
// Setup allows them: chroma at half resolution and other discard levels.
CodecSettings RandomSettings(std::mt19937& random, int quality, int levels)
{
    CodecSettings settings;
    settings.totalLevels = static_cast<std::int16_t>(levels);
    settings.qualityFactor = static_cast<std::int16_t>(quality);
    ApplyQualityFactor(settings);
    if (quality < 100 && std::bernoulli_distribution(0.4)(random)) {
        for (std::size_t c = 0; c < kComponentCount; ++c)
            settings.component(c).discardLevels =
                static_cast<std::int16_t>(std::uniform_int_distribution<int>(0, levels)(random));
    }
    if (quality < 100 && std::bernoulli_distribution(0.4)(random)) {
        settings.component(kComponentB).sampleLevels = 1;
        settings.component(kComponentC).sampleLevels = 1;
    }
    return settings;
}

struct Coded {
    bool compressed = false;
    std::vector<std::uint8_t> file;
    std::vector<std::uint8_t> shown; // the picture compression decoded at once
};

Coded Compress(const std::vector<std::uint8_t>& bmp, CodecSettings settings, int threads)
{
    settings.threads = threads;
    Coded coded;
    CDibImage image;
    ScriptedPrompter prompter;
    if (!image.ReadBmp(bmp, prompter, DisplaySettings{}, Limits{}))
        return coded;
    WaveletCodec codec(settings, image.Width(), image.Height(), image.BitsPerPixel(), image.DetectColour() == 1);
    coded.compressed = CompressImage(image, codec, settings, DisplaySettings{}).has_value();
    coded.file = codec.WriteHeader();
    coded.shown.assign(image.Pixels().begin(), image.Pixels().end());
    return coded;
}

std::vector<std::uint8_t> Decode(const std::vector<std::uint8_t>& file, int threads)
{
    CodecSettings settings;
    settings.threads = threads;
    WaveletCodec codec(settings);
    CDibImage image;
    if (!codec.ReadHeader(file) || !DecodeCodImage(image, codec, DisplaySettings{}))
        return {};
    return {image.Pixels().begin(), image.Pixels().end()};
}

TEST(ParallelCodingTest, SeveralThreadsGiveTheBytesAndPixelsOfOne)
{
    std::mt19937 random(20240607);
    const int qualities[] = {0, 3, 9, 17, 25, 38, 50, 50, 63, 77, 85, 92, 97, 99, 100, 100};
    int round = 0;
    for (const int quality : qualities) {
        for (int levels = 1; levels <= 6; levels += (quality % 2 == 0 ? 1 : 2)) {
            const bool colour = round++ % 3 != 0;
            const int width = std::uniform_int_distribution<int>(9, 150)(random);
            const int height = std::uniform_int_distribution<int>(9, 110)(random);
            const int noise = std::uniform_int_distribution<int>(0, 90)(random);
            const CodecSettings settings = RandomSettings(random, quality, levels);
            SCOPED_TRACE(testing::Message() << width << "x" << height << (colour ? " colour" : " gray") << " q"
                                            << quality << " L" << levels << " noise " << noise);
            const auto bmp = RandomBmp(random, width, height, colour, noise);

            const Coded single = Compress(bmp, settings, 1);
            const Coded several = Compress(bmp, settings, 3);
            ASSERT_TRUE(single.compressed);
            ASSERT_TRUE(several.compressed);
            ASSERT_EQ(single.file, several.file);
            ASSERT_EQ(single.shown, several.shown);

            const auto decodedSingle = Decode(single.file, 1);
            ASSERT_FALSE(decodedSingle.empty());
            EXPECT_EQ(decodedSingle, Decode(single.file, 4));
            EXPECT_EQ(decodedSingle, single.shown);
        }
    }
}

// The plain path: the whole file decoded into planes that are kept, then
// converted into a picture of its own in one pass.
std::vector<std::uint8_t> DecodeWhole(const std::vector<std::uint8_t>& file)
{
    WaveletCodec codec(CodecSettings{});
    CDibImage image;
    if (!codec.ReadHeader(file) || !codec.DecodeAll() ||
        !image.AllocateForCodData(static_cast<std::uint16_t>(codec.Width()), static_cast<std::uint16_t>(codec.Height()),
                                  static_cast<std::uint16_t>(codec.BitsPerPixel()), codec.IsColour()) ||
        !image.ConvertDecodedPlanes(codec, DisplaySettings{}))
        return {};
    return {image.Pixels().begin(), image.Pixels().end()};
}

TEST(ParallelCodingTest, PlanesGivenBackBandByBandGiveThePixelsOfTheWholeConversion)
{
    std::mt19937 random(2025);
    for (int round = 0; round < 8; ++round) {
        // Odd widths for row padding, heights over several bands of rows.
        const bool colour = round % 4 != 0;
        const int width = 2 * std::uniform_int_distribution<int>(10, 90)(random) + 1;
        const int height = std::uniform_int_distribution<int>(65, 300)(random);
        const int quality = std::uniform_int_distribution<int>(5, 95)(random);
        const CodecSettings settings = RandomSettings(random, quality, 4);
        SCOPED_TRACE(testing::Message() << width << "x" << height << (colour ? " colour" : " gray") << " q" << quality);
        const Coded coded = Compress(RandomBmp(random, width, height, colour, 30), settings, 1);
        ASSERT_TRUE(coded.compressed);
        const auto whole = DecodeWhole(coded.file);
        ASSERT_FALSE(whole.empty());
        EXPECT_EQ(coded.shown, whole);
        EXPECT_EQ(Decode(coded.file, 1), whole);
    }
}

TEST(ParallelCodingTest, LargePicturesCodedComponentAfterComponentGiveTheBytesOfOneThread)
{
    // Planes beyond the budget for coding components at once: 2400 x 1800
    // colour samples take 26 MB in three 16-bit planes.
    std::mt19937 random(77);
    const auto bmp = RandomBmp(random, 2400, 1800, true, 40);
    CodecSettings settings = RandomSettings(random, 50, 5);
    settings.component(kComponentB).sampleLevels = 0;
    settings.component(kComponentC).sampleLevels = 0;
    const Coded single = Compress(bmp, settings, 1);
    const Coded several = Compress(bmp, settings, 3);
    ASSERT_TRUE(single.compressed);
    ASSERT_TRUE(several.compressed);
    ASSERT_EQ(single.file, several.file);
    ASSERT_EQ(single.shown, several.shown);
    EXPECT_EQ(Decode(single.file, 3), single.shown);
}

TEST(ParallelCodingTest, RunTasksRunsEveryTaskOnceAndPassesFailuresOn)
{
    for (const int threads : {1, 2, 5}) {
        std::vector<std::atomic<int>> runs(37);
        RunTasks(threads, runs.size(), [&](std::size_t i) { ++runs[i]; });
        for (const auto& count : runs)
            EXPECT_EQ(count, 1);
        EXPECT_THROW(RunTasks(threads, 4,
                              [](std::size_t i) {
                                  if (i == 2)
                                      throw std::bad_alloc();
                              }),
                     std::bad_alloc);
    }
    EXPECT_GE(ResolveThreadCount(0), 1);
    EXPECT_EQ(ResolveThreadCount(3), 3);
}

// The plain forward level: every row, then every column, one line at a time
// through the one-dimensional step.
void ReferenceForwardLevel(std::vector<float>& plane, std::size_t stride, int rows, int cols)
{
    std::vector<float> buffer(static_cast<std::size_t>(std::max(rows, cols)));
    const std::span<float> samples(plane);
    for (int y = 0; y < rows; ++y)
        ASSERT_TRUE(ForwardStep(samples.subspan(static_cast<std::size_t>(y) * stride), 1, cols, kRowPass, buffer));
    for (int x = 0; x < cols; ++x)
        ASSERT_TRUE(ForwardStep(samples.subspan(static_cast<std::size_t>(x)), stride, rows, kColumnPass, buffer));
}

TEST(ParallelCodingTest, ForwardLevelGivesTheBitsOfTheOneLineStep)
{
    std::mt19937 random(99);
    std::uniform_real_distribution<float> value(-300.0f, 300.0f);
    // Narrow planes and planes of several column strips with a partial last one.
    for (int trial = 0; trial < 40; ++trial) {
        const int rows = 2 * std::uniform_int_distribution<int>(2, 40)(random);
        const int cols = 2 * std::uniform_int_distribution<int>(2, trial < 30 ? 45 : 150)(random);
        const std::size_t stride = static_cast<std::size_t>(cols) + std::uniform_int_distribution<int>(0, 5)(random);
        std::vector<float> plane(stride * static_cast<std::size_t>(rows));
        for (float& sample : plane)
            sample = trial % 2 == 0 ? value(random) : static_cast<float>(static_cast<int>(value(random)));
        std::vector<float> expected = plane;
        ReferenceForwardLevel(expected, stride, rows, cols);
        std::vector<float> lineBuffer;
        ASSERT_TRUE(ForwardLevel(plane, stride, rows, cols, lineBuffer));
        ASSERT_EQ(0, std::memcmp(plane.data(), expected.data(), plane.size() * sizeof(float)))
            << rows << "x" << cols << " stride " << stride;
    }
}

// One pixel of the inverse conversion as the formulas write it.
std::uint8_t Clamped(int value)
{
    return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

TEST(ParallelCodingTest, InverseConversionRowsMatchTheFormulasPixelByPixel)
{
    std::mt19937 random(5);
    std::uniform_int_distribution<int> sample(-3000, 3000);
    const int width = 37;
    const int height = 5;
    const std::size_t stride = 40;
    std::vector<std::int16_t> y(stride * height), i(stride * height), q(stride * height);
    for (std::size_t n = 0; n < y.size(); ++n) {
        y[n] = static_cast<std::int16_t>(sample(random) / 10);
        i[n] = static_cast<std::int16_t>(sample(random));
        q[n] = static_cast<std::int16_t>(sample(random));
    }
    const int rowPad = 1;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * 3 + rowPad) * height);
    const ConstYiqPlanes planes{{y, stride, height}, {i, stride, height}, {q, stride, height}};
    ASSERT_TRUE(YiqToRgbFull(planes, 128, PixelView{pixels, width, height, rowPad}));
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            const std::size_t at = static_cast<std::size_t>(r) * stride + static_cast<std::size_t>(c);
            const int yo = y[at] + 128;
            const std::uint8_t* pixel = &pixels[static_cast<std::size_t>(r * (width * 3 + rowPad) + 3 * c)];
            EXPECT_EQ(pixel[0], Clamped(yo + ((1744 * q[at] - 1133 * i[at]) >> 10)));
            EXPECT_EQ(pixel[1], Clamped(yo + ((-279 * i[at] - 662 * q[at]) >> 10)));
            EXPECT_EQ(pixel[2], Clamped(yo + ((979 * i[at] + 636 * q[at]) >> 10)));
        }
    }
}

} // namespace
} // namespace tamr
