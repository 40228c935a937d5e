#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "codec/ArithmeticCoder.h"
#include "image/LosslessPlanes.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

struct TestImage {
    TestImage(int w, int h, bool colour, std::uint8_t padByte)
        : width(w), height(h), bpp(colour ? 3 : 1), rowPad((4 - (w * bpp) % 4) % 4),
          bytes(static_cast<std::size_t>((w * bpp + rowPad) * h), padByte)
    {
    }
    std::size_t RowBytes() const { return static_cast<std::size_t>(width * bpp + rowPad); }
    void FillRandom(std::uint32_t seed)
    {
        const auto random = test::RandomBytes(static_cast<std::size_t>(width * height * bpp), seed);
        std::size_t next = 0;
        for (int r = 0; r < height; ++r) {
            for (int k = 0; k < width * bpp; ++k) {
                bytes[static_cast<std::size_t>(r) * RowBytes() + static_cast<std::size_t>(k)] = random[next++];
            }
        }
    }
    // The bytes of one channel, row by row, without padding.
    std::vector<std::int8_t> Channel(int channel) const
    {
        std::vector<std::int8_t> values;
        for (int r = 0; r < height; ++r) {
            for (int c = 0; c < width; ++c) {
                values.push_back(static_cast<std::int8_t>(
                    bytes[static_cast<std::size_t>(r) * RowBytes() + static_cast<std::size_t>(c * bpp + channel)]));
            }
        }
        return values;
    }
    PixelView View() { return {bytes, width, height, rowPad}; }

    int width;
    int height;
    int bpp;
    int rowPad;
    std::vector<std::uint8_t> bytes;
};

std::vector<std::uint8_t> Encode(ArithmeticCoder& coder, TestImage& image, bool colour)
{
    std::vector<std::uint8_t> out(4096 + image.bytes.size() * 2);
    const auto written = EncodeLosslessPlanes(coder, image.View(), colour, out);
    EXPECT_TRUE(written.has_value());
    out.resize(written.value_or(0));
    return out;
}

TEST(LosslessPlanesTest, RoundTripsExactlyForEveryWidth)
{
    ArithmeticCoder coder;
    for (const bool colour : {true, false}) {
        for (int width = 1; width <= 9; ++width) {
            for (int height : {1, 2, 5}) {
                SCOPED_TRACE(testing::Message() << (colour ? "colour " : "gray ") << width << " x " << height);
                TestImage source(width, height, colour, 0x5A);
                source.FillRandom(static_cast<std::uint32_t>(width * 16 + height));
                const auto coded = Encode(coder, source, colour);
                TestImage decoded(width, height, colour, 0xC3);
                const auto taken = DecodeLosslessPlanes(coder, coded, colour, decoded.View());
                ASSERT_TRUE(taken.has_value());
                EXPECT_EQ(*taken, coded.size());
                for (int channel = 0; channel < source.bpp; ++channel) {
                    EXPECT_EQ(decoded.Channel(channel), source.Channel(channel)) << "channel " << channel;
                }
                // The padding of the working rows is not touched.
                for (int r = 0; r < height; ++r) {
                    for (int p = 0; p < decoded.rowPad; ++p) {
                        EXPECT_EQ(decoded.bytes[static_cast<std::size_t>(r) * decoded.RowBytes() +
                                                static_cast<std::size_t>(width * decoded.bpp + p)],
                                  0xC3);
                    }
                }
            }
        }
    }
}

TEST(LosslessPlanesTest, ColourWritesBlueGreenRedRunsWithoutPadding)
{
    ArithmeticCoder coder;
    TestImage source(5, 3, true, 0x77); // 15 bytes per row, one pad byte
    source.FillRandom(9);
    const auto coded = Encode(coder, source, true);
    std::size_t position = 0;
    for (int channel = 0; channel < 3; ++channel) {
        std::vector<std::int8_t> run(64);
        const auto decoded = coder.DecodeBlock(std::span(coded).subspan(position), run, kLosslessAlphabet);
        ASSERT_TRUE(decoded.endSeen);
        run.resize(decoded.symbolCount);
        EXPECT_EQ(run, source.Channel(channel)) << "channel " << channel;
        position += decoded.inputUsed;
    }
    EXPECT_EQ(position, coded.size());
}

TEST(LosslessPlanesTest, GrayWritesOneRunWithoutPadding)
{
    ArithmeticCoder coder;
    TestImage source(6, 4, false, 0x77); // width not a multiple of 4
    source.FillRandom(4);
    const auto coded = Encode(coder, source, false);
    std::vector<std::int8_t> run(64);
    const auto decoded = coder.DecodeBlock(coded, run, kLosslessAlphabet);
    ASSERT_TRUE(decoded.endSeen);
    run.resize(decoded.symbolCount);
    EXPECT_EQ(run, source.Channel(0));
    EXPECT_EQ(decoded.inputUsed, coded.size());
}

