#include "gui/ComparePictures.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "image/PixelPlaneViews.h"

namespace tamr::qt {

namespace {

int ChannelDifference(const uchar* original, const uchar* decoded, int channel)
{
    return std::abs(static_cast<int>(original[channel]) - static_cast<int>(decoded[channel]));
}

} // namespace

DifferencePictures MakeDifferencePictures(const QImage& original, const QImage& decoded, int amplification)
{
    DifferencePictures result;
    if (original.isNull() || original.size() != decoded.size() || original.format() != QImage::Format_RGB888 ||
        decoded.format() != QImage::Format_RGB888)
        return result;
    const int factor = std::clamp(amplification, 1, kLargestAmplification);
    const int width = original.width();
    const int height = original.height();
    result.amplified = QImage(original.size(), QImage::Format_RGB888);
    QImage largestPerPixel(original.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        const uchar* from = original.constScanLine(y);
        const uchar* to = decoded.constScanLine(y);
        uchar* amplified = result.amplified.scanLine(y);
        uchar* largest = largestPerPixel.scanLine(y);
        for (int x = 0; x < width; ++x) {
            int pixelLargest = 0;
            for (int channel = 0; channel < 3; ++channel) {
                const int difference = ChannelDifference(from + 3 * x, to + 3 * x, channel);
                amplified[3 * x + channel] = static_cast<uchar>(std::min(255, difference * factor));
                pixelLargest = std::max(pixelLargest, difference);
            }
            largest[x] = static_cast<uchar>(pixelLargest);
            result.largest = std::max(result.largest, pixelLargest);
        }
    }
    // One colour per difference value, then a lookup per pixel.
    std::array<QRgb, 256> colours{};
    for (int value = 0; value < 256; ++value)
        colours[static_cast<std::size_t>(value)] = HeatColour(value, result.largest).rgb();
    result.heatMap = QImage(original.size(), QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        const uchar* largest = largestPerPixel.constScanLine(y);
        uchar* heat = result.heatMap.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const QRgb colour = colours[largest[x]];
            heat[3 * x] = static_cast<uchar>(qRed(colour));
            heat[3 * x + 1] = static_cast<uchar>(qGreen(colour));
            heat[3 * x + 2] = static_cast<uchar>(qBlue(colour));
        }
    }
    return result;
}

QColor HeatColour(int value, int largest)
{
    if (largest <= 0 || value <= 0)
        return Qt::black;
    const auto rgb = HeatRgb(value, largest);
    return {rgb[0], rgb[1], rgb[2]};
}

std::optional<HeatMapPicture> MakeHeatMap(MapKind kind, const QImage& original, const QImage& decoded)
{
    if (original.isNull() || original.size() != decoded.size())
        return std::nullopt;
    // The measures read blue, green, red rows from the bottom up.
    const auto rows = [](const QImage& picture) {
        return picture.convertToFormat(QImage::Format_BGR888).mirrored(false, true);
    };
    const QImage a = rows(original);
    const QImage b = rows(decoded);
    const auto view = [](const QImage& picture) {
        return ConstPixelView{std::span(picture.constBits(), static_cast<std::size_t>(picture.sizeInBytes())),
                              picture.width(), picture.height(),
                              static_cast<int>(picture.bytesPerLine()) - 3 * picture.width()};
    };
    const std::optional<DifferenceMap> map = ComputeDifferenceMap(kind, view(a), view(b), 3, 0);
    if (!map)
        return std::nullopt;
    const std::vector<std::uint8_t> heat = HeatPicture(*map);
    const QImage bottomUp(heat.data(), map->width, map->height, 3 * map->width + HeatRowPad(map->width),
                          QImage::Format_BGR888);
    // mirrored() copies the rows out of `heat`.
    return HeatMapPicture{bottomUp.mirrored(false, true).convertToFormat(QImage::Format_RGB888), map->top};
}

QString InspectorText(const CDibImage& image, QPoint at)
{
    if (!image.HasPixels() || at.x() < 0 || at.y() < 0 || at.x() >= image.Width() || at.y() >= image.Height())
        return {};
    const int bytesPerPixel = image.BitsPerPixel() / 8;
    if (bytesPerPixel != 1 && bytesPerPixel != 3)
        return {};
    // One pixel of each picture, as a 1 x 1 RGB888 picture; rows are stored bottom-up.
    const std::size_t stride = static_cast<std::size_t>(image.Width()) * bytesPerPixel + image.RowPad();
    const std::size_t offset = stride * static_cast<std::size_t>(image.Height() - 1 - at.y()) +
                               static_cast<std::size_t>(at.x()) * bytesPerPixel;
    const auto pixel = [&](std::span<const std::uint8_t> bytes) {
        QImage one(1, 1, QImage::Format_RGB888);
        if (bytesPerPixel == 3) {
            one.setPixel(0, 0, qRgb(bytes[offset + 2], bytes[offset + 1], bytes[offset]));
        } else {
            const RgbQuad entry = image.ColourTable()[bytes[offset]];
            one.setPixel(0, 0, qRgb(entry.red, entry.green, entry.blue));
        }
        return one;
    };
    const auto working = image.Pixels();
    const auto reference = image.ReferencePixels().empty() ? working : image.ReferencePixels();
    if (working.size() <= offset + bytesPerPixel - 1 || reference.size() <= offset + bytesPerPixel - 1)
        return {};
    const QString text = InspectorText(pixel(reference), pixel(working), QPoint(0, 0));
    // The position is the picture's, not the one-pixel picture's.
    return QStringLiteral("x %1, y %2").arg(at.x()).arg(at.y()) + text.mid(text.indexOf(QStringLiteral("   ")));
}

QString InspectorText(const QImage& original, const QImage& decoded, QPoint at)
{
    if (original.isNull() || original.size() != decoded.size() || !original.rect().contains(at))
        return {};
    const uchar* from = original.constScanLine(at.y()) + 3 * at.x();
    const uchar* to = decoded.constScanLine(at.y()) + 3 * at.x();
    const auto triple = [](int red, int green, int blue) {
        return QStringLiteral("%1 %2 %3").arg(red).arg(green).arg(blue);
    };
    return QStringLiteral("x %1, y %2   original %3   decoded %4   difference %5")
        .arg(at.x())
        .arg(at.y())
        .arg(triple(from[0], from[1], from[2]), triple(to[0], to[1], to[2]),
             triple(ChannelDifference(from, to, 0), ChannelDifference(from, to, 1), ChannelDifference(from, to, 2)));
}

} // namespace tamr::qt
