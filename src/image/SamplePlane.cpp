#include "image/SamplePlane.h"

#include <cstdint>

namespace tamr {

SamplePlane ChannelPlane(ConstPixelView view, int bytesPerPixel, int channel)
{
    SamplePlane plane;
    FillChannelPlane(view, bytesPerPixel, channel, plane);
    return plane;
}

void FillChannelPlane(ConstPixelView view, int bytesPerPixel, int channel, SamplePlane& plane)
{
    plane.width = view.width;
    plane.height = view.height;
    plane.samples.resize(static_cast<std::size_t>(view.width) * static_cast<std::size_t>(view.height));
    const std::size_t rowBytes = RowBytes(view, bytesPerPixel);
    const auto step = static_cast<std::size_t>(bytesPerPixel);
    for (int y = 0; y < view.height; ++y) {
        // Stored rows run from the bottom of the picture up.
        const std::uint8_t* from = view.bytes.data() + static_cast<std::size_t>(view.height - 1 - y) * rowBytes +
                                   static_cast<std::size_t>(channel);
        float* to = plane.samples.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(view.width);
        for (int x = 0; x < view.width; ++x)
            to[x] = from[static_cast<std::size_t>(x) * step];
    }
}

void FillHalvedPlane(const SamplePlane& plane, SamplePlane& half)
{
    half.width = plane.width / 2;
    half.height = plane.height / 2;
    half.samples.resize(static_cast<std::size_t>(half.width) * static_cast<std::size_t>(half.height));
    for (int y = 0; y < half.height; ++y) {
        const float* top = plane.Row(2 * y);
        const float* bottom = plane.Row(2 * y + 1);
        float* to = half.samples.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(half.width);
        for (int x = 0; x < half.width; ++x)
            to[x] = ((top[2 * x] + top[2 * x + 1]) + (bottom[2 * x] + bottom[2 * x + 1])) * 0.25f;
    }
}

} // namespace tamr
