// Opening the Kodak photos as PNG against opening the same pictures as BMP,
// beside libspng's own decoding of the PNG files to 8-bit RGB: a PNG opens in
// about the BMP's time plus the decoder's.

#include <benchmark/benchmark.h>
#include <spng.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "image/DibImage.h"
#include "image/PngReader.h"
#include "support/ScriptedPrompter.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The shared photos (TAMR_CORPUS names another corpus folder): the PNG files,
// and each converted to a BMP once.
struct Photos {
    std::vector<Bytes> png;
    std::vector<Bytes> bmp;
};

const Photos& KodakPhotos()
{
    static const Photos photos = [] {
        Photos loaded;
        const char* chosen = std::getenv("TAMR_CORPUS");
        const std::filesystem::path folder =
            std::filesystem::path(chosen != nullptr ? chosen : TAMR_CORPUS_DIR) / "photos" / "kodak";
        std::error_code error;
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
            if (entry.path().extension() == ".png")
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        tamr::ScriptedPrompter prompter;
        for (const auto& path : files) {
            std::ifstream stream(path, std::ios::binary);
            Bytes bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
            const auto result = tamr::ReadPng(bytes, tamr::Limits{});
            tamr::CDibImage image;
            if (!result.block ||
                !image.LoadPackedBlock(*result.block, prompter, tamr::DisplaySettings{}, tamr::Limits{}))
                continue;
            loaded.bmp.push_back(image.WriteBmp());
            loaded.png.push_back(std::move(bytes));
        }
        return loaded;
    }();
    return photos;
}

bool HavePhotos(benchmark::State& state)
{
    if (!KodakPhotos().png.empty())
        return true;
    state.SkipWithError("the Kodak photos are not in the corpus (set TAMR_CORPUS)");
    return false;
}

void BM_OpenKodakBmp(benchmark::State& state)
{
    if (!HavePhotos(state))
        return;
    tamr::ScriptedPrompter prompter;
    for (auto _ : state)
        for (const Bytes& file : KodakPhotos().bmp) {
            tamr::CDibImage image;
            benchmark::DoNotOptimize(image.ReadBmp(file, prompter, tamr::DisplaySettings{}, tamr::Limits{}));
        }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(KodakPhotos().bmp.size()));
}

void BM_OpenKodakPng(benchmark::State& state)
{
    if (!HavePhotos(state))
        return;
    tamr::ScriptedPrompter prompter;
    for (auto _ : state)
        for (const Bytes& file : KodakPhotos().png) {
            const auto result = tamr::ReadPng(file, tamr::Limits{});
            tamr::CDibImage image;
            benchmark::DoNotOptimize(
                image.LoadPackedBlock(*result.block, prompter, tamr::DisplaySettings{}, tamr::Limits{}));
        }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(KodakPhotos().png.size()));
}

// libspng alone: the whole file decoded to 8-bit RGB in one call.
void BM_LibspngDecodeKodak(benchmark::State& state)
{
    if (!HavePhotos(state))
        return;
    Bytes rgb;
    for (auto _ : state)
        for (const Bytes& file : KodakPhotos().png) {
            std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> context(spng_ctx_new(0), &spng_ctx_free);
            spng_set_png_buffer(context.get(), file.data(), file.size());
            std::size_t size = 0;
            spng_decoded_image_size(context.get(), SPNG_FMT_RGB8, &size);
            rgb.resize(size);
            benchmark::DoNotOptimize(spng_decode_image(context.get(), rgb.data(), rgb.size(), SPNG_FMT_RGB8, 0));
        }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(KodakPhotos().png.size()));
}

} // namespace

BENCHMARK(BM_OpenKodakBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenKodakPng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibspngDecodeKodak)->Unit(benchmark::kMillisecond);
