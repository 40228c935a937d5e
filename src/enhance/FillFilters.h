#pragma once
// Fill filters: where a line of three pixels through the centre matches three
// of the multipliers exactly, the centre becomes the integer mean of the two
// outer multipliers. With the defaults (outer 0, centre 255) a lone white
// pixel between two black ones along the line turns black.

#include "enhance/FilterKernel.h"
#include "image/PixelPlaneViews.h"

namespace tamr {

// (left, centre, right) against (k3, k4, k5); output (k3 + k5) / 2.
bool FillAcrossGray(PixelView pixels, const FilterKernel& kernel);
bool FillAcrossColour(PixelView pixels, const FilterKernel& kernel);

// (previous row, centre, next row) against (k1, k4, k7); output (k1 + k7) / 2.
bool FillDownGray(PixelView pixels, const FilterKernel& kernel);
bool FillDownColour(PixelView pixels, const FilterKernel& kernel);

// The diagonals (previous left, centre, next right) against (k0, k4, k8) with
// output (k0 + k8) / 2, and (previous right, centre, next left) against
// (k2, k4, k6) with output (k2 + k6) / 2. When both match, the diagonal tested
// first decides: the gray filter tests the k2/k6 diagonal first, the colour
// filter the k0/k8 diagonal.
bool FillAnglesGray(PixelView pixels, const FilterKernel& kernel);
bool FillAnglesColour(PixelView pixels, const FilterKernel& kernel);

} // namespace tamr
