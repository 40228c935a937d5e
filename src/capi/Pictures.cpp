// Opening pictures, making them from pixels and reading them back.

#include <cstring>
#include <limits>
#include <memory>

#include "capi/CapiMessages.h"
#include "capi/ErrorReport.h"
#include "capi/PictureHandle.h"
#include "image/PictureWriters.h"
#include "platform/FileIo.h"

namespace tamr::capi {

tamr_status OpenPicture(ByteBlock&& bytes, const std::string& name, tamr_picture** picture, tamr_error* error)
{
    auto opened = std::make_unique<tamr_picture>();
    if (const Status status = opened->document.OpenBytes(std::move(bytes), name); !status) {
        const std::string message = opened->log.Take();
        const tamr_status code = StatusOf(status.Failure());
        return Report(error, code, message.empty() ? tamr_status_text(code) : message);
    }
    opened->log.Take();
    *picture = opened.release();
    return Succeed(error);
}

std::optional<TopDownPicture> PixelsOf(const tamr_picture& picture)
{
    const CDibImage* image = picture.document.Image();
    return image != nullptr ? ShownPicture(*image) : std::nullopt;
}

namespace {

bool ValidLayout(uint32_t width, uint32_t height, uint32_t channels, size_t stride)
{
    constexpr uint32_t kLongestSide = std::numeric_limits<std::uint16_t>::max();
    return (channels == 1 || channels == 3) && width > 0 && height > 0 && width <= kLongestSide &&
           height <= kLongestSide && stride >= std::size_t{width} * channels;
}

} // namespace

} // namespace tamr::capi

using namespace tamr;
using namespace tamr::capi;

extern "C" {

tamr_status tamr_open_file(const char* path, tamr_picture** picture, tamr_error* error)
{
    return Guarded(error, [&] {
        if (path == nullptr || picture == nullptr)
            return Report(error, TAMR_INVALID_ARGUMENT, kNoResultPlace);
        *picture = nullptr;
        auto bytes = ReadFileBytes(path, Limits{});
        if (!bytes) {
            const tamr_status code = bytes.Failure() == FailureKind::TooLarge ? TAMR_TOO_LARGE : TAMR_CANNOT_READ;
            return Report(error, code, std::string(kCannotRead) + ": " + path);
        }
        return OpenPicture(std::move(*bytes), path, picture, error);
    });
}

tamr_status tamr_open_memory(const void* bytes, size_t size, const char* name, tamr_picture** picture,
                             tamr_error* error)
{
    return Guarded(error, [&] {
        if (picture == nullptr)
            return Report(error, TAMR_INVALID_ARGUMENT, kNoResultPlace);
        *picture = nullptr;
        if (bytes == nullptr && size > 0)
            return Report(error, TAMR_INVALID_ARGUMENT, kNoBytes);
        const auto* first = static_cast<const std::uint8_t*>(bytes);
        return OpenPicture(ByteBlock(first, first + size), name != nullptr ? name : "", picture, error);
    });
}

tamr_status tamr_picture_from_pixels(const void* pixels, uint32_t width, uint32_t height, uint32_t channels,
                                     size_t stride, tamr_picture** picture, tamr_error* error)
{
    return Guarded(error, [&] {
        if (picture == nullptr)
            return Report(error, TAMR_INVALID_ARGUMENT, kNoResultPlace);
        *picture = nullptr;
        if (pixels == nullptr)
            return Report(error, TAMR_INVALID_ARGUMENT, kNoBytes);
        if (!ValidLayout(width, height, channels, stride))
            return Report(error, TAMR_INVALID_ARGUMENT, kBadPixelLayout);
        // Made into a PNM file and opened as one, so that the picture is what
        // the programs make of the same pixels in a file.
        TopDownPicture made;
        made.width = width;
        made.height = height;
        made.kind = channels == 3 ? TopDownPicture::Kind::Rgb : TopDownPicture::Kind::Gray;
        const std::size_t rowBytes = std::size_t{width} * channels;
        made.samples.resize(rowBytes * height);
        const auto* from = static_cast<const std::uint8_t*>(pixels);
        for (std::size_t y = 0; y < height; ++y)
            std::memcpy(made.samples.data() + y * rowBytes, from + y * stride, rowBytes);
        auto file = EncodePnm(made);
        if (file.empty())
            return Report(error, TAMR_OUT_OF_MEMORY, tamr_status_text(TAMR_OUT_OF_MEMORY));
        return OpenPicture(std::move(file), "", picture, error);
    });
}

void tamr_picture_free(tamr_picture* picture)
{
    std::unique_ptr<tamr_picture> owned(picture);
}

uint32_t tamr_picture_width(const tamr_picture* picture)
{
    return picture != nullptr && picture->document.Image() != nullptr ? picture->document.Image()->Width() : 0;
}

uint32_t tamr_picture_height(const tamr_picture* picture)
{
    return picture != nullptr && picture->document.Image() != nullptr ? picture->document.Image()->Height() : 0;
}

uint32_t tamr_picture_channels(const tamr_picture* picture)
{
    if (picture == nullptr || picture->document.Image() == nullptr)
        return 0;
    return static_cast<uint32_t>(picture->document.Image()->BytesPerPixel());
}

tamr_status tamr_picture_pixels(const tamr_picture* picture, void* pixels, size_t stride, tamr_error* error)
{
    return Guarded(error, [&] {
        if (picture == nullptr || pixels == nullptr)
            return Report(error, TAMR_INVALID_ARGUMENT, picture == nullptr ? kNoPicture : kNoResultPlace);
        const auto shown = PixelsOf(*picture);
        if (!shown)
            return Report(error, TAMR_OUT_OF_MEMORY, tamr_status_text(TAMR_OUT_OF_MEMORY));
        const std::size_t rowBytes = std::size_t{shown->width} * shown->BytesPerPixel();
        if (stride < rowBytes)
            return Report(error, TAMR_INVALID_ARGUMENT, kBadPixelLayout);
        auto* to = static_cast<std::uint8_t*>(pixels);
        for (std::size_t y = 0; y < shown->height; ++y)
            std::memcpy(to + y * stride, shown->samples.data() + y * rowBytes, rowBytes);
        return Succeed(error);
    });
}
}
