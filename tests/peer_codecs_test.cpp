// The codec registry: one row a codec, each named, labelled and coloured once,
// and every available peer coding and decoding through its row.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "image/PictureMetrics.h"
#include "peers/PeerCodecs.h"
#include "peers/PeerSizeAim.h"

namespace tamr {
namespace {

TEST(PeerCodecs, EachRowNamedAndColouredOnce)
{
    const auto codecs = AllCodecs();
    ASSERT_FALSE(codecs.empty());
    EXPECT_EQ(&codecs[0], &TamrCodec());
    EXPECT_EQ(TamrCodec().aim, SizeAim::Reference);
    std::set<std::string_view> names;
    std::set<std::string_view> labels;
    std::set<std::string_view> colours;
    for (const PeerCodec& codec : codecs) {
        SCOPED_TRACE(std::string(codec.name));
        EXPECT_TRUE(names.insert(codec.name).second);
        EXPECT_TRUE(labels.insert(codec.label).second);
        EXPECT_TRUE(colours.insert(codec.colour).second);
        EXPECT_EQ(FindCodec(codec.name), &codec);
        EXPECT_NE(codec.label.find(codec.mnemonic), std::string_view::npos);
        ASSERT_EQ(codec.colour.size(), 7U);
        EXPECT_EQ(codec.colour[0], '#');
        EXPECT_EQ(codec.extension[0], '.');
        if (!codec.available)
            continue;
        EXPECT_NE(codec.decode, nullptr);
        EXPECT_EQ(codec.codeAtQuality != nullptr, codec.aim == SizeAim::Quality);
        EXPECT_EQ(codec.codeAtBytes != nullptr, codec.aim == SizeAim::Bytes);
        EXPECT_TRUE(codec.encodeLadder == nullptr || codec.ladderSizes > 0);
    }
    EXPECT_EQ(FindCodec("gif"), nullptr);
    EXPECT_EQ(FindCodec(""), nullptr);
    std::string listed;
    for (const PeerCodec* peer : AvailablePeers()) {
        EXPECT_NE(peer, &TamrCodec());
        EXPECT_TRUE(peer->available);
        listed += (listed.empty() ? "" : ", ") + std::string(peer->name);
    }
    EXPECT_EQ(PeerNames(), listed);
    for (const char* name : {"jpeg", "jp2", "webp"})
        EXPECT_NE(PeerNames().find(name), std::string::npos) << name;
}

// A peer's file, decoded again through its row, is the picture its coding
// decoded; a decoding into another size is refused.
TEST(PeerCodecs, EveryPeerDecodesWhatItCoded)
{
    const int width = 40;
    const int height = 30;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>((i * 5 + (i / 120) * 11) % 253);
    const ConstPixelView picture{pixels, width, height, 0};
    const ConstPixelView narrower{pixels, width - 8, height, 0};
    for (const PeerCodec* peer : AvailablePeers()) {
        SCOPED_TRACE(std::string(peer->name));
        const PeerPicture coded =
            peer->aim == SizeAim::Quality ? peer->codeAtQuality(picture, 3, 70) : peer->codeAtBytes(picture, 3, 1500);
        ASSERT_FALSE(coded.Failed()) << coded.failure;
        ASSERT_EQ(coded.decoded.size(), pixels.size());
        const PeerPicture decoded = peer->decode(coded.coded, picture, 3);
        ASSERT_FALSE(decoded.Failed()) << decoded.failure;
        EXPECT_EQ(decoded.decoded, coded.decoded);
        EXPECT_GT(MeasurePictures(picture, {decoded.decoded, width, height, 0}, 3).psnr,
                  15); // noise would give under 10
        EXPECT_TRUE(peer->decode(coded.coded, narrower, 3).Failed());
        EXPECT_TRUE(peer->decode(std::vector<std::uint8_t>(16, 0x5a), picture, 3).Failed());
    }
}

} // namespace
} // namespace tamr
