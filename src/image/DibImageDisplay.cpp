// What palette displays and progressive display need of the image: the index
// image and its colour table, and the reduced image of one decoded level.

#include <array>
#include <utility>

#include "codec/WaveletCodec.h"
#include "image/DibImage.h"
#include "platform/Clock.h"

namespace tamr {

bool CDibImage::BuildIndexImage(const DisplaySettings& display)
{
    if (isColour_ != 1 || !HasPixels() || IndexPixels().empty())
        return false;
    if (display.fixedPalette)
        return paletteBuilder_.Quantise(std::as_const(*this).Pixels(), IndexPixels(), display.ditherEnabled, true, {},
                                        kColourTableEntries, width_, height_) != 0;
    std::array<ColourTriple, kColourTableEntries> custom{};
    const std::size_t count =
        paletteBuilder_.Quantise(std::as_const(*this).Pixels(), IndexPixels(), display.ditherEnabled, false, custom,
                                 kColourTableEntries, width_, height_);
    for (std::size_t i = 0; i < count; ++i)
        info_.colours[i] = RgbQuad{custom[i][0], custom[i][1], custom[i][2], 0};
    return count != 0;
}

bool CDibImage::EnsureIndexImage()
{
    if (isColour_ != 1 || !HasPixels())
        return false;
    if (indexBlock_.empty()) {
        auto indices = AllocateBlock((std::size_t{width_} + indexRowPad_) * height_);
        if (!indices)
            return false;
        indexBlock_ = std::move(*indices);
        indexBytes_ = indexBlock_.size();
    }
    return true;
}

void CDibImage::BuildDisplayIndexImage(const DisplaySettings& display)
{
    if (!display.paletteDisplay || !EnsureIndexImage())
        return;
    const Stopwatch stopwatch;
    (void)BuildIndexImage(display);
    quantiseSeconds_ = stopwatch.Elapsed();
}

std::vector<std::uint8_t> CDibImage::WriteIndexBmp() const
{
    const auto indices = IndexPixels();
    if (indices.empty())
        return {};
    BitmapFileHeader fileHeader;
    fileHeader.bfType = kBmpTypeBM;
    fileHeader.bfOffBits = kGrayBmpOffBits; // both headers and a full colour table
    fileHeader.bfSize = static_cast<std::uint32_t>(fileHeader.bfOffBits + indices.size());
    BitmapInfoHeader header;
    header.biSize = kInfoHeaderSize;
    header.biWidth = width_;
    header.biHeight = height_;
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biSizeImage = static_cast<std::uint32_t>(indices.size());
    header.biClrUsed = kColourTableEntries;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(fileHeader.bfSize);
    ByteWriter writer(bytes);
    WriteFileHeader(writer, fileHeader);
    WriteInfoHeader(writer, header);
    for (const RgbQuad& entry : ColourTable())
        WriteRgbQuad(writer, entry);
    writer.Bytes(indices);
    return bytes;
}

bool CDibImage::AllocateForLevelDisplay(const WaveletCodec& codec)
{
    constexpr int kLargestSide = 0xFFFF;
    if (codec.Width() > kLargestSide || codec.Height() > kLargestSide || codec.BitsPerPixel() > kLargestSide)
        return false;
    if (!AllocateForCodData(static_cast<std::uint16_t>(codec.Width()), static_cast<std::uint16_t>(codec.Height()),
                            static_cast<std::uint16_t>(codec.BitsPerPixel()), codec.IsColour()))
        return false;
    // A fixed-palette index image is drawn through the colour table, which must hold the fixed table.
    if (isColour_ == 1)
        SetDefaultPalette();
    return true;
}

void CDibImage::SetPixelSize(std::uint16_t width, std::uint16_t height)
{
    width_ = width;
    height_ = height;
    rowPad_ = RowPadFor(width_, bitsPerPixel_);
    indexRowPad_ = RowPadFor(width_, 8);
    workingBytes_ = ImageSize();
    indexBytes_ = indexBytes_ == 0 ? 0 : (std::size_t{width_} + indexRowPad_) * height_;
    referenceBytes_ = referenceBytes_ == 0 ? 0 : workingBytes_;
    info_.header.biWidth = width_;
    info_.header.biHeight = height_;
    info_.header.biSizeImage = static_cast<std::uint32_t>(workingBytes_);
}

bool CDibImage::ShowLevel(const WaveletCodec& codec, int level, const DisplaySettings& display)
{
    const int levels = codec.TotalLevels();
    if (!HasPixels() || level < 0 || level >= levels)
        return false;
    if (codec.Width() != fullWidth_ || codec.Height() != fullHeight_ || codec.IsColour() != (isColour_ == 1))
        return false;
    const int shift = levels - level;
    const int width = codec.Width() >> shift;
    const int height = codec.Height() >> shift;
    if (width == 0 || height == 0)
        return false;
    SetPixelSize(static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height));
    return ConvertLevelPlanes(codec, shift, display);
}

} // namespace tamr
