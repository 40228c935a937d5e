#include "image/peers/PeerWebp.h"

#include <webp/decode.h>
#include <webp/encode.h>

namespace tamr {

PeerPicture CodeWebp(ConstPixelView picture, int bytesPerPixel, int quality)
{
    if ((bytesPerPixel != 1 && bytesPerPixel != 3) || !HoldsAllRows(picture, bytesPerPixel) || picture.width == 0 ||
        picture.height == 0)
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
    PeerPicture result;
    auto start = std::chrono::steady_clock::now();
    std::uint8_t* output = nullptr;
    const std::size_t size = WebPEncodeRGB(rgb.data(), picture.width, picture.height, picture.width * 3,
                                           static_cast<float>(quality), &output);
    if (size > 0 && output)
        result.coded.assign(output, output + size);
    WebPFree(output);
    result.encodeSeconds = SecondsSince(start);
    if (result.coded.empty())
        return PeerFailure("WebP: encoding failed");

    start = std::chrono::steady_clock::now();
    int width = 0;
    int height = 0;
    std::uint8_t* decoded = WebPDecodeRGB(result.coded.data(), result.coded.size(), &width, &height);
    if (decoded && width == picture.width && height == picture.height)
        result.decoded = FromTopDown(decoded, 3, picture, bytesPerPixel);
    WebPFree(decoded);
    result.decodeSeconds = SecondsSince(start);
    if (result.decoded.empty())
        return PeerFailure("WebP decoding: failed");
    return result;
}

} // namespace tamr
