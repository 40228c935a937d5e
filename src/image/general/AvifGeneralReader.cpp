// AVIF through libavif: the primary image, or the first of a sequence.

#include <avif/avif.h>

#include <algorithm>
#include <array>
#include <memory>
#include <utility>
#include <variant>

#include "image/general/GeneralPicture.h"
#include "image/general/GeneralReaders.h"

namespace tamr {
namespace {

constexpr std::string_view kKind = "AVIF";

struct DecoderDeleter {
    void operator()(avifDecoder* decoder) const { avifDecoderDestroy(decoder); }
};

struct RgbPixels {
    avifRGBImage rgb{};
    RgbPixels() = default;
    RgbPixels(const RgbPixels&) = delete;
    RgbPixels& operator=(const RgbPixels&) = delete;
    ~RgbPixels() { avifRGBImageFreePixels(&rgb); }
};

PictureReadResult Failed(avifResult result)
{
    return RefusedAs(kKind, avifResultToString(result));
}

// The Exif orientation that the rotation (irot, applied first) and mirror
// (imir) of the file make.
int OrientationOf(const avifImage& image)
{
    int quarterTurns = (image.transformFlags & AVIF_TRANSFORM_IROT) != 0 ? image.irot.angle % 4 : 0;
    bool flipped = false; // top and bottom exchanged
    if ((image.transformFlags & AVIF_TRANSFORM_IMIR) != 0) {
        flipped = true;
        // Left and right exchanged is top and bottom exchanged after half a turn.
        if (image.imir.mode == 1)
            quarterTurns = (quarterTurns + 2) % 4;
    }
    // Indexed by anticlockwise quarter turns, without and with the flip.
    constexpr std::array<int, 4> kTurned = {1, 8, 3, 6};
    constexpr std::array<int, 4> kTurnedAndFlipped = {4, 5, 2, 7};
    return (flipped ? kTurnedAndFlipped : kTurned)[static_cast<std::size_t>(quarterTurns)];
}

bool IsGray(const avifImage& image)
{
    return image.yuvFormat == AVIF_PIXEL_FORMAT_YUV400;
}

PictureMetadata MetadataOf(const avifImage& image)
{
    PictureMetadata metadata;
    metadata.bitsPerSample = static_cast<int>(image.depth);
    metadata.orientation = OrientationOf(image);
    if (image.icc.data != nullptr)
        metadata.iccProfile.assign(image.icc.data, image.icc.data + image.icc.size);
    return metadata;
}

using Decoder = std::unique_ptr<avifDecoder, DecoderDeleter>;

// The file parsed as far as its primary image's properties, its size checked
// against the limits; or the refusal.
std::variant<Decoder, PictureReadResult> Parse(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    Decoder decoder(avifDecoderCreate());
    if (!decoder)
        return NoRoomFor(kKind);
    decoder->maxThreads = 1;
    decoder->imageSizeLimit =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(limits.maxPixels, AVIF_DEFAULT_IMAGE_SIZE_LIMIT));
    decoder->imageDimensionLimit = limits.maxSide;
    // Files that leave out a property the standard asks for still open, as browsers open them.
    decoder->strictFlags = AVIF_STRICT_DISABLED;
    if (avifResult result = avifDecoderSetIOMemory(decoder.get(), bytes.data(), bytes.size()); result != AVIF_RESULT_OK)
        return Failed(result);
    if (avifResult result = avifDecoderParse(decoder.get()); result != AVIF_RESULT_OK)
        return Failed(result);
    const avifImage& header = *decoder->image;
    if (auto refused =
            CheckDeclaredSize(kKind, header.width, header.height, !IsGray(header), bytes.size(),
                              std::uint64_t{header.width} * header.height / kNewerCodecPixelsPerByte, limits))
        return std::move(*refused);
    return decoder;
}

} // namespace

PictureReadResult ReadAvifGeneralHead(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    auto parsed = Parse(bytes, limits);
    if (auto* refused = std::get_if<PictureReadResult>(&parsed))
        return std::move(*refused);
    const avifImage& header = *std::get<Decoder>(parsed)->image;
    return HeadOf(header.width, header.height, !IsGray(header), MetadataOf(header));
}

PictureReadResult ReadAvifGeneral(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    auto parsed = Parse(bytes, limits);
    if (auto* refused = std::get_if<PictureReadResult>(&parsed))
        return std::move(*refused);
    const Decoder decoder = std::move(std::get<Decoder>(parsed));
    const bool gray = IsGray(*decoder->image);
    if (avifResult result = avifDecoderNextImage(decoder.get()); result != AVIF_RESULT_OK)
        return Failed(result);
    avifImage* image = decoder->image;
    RgbPixels pixels;
    avifRGBImageSetDefaults(&pixels.rgb, image);
    pixels.rgb.format = AVIF_RGB_FORMAT_RGBA;
    pixels.rgb.depth = image->depth > 8 ? image->depth : 8;
    avifRGBImageAllocatePixels(&pixels.rgb);
    if (pixels.rgb.pixels == nullptr)
        return NoRoomFor(kKind);
    if (avifResult result = avifImageYUVToRGB(image, &pixels.rgb); result != AVIF_RESULT_OK)
        return Failed(result);
    auto rows = GeneralRows::Make(image->width, image->height, !gray);
    if (!rows)
        return NoRoomFor(kKind);
    const std::size_t samples = std::size_t{image->width} * 4;
    const std::uint32_t maxValue = (1u << pixels.rgb.depth) - 1;
    for (std::uint32_t y = 0; y < image->height; ++y) {
        const std::uint8_t* row = pixels.rgb.pixels + std::size_t{y} * pixels.rgb.rowBytes;
        if (pixels.rgb.depth == 8) {
            rows->Put(y, std::span(row, samples), SampleLayout::Rgba);
        } else {
            const auto reduced =
                ReduceToBytes(std::span(reinterpret_cast<const std::uint16_t*>(row), samples), maxValue);
            rows->Put(y, reduced, SampleLayout::Rgba);
        }
    }
    PictureReadResult result = rows->Finish();
    result.metadata = MetadataOf(*image);
    return result;
}

} // namespace tamr
