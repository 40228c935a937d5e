// Quantising a photo-like 2-megapixel colour image to 256 colours: a custom
// palette by median cut, and the fixed table, each mapped plainly and with
// error diffusion.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "image/PaletteBuilder.h"

namespace {

constexpr std::size_t kWidth = 1632;
constexpr std::size_t kHeight = 1224;

// Bottom-up 24-bit rows with smooth shading, edges and fine grain, like a photograph.
std::vector<std::uint8_t> PhotoLikeRows()
{
    const std::size_t stride = 3 * kWidth + kWidth % 4;
    std::vector<std::uint8_t> rows(stride * kHeight, 0);
    std::mt19937 generator(7);
    std::normal_distribution<double> grain(0.0, 4.0);
    for (std::size_t y = 0; y < kHeight; ++y) {
        for (std::size_t x = 0; x < kWidth; ++x) {
            const double fx = static_cast<double>(x);
            const double fy = static_cast<double>(y);
            const double shade =
                120 + 60 * std::sin(fx * 0.004) * std::cos(fy * 0.006) + 30 * std::sin((fx + fy) * 0.02);
            const bool edge = ((x / 97) + (y / 131)) % 5 == 0;
            for (std::size_t channel = 0; channel < 3; ++channel) {
                const double tint = 40 * std::sin(fx * 0.002 * static_cast<double>(channel + 1) + fy * 0.003);
                const double value =
                    shade + tint + static_cast<double>(channel) * 25 - (edge ? 70 : 0) + grain(generator);
                rows[y * stride + 3 * x + channel] = static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
            }
        }
    }
    return rows;
}

// Arguments: dither (0 or 1), fixed table (0 or 1).
void BM_Quantise(benchmark::State& state)
{
    const bool dither = state.range(0) != 0;
    const bool fixed = state.range(1) != 0;
    const std::vector<std::uint8_t> source = PhotoLikeRows();
    std::vector<std::uint8_t> indices((kWidth + (4 - kWidth % 4) % 4) * kHeight, 0);
    std::array<tamr::ColourTriple, 256> palette{};
    tamr::CPaletteBuilder builder;
    for (auto _ : state) {
        benchmark::DoNotOptimize(builder.Quantise(source, indices, dither, fixed, palette, 256, kWidth, kHeight));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kWidth * kHeight));
    state.SetLabel(fixed ? "fixed table" : "custom palette");
}

} // namespace

BENCHMARK(BM_Quantise)
    ->ArgNames({"dither", "fixed"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);
