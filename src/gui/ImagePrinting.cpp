#include "gui/ImagePrinting.h"

#include <QPaintDevice>
#include <QPainter>

#include "gui/PictureImage.h"
#include "image/DibImage.h"

namespace tamr::qt {

namespace {

constexpr double kImagePixelsPerInch = 100.0;

} // namespace

void DrawPrintedImage(QPainter& painter, const CDibImage& image)
{
    const QImage picture = WorkingPicture(image);
    if (picture.isNull() || painter.device() == nullptr)
        return;
    const double scaleX = painter.device()->logicalDpiX() / kImagePixelsPerInch;
    const double scaleY = painter.device()->logicalDpiY() / kImagePixelsPerInch;
    const QRectF target(0, 0, picture.width() * scaleX, picture.height() * scaleY);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // A PDF file gets the pixels as they are, not recoded as JPEG: the print
    // shows what the codec made of the picture, nothing else.
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    painter.drawImage(target, picture);
    painter.restore();
}

} // namespace tamr::qt
