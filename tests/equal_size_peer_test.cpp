// The equal-size search: the quality whose size is closest to the target, and
// a peer coded at it; a peer's file decoded again.

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "document/EqualSizePeer.h"
#include "image/ImageCompression.h"
#include "image/peers/PeerJpeg.h"
#include "image/peers/PeerJpeg2000.h"
#include "image/peers/PeerWebp.h"
#include "support/BmpTestFiles.h"
#include "support/ScriptedPrompter.h"

namespace tamr {
namespace {

TEST(EqualSizePeer, ClosestQualityOfGrowingSizes)
{
    // size = 1000 + 37 q: 2850 lies between q 50 (2850 exactly), 4000 between 81 (3997) and 82 (4034).
    int calls = 0;
    const auto size = [&calls](int quality) -> std::optional<std::size_t> {
        ++calls;
        return 1000 + 37 * static_cast<std::size_t>(quality);
    };
    EXPECT_EQ(ClosestQuality(2850, size), 50);
    EXPECT_EQ(ClosestQuality(4000, size), 81);
    EXPECT_EQ(ClosestQuality(4020, size), 82);
    EXPECT_EQ(ClosestQuality(10, size), 0);
    EXPECT_EQ(ClosestQuality(999'999, size), 100);
    calls = 0;
    (void)ClosestQuality(3000, size);
    EXPECT_LE(calls, 9); // bisection, not a walk over every quality
    EXPECT_EQ(ClosestQuality(3000, [](int) -> std::optional<std::size_t> { return std::nullopt; }), std::nullopt);
}

TEST(EqualSizePeer, JpegAtTheClosestSize)
{
    const int width = 64;
    const int height = 48;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>((i * 7 + (i / 192) * 13) % 251);
    const ConstPixelView picture{pixels, width, height, 0};
    const std::size_t target = 2500;
    const EqualSizeMatch match = MatchPeerSize(picture, 3, SweepCodec::Jpeg, target);
    ASSERT_FALSE(match.picture.Failed()) << match.picture.failure;
    const auto distance = [target](std::size_t bytes) {
        return std::labs(static_cast<long>(bytes) - static_cast<long>(target));
    };
    const long chosen = distance(match.picture.coded.size());
    for (const int neighbour : {match.quality - 1, match.quality + 1}) {
        if (neighbour >= 0 && neighbour <= 100) {
            EXPECT_LE(chosen, distance(CodeJpeg(picture, 3, neighbour).coded.size()));
        }
    }
    EXPECT_GT(match.metrics.psnr, 10);
}

TEST(EqualSizePeer, PeerFileDecodedAgainAsItsCoderDecodedIt)
{
    const int width = 40;
    const int height = 30;
    const int rowPad = 0; // 40 * 3 is a multiple of four
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>((i * 5 + (i / 120) * 11) % 253);
    const ConstPixelView picture{pixels, width, height, rowPad};
    const ConstPixelView narrower{pixels, width - 8, height, rowPad};
    for (const SweepCodec codec : {SweepCodec::Jpeg, SweepCodec::Jpeg2000, SweepCodec::Webp}) {
        const PeerPicture coded = codec == SweepCodec::Jpeg       ? CodeJpeg(picture, 3, 60)
                                  : codec == SweepCodec::Jpeg2000 ? CodeJpeg2000(picture, 3, 1200)
                                                                  : CodeWebp(picture, 3, 60);
        ASSERT_FALSE(coded.Failed()) << coded.failure;
        const EqualSizeMatch match = DecodeSweepPoint(picture, 3, codec, 60, coded.coded);
        ASSERT_FALSE(match.picture.Failed()) << match.picture.failure;
        EXPECT_EQ(match.picture.decoded, coded.decoded);
        EXPECT_EQ(match.picture.coded, coded.coded);
        EXPECT_EQ(match.quality, codec == SweepCodec::Jpeg2000 ? -1 : 60);
        EXPECT_EQ(match.metrics.psnr, MeasurePictures(picture, {coded.decoded, width, height, rowPad}, 3).psnr);
        // A file of another size is refused, not written past the picture.
        EXPECT_TRUE(DecodeSweepPoint(narrower, 3, codec, 60, coded.coded).picture.Failed());
    }

    // tamr's own point: its COD file shows what compressing showed.
    CDibImage image;
    ScriptedPrompter prompter;
    test::BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.rows = pixels;
    ASSERT_TRUE(image.ReadBmp(test::BuildBmp(layout), prompter, DisplaySettings{}));
    CodecSettings settings;
    WaveletCodec codec(settings, width, height, 24, true);
    ASSERT_TRUE(CompressImage(image, codec, settings, DisplaySettings{}).has_value());
    const EqualSizeMatch tamr = DecodeSweepPoint(picture, 3, SweepCodec::Tamr, 50, codec.WriteHeader());
    ASSERT_FALSE(tamr.picture.Failed()) << tamr.picture.failure;
    EXPECT_EQ(tamr.picture.decoded, std::vector<std::uint8_t>(image.Pixels().begin(), image.Pixels().end()));
    EXPECT_EQ(tamr.quality, 50);
    EXPECT_TRUE(DecodeSweepPoint(narrower, 3, SweepCodec::Tamr, 50, codec.WriteHeader()).picture.Failed());
}

} // namespace
} // namespace tamr
