#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "codec/CodecComponent.h"

namespace tamr {
namespace {

ComponentSettings UniformSettings(std::int16_t q, std::int16_t threshold, std::int16_t discard)
{
    ComponentSettings settings;
    settings.quantizeVector.fill(q);
    settings.thresholdVector.fill(threshold);
    settings.discardLevels = discard;
    return settings;
}

CodecComponent MakeComponent(const ComponentSettings& settings, int size, int levels, int sample = 0)
{
    CodecComponent component;
    component.ConfigureForEncoding(settings, levels);
    EXPECT_TRUE(component.SizeForEncoding(size, size, levels, sample));
    return component;
}

struct Coded {
    std::vector<std::uint8_t> bytes;
    std::vector<std::size_t> levelEnds;
};

Coded EncodeAllLevels(CodecComponent& component, int totalLevels)
{
    Coded coded;
    coded.bytes.resize(1 << 16);
    std::size_t position = 0;
    for (int n = 0; n <= totalLevels; ++n) {
        const auto next = component.EncodeLevel(coded.bytes, position, n);
        EXPECT_TRUE(next.has_value());
        position = next.value_or(position);
        coded.levelEnds.push_back(position);
    }
    coded.bytes.resize(position);
    return coded;
}

CodecComponent DecodeAllLevels(const Coded& coded, int size, int totalLevels, int discard, int sample)
{
    CodecComponent decoder;
    decoder.SetCodedLevels(discard, sample);
    EXPECT_TRUE(decoder.SizeForDecoding(size, size, totalLevels));
    std::size_t position = 0;
    for (int n = 0; n <= totalLevels; ++n) {
        const auto next = decoder.DecodeLevel(coded.bytes, position, n);
        EXPECT_TRUE(next.has_value());
        position = next.value_or(position);
        EXPECT_EQ(position, coded.levelEnds[static_cast<std::size_t>(n)]) << "level " << n;
    }
    return decoder;
}

TEST(CodecComponentTest, ZeroQuantisationCodesEverythingAsZero)
{
    auto component = MakeComponent(UniformSettings(0, 0, 0), 32, 3);
    for (std::size_t i = 0; i < component.Plane().size(); ++i)
        component.Plane()[i] = static_cast<std::int16_t>((i * 37) % 200 - 100);
    ASSERT_TRUE(component.ForwardTransform());
    const auto coded = EncodeAllLevels(component, 3);
    // Every stream is over an alphabet of one or two symbols: a few bytes each.
    EXPECT_LT(coded.bytes.size(), 10u * 16u);
    const auto decoder = DecodeAllLevels(coded, 32, 3, 0, 0);
    EXPECT_TRUE(std::all_of(decoder.Plane().begin(), decoder.Plane().end(), [](std::int16_t v) { return v == 0; }));
}

TEST(CodecComponentTest, NarrowBandShrinksQAndMapsIntegersOntoThemselves)
{
    // A constant plane of 10 after one level: LL holds 20 everywhere, details 0.
    auto component = MakeComponent(UniformSettings(100, 0, 0), 8, 1);
    std::fill(component.Plane().begin(), component.Plane().end(), std::int16_t{10});
    ASSERT_TRUE(component.ForwardTransform());
    const int ll = 3 * 1;
    EXPECT_EQ(component.Q(ll), 20);
    EXPECT_EQ(component.Max(ll), 20);
    EXPECT_EQ(component.Min(ll), -20);
    EXPECT_EQ(component.Symbols()[0], 20);
    EXPECT_EQ(component.NonZeroBefore(), 0u);

    const auto coded = EncodeAllLevels(component, 1);
    const auto decoder = DecodeAllLevels(coded, 8, 1, 0, 0);
    EXPECT_TRUE(std::all_of(decoder.Plane().begin(), decoder.Plane().end(), [](std::int16_t v) { return v == 10; }));
    EXPECT_EQ(decoder.NonZeroAfter(), 16u); // the 4 x 4 low-pass band
}

TEST(CodecComponentTest, ZeroWithOneNonZeroDescendantIsNotAZerotreeRoot)
{
    auto component = MakeComponent(UniformSettings(5, 0, 0), 16, 2);
    std::fill(component.Plane().begin(), component.Plane().end(), std::int16_t{0});
    ASSERT_TRUE(component.ForwardTransform()); // sizes the symbol plane
    auto symbols = component.Symbols();
    std::fill(symbols.begin(), symbols.end(), std::int8_t{0});
    auto at = [&](int y, int x) -> std::int8_t& { return symbols[static_cast<std::size_t>(y) * 16 + x]; };
    // V band of level index 1 is rows 4..7, columns 0..3; its children lie at (2y, 2x).
    at(9, 1) = 3;
    component.MarkZerotrees();
    // Q + 1 marks a zerotree root (the transform shrank Q to the zero bands' range).
    const auto root = [&](Band band) { return component.Q(component.Entry(1, band)) + 1; };
    EXPECT_EQ(at(4, 0), 0); // parent of (9, 1)
    EXPECT_EQ(at(9, 1), 3);
    EXPECT_EQ(at(8, 0), 0);
    EXPECT_EQ(at(4, 1), root(Band::V));
    for (const auto& [y, x] : {std::pair{8, 2}, {8, 3}, {9, 2}, {9, 3}})
        EXPECT_EQ(at(y, x), kSkipMark);
    EXPECT_EQ(at(0, 4), root(Band::H));
    EXPECT_EQ(at(4, 4), root(Band::D));
    EXPECT_EQ(at(0, 0), 0); // the low-pass band is never a root
}

TEST(CodecComponentTest, OneCodedDetailLevelFormsNoZerotrees)
{
    // Three levels, two discarded: only level index 1 is coded, over 2Q + 1 symbols.
    auto component = MakeComponent(UniformSettings(4, 0, 2), 32, 3);
    EXPECT_EQ(component.FinestCodedLevel(), 1);
    std::fill(component.Plane().begin(), component.Plane().end(), std::int16_t{-7});
    ASSERT_TRUE(component.ForwardTransform());
    // Only the low-pass band and level index 1 hold symbols.
    const auto symbols = component.Symbols();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_TRUE(symbols[static_cast<std::size_t>(y) * 32 + x] != kSkipMark &&
                        symbols[static_cast<std::size_t>(y) * 32 + x] != 5);
    const auto coded = EncodeAllLevels(component, 3);
    EXPECT_EQ(component.LevelBytes(2), 0u);
    EXPECT_EQ(component.LevelBytes(3), 0u);
    const auto decoder = DecodeAllLevels(coded, 32, 3, 2, 0);
    EXPECT_TRUE(std::all_of(decoder.Plane().begin(), decoder.Plane().end(), [](std::int16_t v) { return v == -7; }));
}

TEST(CodecComponentTest, DiscardedLevelsAreCountedAndMeasuredButNotCoded)
{
    // The same plane with no level and with two levels discarded: the figure
    // of non-zero values counts every level either way, and the discarded
    // levels keep the ranges the settings search reads (quantising only
    // mirrors the narrower side of a range, so its widest side is kept).
    std::vector<Coded> coded;
    std::vector<std::uint32_t> nonZero;
    std::vector<std::vector<int>> widest;
    for (const std::int16_t discard : {std::int16_t{0}, std::int16_t{2}}) {
        auto component = MakeComponent(UniformSettings(12, 4, discard), 64, 4);
        for (std::size_t i = 0; i < component.Plane().size(); ++i)
            component.Plane()[i] = static_cast<std::int16_t>((i * 7919) % 201 - 100);
        ASSERT_TRUE(component.ForwardTransform());
        nonZero.push_back(component.NonZeroBefore());
        std::vector<int>& ranges = widest.emplace_back();
        for (const int n : {3, 4})
            for (const Band band : {Band::V, Band::H, Band::D}) {
                const int entry = component.Entry(n, band);
                ranges.push_back(std::max(std::abs(int{component.Max(entry)}), std::abs(int{component.Min(entry)})));
            }
        coded.push_back(EncodeAllLevels(component, 4));
    }
    EXPECT_GT(nonZero[0], 0u);
    EXPECT_EQ(nonZero[1], nonZero[0]);
    EXPECT_GT(*std::max_element(widest[0].begin(), widest[0].end()), 0);
    EXPECT_EQ(widest[1], widest[0]);
    EXPECT_EQ(coded[1].levelEnds[4], coded[1].levelEnds[2]);
}

TEST(CodecComponentTest, RowsFromASourceCodeAsTheWholePlane)
{
    // Thresholds, discarded levels (the first, then the second made from
    // rows among them), one or two levels made from rows alone, no level.
    for (const auto& [threshold, discard, levels] :
         {std::tuple{0, 0, 4}, {6, 0, 4}, {6, 1, 4}, {3, 2, 3}, {0, 0, 2}, {4, 1, 2}, {0, 0, 1}, {0, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << "threshold " << threshold << " discard " << discard << " levels " << levels);
        const auto settings =
            UniformSettings(20, static_cast<std::int16_t>(threshold), static_cast<std::int16_t>(discard));
        auto whole = MakeComponent(settings, 64, levels);
        for (std::size_t i = 0; i < whole.Plane().size(); ++i)
            // Flat in the lower half, where the finest level lies under zerotree roots.
            whole.Plane()[i] =
                static_cast<std::int16_t>(i < 64 * 32 ? (i * 7919) % 401 - 200 + static_cast<int>(i % 64) : 40);
        const std::vector<std::int16_t> samples(whole.Plane().begin(), whole.Plane().end());
        ASSERT_TRUE(whole.ForwardTransform());

        CodecComponent rows;
        rows.ConfigureForEncoding(settings, levels);
        rows.ShapeForEncoding(64, 64, levels, 0);
        const auto source = [&](int y, std::span<float> row) {
            std::copy_n(samples.begin() + y * 64, 64, row.begin());
            return true;
        };
        LargeVector<float> values;
        ASSERT_TRUE(rows.ForwardTransformRows(source, values));
        EXPECT_EQ(rows.NonZeroBefore(), whole.NonZeroBefore());
        const auto expected = EncodeAllLevels(whole, levels);
        const auto coded = EncodeAllLevels(rows, levels);
        EXPECT_EQ(coded.bytes, expected.bytes);
        EXPECT_EQ(coded.levelEnds, expected.levelEnds);
    }
}

TEST(CodecComponentTest, AllDetailLevelsDiscardedCodesTheLowPassBandOnly)
{
    for (const std::int16_t discard : {std::int16_t{3}, std::int16_t{5}}) {
        auto component = MakeComponent(UniformSettings(30, 0, discard), 32, 3);
        EXPECT_EQ(component.FinestCodedLevel(), 0);
        std::fill(component.Plane().begin(), component.Plane().end(), std::int16_t{21});
        ASSERT_TRUE(component.ForwardTransform());
        const auto coded = EncodeAllLevels(component, 3);
        EXPECT_GT(component.LevelBytes(0), 0u);
        for (int n = 1; n <= 3; ++n)
            EXPECT_EQ(component.LevelBytes(n), 0u);
        const auto decoder = DecodeAllLevels(coded, 32, 3, discard, 0);
        // The discarded levels interpolate the low-pass band back to the constant.
        EXPECT_TRUE(
            std::all_of(decoder.Plane().begin(), decoder.Plane().end(), [](std::int16_t v) { return v == 21; }));
    }
}

TEST(CodecComponentTest, SubsampledComponentSkipsTheLastLevel)
{
    auto component = MakeComponent(UniformSettings(20, 3, 0), 64, 4, 1);
    EXPECT_EQ(component.Width(), 32);
    EXPECT_EQ(component.Levels(), 3);
    for (std::size_t i = 0; i < component.Plane().size(); ++i)
        component.Plane()[i] = static_cast<std::int16_t>((i % 32) * 3 - 50);
    ASSERT_TRUE(component.ForwardTransform());
    std::vector<std::uint8_t> out(1 << 16);
    std::size_t position = 0;
    for (int n = 0; n < 4; ++n)
        position = component.EncodeLevel(out, position, n).value();
    EXPECT_EQ(component.EncodeLevel(out, position, 4), position);
    EXPECT_EQ(component.LevelBytes(4), 0u);

    CodecComponent decoder;
    decoder.SetCodedLevels(0, 1);
    ASSERT_TRUE(decoder.SizeForDecoding(64, 64, 4));
    std::size_t in = 0;
    for (int n = 0; n < 4; ++n)
        in = decoder.DecodeLevel(out, in, n).value();
    EXPECT_EQ(in, position);
    EXPECT_EQ(decoder.DecodeLevel(out, in, 4), in);
}

TEST(CodecComponentTest, RefusesQuantisationLevelsThatCollideWithTheSkipMark)
{
    auto component = MakeComponent(UniformSettings(126, 0, 0), 16, 2);
    for (std::size_t i = 0; i < component.Plane().size(); ++i)
        component.Plane()[i] = static_cast<std::int16_t>(i % 255 - 127);
    ASSERT_TRUE(component.ForwardTransform());
    std::vector<std::uint8_t> out(1 << 14);
    EXPECT_FALSE(component.EncodeLevel(out, 0, 0).has_value());
}

// While a finest level waits to be placed row by row, the roots the level
// before leaves it are kept at a bit each, beside the plane.
TEST(CodecComponentTest, RootsAboveAFinestLevelInRowsTakeABitEach)
{
    constexpr int kSize = 128;
    auto component = MakeComponent(UniformSettings(20, 0, 0), kSize, 3);
    std::fill(component.Plane().begin(), component.Plane().end(), std::int16_t{0});
    component.Plane()[kSize * 40 + 70] = 90; // one busy tree among roots
    ASSERT_TRUE(component.ForwardTransform());
    const Coded coded = EncodeAllLevels(component, 3);

    CodecComponent decoder;
    decoder.SetCodedLevels(0, 0);
    ASSERT_TRUE(decoder.SizeForDecoding(kSize, kSize, 3, true));
    std::size_t position = 0;
    for (int n = 0; n < 3; ++n)
        position = decoder.ReadLevel(coded.bytes, position, n).value();
    const std::size_t planeBytes = (kSize / 2) * (kSize / 2) * sizeof(std::int16_t);
    const std::size_t parents = 3 * (kSize / 4) * (kSize / 4);
    EXPECT_GT(decoder.HeldBytes(), planeBytes);
    EXPECT_LE(decoder.HeldBytes(), planeBytes + parents / 8);
}

TEST(CodecComponentTest, ReleaseGivesEveryBufferBack)
{
    constexpr int kSize = 64;
    auto component = MakeComponent(UniformSettings(20, 3, 0), kSize, 3);
    for (std::size_t i = 0; i < component.Plane().size(); ++i)
        component.Plane()[i] = static_cast<std::int16_t>((i * 7) % 200 - 100);
    ASSERT_TRUE(component.ForwardTransform());
    const Coded coded = EncodeAllLevels(component, 3);
    component.ReleasePlane();
    EXPECT_EQ(component.HeldBytes(), 0u);

    CodecComponent decoder;
    decoder.SetCodedLevels(0, 0);
    ASSERT_TRUE(decoder.SizeForDecoding(kSize, kSize, 3));
    std::size_t position = 0;
    for (int n = 0; n < 3; ++n)
        position = decoder.DecodeLevel(coded.bytes, position, n).value();
    // Before the last level the decoding buffers are held; after it only the plane.
    EXPECT_GT(decoder.HeldBytes(), kSize * kSize * sizeof(std::int16_t));
    ASSERT_TRUE(decoder.DecodeLevel(coded.bytes, position, 3).has_value());
    EXPECT_EQ(decoder.HeldBytes(), kSize * kSize * sizeof(std::int16_t));
    decoder.ReleasePlane();
    EXPECT_EQ(decoder.HeldBytes(), 0u);
}

} // namespace
} // namespace tamr
