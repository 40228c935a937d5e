#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cmath>
#include <functional>
#include <random>
#include <tuple>
#include <vector>

#include "codec/QualityFactor.h"
#include "image/DibImage.h"
#include "image/ImageCompression.h"
#include "support/BmpTestFiles.h"
#include "support/ScriptedPrompter.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

// A picture with smooth shading and noise, bottom-up rows padded to 4 bytes.
std::vector<std::uint8_t> PictureBmp(int width, int height, bool colour, std::uint32_t seed)
{
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> noise(-6, 6);
    return test::SampledBmp(width, height, colour, [&](int x, int y, int k) {
        return static_cast<std::uint8_t>(std::clamp(
            128 + static_cast<int>(80 * std::sin(x * 0.11 + k) * std::cos(y * 0.07)) + noise(generator), 0, 255));
    });
}

CDibImage LoadBmp(const std::vector<std::uint8_t>& file)
{
    CDibImage image;
    ScriptedPrompter prompter;
    EXPECT_TRUE(image.ReadBmp(file, prompter, DisplaySettings{}, Limits{}));
    return image;
}

std::vector<std::uint8_t> Bytes(std::span<const std::uint8_t> span)
{
    return {span.begin(), span.end()};
}

CodecSettings SettingsFor(int quality, int levels = 5)
{
    CodecSettings settings;
    settings.totalLevels = static_cast<std::int16_t>(levels);
    settings.qualityFactor = static_cast<std::int16_t>(quality);
    ApplyQualityFactor(settings);
    return settings;
}

// Compresses the image, then reads its COD file back: the decoded pixels must
// be exactly those that compression showed.
void ExpectCodFileShowsTheCompressedImage(const std::vector<std::uint8_t>& bmp, const CodecSettings& settings)
{
    CDibImage image = LoadBmp(bmp);
    WaveletCodec codec(settings, image.Width(), image.Height(), image.BitsPerPixel(), image.DetectColour() == 1);
    ASSERT_TRUE(CompressImage(image, codec, settings, DisplaySettings{}).has_value());
    const auto shown = Bytes(image.Pixels());
    const auto file = codec.WriteHeader();

    WaveletCodec reader{CodecSettings()};
    ASSERT_TRUE(reader.ReadHeader(file));
    CDibImage decoded;
    ASSERT_TRUE(DecodeCodImage(decoded, reader, DisplaySettings{}));
    EXPECT_EQ(decoded.Width(), image.Width());
    EXPECT_EQ(decoded.BitsPerPixel(), image.BitsPerPixel());
    EXPECT_EQ(Bytes(decoded.Pixels()), shown);
    EXPECT_TRUE(decoded.ReferencePixels().empty());
}

TEST(ImageCompressionTest, CodFileDecodesToWhatCompressionShowedAtEveryQuality)
{
    const auto colour = PictureBmp(45, 31, true, 1);
    const auto gray = PictureBmp(38, 35, false, 2);
    for (int quality = 0; quality <= 100; ++quality) {
        SCOPED_TRACE(quality);
        ExpectCodFileShowsTheCompressedImage(colour, SettingsFor(quality));
        ExpectCodFileShowsTheCompressedImage(gray, SettingsFor(quality));
    }
}

// Every level count with every split of discarded levels between A and B,
// each first with full chroma and then with B and C sampled at half size.
void ForEachRawSetting(const std::function<void(const CodecSettings&, bool subsampled)>& check)
{
    for (int levels = 1; levels <= 6; ++levels) {
        for (int discard = 0; discard <= levels; ++discard) {
            SCOPED_TRACE(testing::Message() << "levels " << levels << " discard " << discard);
            CodecSettings settings = SettingsFor(60, levels);
            settings.component(kComponentA).discardLevels = static_cast<std::int16_t>(discard);
            settings.component(kComponentB).discardLevels = static_cast<std::int16_t>(levels - discard);
            check(settings, false);
            settings.component(kComponentB).sampleLevels = 1;
            settings.component(kComponentC).sampleLevels = 1;
            settings.component(kComponentC).discardLevels = static_cast<std::int16_t>(discard);
            check(settings, true);
        }
    }
}

TEST(ImageCompressionTest, CodFileDecodesToWhatCompressionShowedForRawSettings)
{
    const auto colour = PictureBmp(101, 67, true, 3);
    ForEachRawSetting(
        [&](const CodecSettings& settings, bool) { ExpectCodFileShowsTheCompressedImage(colour, settings); });
}

