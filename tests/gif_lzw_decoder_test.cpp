// The LZW decoding of GIF code streams: round trips through an independent
// encoder, the growth of the code size, and the ways a stream can end or break.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "image/GifLzwDecoder.h"
#include "support/GifTestFiles.h"

namespace tamr {
namespace {

using test::GifBytes;
using test::GifCodeWriter;
using test::LzwEncode;
using test::LzwOptions;
using test::SubBlocks;

struct Decoded {
    std::vector<int> values; // every pixel value before the first negative one
    int end = 0;             // the negative value that ended the decoding, or 0
};

// Decodes up to `count` values from the sub-blocks made of `codes`.
Decoded Decode(const GifBytes& blocks, int minimumCodeSize, std::size_t count)
{
    ByteReader reader(blocks);
    GifLzwDecoder decoder(reader, minimumCodeSize);
    Decoded decoded;
    while (decoded.values.size() < count) {
        const int value = decoder.Next();
        if (value < 0) {
            decoded.end = value;
            break;
        }
        decoded.values.push_back(value);
    }
    EXPECT_LE(reader.Position(), blocks.size());
    return decoded;
}

std::vector<std::uint8_t> RandomValues(std::size_t count, int minimumCodeSize, std::uint32_t seed, int runs = 0)
{
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> value(0, (1 << minimumCodeSize) - 1);
    std::uniform_int_distribution<int> runLength(1, runs + 1);
    std::vector<std::uint8_t> values;
    while (values.size() < count) {
        const auto v = static_cast<std::uint8_t>(value(generator));
        values.insert(values.end(), static_cast<std::size_t>(runLength(generator)), v);
    }
    values.resize(count);
    return values;
}

std::vector<int> AsInts(const std::vector<std::uint8_t>& values)
{
    return {values.begin(), values.end()};
}

TEST(GifLzwDecoderTest, RoundTripsEveryCodeSizeAndEncoderBehaviour)
{
    struct Variant {
        const char* name;
        LzwOptions options;
        std::size_t blockSize;
    };
    const Variant variants[] = {
        {"plain", {}, 255},
        {"no clear at start", {.clearAtStart = false}, 255},
        {"repeated clears", {.extraClearsAtStart = 3, .clearEvery = 37}, 255},
        {"full table kept (deferred clear)", {.clearWhenFull = false}, 255},
        {"one-byte sub-blocks", {}, 1},
        {"no end code", {.endCode = false}, 17},
    };
    for (int size = 2; size <= 8; ++size)
        for (const Variant& variant : variants)
            for (const int runs : {0, 3, 40}) {
                SCOPED_TRACE(testing::Message() << "code size " << size << ", " << variant.name << ", runs " << runs);
                // Enough values to fill the 4096-entry table more than once.
                const auto values = RandomValues(30000, size, static_cast<std::uint32_t>(size * 100 + runs), runs);
                const auto blocks = SubBlocks(LzwEncode(values, size, variant.options), variant.blockSize);
                const Decoded decoded = Decode(blocks, size, values.size());
                EXPECT_EQ(decoded.values, AsInts(values));
                EXPECT_EQ(decoded.end, 0);
            }
}

TEST(GifLzwDecoderTest, CodeEqualToTheNextFreeCodeIsThePreviousStringAndItsFirstValue)
{
    // Minimum code size 2: clear 4, end 5, first free code 6, codes of 3 bits
    // until the table reaches 8 entries.
    GifCodeWriter codes;
    codes.Write(4, 3); // clear
    codes.Write(1, 3); // 1
    codes.Write(2, 3); // 2; defines 6 = "1 2"
    codes.Write(7, 3); // 7 is not defined yet: "2" + "2"; defines 7 = "2 2", the table reaches 8
    codes.Write(6, 4); // "1 2", now in 4 bits
    codes.Write(5, 4); // end
    const Decoded decoded = Decode(SubBlocks(codes.Bytes()), 2, 100);
    EXPECT_EQ(decoded.values, (std::vector<int>{1, 2, 2, 2, 1, 2}));
    EXPECT_EQ(decoded.end, GifLzwDecoder::kEndCode);
}

TEST(GifLzwDecoderTest, LongRunsUseSelfReferencingCodesThroughout)
{
    // A run of one value is coded almost entirely with codes that are defined
    // by their own use.
    for (int size = 2; size <= 8; ++size) {
        const std::vector<std::uint8_t> run(9000, static_cast<std::uint8_t>((1 << size) - 1));
        const Decoded decoded = Decode(SubBlocks(LzwEncode(run, size)), size, run.size());
        EXPECT_EQ(decoded.values, AsInts(run)) << size;
    }
}

TEST(GifLzwDecoderTest, EndValuesRepeatOnceReached)
{
    const std::vector<std::uint8_t> values = {3, 1, 4, 1, 5};
    {
        // The end code, then more data that must not be read as pixels.
        GifBytes codes = LzwEncode(values, 3);
        const GifBytes more = LzwEncode(values, 3, {.clearAtStart = false});
        codes.insert(codes.end(), more.begin(), more.end());
        const GifBytes blocks = SubBlocks(codes);
        ByteReader reader(blocks);
        GifLzwDecoder decoder(reader, 3);
        for (const int value : values)
            EXPECT_EQ(decoder.Next(), value);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(decoder.Next(), GifLzwDecoder::kEndCode);
    }
    {
        // No end code: the empty sub-block ends the data.
        const GifBytes blocks = SubBlocks(LzwEncode(values, 3, {.endCode = false}));
        const Decoded decoded = Decode(blocks, 3, 100);
        EXPECT_EQ(decoded.values, AsInts(values));
        EXPECT_EQ(decoded.end, GifLzwDecoder::kDataEnded);
    }
}

TEST(GifLzwDecoderTest, DataEndingAnywhereStopsWithoutReadingFurther)
{
    const auto values = RandomValues(3000, 8, 7, 2);
    const GifBytes blocks = SubBlocks(LzwEncode(values, 8), 50);
    for (std::size_t length = 0; length < blocks.size(); ++length) {
        SCOPED_TRACE(length);
        // A copy of exactly that length: the sanitizers see any read past it.
        const GifBytes cut(blocks.begin(), blocks.begin() + static_cast<std::ptrdiff_t>(length));
        const Decoded decoded = Decode(cut, 8, values.size());
        // A cut through the last code or two may leave every value decodable.
        if (length + 6 < blocks.size()) {
            ASSERT_LT(decoded.values.size(), values.size());
        }
        if (decoded.values.size() < values.size()) {
            EXPECT_EQ(decoded.end, GifLzwDecoder::kDataEnded);
        }
        // What was decoded is the start of the picture.
        EXPECT_TRUE(std::equal(decoded.values.begin(), decoded.values.end(), values.begin()));
    }
}

TEST(GifLzwDecoderTest, CorruptCodesStopTheDecoding)
{
    {
        // After a clear only the literal codes and the end code mean anything.
        GifCodeWriter codes;
        codes.Write(4, 3);
        codes.Write(6, 3);
        const Decoded decoded = Decode(SubBlocks(codes.Bytes()), 2, 10);
        EXPECT_TRUE(decoded.values.empty());
        EXPECT_EQ(decoded.end, GifLzwDecoder::kCorruptCodes);
    }
    {
        // A code beyond the next free one leaves entry 7 pointing at itself;
        // following it must stop rather than run round the loop.
        GifCodeWriter codes;
        codes.Write(4, 3); // clear
        codes.Write(3, 3); // 3
        codes.Write(7, 3); // beyond the next free code 6: taken as "3" + "3"; 6 = (3, 3), previous code 7
        codes.Write(6, 3); // "3 3"; 7 = (prefix 7, suffix 3): a loop
        codes.Write(7, 4);
        codes.Write(1, 4);
        const GifBytes blocks = SubBlocks(codes.Bytes());
        ByteReader reader(blocks);
        GifLzwDecoder decoder(reader, 2);
        std::vector<int> values;
        int value = 0;
        while ((value = decoder.Next()) >= 0)
            values.push_back(value);
        EXPECT_EQ(values, (std::vector<int>{3, 3, 3, 3, 3}));
        EXPECT_EQ(value, GifLzwDecoder::kCorruptCodes);
        EXPECT_EQ(decoder.Next(), GifLzwDecoder::kCorruptCodes);
    }
}

TEST(GifLzwDecoderTest, RandomStreamsEndWithinTheirLengthBound)
{
    // Whatever the bytes, every value is a pixel value below the clear code
    // until a negative end value, and no code yields more than 4097 values.
    for (std::uint32_t seed = 0; seed < 400; ++seed) {
        std::mt19937 generator(seed);
        const int size = 2 + static_cast<int>(seed % 7);
        GifBytes data(1 + generator() % 600);
        for (auto& byte : data)
            byte = static_cast<std::uint8_t>(generator());
        const GifBytes blocks = SubBlocks(data, 1 + generator() % 255, seed % 2 == 0);
        const Decoded decoded = Decode(blocks, size, 1u << 22);
        EXPECT_NE(decoded.end, 0) << seed;
        for (const int value : decoded.values)
            ASSERT_LT(value, 1 << size) << seed;
        EXPECT_LE(decoded.values.size(), (blocks.size() * 8 / 3 + 1) * 4097) << seed;
    }
}

TEST(GifLzwDecoderTest, OnlyCodeSizesForPixelsOfAtMostEightBitsAreValid)
{
    for (int size = -1; size <= 13; ++size)
        EXPECT_EQ(GifLzwDecoder::ValidCodeSize(size), size >= 2 && size <= 8) << size;
}

} // namespace
} // namespace tamr
