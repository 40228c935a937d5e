#pragma once
// Top-down QImages of an image's pixel buffers, for drawing and printing.

#include <QImage>
#include <cstdint>
#include <span>

#include "document/TamrDoc.h"
#include "image/DibImage.h"

namespace tamr::qt {

// The working image: 24-bit rows as BGR888, 8-bit gray rows as an indexed
// image with the image's colour table. Null when the image holds no pixels.
QImage WorkingPicture(const CDibImage& image);

// The reference image (the pixels as loaded) in the same form; null for an
// image without one (made from COD data).
QImage ReferencePicture(const CDibImage& image);

// The working and reference images as RGB888 whatever their depth, as the
// compare window measures and draws them; null as above.
QImage RgbWorkingPicture(const CDibImage& image);
QImage RgbReferencePicture(const CDibImage& image);

// Bottom-up rows of gray or blue-green-red pixels, each row followed by
// rowPad bytes (the images' own layout), as a top-down picture; null when the
// rows are too few.
QImage PixelsPicture(std::span<const std::uint8_t> rows, int width, int height, int rowPad, int bytesPerPixel);

// The index image with the colour table as its colours; null for an image
// without one (gray, or no pixels).
QImage IndexPicture(const CDibImage& image);

// What the screen shows of an indexed picture while a palette is realized:
// every colour of the picture's table replaced by the nearest palette colour.
void MapToPalette(QImage& indexedPicture, const ImagePalette& palette);

} // namespace tamr::qt
