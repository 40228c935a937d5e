// WebP through libwebp: lossy or lossless, the first frame of an animation.

#include <webp/decode.h>
#include <webp/demux.h>

#include <memory>

#include "image/general/GeneralPicture.h"
#include "image/general/GeneralReaders.h"

namespace tamr {
namespace {

constexpr std::string_view kKind = "WebP";

struct AnimDecoderDeleter {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

} // namespace

PictureReadResult ReadWebPGeneral(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    WebPBitstreamFeatures features{};
    if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK)
        return RefusedAs(kKind, "the file is damaged or not a WebP file");
    const auto width = static_cast<std::uint64_t>(std::max(features.width, 0));
    const auto height = static_cast<std::uint64_t>(std::max(features.height, 0));
    if (auto refused = CheckDeclaredSize(kKind, width, height, true, bytes.size(),
                                         width * height / kNewerCodecPixelsPerByte, limits))
        return *refused;
    // The animation decoder reads still pictures too and composes a first frame on its canvas.
    WebPAnimDecoderOptions options;
    if (WebPAnimDecoderOptionsInit(&options) == 0)
        return NoRoomFor(kKind);
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    const WebPData data{bytes.data(), bytes.size()};
    const std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter> decoder(WebPAnimDecoderNew(&data, &options));
    if (!decoder)
        return RefusedAs(kKind, "the file is damaged");
    WebPAnimInfo info{};
    if (WebPAnimDecoderGetInfo(decoder.get(), &info) == 0 || info.canvas_width != width || info.canvas_height != height)
        return RefusedAs(kKind, "the file is damaged");
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) == 0 || canvas == nullptr)
        return RefusedAs(kKind, "the picture data is damaged or cut off");
    auto rows = GeneralRows::Make(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), true);
    if (!rows)
        return NoRoomFor(kKind);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    for (std::uint32_t y = 0; y < rows->Height(); ++y)
        rows->Put(y, std::span<const std::uint8_t>(canvas + y * rowBytes, rowBytes), SampleLayout::Rgba);
    return rows->Finish();
}

} // namespace tamr
