#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "codec/CodecSettings.h"
#include "codec/QualityFactor.h"
#include "codec/WaveletCodec.h"

namespace tamr {
namespace {

// Fills every plane with a smooth picture plus noise, centred on zero as the
// colour conversion leaves it.
void FillPlanes(WaveletCodec& codec, std::uint32_t seed, int noise = 12)
{
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> jitter(-noise, noise);
    for (int c = 0; c < codec.ComponentCount(); ++c) {
        auto& component = codec.Component(static_cast<std::size_t>(c));
        auto plane = component.Plane();
        for (int y = 0; y < component.Height(); ++y)
            for (int x = 0; x < component.Width(); ++x)
                plane[static_cast<std::size_t>(y) * component.Width() + x] = static_cast<std::int16_t>(
                    std::clamp((x * 7 + y * 3 + c * 40) % 200 - 100 + jitter(generator), -128, 127));
    }
}

struct Decoded {
    std::vector<std::vector<std::int16_t>> planes;
};

Decoded PlanesOf(const WaveletCodec& codec)
{
    Decoded decoded;
    for (int c = 0; c < codec.ComponentCount(); ++c) {
        const auto plane = codec.Component(static_cast<std::size_t>(c)).Plane();
        decoded.planes.emplace_back(plane.begin(), plane.end());
    }
    return decoded;
}

CodecSettings SettingsFor(int quality, int levels = 5)
{
    CodecSettings settings;
    settings.totalLevels = static_cast<std::int16_t>(levels);
    settings.qualityFactor = static_cast<std::int16_t>(quality);
    ApplyQualityFactor(settings);
    return settings;
}

// Compresses, decodes at once, writes the file, reads it into a fresh codec and
// decodes again: both decodings must agree sample for sample.
void ExpectFileDecodesAsCompressionShowed(const CodecSettings& settings, int width, int height, bool colour,
                                          std::uint32_t seed)
{
    SCOPED_TRACE(testing::Message() << width << "x" << height << (colour ? " colour" : " gray") << " q"
                                    << settings.qualityFactor << " L" << settings.totalLevels);
    WaveletCodec codec(settings, width, height, colour ? 24 : 8, colour);
    ASSERT_TRUE(codec.PrepareEncode(settings));
    FillPlanes(codec, seed);
    ASSERT_TRUE(codec.EncodeAll());
    ASSERT_TRUE(codec.DecodeAll());
    const Decoded shown = PlanesOf(codec);
    const auto file = codec.WriteHeader();

    WaveletCodec reader(settings);
    ASSERT_TRUE(reader.ReadHeader(file));
    EXPECT_EQ(reader.Width(), width);
    EXPECT_EQ(reader.Height(), height);
    EXPECT_EQ(reader.TotalLevels(), codec.TotalLevels());
    ASSERT_TRUE(reader.DecodeAll());
    const Decoded reread = PlanesOf(reader);
    ASSERT_EQ(reread.planes.size(), shown.planes.size());
    for (std::size_t c = 0; c < shown.planes.size(); ++c)
        EXPECT_EQ(reread.planes[c], shown.planes[c]) << "component " << c;
}

TEST(WaveletCodecTest, FileDecodesAsCompressionShowedForEveryQuality)
{
    for (int quality = 0; quality < 100; quality += 3) {
        ExpectFileDecodesAsCompressionShowed(SettingsFor(quality), 100, 60, true, quality);
        ExpectFileDecodesAsCompressionShowed(SettingsFor(quality), 37, 45, false, quality);
    }
    ExpectFileDecodesAsCompressionShowed(SettingsFor(99), 64, 64, true, 1);
}

TEST(WaveletCodecTest, FileDecodesAsCompressionShowedForEveryLevelCountAndSetting)
{
    for (int levels = 1; levels <= 6; ++levels) {
        for (const int quality : {5, 50, 90}) {
            CodecSettings settings = SettingsFor(quality, levels);
            ExpectFileDecodesAsCompressionShowed(settings, 150, 133, true, levels);
            // Subsampled chroma, with every discard count up to the total.
            for (int discard = 0; discard <= levels; ++discard) {
                settings.component(kComponentB).sampleLevels = 1;
                settings.component(kComponentC).sampleLevels = 1;
                settings.component(kComponentA).discardLevels = static_cast<std::int16_t>(discard % 2);
                settings.component(kComponentB).discardLevels = static_cast<std::int16_t>(discard);
                settings.component(kComponentC).discardLevels = static_cast<std::int16_t>(levels - discard);
                ExpectFileDecodesAsCompressionShowed(settings, 150, 133, true, discard);
            }
        }
    }
}

TEST(WaveletCodecTest, HigherQualityCostsMoreBytesAndLosesLess)
{
    double previousError = 1e9;
    std::size_t previousBytes = 0;
    for (const int quality : {0, 50, 99}) {
        const CodecSettings settings = SettingsFor(quality);
        WaveletCodec codec(settings, 128, 96, 8, false);
        ASSERT_TRUE(codec.PrepareEncode(settings));
        FillPlanes(codec, 21, 4);
        const std::vector<std::int16_t> original(codec.Component(0).Plane().begin(), codec.Component(0).Plane().end());
        ASSERT_TRUE(codec.EncodeAll());
        ASSERT_TRUE(codec.DecodeAll());
        const auto decoded = codec.Component(0).Plane();
        double squaredError = 0;
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 128; ++x) {
                const double difference = decoded[static_cast<std::size_t>(y) * 128 + x] - original[y * 128 + x];
                squaredError += difference * difference;
            }
        const double meanSquaredError = squaredError / (128 * 96);
        EXPECT_LT(meanSquaredError, previousError) << "quality " << quality;
        EXPECT_GT(codec.DataSize(), previousBytes) << "quality " << quality;
        previousError = meanSquaredError;
        previousBytes = codec.DataSize();
    }
    EXPECT_LT(previousError, 4.0); // quality 99 is close to the original
}

TEST(WaveletCodecTest, PaddedSizesAndHeaderOffsets)
{
    const CodecSettings settings = SettingsFor(50);
    WaveletCodec colour(settings, 100, 60, 24, true);
    ASSERT_TRUE(colour.PrepareEncode(settings));
    EXPECT_EQ(colour.PaddedWidth(), 128);
    EXPECT_EQ(colour.PaddedHeight(), 64);
    FillPlanes(colour, 3);
    ASSERT_TRUE(colour.EncodeAll());
    auto file = colour.WriteHeader();
    EXPECT_EQ(file[8] | (file[9] << 8), 60);
    EXPECT_EQ(colour.HeaderSize(), 60);
    EXPECT_EQ(file.size(), 60 + colour.DataSize());

    WaveletCodec gray(settings, 100, 60, 8, false);
    ASSERT_TRUE(gray.PrepareEncode(settings));
    FillPlanes(gray, 4);
    ASSERT_TRUE(gray.EncodeAll());
    file = gray.WriteHeader();
    EXPECT_EQ(file[8] | (file[9] << 8), 56);
    // The level table counts component A alone and sums to the data size.
    std::uint32_t sum = 0;
    for (int n = 0; n <= 5; ++n)
        sum += static_cast<std::uint32_t>(file[30 + 4 * n] | (file[31 + 4 * n] << 8) | (file[32 + 4 * n] << 16) |
                                          (file[33 + 4 * n] << 24));
    EXPECT_EQ(sum, gray.DataSize());
}

TEST(WaveletCodecTest, LosslessFileKeepsItsDataAfterByte25)
{
    const CodecSettings settings = SettingsFor(50);
    WaveletCodec codec(settings, 10, 10, 24, true);
    ASSERT_TRUE(codec.PrepareEncode(settings));
    auto buffer = codec.DataBuffer();
    for (std::size_t i = 0; i < 40; ++i)
        buffer[i] = static_cast<std::uint8_t>(i * 7);
    codec.SetLosslessData(40);
    const auto file = codec.WriteHeader();
    ASSERT_EQ(file.size(), 65u);
    EXPECT_EQ(file[8], 25);
    EXPECT_EQ(file[24], 2);
    WaveletCodec reader(settings);
    ASSERT_TRUE(reader.ReadHeader(file));
    EXPECT_EQ(reader.Method(), CodingMethod::Lossless);
    EXPECT_TRUE(std::equal(reader.CodedData().begin(), reader.CodedData().end(), file.begin() + 25));
}

TEST(WaveletCodecTest, HeaderRoundTripRestoresEveryField)
{
    CodecSettings settings = SettingsFor(30, 4);
    settings.component(kComponentB).sampleLevels = 1;
    settings.component(kComponentC).sampleLevels = 1;
    WaveletCodec codec(settings, 77, 50, 24, true);
    ASSERT_TRUE(codec.PrepareEncode(settings));
    FillPlanes(codec, 9);
    ASSERT_TRUE(codec.EncodeAll());
    const auto file = codec.WriteHeader();
    WaveletCodec reader(settings);
    ASSERT_TRUE(reader.ReadHeader(file));
    EXPECT_EQ(reader.BitsPerPixel(), 24);
    EXPECT_TRUE(reader.IsColour());
    EXPECT_EQ(reader.Method(), CodingMethod::Wavelet);
    EXPECT_EQ(reader.TotalLevels(), 4);
    for (std::size_t c = 0; c < 3; ++c) {
        EXPECT_EQ(reader.Component(c).DiscardLevels(), codec.Component(c).DiscardLevels());
        EXPECT_EQ(reader.Component(c).SampleLevels(), codec.Component(c).SampleLevels());
    }
    EXPECT_TRUE(std::equal(reader.CodedData().begin(), reader.CodedData().end(), codec.CodedData().begin(),
                           codec.CodedData().end()));
    EXPECT_EQ(reader.WriteHeader(), file);
}

TEST(WaveletCodecTest, ReadHeaderRefusesWhatTheWriterNeverProduces)
{
    const CodecSettings settings = SettingsFor(50);
    WaveletCodec codec(settings, 40, 40, 24, true);
    ASSERT_TRUE(codec.PrepareEncode(settings));
    FillPlanes(codec, 2);
    ASSERT_TRUE(codec.EncodeAll());
    const auto good = codec.WriteHeader();
    WaveletCodec probe(settings);
    ASSERT_TRUE(probe.ReadHeader(good));

    auto expectRefused = [&](std::size_t offset, std::uint8_t value, const char* what) {
        auto bad = good;
        bad[offset] = value;
        WaveletCodec reader(settings);
        EXPECT_FALSE(reader.ReadHeader(bad)) << what;
    };
    expectRefused(3, '4', "magic byte 3");
    expectRefused(5, '1', "magic byte 5");
    expectRefused(25, 0, "format flag");
    expectRefused(29, 7, "seven levels");
    expectRefused(29, 0, "no levels");
    expectRefused(20, 16, "16 bits per pixel");
    expectRefused(21, 0, "24 bits without colour");
    expectRefused(24, 3, "unknown method");
    expectRefused(10, 0xFF, "data larger than the file");
    expectRefused(16, 8, "width too small for five levels");
    expectRefused(34 + 4 * 5, 6, "A discards more than the levels");
    expectRefused(35 + 4 * 5, 1, "A sampled");
    expectRefused(37 + 4 * 5, 1, "B sampled, C not");

    // Byte 28 is free, and bytes 0..2 of the magic are not checked.
    auto lenient = good;
    lenient[28] = 0x55;
    lenient[0] = 'X';
    WaveletCodec reader(settings);
    EXPECT_TRUE(reader.ReadHeader(lenient));
    // Every truncation of a valid file is refused or decodes within its bounds.
    for (std::size_t size = 0; size < good.size(); size += 7) {
        WaveletCodec truncated(settings);
        if (truncated.ReadHeader(std::span(good).first(size))) {
            EXPECT_TRUE(truncated.DecodeAll());
        }
    }
}

TEST(WaveletCodecTest, GarbageDataDecodesToSomethingWithoutRunningAway)
{
    const CodecSettings settings = SettingsFor(50);
    WaveletCodec codec(settings, 96, 80, 24, true);
    ASSERT_TRUE(codec.PrepareEncode(settings));
    FillPlanes(codec, 5);
    ASSERT_TRUE(codec.EncodeAll());
    const auto good = codec.WriteHeader();
    std::mt19937 generator(17);
    for (int round = 0; round < 60; ++round) {
        auto bad = good;
        const std::size_t header = static_cast<std::size_t>(codec.HeaderSize());
        for (std::size_t i = header; i < bad.size(); ++i)
            if (round % 3 == 0 || generator() % 16 == 0)
                bad[i] = static_cast<std::uint8_t>(generator());
        WaveletCodec reader(settings);
        ASSERT_TRUE(reader.ReadHeader(bad));
        EXPECT_TRUE(reader.DecodeAll());
    }
}

TEST(WaveletCodecTest, NoiseAtQuality99OutgrowsTheBufferAndFailsCleanly)
{
    const CodecSettings settings = SettingsFor(99);
    WaveletCodec codec(settings, 32, 32, 8, false);
    ASSERT_TRUE(codec.PrepareEncode(settings));
    std::mt19937 generator(1);
    for (auto& sample : codec.Component(0).Plane())
        sample = static_cast<std::int16_t>(static_cast<int>(generator() % 256) - 128);
    EXPECT_FALSE(codec.EncodeAll());
}

TEST(WaveletCodecTest, SmallImagesUseFewerLevelsAndTinyOnesAreRefused)
{
    EXPECT_EQ(WaveletCodec::LevelsForSize(100, 60, 5), 5);
    EXPECT_EQ(WaveletCodec::LevelsForSize(33, 200, 5), 5);
    EXPECT_EQ(WaveletCodec::LevelsForSize(32, 200, 5), 4);
    EXPECT_EQ(WaveletCodec::LevelsForSize(3, 3, 5), 1);
    ExpectFileDecodesAsCompressionShowed(SettingsFor(50), 20, 9, true, 8);
    ExpectFileDecodesAsCompressionShowed(SettingsFor(0), 5, 3, false, 8);

    const CodecSettings settings = SettingsFor(50);
    WaveletCodec tiny(settings, 2, 40, 8, false);
    ASSERT_TRUE(tiny.PrepareEncode(settings));
    EXPECT_FALSE(tiny.EncodeAll());
}

TEST(WaveletCodecTest, IncrementalDisplayReportsEveryLevelButTheLast)
{
    const CodecSettings settings = SettingsFor(50);
    WaveletCodec codec(settings, 64, 64, 24, true);
    ASSERT_TRUE(codec.PrepareEncode(settings));
    FillPlanes(codec, 11);
    ASSERT_TRUE(codec.EncodeAll());
    std::vector<int> levels;
    ASSERT_TRUE(codec.DecodeAll([&](int n, const WaveletCodec&) { levels.push_back(n); }));
    EXPECT_EQ(levels, (std::vector<int>{0, 1, 2, 3, 4}));
}

} // namespace
} // namespace tamr
