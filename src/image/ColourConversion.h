#pragma once
// Integer conversions between image pixels and the codec's sample planes:
// RGB to YIQ before coding and back with clamping after decoding, each at full
// resolution or with 2×2-subsampled chroma, the gray variants, and the scaled
// conversions used while an image is shown level by level.
//
// Colour pixels are three bytes blue, green, red; gray pixels one byte. Plane
// row r holds pixel row r in memory order. Every routine checks the geometry
// first and returns false, writing nothing, when a buffer is too small for it.
// `offset` is the luminance component's sample offset: subtracted from the
// pixel values going forward, added back going inverse, for every plane.

#include <cstdint>

#include "image/PixelPlaneViews.h"

namespace tamr {

struct YiqPlanes {
    PlaneView y;
    PlaneView i;
    PlaneView q;
};

struct ConstYiqPlanes {
    ConstPlaneView y;
    ConstPlaneView i;
    ConstPlaneView q;
};

// Full resolution: all three planes at least as large as the image. Right of
// the image every row repeats its last sample; rows below the image repeat the
// last image row.
bool RgbToYiqFull(ConstPixelView pixels, std::int16_t offset, YiqPlanes planes);

// Subsampled chroma: one I and Q sample per 2×2 pixel block, so the chroma
// planes need at least ⌈w/2⌉ columns and ⌈h/2⌉ rows. Tails and rows below are
// filled as for full resolution, in each plane's own geometry.
bool RgbToYiqSubsampled(ConstPixelView pixels, std::int16_t offset, YiqPlanes planes);

// One of the three planes of RgbToYiqFull (or, with `subsampledChroma`, of
// RgbToYiqSubsampled) on its own, the same samples, so that a coder can take
// one component at a time.
enum class YiqComponent { Y, I, Q };
bool RgbToYiqComponent(ConstPixelView pixels, std::int16_t offset, YiqComponent component, bool subsampledChroma,
                       PlaneView plane);

// Gray: the image area only; the rest of the plane keeps its content.
bool GrayToPlane(ConstPixelView pixels, std::int16_t offset, PlaneView plane);

// The inverses write the image area of the pixels and read only the samples
// at image positions (with subsampled chroma, the sample of each 2×2 block).
bool YiqToRgbFull(ConstYiqPlanes planes, std::int16_t offset, PixelView pixels);
bool YiqToRgbSubsampled(ConstYiqPlanes planes, std::int16_t offset, PixelView pixels);
bool PlaneToGray(ConstPlaneView plane, std::int16_t offset, PixelView pixels);

// Level display: `reduced` is the image shrunk by `shift` bits in both
// directions; every sample at a reduced-image position is shifted right by
// its plane's shift (the gain the plane carries at that level) before the
// inverse formulas. All planes are read at the same positions, each through
// its own stride. Shifts must be 0..15.
struct LevelShifts {
    int y = 0;
    int i = 0;
    int q = 0;
};
bool LevelYiqToRgb(LevelShifts shifts, ConstYiqPlanes planes, std::int16_t offset, PixelView reduced);
bool LevelPlaneToGray(int shift, ConstPlaneView plane, std::int16_t offset, PixelView reduced);

} // namespace tamr
