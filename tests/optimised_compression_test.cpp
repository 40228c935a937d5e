#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "codec/QualityFactor.h"
#include "codec/SettingsVariant.h"
#include "image/DibImage.h"
#include "image/ImageCompression.h"
#include "image/OptimisedCompression.h"
#include "support/BmpTestFiles.h"
#include "support/ScriptedPrompter.h"

namespace tamr {
namespace {

// Shading, edges and noise: detail at every level, as photographs have.
std::vector<std::uint8_t> PictureBmp(int width, int height)
{
    std::mt19937 generator(7);
    std::uniform_int_distribution<int> noise(-10, 10);
    return test::SampledBmp(width, height, true, [&](int x, int y, int k) {
        const int edge = (x / 13 + y / 9) % 2 == 0 ? 40 : -40;
        return static_cast<std::uint8_t>(
            std::clamp(128 + static_cast<int>(60 * std::sin(x * 0.13 + k) * std::cos(y * 0.05)) +
                           edge * (k == 1 ? 1 : -1) + noise(generator),
                       0, 255));
    });
}

CDibImage LoadBmp(const std::vector<std::uint8_t>& file)
{
    CDibImage image;
    ScriptedPrompter prompter;
    EXPECT_TRUE(image.ReadBmp(file, prompter, DisplaySettings{}, Limits{}));
    return image;
}

CodecSettings AtQuality(int quality)
{
    CodecSettings settings;
    settings.threads = 1;
    settings.qualityFactor = static_cast<std::int16_t>(quality);
    ApplyQualityFactor(settings);
    return settings;
}

struct Coded {
    std::size_t bytes = 0;
    double psnr = 0;
};

Coded CodeAtQuality(const std::vector<std::uint8_t>& bmp, int quality)
{
    CDibImage image = LoadBmp(bmp);
    const CodecSettings settings = AtQuality(quality);
    WaveletCodec codec(settings, image.Width(), image.Height(), image.BitsPerPixel(), true);
    EXPECT_TRUE(CompressImage(image, codec, settings, DisplaySettings{}).has_value());
    return {codec.WriteHeader().size(),
            GoalFigure(SearchFigure::Psnr, image.ReferenceView(), image.WorkingView(), 3, 1)};
}

OptimisedCompression Optimise(CDibImage& image, WaveletCodec& codec, const SearchGoal& goal)
{
    return CompressOptimised(image, codec, AtQuality(50), goal, DisplaySettings{});
}

SearchGoal WithinBytes(std::size_t bytes)
{
    return {.bytes = bytes, .figure = std::nullopt, .measure = SearchFigure::Psnr};
}

TEST(SettingsVariant, TheQualityFactorsFamilyIsTheQualityFactor)
{
    CodecSettings base;
    base.threads = 1;
    for (const int quality : {0, 37, 85, 99})
        EXPECT_EQ(VariantSettings(base, quality, kQualityFactorVariant, quality), AtQuality(quality)) << quality;
}

// The COD file written is an ordinary one: read back by a decoder of its
// own, it gives the size and PSNR the search reported for it.
TEST(OptimisedCompression, FileDecodesToThePictureOfItsFigures)
{
    const auto bmp = PictureBmp(120, 96);
    CDibImage image = LoadBmp(bmp);
    WaveletCodec codec(AtQuality(50), image.Width(), image.Height(), image.BitsPerPixel(), true);
    const OptimisedCompression result = Optimise(image, codec, WithinBytes(CodeAtQuality(bmp, 85).bytes));
    ASSERT_FALSE(result.search.Failed());
    ASSERT_TRUE(result.compressed);
    const auto file = codec.WriteHeader();
    EXPECT_EQ(file.size(), result.search.chosen.figures.bytes);

    WaveletCodec reader{CodecSettings{}};
    ASSERT_TRUE(reader.ReadHeader(file));
    CDibImage decoded;
    ASSERT_TRUE(DecodeCodImage(decoded, reader, DisplaySettings{}));
    const CDibImage original = LoadBmp(bmp);
    EXPECT_DOUBLE_EQ(GoalFigure(SearchFigure::Psnr, original.ReferenceView(), decoded.WorkingView(), 3, 1),
                     result.search.chosen.figures.figure);
}

// At the size of the quality factor's file the search never does worse.
TEST(OptimisedCompression, PsnrAtASizeIsAtLeastTheQualityFactors)
{
    const auto bmp = PictureBmp(120, 96);
    for (const int quality : {20, 60, 90}) {
        SCOPED_TRACE(quality);
        const Coded reference = CodeAtQuality(bmp, quality);
        CDibImage image = LoadBmp(bmp);
        WaveletCodec codec(AtQuality(50), image.Width(), image.Height(), image.BitsPerPixel(), true);
        const OptimisedCompression result = Optimise(image, codec, WithinBytes(reference.bytes));
        ASSERT_FALSE(result.search.Failed());
        EXPECT_LE(codec.WriteHeader().size(), reference.bytes);
        EXPECT_GE(GoalFigure(SearchFigure::Psnr, image.ReferenceView(), image.WorkingView(), 3, 1), reference.psnr);
    }
}

// The equal-slope family does better than the quality factor at its size,
// and is chosen.
TEST(OptimisedCompression, EqualSlopeSettingsBeatTheQualityFactorAtItsSize)
{
    const auto bmp = PictureBmp(120, 96);
    for (const int quality : {20, 60, 90}) {
        SCOPED_TRACE(quality);
        const Coded reference = CodeAtQuality(bmp, quality);
        CDibImage image = LoadBmp(bmp);
        WaveletCodec codec(AtQuality(50), image.Width(), image.Height(), image.BitsPerPixel(), true);
        const OptimisedCompression result = Optimise(image, codec, WithinBytes(reference.bytes));
        ASSERT_FALSE(result.search.Failed());
        EXPECT_EQ(result.search.chosen.family, SearchFamily::EqualSlope);
        EXPECT_GT(result.search.chosen.figures.figure, reference.psnr);
    }
}

// The search looks only at sizes and figures, which never depend on the threads.
TEST(OptimisedCompression, SameFileOnAnyNumberOfThreads)
{
    const auto bmp = PictureBmp(120, 96);
    std::vector<std::vector<std::uint8_t>> files;
    for (const int threads : {1, 3}) {
        CDibImage image = LoadBmp(bmp);
        CodecSettings base = AtQuality(50);
        base.threads = threads;
        WaveletCodec codec(base, image.Width(), image.Height(), image.BitsPerPixel(), true);
        const SearchGoal goal{.bytes = std::nullopt, .figure = 0.8, .measure = SearchFigure::Ssim};
        ASSERT_FALSE(CompressOptimised(image, codec, base, goal, DisplaySettings{}).search.Failed());
        files.push_back(codec.WriteHeader());
    }
    EXPECT_EQ(files[0], files[1]);
}

// A stop asked while the search runs ends it before its next trial, with
// nothing chosen; progress counts every trial made.
TEST(OptimisedCompression, StopEndsTheSearchBeforeTheNextTrial)
{
    const auto bmp = PictureBmp(120, 96);
    CDibImage image = LoadBmp(bmp);
    WaveletCodec codec(AtQuality(50), image.Width(), image.Height(), image.BitsPerPixel(), true);
    int reported = 0;
    SearchControl control;
    control.progress = [&](int done, int most) {
        EXPECT_LE(done, most);
        reported = done;
    };
    control.stopRequested = [&] { return reported >= 2; };
    const OptimisedCompression result = CompressOptimised(
        image, codec, AtQuality(50), WithinBytes(CodeAtQuality(bmp, 60).bytes), DisplaySettings{}, control);
    EXPECT_EQ(result.search.failure, SearchFailure::Stopped);
    EXPECT_EQ(result.search.encodes + result.search.measures, 2);
    EXPECT_EQ(reported, 2);
}

TEST(OptimisedCompression, SizeBelowEveryFileIsUnreachable)
{
    const auto bmp = PictureBmp(120, 96);
    CDibImage image = LoadBmp(bmp);
    WaveletCodec codec(AtQuality(50), image.Width(), image.Height(), image.BitsPerPixel(), true);
    EXPECT_EQ(Optimise(image, codec, WithinBytes(100)).search.failure, SearchFailure::Unreachable);
}

} // namespace
} // namespace tamr
