// The fast row kernels of CodecComponent (zerotree marking, gathering of band
// symbols, placement of decoded symbols under zerotree flags, dequantisation)
// against plain implementations written straight from their definitions, on
// random pictures over several qualities, level counts, discard and sample
// levels, decoding on one thread and on two.

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <random>
#include <vector>

#include "codec/ArithmeticCoder.h"
#include "codec/CodecComponent.h"
#include "codec/PackedFlags.h"
#include "codec/QualityFactor.h"
#include "codec/WaveletTransform.h"

namespace tamr {
namespace {

struct Case {
    int quality;
    int levels;
    int discard;
    int sample;
    int threads;
};

// The plane as a plain grid with the component's band geometry.
struct Grid {
    std::vector<int> v;
    int width;
    int height;
    int levels;
    int finest;

    int& At(int y, int x) { return v[static_cast<std::size_t>(y) * width + x]; }
    SubbandRect Band(int n, int b) const
    {
        const int rows = height >> (levels - n + 1);
        const int columns = width >> (levels - n + 1);
        const int row[3] = {rows, 0, rows};
        const int column[3] = {0, columns, columns};
        return {row[b], column[b], rows, columns};
    }
    int Entry(int n, int b) const { return 3 * (levels - n) + b; }
};

// The symbols of the coded bands; the discarded levels' places hold 0.
Grid GridOf(const CodecComponent& component)
{
    Grid grid{std::vector<int>(component.Symbols().size()), component.Width(), component.Height(), component.Levels(),
              component.FinestCodedLevel()};
    const auto copy = [&](const SubbandRect& rect) {
        for (int y = rect.row; y < rect.row + rect.rows; ++y)
            for (int x = rect.column; x < rect.column + rect.columns; ++x)
                grid.At(y, x) = component.Symbols()[static_cast<std::size_t>(y) * grid.width + x];
    };
    copy(component.LowPassBand());
    for (int n = 1; n <= grid.finest; ++n)
        for (int b = 0; b < 3; ++b)
            copy(grid.Band(n, b));
    return grid;
}

bool TreeIsZero(Grid& grid, int n, int b, int y, int x)
{
    const SubbandRect rect = grid.Band(n, b);
    if (grid.At(rect.row + y, rect.column + x) != 0)
        return false;
    if (n == grid.finest)
        return true;
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx)
            if (!TreeIsZero(grid, n + 1, b, 2 * y + dy, 2 * x + dx))
                return false;
    return true;
}

void MarkDescendants(Grid& grid, int n, int b, int y, int x)
{
    if (n == grid.finest)
        return;
    for (int dy = 0; dy < 2; ++dy) {
        for (int dx = 0; dx < 2; ++dx) {
            const SubbandRect child = grid.Band(n + 1, b);
            grid.At(child.row + 2 * y + dy, child.column + 2 * x + dx) = kSkipMark;
            MarkDescendants(grid, n + 1, b, 2 * y + dy, 2 * x + dx);
        }
    }
}

// Coarsest level first: a 0 whose whole tree is 0 becomes a root unless it
// already lies under one; the finest coded level has no roots.
void ReferenceMarkZerotrees(Grid& grid, const CodecComponent& component)
{
    for (int b = 0; b < 3; ++b) {
        for (int n = 1; n < grid.finest; ++n) {
            const SubbandRect rect = grid.Band(n, b);
            for (int y = 0; y < rect.rows; ++y) {
                for (int x = 0; x < rect.columns; ++x) {
                    if (grid.At(rect.row + y, rect.column + x) == kSkipMark || !TreeIsZero(grid, n, b, y, x))
                        continue;
                    grid.At(rect.row + y, rect.column + x) = component.Q(grid.Entry(n, b)) + 1;
                    MarkDescendants(grid, n, b, y, x);
                }
            }
        }
    }
}

void PutBand(std::vector<std::uint8_t>& out, Grid& grid, const SubbandRect& rect, int entry, int alphabet,
             const CodecComponent& component)
{
    std::vector<std::int8_t> symbols;
    for (int y = 0; y < rect.rows; ++y)
        for (int x = 0; x < rect.columns; ++x)
            if (grid.At(rect.row + y, rect.column + x) != kSkipMark)
                symbols.push_back(static_cast<std::int8_t>(grid.At(rect.row + y, rect.column + x)));
    for (const int value : {component.Max(entry), component.Min(entry), component.Q(entry)}) {
        out.push_back(static_cast<std::uint8_t>(value & 0xFF));
        out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    }
    std::vector<std::uint8_t> stream(symbols.size() * 2 + 64);
    ArithmeticCoder coder;
    stream.resize(coder.EncodeBlock(stream, symbols, alphabet).value());
    out.insert(out.end(), stream.begin(), stream.end());
    out.insert(out.end(), {'c', 'o', 'd'});
}

// Every coded level, each band's symbols gathered row by row without skip marks.
std::vector<std::uint8_t> ReferenceEncode(Grid& grid, const CodecComponent& component)
{
    std::vector<std::uint8_t> out;
    const int lowPass = 3 * grid.levels;
    PutBand(out, grid, {0, 0, grid.height >> grid.levels, grid.width >> grid.levels}, lowPass,
            2 * component.Q(lowPass) + 1, component);
    for (int n = 1; n <= grid.finest; ++n)
        for (int b = 0; b < 3; ++b)
            PutBand(out, grid, grid.Band(n, b), grid.Entry(n, b),
                    2 * component.Q(grid.Entry(n, b)) + (n < grid.finest ? 2 : 1), component);
    return out;
}

int ReadI16(const std::vector<std::uint8_t>& in, std::size_t& p)
{
    const auto value = static_cast<std::int16_t>(in.at(p) | (in.at(p + 1) << 8));
    p += 2;
    return value;
}

// Reads one band and dequantises it into `grid`; `under` flags the positions
// under a zerotree root, level by level.
void ReferenceBand(const std::vector<std::uint8_t>& in, std::size_t& p, Grid& grid, std::vector<std::uint8_t>& under,
                   const SubbandRect& rect, int n, int b, int alphabetExtra)
{
    const int max = ReadI16(in, p);
    const int min = ReadI16(in, p);
    const int q = ReadI16(in, p);
    std::vector<std::int8_t> symbols(static_cast<std::size_t>(rect.rows) * rect.columns);
    ArithmeticCoder coder;
    const auto decoded = coder.DecodeBlock(std::span(in).subspan(p), symbols, 2 * q + alphabetExtra);
    // The decoder may stop up to two bytes past the stream's end; the marker follows the end.
    p += decoded.inputUsed;
    while (!(in.at(p) == 'c' && in.at(p + 1) == 'o' && in.at(p + 2) == 'd'))
        --p;
    p += 3;
    const float positiveStep = q == 0 ? 0.0f : static_cast<float>(max) / static_cast<float>(q);
    const float negativeStep = q == 0 ? 0.0f : static_cast<float>(min) / static_cast<float>(-q);
    std::size_t next = 0;
    for (int y = 0; y < rect.rows; ++y) {
        for (int x = 0; x < rect.columns; ++x) {
            const std::size_t at = static_cast<std::size_t>(rect.row + y) * grid.width + rect.column + x;
            const SubbandRect parent = n >= 2 ? grid.Band(n - 1, b) : SubbandRect{};
            const bool parentUnder =
                n >= 2 && under[static_cast<std::size_t>(parent.row + y / 2) * grid.width + parent.column + x / 2] != 0;
            int s = 0;
            if (!parentUnder)
                s = next < decoded.symbolCount ? symbols[next++] : 0;
            under[at] = static_cast<std::uint8_t>(parentUnder || (n >= 1 && s == q + 1));
            if (under[at] != 0)
                s = 0;
            if (s > 0)
                grid.v[at] = static_cast<int>(positiveStep * static_cast<float>(s));
            else if (s < 0)
                grid.v[at] = static_cast<int>(negativeStep * static_cast<float>(s));
            else
                grid.v[at] = 0;
        }
    }
}

std::vector<std::int16_t> ReferenceDecode(const std::vector<std::uint8_t>& in, Grid grid)
{
    std::fill(grid.v.begin(), grid.v.end(), 0);
    std::vector<std::uint8_t> under(grid.v.size(), 0);
    std::size_t p = 0;
    ReferenceBand(in, p, grid, under, {0, 0, grid.height >> grid.levels, grid.width >> grid.levels}, 0, 0, 1);
    for (int n = 1; n <= grid.finest; ++n)
        for (int b = 0; b < 3; ++b)
            ReferenceBand(in, p, grid, under, grid.Band(n, b), n, b, n < grid.finest ? 2 : 1);
    std::vector<std::int16_t> plane(grid.v.begin(), grid.v.end());
    std::vector<std::int16_t> temporary;
    for (int n = 1; n <= grid.levels; ++n) {
        const int rows = grid.height >> (grid.levels - n);
        const int cols = grid.width >> (grid.levels - n);
        const bool inverted =
            n > grid.finest ? InverseLevelDiscarded(plane, static_cast<std::size_t>(grid.width), rows, cols, temporary)
                            : InverseLevel(plane, static_cast<std::size_t>(grid.width), rows, cols, temporary);
        EXPECT_TRUE(inverted);
    }
    return plane;
}

// A smooth picture with noise and flat patches, so that bands hold both
// zerotrees and busy trees.
void FillPicture(CodecComponent& component, std::mt19937& random)
{
    std::uniform_int_distribution<int> noise(-40, 40);
    std::uniform_int_distribution<int> flat(0, 3);
    const int width = component.Width();
    auto plane = component.Plane();
    for (int y = 0; y < component.Height(); ++y)
        for (int x = 0; x < width; ++x) {
            const bool quiet = ((x / 16 + y / 16) % 4) == 0 || flat(random) == 0;
            const int smooth = (x * 3 + y * 5) % 200 - 100;
            plane[static_cast<std::size_t>(y) * width + x] =
                static_cast<std::int16_t>(quiet ? 20 : smooth + noise(random));
        }
}

class CodecKernelsTest : public testing::TestWithParam<Case> {};

TEST_P(CodecKernelsTest, FastKernelsGiveTheBytesAndSamplesOfThePlainOnes)
{
    const Case c = GetParam();
    CodecSettings settings;
    settings.totalLevels = static_cast<std::int16_t>(c.levels);
    settings.qualityFactor = static_cast<std::int16_t>(c.quality);
    ApplyQualityFactor(settings);
    ComponentSettings component = settings.component(kComponentA);
    component.discardLevels = static_cast<std::int16_t>(c.discard);
    std::mt19937 random(static_cast<std::uint32_t>(c.quality * 131 + c.levels * 7 + c.discard));
    for (int round = 0; round < 3; ++round) {
        const int block = 1 << c.levels;
        const int width = block * std::uniform_int_distribution<int>(2, std::max(2, 512 / block))(random);
        const int height = block * std::uniform_int_distribution<int>(2, std::max(2, 384 / block))(random);
        SCOPED_TRACE(testing::Message() << width << "x" << height);

        CodecComponent encoder;
        encoder.ConfigureForEncoding(component, c.levels);
        ASSERT_TRUE(encoder.SizeForEncoding(width, height, c.levels, c.sample));
        FillPicture(encoder, random);
        ASSERT_TRUE(encoder.ForwardTransform());

        // Marking changes only zeros: taking the marks out gives the quantised plane.
        Grid marked = GridOf(encoder);
        Grid grid = marked;
        for (int& value : grid.v)
            value = value == kSkipMark ? 0 : value;
        for (int n = 1; n < grid.finest; ++n)
            for (int b = 0; b < 3; ++b) {
                const SubbandRect rect = grid.Band(n, b);
                for (int y = 0; y < rect.rows; ++y)
                    for (int x = 0; x < rect.columns; ++x)
                        if (grid.At(rect.row + y, rect.column + x) == encoder.Q(grid.Entry(n, b)) + 1)
                            grid.At(rect.row + y, rect.column + x) = 0;
            }
        ReferenceMarkZerotrees(grid, encoder);
        ASSERT_EQ(grid.v, marked.v);

        std::vector<std::uint8_t> coded(1 << 20);
        std::size_t position = 0;
        for (int n = 0; n <= encoder.Levels(); ++n)
            position = encoder.EncodeLevel(coded, position, n).value();
        coded.resize(position);
        const std::vector<std::uint8_t> reference = ReferenceEncode(grid, encoder);
        ASSERT_EQ(coded, reference);

        // Decoding: level n + 1 may be read while level n is reconstructed.
        CodecComponent decoder;
        decoder.SetCodedLevels(c.discard, c.sample);
        ASSERT_TRUE(decoder.SizeForDecoding(width, height, c.levels));
        std::size_t readAt = decoder.ReadLevel(coded, 0, 0).value();
        for (int n = 0; n <= decoder.Levels(); ++n) {
            if (c.threads == 2 && n < decoder.Levels()) {
                auto reading = std::async(std::launch::async, [&] { return decoder.ReadLevel(coded, readAt, n + 1); });
                ASSERT_TRUE(decoder.ReconstructLevel(n));
                readAt = reading.get().value();
            } else {
                ASSERT_TRUE(decoder.ReconstructLevel(n));
                if (n < decoder.Levels())
                    readAt = decoder.ReadLevel(coded, readAt, n + 1).value();
            }
        }
        const auto plane = decoder.Plane();
        EXPECT_EQ(std::vector<std::int16_t>(plane.begin(), plane.end()), ReferenceDecode(coded, grid));
    }
}

INSTANTIATE_TEST_SUITE_P(QualitiesAndLevels, CodecKernelsTest,
                         testing::Values(Case{5, 5, 0, 0, 1}, Case{30, 4, 1, 0, 2}, Case{50, 5, 0, 1, 2},
                                         Case{75, 6, 2, 0, 1}, Case{90, 3, 0, 0, 2}, Case{97, 5, 0, 1, 1},
                                         Case{99, 2, 0, 0, 2}, Case{60, 1, 0, 0, 1}));

// Flags packed at a bit each come back as they went in, from any start,
// across word boundaries and past the end (where they read as 0).
TEST(PackedFlagsTest, UnpackingAndCountingGiveTheFlagsPacked)
{
    std::mt19937 random(5);
    std::vector<std::uint8_t> flags(1000);
    for (std::uint8_t& flag : flags)
        flag = static_cast<std::uint8_t>(std::bernoulli_distribution(0.3)(random));
    PackedFlags packed;
    ASSERT_TRUE(packed.Pack(flags));
    for (const std::size_t begin : {std::size_t{0}, std::size_t{1}, std::size_t{63}, std::size_t{64}, std::size_t{200},
                                    std::size_t{901}, std::size_t{990}}) {
        const std::size_t count = 150;
        std::vector<std::uint8_t> out(count, 7);
        packed.Unpack(begin, count, out.data());
        std::size_t zeros = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t expected = begin + i < flags.size() ? flags[begin + i] : 0;
            EXPECT_EQ(out[i], expected) << begin << " + " << i;
            zeros += static_cast<std::size_t>(expected == 0);
        }
        EXPECT_EQ(packed.CountZeros(begin, count), zeros) << begin;
    }
}

} // namespace
} // namespace tamr
