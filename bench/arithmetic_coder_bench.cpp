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

// Bytes of a picture row as the lossless coder sees them: a walk over the whole
// byte range, so that every rank of the model is in use.
std::vector<std::int8_t> PictureBytes(std::size_t count)
{
    std::mt19937 generator(7);
    std::uniform_int_distribution<int> step(-6, 6);
    std::vector<std::int8_t> symbols(count);
    int value = 0;
    for (auto& symbol : symbols) {
        value = (value + step(generator) + 256) % 256;
        symbol = static_cast<std::int8_t>(value - 128);
    }
    return symbols;
}

std::vector<std::int8_t> SymbolsFor(const benchmark::State& state)
{
    const int alphabet = static_cast<int>(state.range(0));
    return state.range(1) != 0 ? PictureBytes(1 << 20) : SubbandSymbols(1 << 20, alphabet);
}

void BM_Encode(benchmark::State& state)
{
    const int alphabet = static_cast<int>(state.range(0));
    const auto symbols = SymbolsFor(state);
    std::vector<std::uint8_t> out(symbols.size() * 2);
    tamr::ArithmeticCoder coder;
    for (auto _ : state)
        benchmark::DoNotOptimize(coder.EncodeBlock(out, symbols, alphabet));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(symbols.size()));
}

void BM_Decode(benchmark::State& state)
{
    const int alphabet = static_cast<int>(state.range(0));
    const auto symbols = SymbolsFor(state);
    std::vector<std::uint8_t> stream(symbols.size() * 2);
    tamr::ArithmeticCoder coder;
    stream.resize(coder.EncodeBlock(stream, symbols, alphabet).value());
    std::vector<std::int8_t> decoded(symbols.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(coder.DecodeBlock(stream, decoded, alphabet));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(symbols.size()));
}

} // namespace

// Arguments: the alphabet size, and 1 for picture bytes instead of subband symbols.
BENCHMARK(BM_Encode)->Args({3, 0})->Args({21, 0})->Args({57, 0})->Args({257, 0})->Args({257, 1})->Unit(
    benchmark::kMillisecond);
BENCHMARK(BM_Decode)->Args({3, 0})->Args({21, 0})->Args({57, 0})->Args({257, 0})->Args({257, 1})->Unit(
    benchmark::kMillisecond);
