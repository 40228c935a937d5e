#include "image/DifferenceMaps.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "image/Butteraugli.h"
#include "image/WindowSimilarity.h"

namespace tamr {
namespace {

constexpr MapKindName kMapKinds[] = {
    {MapKind::Absolute, "absolute", "largest channel difference |A - B|"},
    {MapKind::Ssim, "ssim", "1 - SSIM"},
    {MapKind::Butteraugli, "butteraugli", "Butteraugli distance"},
};

bool SamePictures(const ConstPixelView& a, const ConstPixelView& b, int bytesPerPixel)
{
    return (bytesPerPixel == 1 || bytesPerPixel == 3) && a.width == b.width && a.height == b.height &&
           a.rowPad == b.rowPad && a.width > 0 && a.height > 0 && HoldsAllRows(a, bytesPerPixel) &&
           HoldsAllRows(b, bytesPerPixel);
}

DifferenceMap AbsoluteMap(ConstPixelView a, ConstPixelView b, int bytesPerPixel)
{
    DifferenceMap map{MapKind::Absolute, a.width, a.height, {}, 1};
    map.values.resize(static_cast<std::size_t>(a.width) * static_cast<std::size_t>(a.height));
    const std::size_t rowBytes = RowBytes(a, bytesPerPixel);
    const auto step = static_cast<std::size_t>(bytesPerPixel);
    int largest = 0;
    for (int y = 0; y < a.height; ++y) {
        const std::size_t offset = static_cast<std::size_t>(a.height - 1 - y) * rowBytes;
        const std::uint8_t* p = a.bytes.data() + offset;
        const std::uint8_t* q = b.bytes.data() + offset;
        float* to = map.values.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(a.width);
        for (std::size_t x = 0; x < static_cast<std::size_t>(a.width); ++x) {
            int pixel = 0;
            for (std::size_t c = 0; c < step; ++c)
                pixel =
                    std::max(pixel, std::abs(static_cast<int>(p[x * step + c]) - static_cast<int>(q[x * step + c])));
            to[x] = static_cast<float>(pixel);
            largest = std::max(largest, pixel);
        }
    }
    map.top = std::max(largest, 1);
    return map;
}

std::optional<DifferenceMap> SsimMap(ConstPixelView a, ConstPixelView b, int bytesPerPixel, int threads)
{
    if (a.width < kSimilarityWindow || a.height < kSimilarityWindow)
        return std::nullopt;
    constexpr int kHalf = kSimilarityWindow / 2;
    const int positionsWide = a.width - (kSimilarityWindow - 1);
    const int positionsHigh = a.height - (kSimilarityWindow - 1);
    // The mean SSIM over the channels at each window position.
    std::vector<double> similarity(static_cast<std::size_t>(positionsWide) * static_cast<std::size_t>(positionsHigh));
    for (int channel = 0; channel < bytesPerPixel; ++channel)
        if (!AddWindowSimilarityMap(a, b, bytesPerPixel, channel, threads, similarity))
            return std::nullopt;
    DifferenceMap map{MapKind::Ssim, a.width, a.height, {}, 1};
    map.values.resize(static_cast<std::size_t>(a.width) * static_cast<std::size_t>(a.height));
    for (int y = 0; y < a.height; ++y) {
        const int py = std::clamp(y - kHalf, 0, positionsHigh - 1);
        for (int x = 0; x < a.width; ++x) {
            const int px = std::clamp(x - kHalf, 0, positionsWide - 1);
            const double mean = similarity[static_cast<std::size_t>(py) * static_cast<std::size_t>(positionsWide) +
                                           static_cast<std::size_t>(px)] /
                                bytesPerPixel;
            map.values[static_cast<std::size_t>(y) * static_cast<std::size_t>(a.width) + static_cast<std::size_t>(x)] =
                static_cast<float>(1.0 - mean);
        }
    }
    return map;
}

std::optional<DifferenceMap> ButteraugliMap(ConstPixelView a, ConstPixelView b, int bytesPerPixel)
{
    auto figures = MeasureButteraugli(a, b, bytesPerPixel, true);
    if (!figures)
        return std::nullopt;
    return DifferenceMap{MapKind::Butteraugli, a.width, a.height, std::move(figures->map),
                         figures->maxDistance > 0 ? figures->maxDistance : 1.0};
}

} // namespace

std::span<const MapKindName> MapKindNames()
{
    return kMapKinds;
}

std::optional<MapKind> FindMapKind(std::string_view name)
{
    for (const MapKindName& entry : kMapKinds)
        if (entry.name == name)
            return entry.kind;
    return std::nullopt;
}

std::string_view MapQuantity(MapKind kind)
{
    for (const MapKindName& entry : kMapKinds)
        if (entry.kind == kind)
            return entry.quantity;
    return {};
}

std::optional<DifferenceMap> ComputeDifferenceMap(MapKind kind, ConstPixelView original, ConstPixelView decoded,
                                                  int bytesPerPixel, int threads)
{
    if (!SamePictures(original, decoded, bytesPerPixel))
        return std::nullopt;
    switch (kind) {
    case MapKind::Absolute:
        return AbsoluteMap(original, decoded, bytesPerPixel);
    case MapKind::Ssim:
        return SsimMap(original, decoded, bytesPerPixel, threads);
    case MapKind::Butteraugli:
        return ButteraugliMap(original, decoded, bytesPerPixel);
    }
    return std::nullopt;
}

std::array<std::uint8_t, 3> HeatRgb(double value, double top)
{
    if (!(value > 0))
        return {0, 0, 0};
    // Four equal stretches between the five colours.
    static constexpr std::array<std::array<int, 3>, 5> kStops = {
        {{0, 0, 0}, {0, 0, 255}, {255, 0, 0}, {255, 255, 0}, {255, 255, 255}}};
    const double position = 4.0 * std::min(value, top) / top;
    const int stretch = std::min(3, static_cast<int>(position));
    const double t = position - stretch;
    const auto& from = kStops[static_cast<std::size_t>(stretch)];
    const auto& to = kStops[static_cast<std::size_t>(stretch) + 1];
    // The mix lies in 0..255, where adding a half and truncating rounds to nearest.
    // NOLINTNEXTLINE(bugprone-incorrect-roundings)
    const auto mix = [t](int a, int b) { return static_cast<std::uint8_t>(a + (b - a) * t + 0.5); };
    return {mix(from[0], to[0]), mix(from[1], to[1]), mix(from[2], to[2])};
}

int HeatRowPad(int width)
{
    return (4 - (width * 3) % 4) % 4;
}

std::vector<std::uint8_t> HeatPicture(const DifferenceMap& map)
{
    const std::size_t rowBytes =
        static_cast<std::size_t>(map.width) * 3 + static_cast<std::size_t>(HeatRowPad(map.width));
    std::vector<std::uint8_t> pixels(rowBytes * static_cast<std::size_t>(map.height));
    for (int y = 0; y < map.height; ++y) {
        const float* from = map.values.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(map.width);
        std::uint8_t* to = pixels.data() + static_cast<std::size_t>(map.height - 1 - y) * rowBytes;
        for (std::size_t x = 0; x < static_cast<std::size_t>(map.width); ++x) {
            const auto rgb = HeatRgb(from[x], map.top);
            to[3 * x] = rgb[2];
            to[3 * x + 1] = rgb[1];
            to[3 * x + 2] = rgb[0];
        }
    }
    return pixels;
}

} // namespace tamr
