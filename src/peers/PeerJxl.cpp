#include "peers/PeerJxl.h"

#include <jxl/decode.h>
#include <jxl/encode.h>

#include <algorithm>
#include <memory>

namespace tamr {
namespace {

constexpr int kEffort = 7;
constexpr float kLargestDistance = 15; // libjxl 0.7's range

struct EncoderDeleter {
    void operator()(JxlEncoder* encoder) const { JxlEncoderDestroy(encoder); }
};
struct DecoderDeleter {
    void operator()(JxlDecoder* decoder) const { JxlDecoderDestroy(decoder); }
};

std::vector<std::uint8_t> Encode(const std::vector<std::uint8_t>& rgb, int width, int height, int quality)
{
    std::unique_ptr<JxlEncoder, EncoderDeleter> encoder(JxlEncoderCreate(nullptr));
    if (!encoder)
        return {};
    const bool lossless = quality >= 100;
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = static_cast<uint32_t>(width);
    info.ysize = static_cast<uint32_t>(height);
    info.bits_per_sample = 8;
    info.num_color_channels = 3;
    info.uses_original_profile = lossless ? JXL_TRUE : JXL_FALSE;
    if (JxlEncoderSetBasicInfo(encoder.get(), &info) != JXL_ENC_SUCCESS)
        return {};
    JxlColorEncoding colour;
    JxlColorEncodingSetToSRGB(&colour, JXL_FALSE);
    if (JxlEncoderSetColorEncoding(encoder.get(), &colour) != JXL_ENC_SUCCESS)
        return {};
    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder.get(), nullptr);
    if (settings == nullptr ||
        JxlEncoderFrameSettingsSetOption(settings, JXL_ENC_FRAME_SETTING_EFFORT, kEffort) != JXL_ENC_SUCCESS)
        return {};
    const JxlEncoderStatus mode = lossless ? JxlEncoderSetFrameLossless(settings, JXL_TRUE)
                                           : JxlEncoderSetFrameDistance(settings, JxlDistance(quality));
    if (mode != JXL_ENC_SUCCESS)
        return {};
    const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    if (JxlEncoderAddImageFrame(settings, &format, rgb.data(), rgb.size()) != JXL_ENC_SUCCESS)
        return {};
    JxlEncoderCloseInput(encoder.get());
    std::vector<std::uint8_t> file(4096);
    std::size_t used = 0;
    for (;;) {
        std::uint8_t* next = file.data() + used;
        std::size_t room = file.size() - used;
        const JxlEncoderStatus status = JxlEncoderProcessOutput(encoder.get(), &next, &room);
        used = static_cast<std::size_t>(next - file.data());
        if (status == JXL_ENC_SUCCESS)
            break;
        if (status != JXL_ENC_NEED_MORE_OUTPUT)
            return {};
        file.resize(file.size() * 2);
    }
    file.resize(used);
    return file;
}

} // namespace

float JxlDistance(int quality)
{
    const auto q = static_cast<float>(std::clamp(quality, 0, 100));
    if (quality >= 100)
        return 0;
    const float distance = q >= 30 ? 0.1f + (100 - q) * 0.09f : 53.0f / 3000.0f * q * q - 23.0f / 20.0f * q + 25.0f;
    return std::min(distance, kLargestDistance);
}

PeerPicture CodeJxl(ConstPixelView picture, int bytesPerPixel, int quality)
{
    if (!CodablePicture(picture, bytesPerPixel))
        return PeerFailure("JPEG XL: no picture to code");
    const std::vector<std::uint8_t> rgb = TopDownColourRgb(picture, bytesPerPixel);
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::uint8_t> coded = Encode(rgb, picture.width, picture.height, quality);
    const double encodeSeconds = SecondsSince(start);
    if (coded.empty())
        return PeerFailure("JPEG XL: encoding failed");
    PeerPicture decoded = DecodeJxl(coded, picture, bytesPerPixel);
    decoded.encodeSeconds = encodeSeconds;
    return decoded;
}

PeerPicture DecodeJxl(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel)
{
    if (!DecodableLike(like, bytesPerPixel))
        return PeerFailure("JPEG XL decoding: no picture to decode into");
    PeerPicture result;
    result.coded.assign(coded.begin(), coded.end());
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<JxlDecoder, DecoderDeleter> decoder(JxlDecoderCreate(nullptr));
    if (!decoder ||
        JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS)
        return PeerFailure("JPEG XL decoding: cannot make the decoder");
    if (JxlDecoderSetInput(decoder.get(), result.coded.data(), result.coded.size()) != JXL_DEC_SUCCESS)
        return PeerFailure("JPEG XL decoding: failed");
    JxlDecoderCloseInput(decoder.get());
    const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    std::vector<std::uint8_t> rows;
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(decoder.get());
        if (status == JXL_DEC_SUCCESS)
            break;
        if (status == JXL_DEC_BASIC_INFO) {
            // The sizes are checked before anything the size of the picture is made.
            JxlBasicInfo info;
            if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS ||
                info.xsize != static_cast<uint32_t>(like.width) || info.ysize != static_cast<uint32_t>(like.height))
                return PeerFailure("JPEG XL decoding: unexpected picture");
        } else if (status == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
            std::size_t size = 0;
            if (JxlDecoderImageOutBufferSize(decoder.get(), &format, &size) != JXL_DEC_SUCCESS ||
                size != static_cast<std::size_t>(like.width) * static_cast<std::size_t>(like.height) * 3)
                return PeerFailure("JPEG XL decoding: unexpected picture");
            rows.resize(size);
            if (JxlDecoderSetImageOutBuffer(decoder.get(), &format, rows.data(), rows.size()) != JXL_DEC_SUCCESS)
                return PeerFailure("JPEG XL decoding: failed");
        } else if (status != JXL_DEC_FULL_IMAGE) {
            return PeerFailure("JPEG XL decoding: failed");
        }
    }
    if (rows.empty())
        return PeerFailure("JPEG XL decoding: no picture in the file");
    result.decoded = FromTopDown(rows.data(), 3, like, bytesPerPixel);
    result.decodeSeconds = SecondsSince(start);
    return result;
}

std::string DescribeJxl()
{
    const uint32_t version = JxlEncoderVersion();
    return "libjxl " + std::to_string(version / 1000000) + "." + std::to_string(version / 1000 % 1000) + "." +
           std::to_string(version % 1000) + ", effort " + std::to_string(kEffort) +
           ", distance 0.1 + (100 - Q) * 0.09 (Q >= 30), 53/3000 Q^2 - 23/20 Q + 25 below, at most 15; Q 100 lossless";
}

} // namespace tamr