TEST(LosslessPlanesTest, OutputTooSmallFailsWithoutWritingPastIt)
{
    ArithmeticCoder coder;
    TestImage source(7, 7, true, 0);
    source.FillRandom(2);
    const auto full = Encode(coder, source, true);
    std::vector<std::uint8_t> out(full.size() + 8, 0xEE);
    const auto written = EncodeLosslessPlanes(coder, source.View(), true, std::span(out).first(full.size() - 1));
    EXPECT_FALSE(written.has_value());
    for (std::size_t at = full.size() - 1; at < out.size(); ++at) {
        EXPECT_EQ(out[at], 0xEE);
    }
}

TEST(LosslessPlanesTest, SeveralThreadsWriteTheBytesOfOne)
{
    ArithmeticCoder coder;
    for (const bool colour : {true, false}) {
        TestImage source(37, 23, colour, 0);
        source.FillRandom(colour ? 11 : 12);
        const auto single = Encode(coder, source, colour);
        for (const int threads : {2, 3, 5}) {
            std::vector<std::uint8_t> out(single.size() + 64, 0xEE);
            const auto written = EncodeLosslessPlanes(coder, source.View(), colour, out, threads);
            ASSERT_TRUE(written.has_value());
            out.resize(*written);
            EXPECT_EQ(out, single) << threads << " threads";
            // Too small by a byte for the streams together: refused as with one thread.
            std::vector<std::uint8_t> shortOut(single.size() - 1);
            EXPECT_FALSE(EncodeLosslessPlanes(coder, source.View(), colour, shortOut, threads).has_value());
        }
    }
}

TEST(LosslessPlanesTest, StreamsThatDoNotMatchTheImageSizeAreRefused)
{
    ArithmeticCoder coder;
    TestImage source(4, 4, true, 0);
    source.FillRandom(6);
    const auto coded = Encode(coder, source, true);
    TestImage smaller(3, 3, true, 0); // each stream runs past 9 symbols
    EXPECT_FALSE(DecodeLosslessPlanes(coder, coded, true, smaller.View()).has_value());
    TestImage larger(5, 4, true, 0); // each stream ends before 20 symbols
    EXPECT_FALSE(DecodeLosslessPlanes(coder, coded, true, larger.View()).has_value());
    TestImage same(4, 4, true, 0);
    EXPECT_TRUE(DecodeLosslessPlanes(coder, coded, true, same.View()).has_value());
}

TEST(LosslessPlanesTest, TruncatedOrCorruptInputNeverReadsOutside)
{
    ArithmeticCoder coder;
    TestImage source(9, 5, true, 0);
    source.FillRandom(8);
    const auto coded = Encode(coder, source, true);
    TestImage target(9, 5, true, 0);
    // Cut inside the first two streams, the third one starts at the wrong
    // place and cannot decode; cut near the end, the last bits may be mere
    // termination padding. Either way nothing past the input is claimed.
    for (std::size_t keep = 0; keep < coded.size(); ++keep) {
        const std::vector<std::uint8_t> part(coded.begin(), coded.begin() + static_cast<std::ptrdiff_t>(keep));
        const auto taken = DecodeLosslessPlanes(coder, part, true, target.View());
        if (keep < coded.size() / 2) {
            EXPECT_FALSE(taken.has_value()) << "kept " << keep;
        } else if (taken) {
            EXPECT_LE(*taken, part.size());
        }
    }
    EXPECT_FALSE(DecodeLosslessPlanes(coder, {}, true, target.View()).has_value());
    for (std::uint32_t seed = 0; seed < 20; ++seed) {
        const auto noise = test::RandomBytes(200, seed);
        const auto taken = DecodeLosslessPlanes(coder, noise, true, target.View());
        if (taken) {
            EXPECT_LE(*taken, noise.size());
        }
    }
}

TEST(LosslessPlanesTest, PixelsShorterThanTheirRowsAreRefused)
{
    ArithmeticCoder coder;
    TestImage source(5, 2, false, 0);
    PixelView view = source.View();
    view.bytes = view.bytes.first(view.bytes.size() - 1);
    std::vector<std::uint8_t> out(256);
    EXPECT_FALSE(EncodeLosslessPlanes(coder, view, false, out).has_value());
    EXPECT_FALSE(DecodeLosslessPlanes(coder, out, false, view).has_value());
}

} // namespace
} // namespace tamr
