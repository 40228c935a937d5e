#include "image/LosslessPlanes.h"

#include <algorithm>
#include <vector>

#include "platform/ByteBlock.h"

namespace tamr {
namespace {

struct PlaneLayout {
    int bytesPerPixel;
    std::size_t rowBytes;
    std::size_t width;
    std::size_t height;
};

PlaneLayout LayoutOf(const ConstPixelView& pixels, bool isColour)
{
    const int bytesPerPixel = isColour ? 3 : 1;
    return {bytesPerPixel, RowBytes(pixels, bytesPerPixel), static_cast<std::size_t>(pixels.width),
            static_cast<std::size_t>(pixels.height)};
}

void GatherChannel(std::span<const std::uint8_t> bytes, const PlaneLayout& layout, int channel,
                   std::span<std::int8_t> plane)
{
    std::size_t next = 0;
    for (std::size_t r = 0; r < layout.height; ++r) {
        std::size_t at = r * layout.rowBytes + static_cast<std::size_t>(channel);
        for (std::size_t c = 0; c < layout.width; ++c, at += static_cast<std::size_t>(layout.bytesPerPixel)) {
            plane[next++] = static_cast<std::int8_t>(bytes[at]);
        }
    }
}

void ScatterChannel(std::span<const std::int8_t> plane, const PlaneLayout& layout, int channel,
                    std::span<std::uint8_t> bytes)
{
    std::size_t next = 0;
    for (std::size_t r = 0; r < layout.height; ++r) {
        std::size_t at = r * layout.rowBytes + static_cast<std::size_t>(channel);
        for (std::size_t c = 0; c < layout.width; ++c, at += static_cast<std::size_t>(layout.bytesPerPixel)) {
            bytes[at] = static_cast<std::uint8_t>(plane[next++]);
        }
    }
}

} // namespace

std::optional<std::size_t> EncodeLosslessPlanes(ArithmeticCoder& coder, ConstPixelView pixels, bool isColour,
                                                std::span<std::uint8_t> out)
{
    const PlaneLayout layout = LayoutOf(pixels, isColour);
    if (!HoldsAllRows(pixels, layout.bytesPerPixel)) {
        return std::nullopt;
    }
    std::vector<std::int8_t> plane;
    if (!TryResize(plane, layout.width * layout.height)) {
        return std::nullopt;
    }
    std::size_t written = 0;
    for (int channel = 0; channel < layout.bytesPerPixel; ++channel) {
        GatherChannel(pixels.bytes, layout, channel, plane);
        const auto streamBytes = coder.EncodeBlock(out.subspan(written), plane, kLosslessAlphabet);
        if (!streamBytes) {
            return std::nullopt;
        }
        written += *streamBytes;
    }
    return written;
}

std::optional<std::size_t> DecodeLosslessPlanes(ArithmeticCoder& coder, std::span<const std::uint8_t> in, bool isColour,
                                                PixelView pixels)
{
    const PlaneLayout layout = LayoutOf(pixels, isColour);
    if (!HoldsAllRows(pixels, layout.bytesPerPixel)) {
        return std::nullopt;
    }
    std::vector<std::int8_t> plane;
    if (!TryResize(plane, layout.width * layout.height)) {
        return std::nullopt;
    }
    std::size_t taken = 0;
    for (int channel = 0; channel < layout.bytesPerPixel; ++channel) {
        const auto decoded = coder.DecodeBlock(in.subspan(taken), plane, kLosslessAlphabet);
        if (!decoded.endSeen || decoded.symbolCount != plane.size()) {
            return std::nullopt;
        }
        ScatterChannel(plane, layout, channel, pixels.bytes);
        taken += std::min(decoded.inputUsed, in.size() - taken);
    }
    return taken;
}

} // namespace tamr