// Decodes the file with the finest level made in stripes as the picture is
// converted, and with every level reconstructed into the planes first (a
// progressive display's way, the reference): the pixels must be the same.
void ExpectStripesDecodeAsWholePlanes(const std::vector<std::uint8_t>& bmp, const CodecSettings& settings, int threads)
{
    CDibImage image = LoadBmp(bmp);
    WaveletCodec codec(settings, image.Width(), image.Height(), image.BitsPerPixel(), image.DetectColour() == 1);
    ASSERT_TRUE(EncodeImage(image, codec, settings).has_value());
    const auto file = codec.WriteHeader();
    const auto decode = [&](const WaveletCodec::LevelCallback& onLevel) {
        WaveletCodec reader{CodecSettings()};
        reader.SetThreads(threads);
        EXPECT_TRUE(reader.ReadHeader(file));
        CDibImage decoded;
        EXPECT_TRUE(DecodeCodImage(decoded, reader, DisplaySettings{}, onLevel));
        return Bytes(decoded.Pixels());
    };
    const auto whole = decode([](int, const WaveletCodec&) {});
    ASSERT_FALSE(whole.empty());
    EXPECT_EQ(decode({}), whole);
}

TEST(ImageCompressionTest, FinestLevelInStripesDecodesTheSamePixels)
{
    const auto colour = PictureBmp(101, 67, true, 5);
    const auto gray = PictureBmp(38, 131, false, 6);
    ForEachRawSetting([&](const CodecSettings& settings, bool subsampled) {
        ExpectStripesDecodeAsWholePlanes(colour, settings, subsampled ? 2 : 1);
        if (!subsampled)
            ExpectStripesDecodeAsWholePlanes(gray, settings, 1);
    });
}

// The point of the stripes: the planes of a decode, before the picture is
// made, take well under the three whole 16-bit planes.
TEST(ImageCompressionTest, FinestLevelInStripesHoldsLessThanWholePlanes)
{
    const auto bmp = PictureBmp(256, 192, true, 7);
    CDibImage image = LoadBmp(bmp);
    const CodecSettings settings = SettingsFor(90);
    WaveletCodec codec(settings, image.Width(), image.Height(), image.BitsPerPixel(), true);
    ASSERT_TRUE(EncodeImage(image, codec, settings).has_value());
    const auto file = codec.WriteHeader();
    const auto heldAfterDecode = [&](FinestLevel finest) {
        WaveletCodec reader{CodecSettings()};
        EXPECT_TRUE(reader.ReadHeader(file));
        EXPECT_TRUE(reader.DecodeAll({}, finest));
        std::size_t bytes = 0;
        for (int c = 0; c < reader.ComponentCount(); ++c)
            bytes += reader.Component(static_cast<std::size_t>(c)).HeldBytes();
        return bytes;
    };
    const std::size_t whole = heldAfterDecode(FinestLevel::Reconstructed);
    EXPECT_GE(whole, std::size_t{3} * 2 * 256 * 192);
    EXPECT_LE(heldAfterDecode(FinestLevel::InRows), whole * 2 / 3);
}

// Minor page faults of this thread while `work` runs.
long FaultsDuring(const std::function<void()>& work)
{
    rusage before{};
    rusage after{};
    getrusage(RUSAGE_THREAD, &before);
    work();
    getrusage(RUSAGE_THREAD, &after);
    return after.ru_minflt - before.ru_minflt;
}

// A colour picture of 44 MB, far above the sizes the allocator keeps in its
// own heap, so that the pages a step takes are its own; busy enough that
// quality 50 codes most of it.
constexpr int kLargeWidth = 4096;
constexpr int kLargeHeight = 3584;

std::vector<std::uint8_t> LargeBusyPicture()
{
    return test::SampledBmp(kLargeWidth, kLargeHeight, true, [](int x, int y, int k) {
        return static_cast<std::uint8_t>((x * (k + 1) + y * 3 + ((x * y) >> 7)) & 0xFF);
    });
}

