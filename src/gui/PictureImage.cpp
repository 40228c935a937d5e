#include "gui/PictureImage.h"

#include <cstring>
#include <span>

#include "image/NearestColour.h"

namespace tamr::qt {

namespace {

QList<QRgb> ColourTableOf(const CDibImage& image)
{
    QList<QRgb> table;
    table.reserve(static_cast<qsizetype>(kColourTableEntries));
    for (const RgbQuad& entry : image.ColourTable())
        table.push_back(qRgb(entry.red, entry.green, entry.blue));
    return table;
}

// Copies bottom-up rows of rowBytes bytes (stride bytes apart) into a top-down picture.
QImage TopDownCopy(std::span<const std::uint8_t> rows, int width, int height, std::size_t rowBytes, std::size_t stride,
                   QImage::Format format)
{
    if (width <= 0 || height <= 0 || rows.size() < stride * static_cast<std::size_t>(height))
        return {};
    QImage picture(width, height, format);
    if (picture.isNull())
        return {};
    for (int y = 0; y < height; ++y) {
        const std::size_t source = stride * static_cast<std::size_t>(height - 1 - y);
        std::memcpy(picture.scanLine(y), rows.data() + source, rowBytes);
    }
    return picture;
}

// Bottom-up blue-green-red rows (stride bytes apart) into a top-down RGB888
// picture in one pass: a large picture costs one fresh buffer, not two.
QImage TopDownRgbCopy(std::span<const std::uint8_t> rows, int width, int height, std::size_t stride)
{
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(width);
    if (width <= 0 || height <= 0 || rows.size() < stride * static_cast<std::size_t>(height))
        return {};
    QImage picture(width, height, QImage::Format_RGB888);
    if (picture.isNull())
        return {};
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* source = rows.data() + stride * static_cast<std::size_t>(height - 1 - y);
        std::uint8_t* target = picture.scanLine(y);
        for (std::size_t x = 0; x < rowBytes; x += 3) {
            target[x] = source[x + 2];
            target[x + 1] = source[x + 1];
            target[x + 2] = source[x];
        }
    }
    return picture;
}

} // namespace

namespace {

// Working and reference images share their layout: one picture maker for both.
QImage PictureOf(const CDibImage& image, std::span<const std::uint8_t> pixels)
{
    if (!image.HasPixels() || pixels.empty())
        return {};
    const int width = image.Width();
    const int height = image.Height();
    const std::size_t bytesPerPixel = image.BitsPerPixel() / 8u;
    if (bytesPerPixel != 1 && bytesPerPixel != 3)
        return {};
    const std::size_t rowBytes = static_cast<std::size_t>(width) * bytesPerPixel;
    const std::size_t stride = rowBytes + image.RowPad();
    if (bytesPerPixel == 3)
        return TopDownCopy(pixels, width, height, rowBytes, stride, QImage::Format_BGR888);
    QImage picture = TopDownCopy(pixels, width, height, rowBytes, stride, QImage::Format_Indexed8);
    if (!picture.isNull())
        picture.setColorTable(ColourTableOf(image));
    return picture;
}

QImage RgbPictureOf(const CDibImage& image, std::span<const std::uint8_t> pixels)
{
    if (image.HasPixels() && !pixels.empty() && image.BitsPerPixel() == 24)
        return TopDownRgbCopy(pixels, image.Width(), image.Height(),
                              3 * static_cast<std::size_t>(image.Width()) + image.RowPad());
    const QImage picture = PictureOf(image, pixels);
    return picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB888);
}

} // namespace

QImage RgbWorkingPicture(const CDibImage& image)
{
    return RgbPictureOf(image, image.Pixels());
}

QImage RgbReferencePicture(const CDibImage& image)
{
    return RgbPictureOf(image, image.ReferencePixels());
}

QImage WorkingPicture(const CDibImage& image)
{
    return PictureOf(image, image.Pixels());
}

QImage ReferencePicture(const CDibImage& image)
{
    return PictureOf(image, image.ReferencePixels());
}

QImage PixelsPicture(std::span<const std::uint8_t> rows, int width, int height, int rowPad, int bytesPerPixel)
{
    if ((bytesPerPixel != 1 && bytesPerPixel != 3) || width <= 0 || rowPad < 0)
        return {};
    const std::size_t rowBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(bytesPerPixel);
    return TopDownCopy(rows, width, height, rowBytes, rowBytes + static_cast<std::size_t>(rowPad),
                       bytesPerPixel == 3 ? QImage::Format_BGR888 : QImage::Format_Grayscale8);
}

QImage IndexPicture(const CDibImage& image)
{
    if (image.IndexPixels().empty())
        return {};
    const int width = image.Width();
    const std::size_t rowBytes = static_cast<std::size_t>(width);
    QImage picture = TopDownCopy(image.IndexPixels(), width, image.Height(), rowBytes, rowBytes + image.IndexRowPad(),
                                 QImage::Format_Indexed8);
    if (!picture.isNull())
        picture.setColorTable(ColourTableOf(image));
    return picture;
}

void MapToPalette(QImage& indexedPicture, const ImagePalette& palette)
{
    QList<QRgb> table = indexedPicture.colorTable();
    for (QRgb& colour : table) {
        const PaletteEntry& entry = palette[NearestColourIndex(std::span<const PaletteEntry>(palette), qRed(colour),
                                                               qGreen(colour), qBlue(colour))];
        colour = qRgb(entry.red, entry.green, entry.blue);
    }
    indexedPicture.setColorTable(table);
}

} // namespace tamr::qt
