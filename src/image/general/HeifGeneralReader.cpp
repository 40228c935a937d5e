// HEIF through libheif: the primary image.

#include <libheif/heif.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "image/general/GeneralPicture.h"
#include "image/general/GeneralReaders.h"

namespace tamr {
namespace {

constexpr std::string_view kKind = "HEIF";

struct ContextDeleter {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageDeleter {
    void operator()(heif_image* image) const { heif_image_release(image); }
};

PictureReadResult Failed(const heif_error& error)
{
    return RefusedAs(kKind, error.message != nullptr && *error.message != '\0' ? error.message : "the file is damaged");
}

} // namespace

PictureReadResult ReadHeifGeneral(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    const std::unique_ptr<heif_context, ContextDeleter> context(heif_context_alloc());
    if (!context)
        return NoRoomFor(kKind);
    heif_context_set_maximum_image_size_limit(context.get(), static_cast<int>(limits.maxSide));
    if (heif_error error =
            heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(), nullptr);
        error.code != heif_error_Ok)
        return Failed(error);
    heif_image_handle* primary = nullptr;
    if (heif_error error = heif_context_get_primary_image_handle(context.get(), &primary); error.code != heif_error_Ok)
        return Failed(error);
    const std::unique_ptr<heif_image_handle, HandleDeleter> handle(primary);
    const int width = heif_image_handle_get_width(handle.get());
    const int height = heif_image_handle_get_height(handle.get());
    if (width <= 0 || height <= 0)
        return RefusedAs(kKind, "the picture has no pixels");
    const auto pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (auto refused = CheckDeclaredSize(kKind, static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height),
                                         true, bytes.size(), pixels / kNewerCodecPixelsPerByte, limits))
        return *refused;
    const bool deep = heif_image_handle_get_luma_bits_per_pixel(handle.get()) > 8;
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    const heif_chroma chroma = deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
                                    : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    heif_image* decoded = nullptr;
    if (heif_error error = heif_decode_image(handle.get(), &decoded, heif_colorspace_RGB, chroma, nullptr);
        error.code != heif_error_Ok)
        return Failed(error);
    const std::unique_ptr<heif_image, ImageDeleter> image(decoded);
    if (heif_image_get_width(image.get(), heif_channel_interleaved) != width ||
        heif_image_get_height(image.get(), heif_channel_interleaved) != height)
        return RefusedAs(kKind, "the decoded picture does not have the size the file declares");
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (plane == nullptr || stride <= 0)
        return RefusedAs(kKind, "the file is damaged");
    const int bits = deep ? heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved) : 8;
    auto rows = GeneralRows::Make(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), true);
    if (!rows)
        return NoRoomFor(kKind);
    const SampleLayout layout = alpha ? SampleLayout::Rgba : SampleLayout::Rgb;
    const std::size_t samples = static_cast<std::size_t>(width) * static_cast<std::size_t>(ChannelsOf(layout));
    std::vector<std::uint16_t> wide(deep ? samples : 0);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = plane + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
        if (!deep) {
            rows->Put(static_cast<std::uint32_t>(y), std::span(row, samples), layout);
            continue;
        }
        for (std::size_t i = 0; i < samples; ++i)
            wide[i] = static_cast<std::uint16_t>(row[2 * i] | (row[2 * i + 1] << 8));
        rows->Put(static_cast<std::uint32_t>(y), ReduceToBytes(wide, (1u << std::clamp(bits, 9, 16)) - 1), layout);
    }
    return rows->Finish();
}

} // namespace tamr
