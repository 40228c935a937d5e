#include "image/general/GeneralPicture.h"

#include <algorithm>
#include <utility>

#include "image/PictureSamples.h"

namespace tamr {

PictureReadResult RefusedAs(std::string_view kind, std::string_view reason)
{
    std::string text(kind);
    text += ": ";
    text += reason;
    return PictureReadResult::Refused(std::move(text));
}

std::optional<PictureReadResult> CheckDeclaredSize(std::string_view kind, std::uint64_t width, std::uint64_t height,
                                                   bool colour, std::uint64_t bytesPresent, std::uint64_t bytesNeeded,
                                                   const Limits& limits)
{
    if (width == 0 || height == 0)
        return RefusedAs(kind, "the picture has no pixels");
    const std::uint64_t pixels = width * height;
    if (width > limits.maxSide || height > limits.maxSide || pixels > limits.maxPixels)
        return RefusedAs(kind, "the picture has " + std::to_string(width) + " x " + std::to_string(height) +
                                   " pixels, more than the reader decodes (at most " + std::to_string(limits.maxSide) +
                                   " a side and " + std::to_string(limits.maxPixels) + " in all)");
    if (!limits.Justifies(pixels, bytesPresent, bytesNeeded))
        return RefusedAs(kind, "the file is far too short to hold the picture its header declares");
    if (!limits.DecodeAllowed(width, height, colour ? 3 : 1))
        return PictureReadResult::OverDecodeLimit();
    return std::nullopt;
}

int ChannelsOf(SampleLayout layout)
{
    switch (layout) {
    case SampleLayout::Gray:
        return 1;
    case SampleLayout::GrayAlpha:
        return 2;
    case SampleLayout::Rgb:
        return 3;
    case SampleLayout::Rgba:
        return 4;
    }
    return 1;
}

std::optional<GeneralRows> GeneralRows::Make(std::uint32_t width, std::uint32_t height, bool colour)
{
    auto rows = PackedPictureRows::Make(width, height, colour);
    if (!rows)
        return std::nullopt;
    return GeneralRows(std::move(*rows));
}

void GeneralRows::Put(std::uint32_t y, std::span<const std::uint8_t> samples, SampleLayout layout)
{
    const auto channels = static_cast<std::size_t>(ChannelsOf(layout));
    const std::uint32_t width = std::min<std::uint64_t>(rows_.Width(), samples.size() / channels);
    for (std::uint32_t x = 0; x < width; ++x) {
        const std::uint8_t* pixel = samples.data() + std::size_t{x} * channels;
        switch (layout) {
        case SampleLayout::Gray:
            PutPixel(x, y, pixel[0], pixel[0], pixel[0]);
            break;
        case SampleLayout::GrayAlpha:
            PutPixel(x, y, pixel[0], pixel[0], pixel[0], pixel[1]);
            break;
        case SampleLayout::Rgb:
            PutPixel(x, y, pixel[0], pixel[1], pixel[2]);
            break;
        case SampleLayout::Rgba:
            PutPixel(x, y, pixel[0], pixel[1], pixel[2], pixel[3]);
            break;
        }
    }
}

void GeneralRows::PutPixel(std::uint32_t x, std::uint32_t y, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                           std::uint8_t alpha)
{
    if (x >= rows_.Width() || y >= rows_.Height())
        return;
    if (alpha != 255) {
        composited_ = true;
        red = CompositeOverWhite(red, alpha);
        green = CompositeOverWhite(green, alpha);
        blue = CompositeOverWhite(blue, alpha);
    }
    const std::span<std::uint8_t> row = rows_.Row(y);
    if (rows_.Colour()) {
        row[3 * std::size_t{x}] = blue;
        row[3 * std::size_t{x} + 1] = green;
        row[3 * std::size_t{x} + 2] = red;
    } else {
        row[x] = red;
    }
}

PictureReadResult GeneralRows::Finish()
{
    PictureReadResult result;
    result.block = rows_.Take();
    result.composited = composited_;
    return result;
}

std::vector<std::uint8_t> ReduceToBytes(std::span<const std::uint16_t> samples, std::uint32_t maxValue)
{
    std::vector<std::uint8_t> bytes(samples.size());
    std::transform(samples.begin(), samples.end(), bytes.begin(),
                   [maxValue](std::uint16_t value) { return ScaleToByte(value, maxValue); });
    return bytes;
}

PictureReadResult HeadOf(std::uint32_t width, std::uint32_t height, bool colour, PictureMetadata metadata)
{
    PictureReadResult result;
    result.headFacts = PictureHeadFacts{static_cast<int>(width), static_cast<int>(height), colour ? 24 : 8, colour, 0};
    result.metadata = std::move(metadata);
    return result;
}

PictureReadResult NoRoomFor(std::string_view kind)
{
    return RefusedAs(kind, "there is not enough memory to decode the picture");
}

} // namespace tamr