// A decode touches each page of the picture once, as its rows are written,
// beside the planes (half the picture's size with every finest level
// discarded, and some buffers: 1.74 pictures in all); a picture zero-filled
// first and then written costs its pages twice (2.74). The planes go back as
// the picture grows: the peak rises 1.18 pictures, and 1.61 when both are
// held whole.
TEST(ImageCompressionTest, DecodingWritesEachPageOfThePictureOnce)
{
    if (test::kAddressSanitizer)
        GTEST_SKIP() << "the sanitizer's shadow memory takes page faults of its own";
    const int width = kLargeWidth;
    const int height = kLargeHeight;
    CDibImage image = LoadBmp(LargeBusyPicture());
    CodecSettings settings = SettingsFor(50);
    for (const std::size_t c : {kComponentA, kComponentB, kComponentC})
        settings.component(c).discardLevels = 1;
    WaveletCodec codec(settings, width, height, 24, true);
    ASSERT_TRUE(EncodeImage(image, codec, settings).has_value());
    const auto file = codec.WriteHeader();
    WaveletCodec reader{CodecSettings()};
    reader.SetThreads(1);
    ASSERT_TRUE(reader.ReadHeader(file));
    CDibImage decoded;
    long faults = 0;
    const auto growth = test::PeakGrowthKib(
        [&] { faults = FaultsDuring([&] { EXPECT_TRUE(DecodeCodImage(decoded, reader, DisplaySettings{})); }); });
    const long picturePages = static_cast<long>(decoded.Pixels().size() / 4096);
    EXPECT_LT(faults, picturePages * 22 / 10);
    if (growth) {
        EXPECT_LT(*growth, picturePages * 4 * 14 / 10) << "KiB";
    }
}

// Measuring the decoded rows as they come gives the figures of the decoded
// picture held whole, with the same COD file, and leaves the picture as loaded.
TEST(ImageCompressionTest, MeasuredCompressionGivesTheDecodedPicturesFigures)
{
    struct Case {
        std::vector<std::uint8_t> bmp;
        int quality;
    };
    const Case cases[] = {{PictureBmp(101, 67, true, 9), 50},
                          {PictureBmp(101, 67, true, 9), 100},
                          {PictureBmp(38, 131, false, 10), 20},
                          {PictureBmp(38, 131, false, 10), 100}};
    for (const auto& [bmp, quality] : cases) {
        SCOPED_TRACE(quality);
        const CodecSettings settings = SettingsFor(quality);
        CDibImage shown = LoadBmp(bmp);
        const bool colour = shown.DetectColour() == 1;
        WaveletCodec showingCodec(settings, shown.Width(), shown.Height(), shown.BitsPerPixel(), colour);
        ASSERT_TRUE(CompressImage(shown, showingCodec, settings, DisplaySettings{}).has_value());
        const QualityFigures expected = shown.MeasureQuality();

        CDibImage measured = LoadBmp(bmp);
        const auto loaded = Bytes(measured.Pixels());
        WaveletCodec measuringCodec(settings, measured.Width(), measured.Height(), measured.BitsPerPixel(), colour);
        const auto result = CompressAndMeasure(measured, measuringCodec, settings, DisplaySettings{});
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->figures.psnr, expected.psnr);
        EXPECT_EQ(result->figures.meanSquaredError, expected.meanSquaredError);
        EXPECT_EQ(result->figures.pooledSquaredError, expected.pooledSquaredError);
        EXPECT_EQ(result->figures.largestDifference, expected.largestDifference);
        if (quality < 100) {
            EXPECT_GT(expected.largestDifference, 0);
            EXPECT_EQ(Bytes(measured.Pixels()), loaded);
        }
        EXPECT_EQ(measuringCodec.WriteHeader(), showingCodec.WriteHeader());
    }
}

// The point of measuring as the rows come: a compression that only reports
// its figures never holds the decoded picture. What it holds beside the
// picture as loaded is the encoder's planes and then the decoder's: the
// luma's low band, the finest bands' symbols as read and the chroma's
// coarsest coded level: 0.63 pictures here, 0.86 with the chroma's discarded
// levels rebuilt whole, 0.99 with the finest bands placed whole as well.
TEST(ImageCompressionTest, MeasuredCompressionNeverHoldsTheDecodedPicture)
{
    if (test::kAddressSanitizer)
        GTEST_SKIP() << "the sanitizer's shadow memory grows with every allocation";
    const int width = kLargeWidth;
    const int height = kLargeHeight;
    CDibImage image = LoadBmp(LargeBusyPicture());
    const CodecSettings settings = SettingsFor(50);
    WaveletCodec codec(settings, width, height, 24, true);
    const auto growth = test::PeakGrowthKib(
        [&] { EXPECT_TRUE(CompressAndMeasure(image, codec, settings, DisplaySettings{}).has_value()); });
    if (growth) {
        EXPECT_LT(*growth, static_cast<long>(width) * height * 3 / 1024 * 8 / 10) << "KiB";
    }
}

