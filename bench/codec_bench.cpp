// Compress and decompress of photo-like colour images at quality 50.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "codec/CodecSettings.h"
#include "codec/WaveletCodec.h"
#include "image/DibImage.h"
#include "image/ImageCompression.h"
#include "platform/ByteWriter.h"
#include "support/ScriptedPrompter.h"

namespace {

// A 24-bit BMP with smooth shading, edges and fine noise, like a photograph.
std::vector<std::uint8_t> PhotoLikeBmp(int width, int height)
{
    const int rowPad = (4 - (width * 3) % 4) % 4;
    const std::uint32_t imageBytes = static_cast<std::uint32_t>((width * 3 + rowPad) * height);
    std::vector<std::uint8_t> file;
    tamr::ByteWriter writer(file);
    writer.U8('B');
    writer.U8('M');
    writer.U32(54 + imageBytes);
    writer.U32(0);
    writer.U32(54);
    writer.U32(40);
    writer.I32(width);
    writer.I32(height);
    writer.U16(1);
    writer.U16(24);
    writer.U32(0);
    writer.U32(imageBytes);
    writer.Zeros(16);
    std::mt19937 generator(7);
    std::normal_distribution<double> grain(0.0, 4.0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double shade = 120 + 60 * std::sin(x * 0.004) * std::cos(y * 0.006) + 30 * std::sin((x + y) * 0.02);
            const bool edge = ((x / 97) + (y / 131)) % 5 == 0;
            for (int channel = 0; channel < 3; ++channel) {
                const double value = shade + channel * 25 - (edge ? 70 : 0) + grain(generator);
                writer.U8(static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0)));
            }
        }
        writer.Zeros(static_cast<std::size_t>(rowPad));
    }
    return file;
}

void BM_Compress(benchmark::State& state)
{
    const auto file = PhotoLikeBmp(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    tamr::ScriptedPrompter prompter;
    tamr::CDibImage image;
    (void)image.ReadBmp(file, prompter, tamr::DisplaySettings{}, tamr::Limits{});
    const tamr::CodecSettings settings;
    for (auto _ : state) {
        tamr::WaveletCodec codec(settings, image.Width(), image.Height(), 24, true);
        benchmark::DoNotOptimize(tamr::CompressImage(image, codec, settings, tamr::DisplaySettings{}));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}

void BM_Decompress(benchmark::State& state)
{
    const auto file = PhotoLikeBmp(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    tamr::ScriptedPrompter prompter;
    tamr::CDibImage image;
    (void)image.ReadBmp(file, prompter, tamr::DisplaySettings{}, tamr::Limits{});
    const tamr::CodecSettings settings;
    tamr::WaveletCodec encoder(settings, image.Width(), image.Height(), 24, true);
    (void)tamr::CompressImage(image, encoder, settings, tamr::DisplaySettings{});
    const auto cod = encoder.WriteHeader();
    for (auto _ : state) {
        tamr::WaveletCodec codec(settings);
        tamr::CDibImage decoded;
        benchmark::DoNotOptimize(codec.ReadHeader(cod) &&
                                 tamr::DecodeCodImage(decoded, codec, tamr::DisplaySettings{}));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}

// Quality 100: lossless byte planes, bound by the arithmetic coder.
void BM_CompressLossless(benchmark::State& state)
{
    const auto file = PhotoLikeBmp(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    tamr::ScriptedPrompter prompter;
    tamr::CDibImage image;
    if (!image.ReadBmp(file, prompter, tamr::DisplaySettings{}, tamr::Limits{}).Ok())
        state.SkipWithError("the picture did not load");
    tamr::CodecSettings settings;
    settings.qualityFactor = 100;
    for (auto _ : state) {
        tamr::WaveletCodec codec(settings, image.Width(), image.Height(), 24, true);
        benchmark::DoNotOptimize(tamr::CompressImage(image, codec, settings, tamr::DisplaySettings{}));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}

} // namespace

// About 2 and 6 megapixels.
BENCHMARK(BM_Compress)->Args({1632, 1224})->Args({2788, 2085})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decompress)->Args({1632, 1224})->Args({2788, 2085})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressLossless)->Args({1632, 1224})->Unit(benchmark::kMillisecond);
