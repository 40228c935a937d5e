#include "image/PictureWriters.h"

#include <spng.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

namespace tamr {

namespace {

using SpngContext = std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)>;

// libspng hands the encoded file over in memory it took with malloc.
struct FreeBuffer {
    void operator()(void* buffer) const
    {
        std::free(buffer); // NOLINT(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory)
    }
};

} // namespace

std::vector<std::uint8_t> EncodePng(const TopDownPicture& picture)
{
    const SpngContext context(spng_ctx_new(SPNG_CTX_ENCODER), &spng_ctx_free);
    if (!context || picture.samples.size() != std::size_t{picture.width} * picture.height * picture.BytesPerPixel())
        return {};
    spng_ctx* png = context.get();
    spng_set_option(png, SPNG_ENCODE_TO_BUFFER, 1);

    spng_ihdr header{};
    header.width = picture.width;
    header.height = picture.height;
    header.bit_depth = 8;
    switch (picture.kind) {
    case TopDownPicture::Kind::Gray:
        header.color_type = SPNG_COLOR_TYPE_GRAYSCALE;
        break;
    case TopDownPicture::Kind::Rgb:
        header.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
        break;
    case TopDownPicture::Kind::Indexed:
        header.color_type = SPNG_COLOR_TYPE_INDEXED;
        break;
    }
    if (spng_set_ihdr(png, &header) != 0)
        return {};
    if (picture.kind == TopDownPicture::Kind::Indexed) {
        spng_plte plte{};
        plte.n_entries = static_cast<std::uint32_t>(std::min<std::size_t>(picture.palette.size(), 256));
        for (std::uint32_t i = 0; i < plte.n_entries; ++i)
            plte.entries[i] = {picture.palette[i][0], picture.palette[i][1], picture.palette[i][2], 255};
        if (spng_set_plte(png, &plte) != 0)
            return {};
    }
    if (spng_encode_image(png, picture.samples.data(), picture.samples.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) != 0)
        return {};
    std::size_t length = 0;
    int error = 0;
    const std::unique_ptr<void, FreeBuffer> buffer(spng_get_png_buffer(png, &length, &error));
    if (!buffer || error != 0)
        return {};
    try {
        const auto* bytes = static_cast<const std::uint8_t*>(buffer.get());
        return std::vector<std::uint8_t>(bytes, bytes + length);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::vector<std::uint8_t> EncodePnm(const TopDownPicture& picture)
{
    const bool gray = picture.kind == TopDownPicture::Kind::Gray;
    const std::string header = std::string(gray ? "P5" : "P6") + "\n" + std::to_string(picture.width) + " " +
                               std::to_string(picture.height) + "\n255\n";
    try {
        std::vector<std::uint8_t> bytes(header.begin(), header.end());
        if (picture.kind != TopDownPicture::Kind::Indexed) {
            bytes.insert(bytes.end(), picture.samples.begin(), picture.samples.end());
            return bytes;
        }
        bytes.reserve(bytes.size() + picture.samples.size() * 3);
        for (const std::uint8_t index : picture.samples) {
            const auto& colour =
                index < picture.palette.size() ? picture.palette[index] : std::array<std::uint8_t, 3>{};
            bytes.insert(bytes.end(), colour.begin(), colour.end());
        }
        return bytes;
    } catch (const std::bad_alloc&) {
        return {};
    } catch (const std::length_error&) {
        return {};
    }
}

} // namespace tamr
