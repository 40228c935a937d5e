#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "codec/ArithmeticCoder.h"
#include "support/PlainArithmeticCoder.h"

namespace tamr {
namespace {

std::vector<std::int8_t> RandomSymbols(std::size_t count, int alphabetSize, std::uint32_t seed)
{
    // Symbols of the alphabet that a signed byte can carry, skewed like real subbands.
    const int offset = ArithmeticCoder::ByteOffset(alphabetSize);
    const int lowest = std::max(-128, -offset);
    const int highest = std::min(127, alphabetSize - 1 - offset);
    std::mt19937 generator(seed);
    std::geometric_distribution<int> magnitude(0.4);
    std::bernoulli_distribution negative(0.5);
    std::uniform_int_distribution<int> uniform(lowest, highest);
    std::bernoulli_distribution useUniform(0.2);
    std::vector<std::int8_t> symbols(count);
    for (auto& symbol : symbols) {
        int value = useUniform(generator) ? uniform(generator) : (negative(generator) ? -1 : 1) * magnitude(generator);
        symbol = static_cast<std::int8_t>(std::clamp(value, lowest, highest));
    }
    return symbols;
}

struct RoundTrip {
    std::vector<std::uint8_t> stream;
    std::vector<std::int8_t> decoded;
    ArithmeticCoder::Decoded result;
};

RoundTrip EncodeAndDecode(const std::vector<std::int8_t>& symbols, int alphabetSize)
{
    ArithmeticCoder coder;
    RoundTrip trip;
    trip.stream.resize(symbols.size() * 2 + 16);
    const auto written = coder.EncodeBlock(trip.stream, symbols, alphabetSize);
    EXPECT_TRUE(written.has_value());
    trip.stream.resize(written.value_or(0));
    trip.decoded.resize(symbols.size());
    trip.result = coder.DecodeBlock(trip.stream, trip.decoded, alphabetSize);
    return trip;
}

TEST(ArithmeticCoderTest, RoundTripsEveryAlphabetAndLength)
{
    for (const int alphabet : {1, 2, 3, 11, 257, 1024}) {
        for (const std::size_t length : {0u, 1u, 2u, 100u, 5000u}) {
            const auto symbols = RandomSymbols(length, alphabet, static_cast<std::uint32_t>(alphabet * 7919 + length));
            const auto trip = EncodeAndDecode(symbols, alphabet);
            EXPECT_TRUE(trip.result.endSeen) << alphabet << " " << length;
            EXPECT_EQ(trip.decoded, symbols) << alphabet << " " << length;
            EXPECT_EQ(trip.result.symbolCount, length);
            EXPECT_EQ(trip.result.inputUsed, trip.stream.size()) << alphabet << " " << length;
        }
    }
}

TEST(ArithmeticCoderTest, EmptyBlockStillCodesEndSymbolAndTermination)
{
    const auto trip = EncodeAndDecode({}, 3);
    EXPECT_GE(trip.stream.size(), 2u);
    EXPECT_TRUE(trip.result.endSeen);
    EXPECT_EQ(trip.result.inputUsed, trip.stream.size());
}

TEST(ArithmeticCoderTest, SingleSymbolAlphabetCodesLongRunsIntoFewBytes)
{
    const std::vector<std::int8_t> zeros(100000, 0);
    const auto trip = EncodeAndDecode(zeros, 1);
    EXPECT_LT(trip.stream.size(), 64u);
    EXPECT_EQ(trip.decoded, zeros);
}

TEST(ArithmeticCoderTest, PixelBytesMapAsSignedOverAlphabet257)
{
    std::vector<std::int8_t> all;
    for (int value = -128; value < 128; ++value)
        all.push_back(static_cast<std::int8_t>(value));
    const auto trip = EncodeAndDecode(all, 257);
    EXPECT_EQ(trip.decoded, all);
}

TEST(ArithmeticCoderTest, BitsArePackedLeastSignificantFirst)
{
    // Alphabet 1, no data: the end symbol takes the lower half (bit 0), then the
    // termination emits 0 followed by fourteen 1s: 0,0,1,1,1,1,1,1 | 1 x 8.
    ArithmeticCoder coder;
    std::vector<std::uint8_t> out(8);
    ASSERT_EQ(coder.EncodeBlock(out, {}, 1), 2u);
    EXPECT_EQ(out[0], 0xFC);
    EXPECT_EQ(out[1], 0xFF);
    // The most frequent symbol sits at the top of the interval, so a stream
    // starting with it starts with bit 1 in the least significant place.
    const std::vector<std::int8_t> zeros(40, 0);
    ASSERT_TRUE(coder.EncodeBlock(out, zeros, 2).has_value());
    EXPECT_EQ(out[0] & 1, 1);
}

TEST(ArithmeticCoderTest, ModelHalvingKeepsRoundTripsExact)
{
    // Long skewed streams push the total past 8192 many times.
    const auto symbols = RandomSymbols(200000, 21, 99);
    const auto trip = EncodeAndDecode(symbols, 21);
    EXPECT_EQ(trip.decoded, symbols);
    EXPECT_EQ(trip.result.inputUsed, trip.stream.size());
}

TEST(ArithmeticCoderTest, StreamLengthIsExactWhenTerminationCountIsZero)
{
    // Streams whose end symbol leaves exactly end mark + 15 bits on a byte
    // boundary: the decoder takes one bit more than the stream holds and must
    // still report the position right after the stream's last byte.
    int found = 0;
    ArithmeticCoder coder;
    // The count only reaches 0 when the model's total is high, so the streams are long.
    for (std::uint32_t seed = 0; seed < 40000 && found < 3; ++seed) {
        const auto symbols = RandomSymbols(700 + seed % 1500, 257, seed);
        std::vector<std::uint8_t> stream(4096);
        const auto written = coder.EncodeBlock(stream, symbols, 257);
        ASSERT_TRUE(written.has_value());
        const auto end = coder.LastStreamEnd();
        ASSERT_GE(end.termination, -1);
        if (end.termination != 0 || end.bits % 8 != 0)
            continue;
        ++found;
        EXPECT_EQ(static_cast<long>(*written) * 8, end.bits);
        // A second stream right behind the first must decode from the right byte.
        const auto second = RandomSymbols(50, 257, seed + 1000000);
        stream.resize(*written);
        std::vector<std::uint8_t> tail(512);
        const auto secondWritten = coder.EncodeBlock(tail, second, 257);
        ASSERT_TRUE(secondWritten.has_value());
        stream.insert(stream.end(), tail.begin(), tail.begin() + static_cast<long>(*secondWritten));

        std::vector<std::int8_t> decoded(symbols.size());
        const auto first = coder.DecodeBlock(stream, decoded, 257);
        EXPECT_EQ(decoded, symbols);
        ASSERT_EQ(first.inputUsed, *written);
        std::vector<std::int8_t> decodedSecond(second.size());
        coder.DecodeBlock(std::span(stream).subspan(first.inputUsed), decodedSecond, 257);
        EXPECT_EQ(decodedSecond, second);
    }
    EXPECT_GE(found, 3) << "no stream hit the zero termination count";
}

TEST(ArithmeticCoderTest, RefusesToWritePastTheOutput)
{
    ArithmeticCoder coder;
    const auto symbols = RandomSymbols(1000, 257, 5);
    std::vector<std::uint8_t> out(2000, 0xAA);
    const auto full = coder.EncodeBlock(out, symbols, 257);
    ASSERT_TRUE(full.has_value());
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, *full - 1}) {
        std::vector<std::uint8_t> guarded(size + 8, 0xAA);
        EXPECT_FALSE(coder.EncodeBlock(std::span(guarded).first(size), symbols, 257).has_value());
        for (std::size_t i = size; i < guarded.size(); ++i)
            ASSERT_EQ(guarded[i], 0xAA);
    }
    std::vector<std::uint8_t> exact(*full);
    EXPECT_TRUE(coder.EncodeBlock(exact, symbols, 257).has_value());
}

