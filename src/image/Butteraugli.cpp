#include "image/Butteraugli.h"

#ifdef TAMR_HAVE_JXL
#include <jxl/butteraugli.h>

#include <cstdint>
#include <memory>
#endif

namespace tamr {

#ifdef TAMR_HAVE_JXL
namespace {

struct ApiDeleter {
    void operator()(JxlButteraugliApi* api) const { JxlButteraugliApiDestroy(api); }
};
struct ResultDeleter {
    void operator()(JxlButteraugliResult* result) const { JxlButteraugliResultDestroy(result); }
};

// Red, green, blue per pixel, rows from the top, as the library takes them.
std::vector<std::uint8_t> RgbRows(ConstPixelView view, int bytesPerPixel)
{
    const auto width = static_cast<std::size_t>(view.width);
    const std::size_t rowBytes = RowBytes(view, bytesPerPixel);
    std::vector<std::uint8_t> rgb(width * 3 * static_cast<std::size_t>(view.height));
    for (int y = 0; y < view.height; ++y) {
        const std::uint8_t* from = view.bytes.data() + static_cast<std::size_t>(view.height - 1 - y) * rowBytes;
        std::uint8_t* to = rgb.data() + static_cast<std::size_t>(y) * width * 3;
        for (std::size_t x = 0; x < width; ++x) {
            if (bytesPerPixel == 3) {
                to[3 * x] = from[3 * x + 2];
                to[3 * x + 1] = from[3 * x + 1];
                to[3 * x + 2] = from[3 * x];
            } else {
                to[3 * x] = to[3 * x + 1] = to[3 * x + 2] = from[x];
            }
        }
    }
    return rgb;
}

} // namespace

bool ButteraugliAvailable()
{
    return true;
}

std::optional<ButteraugliFigures> MeasureButteraugli(ConstPixelView original, ConstPixelView decoded, int bytesPerPixel,
                                                     bool withMap)
{
    // The library's filters need a few pixels on each side.
    constexpr int kSmallestSide = 8;
    if ((bytesPerPixel != 1 && bytesPerPixel != 3) || original.width != decoded.width ||
        original.height != decoded.height || original.rowPad != decoded.rowPad ||
        !HoldsAllRows(original, bytesPerPixel) || !HoldsAllRows(decoded, bytesPerPixel) ||
        original.width < kSmallestSide || original.height < kSmallestSide ||
        !ButteraugliSizeAllowed(original.width, original.height))
        return std::nullopt;
    const std::unique_ptr<JxlButteraugliApi, ApiDeleter> api(JxlButteraugliApiCreate(nullptr));
    if (!api)
        return std::nullopt;
    JxlButteraugliApiSetIntensityTarget(api.get(), kButteraugliIntensityTarget);
    const std::vector<std::uint8_t> a = RgbRows(original, bytesPerPixel);
    const std::vector<std::uint8_t> b = RgbRows(decoded, bytesPerPixel);
    const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    const std::unique_ptr<JxlButteraugliResult, ResultDeleter> result(JxlButteraugliCompute(
        api.get(), static_cast<std::uint32_t>(original.width), static_cast<std::uint32_t>(original.height), &format,
        a.data(), a.size(), &format, b.data(), b.size()));
    if (!result)
        return std::nullopt;
    ButteraugliFigures figures;
    figures.distance = JxlButteraugliResultGetDistance(result.get(), 3.0f);
    figures.maxDistance = JxlButteraugliResultGetMaxDistance(result.get());
    if (withMap) {
        const float* rows = nullptr;
        std::uint32_t stride = 0;
        JxlButteraugliResultGetDistmap(result.get(), &rows, &stride);
        if (rows == nullptr)
            return std::nullopt;
        const auto width = static_cast<std::size_t>(original.width);
        figures.map.resize(width * static_cast<std::size_t>(original.height));
        for (std::size_t y = 0; y < static_cast<std::size_t>(original.height); ++y)
            for (std::size_t x = 0; x < width; ++x)
                figures.map[y * width + x] = rows[y * stride + x];
    }
    return figures;
}

#else

bool ButteraugliAvailable()
{
    return false;
}

std::optional<ButteraugliFigures> MeasureButteraugli(ConstPixelView, ConstPixelView, int, bool)
{
    return std::nullopt;
}

#endif

} // namespace tamr
