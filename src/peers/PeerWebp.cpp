#include "peers/PeerWebp.h"

#include <webp/decode.h>
#include <webp/encode.h>

#include <span>

namespace tamr {
namespace {

// The picture in the layout of `like`; empty when the file cannot be decoded
// or holds another size.
std::vector<std::uint8_t> Decode(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel)
{
    int width = 0;
    int height = 0;
    std::uint8_t* rows = WebPDecodeRGB(coded.data(), coded.size(), &width, &height);
    std::vector<std::uint8_t> decoded;
    if (rows && width == like.width && height == like.height)
        decoded = FromTopDown(rows, 3, like, bytesPerPixel);
    WebPFree(rows);
    return decoded;
}

} // namespace

PeerPicture DecodeWebp(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel)
{
    if (!DecodableLike(like, bytesPerPixel))
        return PeerFailure("WebP decoding: no picture to decode into");
    PeerPicture result;
    result.coded.assign(coded.begin(), coded.end());
    const auto start = std::chrono::steady_clock::now();
    result.decoded = Decode(result.coded, like, bytesPerPixel);
    result.decodeSeconds = SecondsSince(start);
    if (result.decoded.empty())
        return PeerFailure("WebP decoding: failed");
    return result;
}

PeerPicture CodeWebp(ConstPixelView picture, int bytesPerPixel, int quality)
{
    if (!CodablePicture(picture, bytesPerPixel))
        return PeerFailure("WebP: no picture to code");
    if (picture.width > WEBP_MAX_DIMENSION || picture.height > WEBP_MAX_DIMENSION)
        return PeerFailure("WebP: the picture is larger than 16383 pixels");
    // libwebp takes top-down red-green-blue rows; gray goes as three equal channels.
    const std::vector<std::uint8_t> samples = TopDownRgb(picture, bytesPerPixel);
    std::vector<std::uint8_t> grayAsRgb;
    if (bytesPerPixel == 1) {
        grayAsRgb.resize(samples.size() * 3);
        for (std::size_t i = 0; i < samples.size(); ++i)
            grayAsRgb[3 * i] = grayAsRgb[3 * i + 1] = grayAsRgb[3 * i + 2] = samples[i];
    }
    const std::vector<std::uint8_t>& rgb = bytesPerPixel == 1 ? grayAsRgb : samples;
    std::vector<std::uint8_t> coded;
    auto start = std::chrono::steady_clock::now();
    std::uint8_t* output = nullptr;
    const std::size_t size = WebPEncodeRGB(rgb.data(), picture.width, picture.height, picture.width * 3,
                                           static_cast<float>(quality), &output);
    if (size > 0 && output)
        coded.assign(output, output + size);
    WebPFree(output);
    const double encodeSeconds = SecondsSince(start);
    if (coded.empty())
        return PeerFailure("WebP: encoding failed");
    PeerPicture decoded = DecodeWebp(coded, picture, bytesPerPixel);
    decoded.encodeSeconds = encodeSeconds;
    return decoded;
}

std::string DescribeWebp()
{
    const int version = WebPGetEncoderVersion();
    return "libwebp " + std::to_string(version >> 16) + "." + std::to_string((version >> 8) & 0xff) + "." +
           std::to_string(version & 0xff) + ", WebPEncodeRGB at quality Q (lossy, the library's default method)";
}

} // namespace tamr
