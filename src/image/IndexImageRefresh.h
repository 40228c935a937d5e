#pragma once
// Rebuilding a colour image's index image after its working pixels changed in
// place, for drawing on a 256-colour screen.

#include "image/DibImage.h"
#include "image/DisplaySettings.h"

namespace tamr {

// Colour images only (false otherwise): the colour table becomes the fixed
// table, and every working pixel is mapped to the index of its nearest table
// colour.
bool RebuildIndexImage(CDibImage& image, const DisplaySettings& display);

} // namespace tamr
