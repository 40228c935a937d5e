#pragma once
// Printing an image: one image pixel per 0.01 inch, upright, from the origin
// of the painter (the top-left of the printable area on a printer).

class QPainter;

namespace tamr {
class CDibImage;
}

namespace tamr::qt {

// Draws the working image, whatever the screen shows; the device's
// resolution decides how many device pixels an image pixel covers.
void DrawPrintedImage(QPainter& painter, const CDibImage& image);

} // namespace tamr::qt
