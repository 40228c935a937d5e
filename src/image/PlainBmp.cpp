#include "image/PlainBmp.h"

#include <limits>

#include "image/BmpHeaders.h"

namespace tamr {

std::vector<std::uint8_t> PlainBmpFile(ConstPixelView pixels, int bytesPerPixel)
{
    if ((bytesPerPixel != 1 && bytesPerPixel != 3) || !HoldsAllRows(pixels, bytesPerPixel) || pixels.width == 0 ||
        pixels.height == 0)
        return {};
    // BMP rows are padded to 4 bytes; views padded otherwise are refused.
    const std::size_t rowBytes = RowBytes(pixels, bytesPerPixel);
    if (rowBytes % 4 != 0 || static_cast<std::size_t>(pixels.rowPad) >= 4)
        return {};
    const std::size_t imageBytes = rowBytes * static_cast<std::size_t>(pixels.height);
    const bool gray = bytesPerPixel == 1;
    const std::uint32_t offBits = gray ? kGrayBmpOffBits : kColourBmpOffBits;
    if (imageBytes > std::numeric_limits<std::uint32_t>::max() - offBits)
        return {};

    BitmapFileHeader fileHeader;
    fileHeader.bfType = kBmpTypeBM;
    fileHeader.bfOffBits = offBits;
    fileHeader.bfSize = offBits + static_cast<std::uint32_t>(imageBytes);
    BitmapInfoHeader header;
    header.biSize = kInfoHeaderSize;
    header.biWidth = pixels.width;
    header.biHeight = pixels.height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<std::uint16_t>(8 * bytesPerPixel);
    header.biSizeImage = static_cast<std::uint32_t>(imageBytes);

    std::vector<std::uint8_t> bytes;
    bytes.reserve(offBits + imageBytes);
    ByteWriter writer(bytes);
    WriteFileHeader(writer, fileHeader);
    WriteInfoHeader(writer, header);
    if (gray)
        for (int level = 0; level < 256; ++level) {
            const auto value = static_cast<std::uint8_t>(level);
            WriteRgbQuad(writer, RgbQuad{value, value, value, 0});
        }
    writer.Bytes(pixels.bytes.first(imageBytes));
    return bytes;
}

} // namespace tamr
