#include "peers/PeerAvif.h"

#include <avif/avif.h>

#include <algorithm>
#include <memory>

namespace tamr {
namespace {

constexpr int kSpeed = 6;

struct ImageDeleter {
    void operator()(avifImage* image) const { avifImageDestroy(image); }
};
struct EncoderDeleter {
    void operator()(avifEncoder* encoder) const { avifEncoderDestroy(encoder); }
};
struct DecoderDeleter {
    void operator()(avifDecoder* decoder) const { avifDecoderDestroy(decoder); }
};
using ImagePtr = std::unique_ptr<avifImage, ImageDeleter>;
using EncoderPtr = std::unique_ptr<avifEncoder, EncoderDeleter>;
using DecoderPtr = std::unique_ptr<avifDecoder, DecoderDeleter>;

// The output buffer libavif allocates, freed whatever happens.
struct OutputData {
    avifRWData data = AVIF_DATA_EMPTY;
    OutputData() = default;
    OutputData(const OutputData&) = delete;
    OutputData& operator=(const OutputData&) = delete;
    ~OutputData() { avifRWDataFree(&data); }
};

struct RgbPixels {
    avifRGBImage rgb{};
    RgbPixels() = default;
    RgbPixels(const RgbPixels&) = delete;
    RgbPixels& operator=(const RgbPixels&) = delete;
    ~RgbPixels() { avifRGBImageFreePixels(&rgb); }
};

std::string Failure(const char* step, avifResult result)
{
    return std::string("AVIF: ") + step + ": " + avifResultToString(result);
}

PeerPicture Code(ConstPixelView picture, int bytesPerPixel, int quality, avifPixelFormat format)
{
    if (!CodablePicture(picture, bytesPerPixel))
        return PeerFailure("AVIF: no picture to code");
    // libavif takes top-down red-green-blue rows.
    std::vector<std::uint8_t> rgb = TopDownColourRgb(picture, bytesPerPixel);
    const auto start = std::chrono::steady_clock::now();
    ImagePtr image(
        avifImageCreate(static_cast<uint32_t>(picture.width), static_cast<uint32_t>(picture.height), 8, format));
    if (!image)
        return PeerFailure("AVIF: cannot make the image");
    image->yuvRange = AVIF_RANGE_FULL;
    image->colorPrimaries = AVIF_COLOR_PRIMARIES_BT709;
    image->transferCharacteristics = AVIF_TRANSFER_CHARACTERISTICS_SRGB;
    image->matrixCoefficients = AVIF_MATRIX_COEFFICIENTS_BT601;
    avifRGBImage source;
    avifRGBImageSetDefaults(&source, image.get());
    source.format = AVIF_RGB_FORMAT_RGB;
    source.depth = 8;
    source.pixels = rgb.data();
    source.rowBytes = static_cast<uint32_t>(picture.width) * 3;
    if (const avifResult result = avifImageRGBToYUV(image.get(), &source); result != AVIF_RESULT_OK)
        return PeerFailure(Failure("converting to YUV", result));
    EncoderPtr encoder(avifEncoderCreate());
    if (!encoder)
        return PeerFailure("AVIF: cannot make the encoder");
    encoder->maxThreads = 1; // the sweep runs points side by side
    encoder->speed = kSpeed;
    encoder->minQuantizer = encoder->maxQuantizer = AvifQuantizer(quality);
    OutputData output;
    if (const avifResult result = avifEncoderWrite(encoder.get(), image.get(), &output.data); result != AVIF_RESULT_OK)
        return PeerFailure(Failure("encoding", result));
    const double encodeSeconds = SecondsSince(start);
    PeerPicture decoded =
        DecodeAvif(std::span<const std::uint8_t>(output.data.data, output.data.size), picture, bytesPerPixel);
    decoded.encodeSeconds = encodeSeconds;
    return decoded;
}

std::string Describe(const char* chroma)
{
    char codecs[256] = {};
    avifCodecVersions(codecs);
    return std::string("libavif ") + avifVersion() + " (" + codecs + "), speed " + std::to_string(kSpeed) + ", " +
           chroma + ", quantizer ((100 - Q) * 63 + 50) / 100";
}

} // namespace

int AvifQuantizer(int quality)
{
    const int q = std::clamp(quality, 0, 100);
    return ((100 - q) * AVIF_QUANTIZER_WORST_QUALITY + 50) / 100;
}

PeerPicture CodeAvif444(ConstPixelView picture, int bytesPerPixel, int quality)
{
    return Code(picture, bytesPerPixel, quality, AVIF_PIXEL_FORMAT_YUV444);
}

PeerPicture CodeAvif420(ConstPixelView picture, int bytesPerPixel, int quality)
{
    return Code(picture, bytesPerPixel, quality, AVIF_PIXEL_FORMAT_YUV420);
}

PeerPicture DecodeAvif(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel)
{
    if (!DecodableLike(like, bytesPerPixel))
        return PeerFailure("AVIF decoding: no picture to decode into");
    PeerPicture result;
    result.coded.assign(coded.begin(), coded.end());
    const auto start = std::chrono::steady_clock::now();
    DecoderPtr decoder(avifDecoderCreate());
    ImagePtr image(avifImageCreateEmpty());
    if (!decoder || !image)
        return PeerFailure("AVIF decoding: cannot make the decoder");
    decoder->maxThreads = 1;
    if (const avifResult read =
            avifDecoderReadMemory(decoder.get(), image.get(), result.coded.data(), result.coded.size());
        read != AVIF_RESULT_OK)
        return PeerFailure(std::string("AVIF decoding: ") + avifResultToString(read));
    if (image->width != static_cast<uint32_t>(like.width) || image->height != static_cast<uint32_t>(like.height))
        return PeerFailure("AVIF decoding: unexpected picture");
    RgbPixels pixels;
    avifRGBImageSetDefaults(&pixels.rgb, image.get());
    pixels.rgb.format = AVIF_RGB_FORMAT_RGB;
    pixels.rgb.depth = 8;
    avifRGBImageAllocatePixels(&pixels.rgb);
    if (const avifResult converted = avifImageYUVToRGB(image.get(), &pixels.rgb); converted != AVIF_RESULT_OK)
        return PeerFailure(std::string("AVIF decoding: ") + avifResultToString(converted));
    // Rows without padding, as FromTopDown takes them.
    const std::size_t rowBytes = static_cast<std::size_t>(like.width) * 3;
    std::vector<std::uint8_t> rows(rowBytes * static_cast<std::size_t>(like.height));
    for (std::size_t y = 0; y < static_cast<std::size_t>(like.height); ++y)
        std::copy_n(pixels.rgb.pixels + y * pixels.rgb.rowBytes, rowBytes, rows.data() + y * rowBytes);
    result.decoded = FromTopDown(rows.data(), 3, like, bytesPerPixel);
    result.decodeSeconds = SecondsSince(start);
    return result;
}

std::string DescribeAvif444()
{
    return Describe("4:4:4");
}

std::string DescribeAvif420()
{
    return Describe("4:2:0");
}

} // namespace tamr
