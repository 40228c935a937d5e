// Speed of one wavelet level over a whole 2048 x 2048 plane, in samples per second.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "codec/WaveletTransform.h"

namespace tamr {
namespace {

constexpr int kSide = 2048;
constexpr std::size_t kSamples = static_cast<std::size_t>(kSide) * kSide;

std::vector<std::int16_t> RandomPlane()
{
    std::mt19937 generator(1);
    std::uniform_int_distribution<int> sample(-128, 127);
    std::vector<std::int16_t> plane(kSamples);
    for (auto& value : plane) {
        value = static_cast<std::int16_t>(sample(generator));
    }
    return plane;
}

// Every iteration starts again from the same input, so values cannot drift
// towards overflow or denormals over the run; the copy is not timed.
void BM_ForwardLevel(benchmark::State& state)
{
    const auto samples = RandomPlane();
    const std::vector<float> input(samples.begin(), samples.end());
    std::vector<float> plane;
    std::vector<float> lineBuffer;
    for (auto _ : state) {
        state.PauseTiming();
        plane = input;
        state.ResumeTiming();
        if (!ForwardLevel(plane, kSide, kSide, kSide, lineBuffer)) {
            state.SkipWithError("forward level refused the plane");
            break;
        }
        benchmark::DoNotOptimize(plane.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kSamples));
}
BENCHMARK(BM_ForwardLevel)->Unit(benchmark::kMillisecond);

// Inverts coefficients of a real forward level, truncated as the quantiser does.
template <bool (*Inverse)(std::span<std::int16_t>, std::size_t, int, int, std::vector<std::int16_t>&)>
void BM_Inverse(benchmark::State& state)
{
    const auto samples = RandomPlane();
    std::vector<float> coefficients(samples.begin(), samples.end());
    std::vector<float> lineBuffer;
    if (!ForwardLevel(coefficients, kSide, kSide, kSide, lineBuffer)) {
        state.SkipWithError("forward level refused the plane");
        return;
    }
    std::vector<std::int16_t> input(kSamples);
    std::transform(coefficients.begin(), coefficients.end(), input.begin(),
                   [](float value) { return static_cast<std::int16_t>(value); });
    std::vector<std::int16_t> plane;
    std::vector<std::int16_t> temporary;
    for (auto _ : state) {
        state.PauseTiming();
        plane = input;
        state.ResumeTiming();
        if (!Inverse(plane, kSide, kSide, kSide, temporary)) {
            state.SkipWithError("inverse level refused the plane");
            break;
        }
        benchmark::DoNotOptimize(plane.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kSamples));
}
BENCHMARK(BM_Inverse<InverseLevel>)->Name("BM_InverseLevel")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Inverse<InverseLevelDiscarded>)->Name("BM_InverseLevelDiscarded")->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tamr
