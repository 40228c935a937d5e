#include "image/SamplePlane.h"

#include <cstdint>

#include "platform/VectorClones.h"

namespace tamr {

namespace {

// The 2 x 2 means of two neighbouring rows into a row of half the width.
void HalvedRow(const float* top, const float* bottom, int halfWidth, float* to)
{
    for (int x = 0; x < halfWidth; ++x)
        to[x] = ((top[2 * x] + top[2 * x + 1]) + (bottom[2 * x] + bottom[2 * x + 1])) * 0.25f;
}

float* PlaneRow(SamplePlane& plane, int y)
{
    return plane.samples.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(plane.width);
}

void Shape(SamplePlane& plane, int width, int height)
{
    plane.width = width;
    plane.height = height;
    plane.samples.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
}

// Every third byte, or every byte, as a float: loops with a fixed step, so
// that they run on vector registers.
TAMR_VECTOR_CLONES void ColourSamples(const std::uint8_t* from, float* to, std::size_t count)
{
    for (std::size_t x = 0; x < count; ++x)
        to[x] = from[3 * x];
}

TAMR_VECTOR_CLONES void GraySamples(const std::uint8_t* from, float* to, std::size_t count)
{
    for (std::size_t x = 0; x < count; ++x)
        to[x] = from[x];
}

} // namespace

void ChannelRow(ConstPixelView view, int bytesPerPixel, int channel, int y, std::span<float> row)
{
    // Stored rows run from the bottom of the picture up.
    const std::uint8_t* from = view.bytes.data() +
                               static_cast<std::size_t>(view.height - 1 - y) * RowBytes(view, bytesPerPixel) +
                               static_cast<std::size_t>(channel);
    (bytesPerPixel == 3 ? ColourSamples : GraySamples)(from, row.data(), row.size());
}

void FillHalvedPlane(const SamplePlane& plane, SamplePlane& half)
{
    Shape(half, plane.width / 2, plane.height / 2);
    for (int y = 0; y < half.height; ++y)
        HalvedRow(plane.Row(2 * y), plane.Row(2 * y + 1), half.width, PlaneRow(half, y));
}

void FillHalvedChannelPlane(ConstPixelView view, int bytesPerPixel, int channel, SamplePlane& half)
{
    Shape(half, view.width / 2, view.height / 2);
    const auto width = static_cast<std::size_t>(view.width);
    std::vector<float> rows(2 * width);
    for (int y = 0; y < half.height; ++y) {
        ChannelRow(view, bytesPerPixel, channel, 2 * y, {rows.data(), width});
        ChannelRow(view, bytesPerPixel, channel, 2 * y + 1, {rows.data() + width, width});
        HalvedRow(rows.data(), rows.data() + width, half.width, PlaneRow(half, y));
    }
}

} // namespace tamr
