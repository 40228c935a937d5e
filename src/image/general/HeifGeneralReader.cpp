// HEIF through libheif: the primary image.

#include <libheif/heif.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <variant>
#include <vector>

#include "image/general/GeneralPicture.h"
#include "image/general/GeneralReaders.h"

namespace tamr {
namespace {

constexpr std::string_view kKind = "HEIF";
// Coded pictures and tiles may be a coding block larger than the picture
// they make (HEVC codes whole 64-sample blocks at most).
constexpr int kCodingMargin = 128;

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

using Context = std::unique_ptr<heif_context, ContextDeleter>;

// Parses the file with no picture side allowed past `sideLimit`. A failure
// is turned into its refusal here: libheif keeps the text of an error in
// the context, which goes with it.
std::variant<Context, PictureReadResult> ReadContext(std::span<const std::uint8_t> bytes, int sideLimit)
{
    Context context(heif_context_alloc());
    if (!context)
        return NoRoomFor(kKind);
    heif_context_set_maximum_image_size_limit(context.get(), sideLimit);
    if (heif_error error =
            heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(), nullptr);
        error.code != heif_error_Ok)
        return Failed(error);
    return context;
}

// The embedded profile (an nclx colour description has no ICC bytes and
// stays as libheif converts it); libheif has turned the picture upright
// as its rotation and mirror say.
PictureMetadata MetadataOf(const heif_image_handle* handle)
{
    PictureMetadata metadata;
    metadata.orientedByReader = true;
    metadata.bitsPerSample = heif_image_handle_get_luma_bits_per_pixel(handle);
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC)
        return metadata;
    const std::size_t size = heif_image_handle_get_raw_color_profile_size(handle);
    std::vector<std::uint8_t> profile;
    if (size == 0 || !TryResize(profile, size))
        return metadata;
    if (heif_image_handle_get_raw_color_profile(handle, profile.data()).code == heif_error_Ok)
        metadata.iccProfile = std::move(profile);
    return metadata;
}

// The primary image's handle, with the context that holds it.
struct Primary {
    Context context;
    std::unique_ptr<heif_image_handle, HandleDeleter> handle;
    int width = 0;
    int height = 0;
};

// The primary image of a file whose declared size the limits allow; or the refusal.
std::variant<Primary, PictureReadResult> ReadPrimary(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    int width = 0;
    int height = 0;
    {
        auto parsed = ReadContext(bytes, static_cast<int>(limits.maxSide));
        if (auto* refused = std::get_if<PictureReadResult>(&parsed))
            return std::move(*refused);
        heif_image_handle* primary = nullptr;
        if (heif_error error = heif_context_get_primary_image_handle(std::get<Context>(parsed).get(), &primary);
            error.code != heif_error_Ok)
            return Failed(error);
        const std::unique_ptr<heif_image_handle, HandleDeleter> handle(primary);
        width = heif_image_handle_get_width(handle.get());
        height = heif_image_handle_get_height(handle.get());
    }
    if (width <= 0 || height <= 0)
        return RefusedAs(kKind, "the picture has no pixels");
    const auto pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (auto refused = CheckDeclaredSize(kKind, static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height),
                                         true, bytes.size(), pixels / kNewerCodecPixelsPerByte, limits))
        return std::move(*refused);
    // A grid picture's tiles are put together at the size its grid data gives,
    // which may be far larger than the size checked above: read the file again
    // with no side allowed much past the checked one, so such a grid is refused
    // before libheif makes room for it.
    auto parsed = ReadContext(bytes, std::max(width, height) + kCodingMargin);
    if (auto* refused = std::get_if<PictureReadResult>(&parsed))
        return std::move(*refused);
    Primary found{std::move(std::get<Context>(parsed)), nullptr, width, height};
    heif_image_handle* primary = nullptr;
    if (heif_error error = heif_context_get_primary_image_handle(found.context.get(), &primary);
        error.code != heif_error_Ok)
        return Failed(error);
    found.handle.reset(primary);
    return found;
}

} // namespace

PictureReadResult ReadHeifGeneralHead(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    auto primary = ReadPrimary(bytes, limits);
    if (auto* refused = std::get_if<PictureReadResult>(&primary))
        return std::move(*refused);
    const Primary& found = std::get<Primary>(primary);
    // The picture is always made in colour, whatever the file's chroma.
    return HeadOf(static_cast<std::uint32_t>(found.width), static_cast<std::uint32_t>(found.height), true,
                  MetadataOf(found.handle.get()));
}

PictureReadResult ReadHeifGeneral(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    auto primary = ReadPrimary(bytes, limits);
    if (auto* refused = std::get_if<PictureReadResult>(&primary))
        return std::move(*refused);
    const Primary found = std::move(std::get<Primary>(primary));
    const auto& handle = found.handle;
    const int width = found.width;
    const int height = found.height;
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
    PictureReadResult result = rows->Finish();
    result.metadata = MetadataOf(handle.get());
    return result;
}

} // namespace tamr
