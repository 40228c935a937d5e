#pragma once
// One channel of a picture as floats, top row first: the form the window
// measures work on, a row at a time from the picture or as a plane of a
// coarser scale. Halving keeps the samples exact (each is a multiple of 1/256
// below 256 for the five scales).

#include <cstddef>
#include <span>
#include <vector>

#include "image/PixelPlaneViews.h"

namespace tamr {

struct SamplePlane {
    int width = 0;
    int height = 0;
    std::vector<float> samples; // width * height, row by row from the top

    const float* Row(int y) const
    {
        return samples.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    }
};

// Row y (from the top) of channel `channel` (0 blue, 1 green, 2 red; 0 for
// gray) of bottom-up padded rows alone, into `row` (width samples); the
// caller has checked that the view holds all rows.
void ChannelRow(ConstPixelView view, int bytesPerPixel, int channel, int y, std::span<float> row);

// Each sample the mean of a 2 x 2 block; an odd last row or column is dropped.
// Into `half`, whose samples are reused: a plane refilled with another
// channel of the same picture takes no fresh memory.
void FillHalvedPlane(const SamplePlane& plane, SamplePlane& half);
// The same of a channel's plane, made from the picture two rows at a time
// without the plane itself.
void FillHalvedChannelPlane(ConstPixelView view, int bytesPerPixel, int channel, SamplePlane& half);

} // namespace tamr