TEST(ArithmeticCoderTest, RefusesSymbolsOutsideTheAlphabet)
{
    ArithmeticCoder coder;
    std::vector<std::uint8_t> out(64);
    const std::vector<std::int8_t> symbols{0, 2}; // alphabet 3 holds -1..1
    EXPECT_FALSE(coder.EncodeBlock(out, symbols, 3).has_value());
    EXPECT_FALSE(coder.EncodeBlock(out, {}, 0).has_value());
}

TEST(ArithmeticCoderTest, CorruptInputStopsAtTheOutputBoundAndStaysInside)
{
    ArithmeticCoder coder;
    for (std::uint32_t seed = 0; seed < 200; ++seed) {
        std::mt19937 generator(seed);
        std::vector<std::uint8_t> garbage(seed % 40);
        for (auto& byte : garbage)
            byte = static_cast<std::uint8_t>(generator());
        std::vector<std::int8_t> out(300);
        const auto result = coder.DecodeBlock(garbage, out, 1 + static_cast<int>(seed % 300));
        EXPECT_LE(result.symbolCount, out.size());
        EXPECT_LE(result.inputUsed, garbage.size());
    }
    // No input at all reads zero bits and still ends.
    std::vector<std::int8_t> out(10);
    const auto result = coder.DecodeBlock({}, out, 5);
    EXPECT_EQ(result.inputUsed, 0u);
}

