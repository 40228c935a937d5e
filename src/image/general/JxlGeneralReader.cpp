// JPEG XL through libjxl: the first frame as stored, with its orientation.

#include <jxl/decode.h>

#include <memory>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "image/general/GeneralPicture.h"
#include "image/general/GeneralReaders.h"

namespace tamr {
namespace {

constexpr std::string_view kKind = "JPEG XL";

struct DecoderDeleter {
    void operator()(JxlDecoder* decoder) const { JxlDecoderDestroy(decoder); }
};

SampleLayout LayoutOf(const JxlBasicInfo& info)
{
    const bool alpha = info.alpha_bits > 0;
    if (info.num_color_channels == 1)
        return alpha ? SampleLayout::GrayAlpha : SampleLayout::Gray;
    return alpha ? SampleLayout::Rgba : SampleLayout::Rgb;
}

bool IsSrgb(const JxlColorEncoding& encoding)
{
    return encoding.white_point == JXL_WHITE_POINT_D65 && encoding.transfer_function == JXL_TRANSFER_FUNCTION_SRGB &&
           (encoding.color_space == JXL_COLOR_SPACE_GRAY ||
            (encoding.color_space == JXL_COLOR_SPACE_RGB && encoding.primaries == JXL_PRIMARIES_SRGB));
}

// The profile of the pixels libjxl hands over, unless they are sRGB already.
std::vector<std::uint8_t> ProfileOfPixels(const JxlDecoder* decoder)
{
    std::vector<std::uint8_t> profile;
    JxlColorEncoding encoding{};
    if (JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &encoding) ==
            JXL_DEC_SUCCESS &&
        IsSrgb(encoding))
        return profile;
    std::size_t size = 0;
    if (JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) != JXL_DEC_SUCCESS ||
        size == 0 || !TryResize(profile, size) ||
        JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, profile.data(), size) !=
            JXL_DEC_SUCCESS)
        profile.clear();
    return profile;
}

using Decoder = std::unique_ptr<JxlDecoder, DecoderDeleter>;

// A decoder given the whole file that reports `events`; or the refusal.
std::variant<Decoder, PictureReadResult> Started(std::span<const std::uint8_t> bytes, int events)
{
    Decoder decoder(JxlDecoderCreate(nullptr));
    // The pixels come as stored; the step after the reader turns them upright
    // as the codestream says, so that the orientation is known and named.
    if (!decoder || JxlDecoderSetKeepOrientation(decoder.get(), JXL_TRUE) != JXL_DEC_SUCCESS ||
        JxlDecoderSubscribeEvents(decoder.get(), events) != JXL_DEC_SUCCESS)
        return NoRoomFor(kKind);
    if (JxlDecoderSetInput(decoder.get(), bytes.data(), bytes.size()) != JXL_DEC_SUCCESS)
        return RefusedAs(kKind, "the file is damaged");
    JxlDecoderCloseInput(decoder.get());
    return decoder;
}

// Takes the basic info the decoder has just read: its size checked against
// the limits, its orientation and depth into `metadata`. The refusal, if any.
std::optional<PictureReadResult> TakeBasicInfo(const JxlDecoder* decoder, std::uint64_t fileBytes, const Limits& limits,
                                               JxlBasicInfo& info, PictureMetadata& metadata)
{
    if (JxlDecoderGetBasicInfo(decoder, &info) != JXL_DEC_SUCCESS)
        return RefusedAs(kKind, "the file is damaged");
    if (auto refused = CheckDeclaredSize(kKind, info.xsize, info.ysize, info.num_color_channels != 1, fileBytes,
                                         std::uint64_t{info.xsize} * info.ysize / kNewerCodecPixelsPerByte, limits))
        return refused;
    metadata.orientation = static_cast<int>(info.orientation);
    metadata.bitsPerSample = static_cast<int>(info.bits_per_sample);
    return std::nullopt;
}

