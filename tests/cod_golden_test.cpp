// Golden COD files: small pictures made here are compressed at fixed settings,
// and the bytes of each COD file and of the picture decoded from it are hashed
// and compared with hashes recorded from this codec (and reproduced by an
// independent implementation of the format). Any change of a single
// coded or decoded byte (say, by a faster transform or coder) fails here.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <functional>
#include <iomanip>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "codec/QualityFactor.h"
#include "codec/WaveletTransform.h"
#include "image/DibImage.h"
#include "image/ImageCompression.h"
#include "support/BmpTestFiles.h"
#include "support/ScriptedPrompter.h"

namespace tamr {
namespace {

std::uint64_t Fnv1a64(std::span<const std::uint8_t> bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const std::uint8_t byte : bytes) {
        hash ^= byte;
        hash *= 0x100000001b3u;
    }
    return hash;
}

std::string Hex(std::uint64_t value)
{
    std::ostringstream text;
    text << "0x" << std::hex << std::setw(16) << std::setfill('0') << value;
    return text.str();
}

// A picture of ramps, a sawtooth, an inverted block with sharp edges and a
// little noise, made with integer arithmetic only so that every machine and
// standard library builds the same bytes. Rows are listed bottom-up as stored.
std::vector<std::uint8_t> GoldenBmp(int width, int height, bool colour)
{
    std::uint32_t state = 0x2545F491u;
    return test::SampledBmp(width, height, colour, [&](int x, int y, int k) {
        const bool inBlock = x >= width / 4 && x < width / 2 && y >= height / 3 && y < 2 * height / 3;
        int value = 0;
        switch (colour ? k : 3) {
        case 0:
            value = x * 255 / (width - 1);
            break;
        case 1:
            value = y * 255 / (height - 1);
            break;
        case 2:
            value = ((x + 2 * y) * 5) & 0xFF;
            break;
        default:
            value = (x * 200 / (width - 1) + y * 2) & 0xFF;
            break;
        }
        if (inBlock)
            value = 255 - value;
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        value += static_cast<int>((state >> 24) % 13) - 6;
        return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
    });
}

CodecSettings Quality(int quality)
{
    CodecSettings settings;
    settings.qualityFactor = static_cast<std::int16_t>(quality);
    ApplyQualityFactor(settings);
    return settings;
}

// Raw settings as Master Setup would give them: four levels, chroma at half
// resolution, every component discarding a different number of levels.
CodecSettings SubsampledRaw()
{
    CodecSettings settings = Quality(50);
    settings.totalLevels = 4;
    const std::int16_t quantA[] = {6, 6, 2, 10, 10, 6, 14, 14, 12, 20, 20, 20, 40, 40, 40};
    const std::int16_t quantBC[] = {4, 4, 1, 8, 8, 4, 12, 12, 8, 30, 30, 30, 50, 50, 50};
    const std::int16_t thresholds[] = {12, 8, 4, 2, 0};
    for (std::size_t c = 0; c < kComponentCount; ++c) {
        ComponentSettings& component = settings.component(c);
        std::copy(std::begin(c == kComponentA ? quantA : quantBC), std::end(c == kComponentA ? quantA : quantBC),
                  component.quantizeVector.begin());
        std::copy(std::begin(thresholds), std::end(thresholds), component.thresholdVector.begin());
        component.discardLevels = static_cast<std::int16_t>(c);
        component.sampleLevels = c == kComponentA ? 0 : 1;
    }
    return settings;
}

// Six levels, with C discarding all of its five.
CodecSettings SixLevels()
{
    CodecSettings settings;
    settings.totalLevels = 6;
    settings.qualityFactor = 85;
    ApplyQualityFactor(settings);
    settings.component(kComponentB).sampleLevels = 1;
    settings.component(kComponentC).sampleLevels = 1;
    settings.component(kComponentC).discardLevels = 6;
    return settings;
}

struct GoldenCase {
    const char* name;
    int width;
    int height;
    bool colour;
    std::function<CodecSettings()> settings;
    std::uint64_t codHash;
    std::uint64_t decodedHash;
};

TEST(CodGoldenTest, CodFilesAndDecodedPicturesKeepTheirRecordedBytes)
{
    const GoldenCase cases[] = {
        {"colour q0", 75, 45, true, [] { return Quality(0); }, 0xd04833db69552123u, 0x491ab171a16f8804u},
        {"colour q50", 75, 45, true, [] { return Quality(50); }, 0xc16626d26f9eed49u, 0x1704a8ab54cb8586u},
        {"colour q95", 75, 45, true, [] { return Quality(95); }, 0x95dcafb34b353ecdu, 0x7b81a77294e55180u},
        {"colour q99", 75, 45, true, [] { return Quality(99); }, 0xd1f85ae96115488cu, 0x52bac7a4dfd566c4u},
        {"colour q100", 75, 45, true, [] { return Quality(100); }, 0x03dff6f0c55c4c40u, 0xd07137cc78cec106u},
        {"colour subsampled raw", 75, 45, true, SubsampledRaw, 0xf595e35d999a74d9u, 0xbb790ab89ed24860u},
        {"colour six levels", 131, 70, true, SixLevels, 0x78bfe6308a8771afu, 0xab5be0e90d8657cdu},
        {"gray q50", 70, 37, false, [] { return Quality(50); }, 0x293013048aa67450u, 0x5739ae899cc5663eu},
        {"gray q100", 70, 37, false, [] { return Quality(100); }, 0xaa652990c5e56bedu, 0xfd5b002082b6dd98u},
        {"big colour q99", 256, 192, true, [] { return Quality(99); }, 0xfa4d93164c224f9cu, 0xc42fd9dd6f686567u},
        {"big gray q99", 256, 192, false, [] { return Quality(99); }, 0xa8de7625eeeda04fu, 0x2c9af9f8dbaa6d49u},
    };
    for (const GoldenCase& golden : cases) {
        SCOPED_TRACE(golden.name);
        CDibImage image;
        ScriptedPrompter prompter;
        ASSERT_TRUE(image.ReadBmp(GoldenBmp(golden.width, golden.height, golden.colour), prompter, DisplaySettings{},
                                  Limits{}));
        const CodecSettings settings = golden.settings();
        WaveletCodec codec(settings, image.Width(), image.Height(), image.BitsPerPixel(), image.DetectColour() == 1);
        ASSERT_TRUE(CompressImage(image, codec, settings, DisplaySettings{}).has_value());
        const std::vector<std::uint8_t> file = codec.WriteHeader();
        EXPECT_EQ(Hex(Fnv1a64(file)), Hex(golden.codHash)) << file.size() << " bytes";

        // The file read back decodes to the same picture that compression showed.
        WaveletCodec reader{CodecSettings()};
        ASSERT_TRUE(reader.ReadHeader(file));
        CDibImage decoded;
        ASSERT_TRUE(DecodeCodImage(decoded, reader, DisplaySettings{}));
        EXPECT_EQ(Hex(Fnv1a64(decoded.Pixels())), Hex(golden.decodedHash));
        EXPECT_EQ(Hex(Fnv1a64(image.Pixels())), Hex(golden.decodedHash));
    }
}

// Rounding differences in the forward transform seldom change a truncated
// coefficient, so the float coefficients themselves are pinned as well: six
// levels over a plane of checkerboarded ramps and noise, every bit of every value.
TEST(CodGoldenTest, ForwardTransformKeepsEveryBitOfItsCoefficients)
{
    constexpr int kSide = 128;
    std::vector<float> plane;
    std::uint32_t state = 0x9E3779B9u;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int value = (x / 16 + y / 16) % 2 != 0
                                  ? ((x * 3 + y * 5) & 0xFF) - 128 + static_cast<int>(state >> 25) - 64
                                  : static_cast<int>(state >> 24) - 128;
            plane.push_back(static_cast<float>(value));
        }
    }
    std::vector<float> lineBuffer;
    for (int k = 0; k < 6; ++k)
        ASSERT_TRUE(ForwardLevel(plane, kSide, kSide >> k, kSide >> k, lineBuffer));
    std::vector<std::uint8_t> bytes;
    for (const float value : plane) {
        const auto bits = std::bit_cast<std::uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<std::uint8_t>(bits >> shift));
    }
    EXPECT_EQ(Hex(Fnv1a64(bytes)), Hex(0x87d60baf575168d0u));
}

} // namespace
} // namespace tamr