// A gray picture: only the picture as loaded is a byte a pixel, so every
// plane of the codec counts. The encoder holds the second level's low band
// as floats, the coarser levels' symbols and the finest level's as they are
// coded; the decoder the finest coded level's low band. Here 0.71 and 0.83
// pictures; 1.53 and 1.49 with the first level's low band as floats and the
// finest level's symbols in a plane.
TEST(ImageCompressionTest, CompressingAGrayPictureHoldsLessThanThePicture)
{
    if (test::kAddressSanitizer)
        GTEST_SKIP() << "the sanitizer's shadow memory grows with every allocation";
    const int width = kLargeWidth;
    const int height = kLargeHeight;
    CDibImage image = LoadBmp(test::SampledBmp(width, height, false, [](int x, int y, int) {
        // Busy on the left, flat on the right, where the finest level is zero.
        return static_cast<std::uint8_t>(x < width / 2 ? (x * 5 + y * 3 + ((x * y) >> 7)) & 0xFF : 90);
    }));
    const CodecSettings settings = SettingsFor(50);
    WaveletCodec codec(settings, width, height, 8, false);
    const auto encoded = test::PeakGrowthKib([&] { EXPECT_TRUE(EncodeImage(image, codec, settings).has_value()); });
    const auto measured = test::PeakGrowthKib(
        [&] { EXPECT_TRUE(CompressAndMeasure(image, codec, settings, DisplaySettings{}).has_value()); });
    const long bound = static_cast<long>(width) * height / 1024 * 9 / 10;
    if (encoded && measured) {
        EXPECT_LT(*encoded, bound) << "KiB";
        EXPECT_LT(*measured, bound) << "KiB";
    }
}

TEST(ImageCompressionTest, OddSizesAndUnalignedRows)
{
    for (const auto& [width, height] : {std::pair{100, 60}, {33, 34}, {7, 5}, {3, 3}, {65, 129}}) {
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        ExpectCodFileShowsTheCompressedImage(PictureBmp(width, height, true, 4), SettingsFor(50));
        ExpectCodFileShowsTheCompressedImage(PictureBmp(width, height, false, 5), SettingsFor(50));
    }
}

TEST(ImageCompressionTest, QualityHundredIsLossless)
{
    for (const bool colour : {true, false}) {
        CDibImage image = LoadBmp(PictureBmp(23, 9, colour, 6));
        const CodecSettings settings = SettingsFor(100);
        WaveletCodec codec(settings, image.Width(), image.Height(), image.BitsPerPixel(), colour);
        std::fill(image.Pixels().begin(), image.Pixels().end(), std::uint8_t{0});
        ASSERT_TRUE(CompressImage(image, codec, settings, DisplaySettings{}).has_value());
        EXPECT_EQ(codec.Method(), CodingMethod::Lossless);
        EXPECT_EQ(Bytes(image.Pixels()), Bytes(image.ReferencePixels()));
        const auto figures = image.MeasureQuality();
        EXPECT_EQ(figures.largestDifference, 0);
        EXPECT_TRUE(std::isinf(figures.psnr));
        ExpectCodFileShowsTheCompressedImage(PictureBmp(23, 9, colour, 6), settings);
    }
}

TEST(ImageCompressionTest, LosslessNoiseOfNarrowPicturesFitsTheDataBuffer)
{
    // Noise codes into more bytes than the pixels take, and such narrow
    // pictures are coded with fewer wavelet levels, so little padding.
    for (const auto& [width, height, colour] :
         {std::tuple{2, 172, true}, {2, 300, true}, {4, 300, true}, {300, 4, false}, {2, 300, false}}) {
        SCOPED_TRACE(testing::Message() << width << "x" << height << (colour ? " colour" : " gray"));
        std::mt19937 generator(static_cast<std::uint32_t>(width * 1000 + height));
        const auto bmp = test::SampledBmp(width, height, colour,
                                          [&](int, int, int) { return static_cast<std::uint8_t>(generator()); });
        CDibImage image = LoadBmp(bmp);
        const CodecSettings settings = SettingsFor(100);
        WaveletCodec codec(settings, width, height, image.BitsPerPixel(), colour);
        ASSERT_TRUE(CompressImage(image, codec, settings, DisplaySettings{}).has_value());
        EXPECT_GT(codec.DataSize(), static_cast<std::size_t>(width * height * (colour ? 3 : 1)));
        EXPECT_EQ(Bytes(image.Pixels()), Bytes(image.ReferencePixels()));
        ExpectCodFileShowsTheCompressedImage(bmp, settings);
    }
}

