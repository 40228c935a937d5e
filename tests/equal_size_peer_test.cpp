// A peer coded at the quality whose size is closest to the target; a peer's
// file decoded again.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>
#include <vector>

#include "document/EqualSizePeer.h"
#include "image/ImageCompression.h"
#include "peers/PeerJpeg.h"
#include "peers/PeerJpeg2000.h"
#include "peers/PeerWebp.h"
#include "support/BmpTestFiles.h"
#include "support/ScriptedPrompter.h"

namespace tamr {
namespace {

TEST(EqualSizePeer, JpegAtTheClosestSize)
{
    const int width = 64;
    const int height = 48;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>((i * 7 + (i / 192) * 13) % 251);
    const ConstPixelView picture{pixels, width, height, 0};
    const std::size_t target = 2500;
    const EqualSizeMatch match = MatchPeerSize(picture, 3, *FindCodec("jpeg"), target);
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
    for (const std::string_view name : {"jpeg", "jp2", "webp"}) {
        const PeerCodec& codec = *FindCodec(name);
        const PeerPicture coded = name == "jpeg"  ? CodeJpeg(picture, 3, 60)
                                  : name == "jp2" ? CodeJpeg2000(picture, 3, 1200)
                                                  : CodeWebp(picture, 3, 60);
        ASSERT_FALSE(coded.Failed()) << coded.failure;
        const EqualSizeMatch match = DecodeSweepPoint(picture, 3, codec, 60, coded.coded);
        ASSERT_FALSE(match.picture.Failed()) << match.picture.failure;
        EXPECT_EQ(match.picture.decoded, coded.decoded);
        EXPECT_EQ(match.picture.coded, coded.coded);
        EXPECT_EQ(match.quality, name == "jp2" ? -1 : 60);
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
    ASSERT_TRUE(image.ReadBmp(test::BuildBmp(layout), prompter, DisplaySettings{}, Limits{}));
    CodecSettings settings;
    WaveletCodec codec(settings, width, height, 24, true);
    ASSERT_TRUE(CompressImage(image, codec, settings, DisplaySettings{}).has_value());
    const EqualSizeMatch tamr = DecodeSweepPoint(picture, 3, TamrCodec(), 50, codec.WriteHeader());
    ASSERT_FALSE(tamr.picture.Failed()) << tamr.picture.failure;
    EXPECT_EQ(tamr.picture.decoded, std::vector<std::uint8_t>(image.Pixels().begin(), image.Pixels().end()));
    EXPECT_EQ(tamr.quality, 50);
    EXPECT_TRUE(DecodeSweepPoint(narrower, 3, TamrCodec(), 50, codec.WriteHeader()).picture.Failed());
}

} // namespace
} // namespace tamr
