// Speed of the neighbourhood filters over a 1024 x 1024 colour image, in bytes per second.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "enhance/FilterList.h"

namespace tamr {
namespace {

constexpr int kSide = 1024;
constexpr std::size_t kBytes = static_cast<std::size_t>(kSide) * kSide * 3;

std::vector<std::uint8_t> RandomImage()
{
    std::mt19937 generator(1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::uint8_t> pixels(kBytes);
    for (auto& value : pixels) {
        value = static_cast<std::uint8_t>(byte(generator));
    }
    return pixels;
}

// Runs list entry state.range(0) with its default texts; each iteration starts
// from the same image (the copy is not timed).
void BM_FilterColour(benchmark::State& state)
{
    const FilterEntry& entry = FilterList()[static_cast<std::size_t>(state.range(0))];
    const FilterParameters parameters = ParseEditTexts(entry.defaults);
    const std::vector<std::uint8_t> input = RandomImage();
    std::vector<std::uint8_t> pixels;
    for (auto _ : state) {
        state.PauseTiming();
        pixels = input;
        state.ResumeTiming();
        benchmark::DoNotOptimize(RunFilter(entry.operation, PixelView{pixels, kSide, kSide, 0}, true, parameters));
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::string(entry.name));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kBytes));
}
BENCHMARK(BM_FilterColour)->DenseRange(0, 15)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tamr