TEST(ImageCompressionTest, LosslessThenWaveletOnTheSameCodec)
{
    CDibImage image = LoadBmp(PictureBmp(40, 40, true, 7));
    WaveletCodec codec(SettingsFor(100), 40, 40, 24, true);
    ASSERT_TRUE(CompressImage(image, codec, SettingsFor(100), DisplaySettings{}).has_value());
    EXPECT_EQ(codec.Method(), CodingMethod::Lossless);
    ASSERT_TRUE(CompressImage(image, codec, SettingsFor(50), DisplaySettings{}).has_value());
    EXPECT_EQ(codec.Method(), CodingMethod::Wavelet);
    EXPECT_EQ(codec.WriteHeader()[24], 1);
}

TEST(ImageCompressionTest, LosslessColourImageWhoseFirstPlaneEndsOnTheShortTermination)
{
    // Find a picture whose blue plane codes into a stream with a zero
    // termination count ending on a byte boundary: the green plane then starts
    // right after it, where a decoder that takes one byte too many goes wrong.
    ArithmeticCoder probe;
    std::vector<std::uint8_t> scratch(1 << 16);
    for (std::uint32_t seed = 0; seed < 20000; ++seed) {
        const auto bmp = PictureBmp(48, 40, true, seed);
        CDibImage image = LoadBmp(bmp);
        std::vector<std::int8_t> blue;
        const auto pixels = image.ReferencePixels();
        for (std::size_t i = 0; i < pixels.size(); i += 3)
            blue.push_back(static_cast<std::int8_t>(pixels[i]));
        ASSERT_TRUE(probe.EncodeBlock(scratch, blue, 257).has_value());
        const auto end = probe.LastStreamEnd();
        if (end.termination != 0 || end.bits % 8 != 0)
            continue;
        ExpectCodFileShowsTheCompressedImage(bmp, SettingsFor(100));
        CDibImage decoded;
        WaveletCodec codec(SettingsFor(100), 48, 40, 24, true);
        ASSERT_TRUE(CompressImage(image, codec, SettingsFor(100), DisplaySettings{}).has_value());
        EXPECT_EQ(Bytes(image.Pixels()), Bytes(image.ReferencePixels()));
        return;
    }
    FAIL() << "no picture hit the short termination";
}

TEST(ImageCompressionTest, NoiseAtQuality99FailsCleanly)
{
    // Gray noise codes into more bytes than the picture has: the buffer, sized
    // to the uncompressed picture, cannot hold it.
    test::BmpLayout layout;
    layout.width = 32;
    layout.height = 32;
    layout.bits = 8;
    for (int i = 0; i < 256; ++i)
        layout.table.push_back(
            RgbQuad{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), 0});
    layout.rows = test::RandomBytes(32 * 32, 9);
    CDibImage image = LoadBmp(test::BuildBmp(layout));
    const auto before = Bytes(image.Pixels());
    const CodecSettings settings = SettingsFor(99);
    WaveletCodec codec(settings, 32, 32, 8, false);
    EXPECT_FALSE(CompressImage(image, codec, settings, DisplaySettings{}).has_value());
    EXPECT_EQ(Bytes(image.Pixels()), before);
}

TEST(ImageCompressionTest, QualityFiguresCompareTheLoadedAndTheShownImage)
{
    CDibImage image = LoadBmp(PictureBmp(30, 20, true, 8));
    auto figures = image.MeasureQuality();
    EXPECT_EQ(figures.largestDifference, 0);
    EXPECT_EQ(figures.meanSquaredError, 0.0);
    // Every byte moved by k: D = k, MSE = k squared, PSNR = 20 log10(255 / k).
    const auto reference = image.ReferencePixels();
    auto pixels = image.Pixels();
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(reference[i] < 128 ? reference[i] + 5 : reference[i] - 5);
    // Row padding bytes are not pixels.
    for (int y = 0; y < 20; ++y)
        for (int p = 0; p < image.RowPad(); ++p)
            pixels[static_cast<std::size_t>(y) * (30 * 3 + image.RowPad()) + 30 * 3 + p] = 0;
    figures = image.MeasureQuality();
    EXPECT_EQ(figures.largestDifference, 5);
    EXPECT_NEAR(figures.meanSquaredError, 25.0, 1e-9);
    EXPECT_NEAR(figures.psnr, 20.0 * std::log10(255.0 / 5.0), 1e-9);

    CDibImage cod;
    ASSERT_TRUE(cod.AllocateForCodData(8, 8, 24, true));
    figures = cod.MeasureQuality();
    EXPECT_EQ(figures.psnr, 0.0);
    EXPECT_EQ(figures.largestDifference, 0);
}

} // namespace
} // namespace tamr