// The refusal for an event the reader does not ask for, or for the input running out.
PictureReadResult Unexpected(JxlDecoderStatus status)
{
    if (status == JXL_DEC_NEED_MORE_INPUT)
        return RefusedAs(kKind, "the file ends before its picture does");
    return RefusedAs(kKind, "the file is damaged or not a JPEG XL file");
}

} // namespace

PictureReadResult ReadJxlGeneralHead(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    auto started = Started(bytes, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING);
    if (auto* refused = std::get_if<PictureReadResult>(&started))
        return std::move(*refused);
    const Decoder decoder = std::move(std::get<Decoder>(started));
    JxlBasicInfo info{};
    PictureMetadata metadata;
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(decoder.get());
        if (status == JXL_DEC_BASIC_INFO) {
            if (auto refused = TakeBasicInfo(decoder.get(), bytes.size(), limits, info, metadata))
                return std::move(*refused);
        } else if (status == JXL_DEC_COLOR_ENCODING) {
            // The colour encoding comes after the basic info, before any frame.
            metadata.iccProfile = ProfileOfPixels(decoder.get());
            return HeadOf(info.xsize, info.ysize, info.num_color_channels != 1, std::move(metadata));
        } else {
            return Unexpected(status);
        }
    }
}

PictureReadResult ReadJxlGeneral(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    auto started = Started(bytes, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE);
    if (auto* refused = std::get_if<PictureReadResult>(&started))
        return std::move(*refused);
    const Decoder decoder = std::move(std::get<Decoder>(started));
    JxlBasicInfo info{};
    JxlPixelFormat format{};
    SampleLayout layout = SampleLayout::Rgb;
    bool deep = false;
    std::vector<std::uint8_t> samples;
    PictureMetadata metadata;
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(decoder.get());
        if (status == JXL_DEC_BASIC_INFO) {
            if (auto refused = TakeBasicInfo(decoder.get(), bytes.size(), limits, info, metadata))
                return std::move(*refused);
            layout = LayoutOf(info);
            deep = info.bits_per_sample > 8 || info.exponent_bits_per_sample > 0;
            format = {static_cast<std::uint32_t>(ChannelsOf(layout)), deep ? JXL_TYPE_UINT16 : JXL_TYPE_UINT8,
                      JXL_NATIVE_ENDIAN, 0};
        } else if (status == JXL_DEC_COLOR_ENCODING) {
            metadata.iccProfile = ProfileOfPixels(decoder.get());
        } else if (status == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
            std::size_t size = 0;
            if (JxlDecoderImageOutBufferSize(decoder.get(), &format, &size) != JXL_DEC_SUCCESS ||
                size != std::size_t{info.xsize} * info.ysize * format.num_channels * (deep ? 2 : 1))
                return RefusedAs(kKind, "the file is damaged");
            if (!TryResize(samples, size))
                return NoRoomFor(kKind);
            if (JxlDecoderSetImageOutBuffer(decoder.get(), &format, samples.data(), samples.size()) != JXL_DEC_SUCCESS)
                return RefusedAs(kKind, "the file is damaged");
        } else if (status == JXL_DEC_FULL_IMAGE) {
            break; // the first frame is all that is shown
        } else {
            return Unexpected(status);
        }
    }
    auto rows = GeneralRows::Make(info.xsize, info.ysize, info.num_color_channels != 1);
    if (!rows || samples.empty())
        return NoRoomFor(kKind);
    const std::size_t rowSamples = std::size_t{info.xsize} * format.num_channels;
    for (std::uint32_t y = 0; y < info.ysize; ++y) {
        if (!deep) {
            rows->Put(y, std::span(samples).subspan(y * rowSamples, rowSamples), layout);
            continue;
        }
        const auto* wide = reinterpret_cast<const std::uint16_t*>(samples.data()) + y * rowSamples;
        rows->Put(y, ReduceToBytes(std::span(wide, rowSamples), 65535), layout);
    }
    PictureReadResult result = rows->Finish();
    result.metadata = std::move(metadata);
    return result;
}

} // namespace tamr
