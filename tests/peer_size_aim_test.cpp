// A peer brought to a wanted size as its registry row aims: the quality whose
// size is closest, found by bisection, or the size given to the encoder.

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "peers/PeerSizeAim.h"

namespace tamr {
namespace {

TEST(PeerSizeAim, ClosestQualityOfGrowingSizes)
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

// Every peer of this build lands near a size: a quality-aimed one at no
// worse a size than the qualities beside its choice, a size-aimed one within
// a tenth of the size.
TEST(PeerSizeAim, EveryPeerLandsNearTheSize)
{
    const int width = 64;
    const int height = 48;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>((i * 7 + (i / 192) * 13) % 251);
    const ConstPixelView picture{pixels, width, height, 0};
    const std::size_t target = 2500;
    const auto distance = [target](std::size_t bytes) {
        return std::labs(static_cast<long>(bytes) - static_cast<long>(target));
    };
    for (const PeerCodec* peer : AvailablePeers()) {
        SCOPED_TRACE(std::string(peer->name));
        const PeerAtSize coded = CodeAtSize(*peer, picture, 3, target);
        ASSERT_FALSE(coded.picture.Failed()) << coded.picture.failure;
        const long chosen = distance(coded.picture.coded.size());
        if (peer->aim == SizeAim::Quality) {
            ASSERT_GE(coded.quality, 0);
            for (const int neighbour : {coded.quality - 1, coded.quality + 1}) {
                if (neighbour >= 0 && neighbour <= 100) {
                    EXPECT_LE(chosen, distance(peer->codeAtQuality(picture, 3, neighbour).coded.size()));
                }
            }
        } else {
            EXPECT_EQ(coded.quality, -1);
            EXPECT_LE(chosen, static_cast<long>(target / 10));
        }
    }
    EXPECT_TRUE(CodeAtSize(TamrCodec(), picture, 3, target).picture.Failed());
}

} // namespace
} // namespace tamr
