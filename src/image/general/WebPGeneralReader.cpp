// WebP through libwebp: lossy or lossless, the first frame of an animation.

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <array>
#include <memory>
#include <utility>
#include <variant>
#include <vector>

#include "image/general/GeneralPicture.h"
#include "image/general/GeneralReaders.h"

namespace tamr {
namespace {

constexpr std::string_view kKind = "WebP";

struct AnimDecoderDeleter {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

struct DemuxDeleter {
    void operator()(WebPDemuxer* demuxer) const { WebPDemuxDelete(demuxer); }
};

// One chunk of the file's container, whole; empty when there is none.
std::vector<std::uint8_t> ChunkOf(WebPDemuxer* demuxer, const char* name)
{
    WebPChunkIterator chunk{};
    std::vector<std::uint8_t> bytes;
    if (WebPDemuxGetChunk(demuxer, name, 1, &chunk) != 0 && chunk.chunk.bytes != nullptr)
        bytes.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
    WebPDemuxReleaseChunkIterator(&chunk);
    return bytes;
}

// The profile (ICCP) and Exif block (EXIF) of an extended file.
PictureMetadata MetadataOf(WebPDemuxer* demuxer)
{
    PictureMetadata metadata;
    metadata.iccProfile = ChunkOf(demuxer, "ICCP");
    metadata.exif = ChunkOf(demuxer, "EXIF");
    // Some writers keep the APP1 header in front of the block.
    constexpr std::array<std::uint8_t, 6> kExifHeader = {'E', 'x', 'i', 'f', 0, 0};
    if (metadata.exif.size() >= kExifHeader.size() &&
        std::equal(kExifHeader.begin(), kExifHeader.end(), metadata.exif.begin()))
        metadata.exif.erase(metadata.exif.begin(), metadata.exif.begin() + kExifHeader.size());
    return metadata;
}

PictureMetadata MetadataOf(const WebPData& data)
{
    const std::unique_ptr<WebPDemuxer, DemuxDeleter> demuxer(WebPDemux(&data));
    return demuxer ? MetadataOf(demuxer.get()) : PictureMetadata{};
}

struct CanvasSize {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
};

// The size the bitstream declares, or the refusal it calls for.
std::variant<CanvasSize, PictureReadResult> CheckedSize(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    WebPBitstreamFeatures features{};
    if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK)
        return RefusedAs(kKind, "the file is damaged or not a WebP file");
    const auto width = static_cast<std::uint64_t>(std::max(features.width, 0));
    const auto height = static_cast<std::uint64_t>(std::max(features.height, 0));
    if (auto refused = CheckDeclaredSize(kKind, width, height, true, bytes.size(),
                                         width * height / kNewerCodecPixelsPerByte, limits))
        return std::move(*refused);
    return CanvasSize{width, height};
}

} // namespace

PictureReadResult ReadWebPGeneralHead(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    auto size = CheckedSize(bytes, limits);
    if (auto* refused = std::get_if<PictureReadResult>(&size))
        return std::move(*refused);
    const auto [width, height] = std::get<CanvasSize>(size);
    // The container, as the animation decoder reads it before any frame.
    const WebPData data{bytes.data(), bytes.size()};
    const std::unique_ptr<WebPDemuxer, DemuxDeleter> demuxer(WebPDemux(&data));
    if (!demuxer || WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_WIDTH) != width ||
        WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_HEIGHT) != height)
        return RefusedAs(kKind, "the file is damaged");
    return HeadOf(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), true,
                  MetadataOf(demuxer.get()));
}

PictureReadResult ReadWebPGeneral(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    auto size = CheckedSize(bytes, limits);
    if (auto* refused = std::get_if<PictureReadResult>(&size))
        return std::move(*refused);
    const auto [width, height] = std::get<CanvasSize>(size);
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
    PictureReadResult result = rows->Finish();
    result.metadata = MetadataOf(data);
    return result;
}

} // namespace tamr
