#include "image/LosslessPlanes.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <vector>

#include "platform/ByteBlock.h"
#include "platform/LargeBuffer.h"
#include "platform/ParallelTasks.h"

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

namespace {

// The colour planes on threads of their own: the first stream goes straight
// into `out`, the others into blocks whose pages are only touched as the
// stream is written, and are appended when all three are done. A stream's
// bytes do not depend on where it is written, and the streams fit into `out`
// together exactly when they fit one after another.
std::optional<std::size_t> EncodeColourPlanesAtOnce(ArithmeticCoder& coder, ConstPixelView pixels,
                                                    const PlaneLayout& layout, std::span<std::uint8_t> out, int threads)
{
    constexpr std::size_t kPlanes = 3;
    std::array<LargeVector<std::uint8_t>, kPlanes> blocks;
    std::array<std::optional<std::size_t>, kPlanes> sizes;
    std::atomic<bool> allocated = true;
    RunTasks(std::min<int>(threads, kPlanes), kPlanes, [&](std::size_t channel) {
        LargeVector<std::int8_t> plane;
        if (!TryResizeUninitialised(plane, layout.width * layout.height) ||
            (channel > 0 && !TryResizeUninitialised(blocks[channel], out.size()))) {
            allocated = false;
            return;
        }
        GatherChannel(pixels.bytes, layout, static_cast<int>(channel), plane);
        ArithmeticCoder own;
        ArithmeticCoder& planeCoder = channel == 0 ? coder : own;
        sizes[channel] =
            planeCoder.EncodeBlock(channel == 0 ? out : std::span(blocks[channel]), plane, kLosslessAlphabet);
    });
    if (!allocated || !sizes[0] || !sizes[1] || !sizes[2] || *sizes[1] > out.size() - *sizes[0] ||
        *sizes[2] > out.size() - *sizes[0] - *sizes[1]) {
        return std::nullopt;
    }
    std::copy_n(blocks[1].begin(), *sizes[1], out.begin() + static_cast<std::ptrdiff_t>(*sizes[0]));
    std::copy_n(blocks[2].begin(), *sizes[2], out.begin() + static_cast<std::ptrdiff_t>(*sizes[0] + *sizes[1]));
    return *sizes[0] + *sizes[1] + *sizes[2];
}

} // namespace

std::optional<std::size_t> EncodeLosslessPlanes(ArithmeticCoder& coder, ConstPixelView pixels, bool isColour,
                                                std::span<std::uint8_t> out, int threads)
{
    const PlaneLayout layout = LayoutOf(pixels, isColour);
    if (!HoldsAllRows(pixels, layout.bytesPerPixel)) {
        return std::nullopt;
    }
    if (threads > 1 && layout.bytesPerPixel == 3) {
        return EncodeColourPlanesAtOnce(coder, pixels, layout, out, threads);
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
