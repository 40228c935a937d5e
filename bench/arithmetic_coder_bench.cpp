// Symbols per second of the adaptive arithmetic coder, encoding and decoding.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "codec/ArithmeticCoder.h"

namespace {

// Subband-like symbols: mostly small magnitudes, a few large ones.
std::vector<std::int8_t> SubbandSymbols(std::size_t count, int alphabetSize)
{
    const int offset = tamr::ArithmeticCoder::ByteOffset(alphabetSize);
    const int highest = std::min(127, alphabetSize - 1 - offset);
    const int lowest = std::max(-128, -offset);
    std::mt19937 generator(42);
    std::geometric_distribution<int> magnitude(0.5);
    std::bernoulli_distribution negative(0.5);
    std::vector<std::int8_t> symbols(count);
    for (auto& symbol : symbols)
        symbol = static_cast<std::int8_t>(
            std::clamp((negative(generator) ? -1 : 1) * magnitude(generator), lowest, highest));
    return symbols;
}

void BM_Encode(benchmark::State& state)
{
    const int alphabet = static_cast<int>(state.range(0));
    const auto symbols = SubbandSymbols(1 << 20, alphabet);
    std::vector<std::uint8_t> out(symbols.size() * 2);
    tamr::ArithmeticCoder coder;
    for (auto _ : state)
        benchmark::DoNotOptimize(coder.EncodeBlock(out, symbols, alphabet));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(symbols.size()));
}

void BM_Decode(benchmark::State& state)
{
    const int alphabet = static_cast<int>(state.range(0));
    const auto symbols = SubbandSymbols(1 << 20, alphabet);
    std::vector<std::uint8_t> stream(symbols.size() * 2);
    tamr::ArithmeticCoder coder;
    stream.resize(coder.EncodeBlock(stream, symbols, alphabet).value());
    std::vector<std::int8_t> decoded(symbols.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(coder.DecodeBlock(stream, decoded, alphabet));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(symbols.size()));
}

} // namespace

BENCHMARK(BM_Encode)->Arg(3)->Arg(21)->Arg(57)->Arg(257)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode)->Arg(3)->Arg(21)->Arg(57)->Arg(257)->Unit(benchmark::kMillisecond);