TEST(ArithmeticCoderTest, GivesTheBytesAndSymbolsOfThePlainCoder)
{
    // Every alphabet the codec uses and a few larger ones; lengths from empty to
    // past several model halvings, runs of one symbol for long follow-bit chains.
    ArithmeticCoder coder;
    std::vector<int> alphabets;
    for (int a = 1; a <= 258; ++a)
        alphabets.push_back(a);
    alphabets.insert(alphabets.end(), {300, 777, 1024});
    for (const int alphabet : alphabets) {
        const auto seed = static_cast<std::uint32_t>(alphabet);
        const std::size_t length = alphabet % 7 == 0 ? 0 : (alphabet * 97) % (alphabet % 5 == 0 ? 20000 : 1500);
        auto symbols = RandomSymbols(length, alphabet, seed);
        if (alphabet % 3 == 0 && length > 200)
            std::fill(symbols.begin() + 50, symbols.begin() + 200, symbols[0]);
        SCOPED_TRACE(testing::Message() << "alphabet " << alphabet << ", " << length << " symbols");
        const test::PlainEncoded plain = test::PlainEncode(symbols, alphabet);
        std::vector<std::uint8_t> stream(plain.bytes.size() + 16);
        const auto written = coder.EncodeBlock(stream, symbols, alphabet);
        ASSERT_TRUE(written.has_value());
        stream.resize(*written);
        ASSERT_EQ(stream, plain.bytes);
        EXPECT_EQ(coder.LastStreamEnd().endMark, plain.endMark);
        EXPECT_EQ(coder.LastStreamEnd().bits, plain.bits);
        EXPECT_EQ(coder.LastStreamEnd().termination, plain.termination);

        // Decoding a stream, and the same bytes cut short or followed by noise.
        std::mt19937 generator(seed);
        std::vector<std::uint8_t> noisy = stream;
        noisy.resize(stream.size() / 2);
        for (int i = 0; i < 40; ++i)
            noisy.push_back(static_cast<std::uint8_t>(generator()));
        for (const auto& input : {stream, noisy}) {
            std::vector<std::int8_t> decoded(length + 50);
            const auto result = coder.DecodeBlock(input, decoded, alphabet);
            const test::PlainDecoded reference = test::PlainDecode(input, decoded.size(), alphabet);
            decoded.resize(result.symbolCount);
            EXPECT_EQ(decoded, reference.symbols);
            EXPECT_EQ(result.inputUsed, reference.inputUsed);
            EXPECT_EQ(result.endSeen, reference.endSeen);
        }
    }
}

TEST(ArithmeticCoderTest, PictureBytesOverLargeAlphabetsGiveThePlainCodersBytes)
{
    // Long streams of bytes that wander over the whole range, as the rows of a
    // photo do, with stretches of noise: every index of the model is used, runs
    // of equal frequencies grow long and the model is halved many times. The
    // alphabets put the end symbol at every place of a block of the model.
    std::mt19937 generator(11);
    std::uniform_int_distribution<int> step(-3, 3);
    std::uniform_int_distribution<int> noise(-128, 127);
    std::vector<std::int8_t> symbols(60000);
    int value = 0;
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        value = (i / 5000) % 3 == 2 ? noise(generator) : (value + step(generator) + 384) % 256 - 128;
        symbols[i] = static_cast<std::int8_t>(value);
    }
    ArithmeticCoder coder;
    for (const int alphabet : {257, 258, 269, 270, 271, 272, 273, 300, 1024}) {
        SCOPED_TRACE(testing::Message() << "alphabet " << alphabet);
        const test::PlainEncoded plain = test::PlainEncode(symbols, alphabet);
        std::vector<std::uint8_t> stream(plain.bytes.size() + 16);
        const auto written = coder.EncodeBlock(stream, symbols, alphabet);
        ASSERT_TRUE(written.has_value());
        stream.resize(*written);
        ASSERT_EQ(stream, plain.bytes);
        std::vector<std::int8_t> decoded(symbols.size());
        const auto result = coder.DecodeBlock(stream, decoded, alphabet);
        EXPECT_TRUE(result.endSeen);
        EXPECT_EQ(result.inputUsed, stream.size());
        EXPECT_EQ(decoded, symbols);
    }
}

} // namespace
} // namespace tamr
