// Speed of measuring a decoded 2788 x 2085 colour picture against its original
// (the size of the large corpus photo): all figures, and SSIM alone on one thread.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "image/PictureMetrics.h"

namespace tamr {
namespace {

constexpr int kWidth = 2788;
constexpr int kHeight = 2085;
constexpr std::size_t kBytes = static_cast<std::size_t>(kWidth) * 3 * kHeight; // rows need no padding

std::vector<std::uint8_t> RandomPicture(std::uint32_t seed)
{
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::uint8_t> pixels(kBytes);
    for (auto& value : pixels)
        value = static_cast<std::uint8_t>(byte(generator));
    return pixels;
}

void BM_MeasurePictures(benchmark::State& state)
{
    const auto original = RandomPicture(1);
    const auto decoded = RandomPicture(2);
    const int threads = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            MeasurePictures({original, kWidth, kHeight, 0}, {decoded, kWidth, kHeight, 0}, 3, threads));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kBytes));
}
BENCHMARK(BM_MeasurePictures)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StructuralSimilarity(benchmark::State& state)
{
    const auto original = RandomPicture(1);
    const auto decoded = RandomPicture(2);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            StructuralSimilarity({original, kWidth, kHeight, 0}, {decoded, kWidth, kHeight, 0}, 3, 1));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kBytes));
}
BENCHMARK(BM_StructuralSimilarity)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tamr
