#pragma once
// The one in-memory image: a device-independent bitmap with its two headers, a
// 256-entry colour table and one zero-filled block holding every pixel buffer.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "codec/ArithmeticCoder.h"
#include "image/BmpHeaders.h"
#include "image/DisplaySettings.h"
#include "image/PaletteBuilder.h"
#include "image/PixelPlaneViews.h"
#include "image/QualityFigures.h"
#include "platform/ByteBlock.h"
#include "platform/Prompter.h"

namespace tamr {

class WaveletCodec;

// The info header followed by room for 257 colour-table entries; entries 0 to
// 255 are used. Zero-filled when the image is made, so entries a source does
// not supply read as black (a short gray table therefore still counts as gray).
struct BitmapInfo {
    BitmapInfoHeader header;
    std::array<RgbQuad, 257> colours{};
};

inline constexpr std::size_t kColourTableEntries = 256;
inline constexpr std::int16_t kExpandedFromIndexed = 10;

// The largest pixel block the image allocates (2 GiB); larger sizes are refused
// with a message before anything is allocated.
inline constexpr std::uint64_t kMaxPixelBlockBytes = std::uint64_t{1} << 31;

// Pixel forms: 24 bits (blue, green, red) for colour, 8 bits (gray level) for
// gray. Rows are bottom-up, each padded with zeros to a multiple of 4 bytes.
// The block holds, in order: the working image, for colour images the 8-bit
// index image, and for images loaded from a file or reader the reference image
// (the pixels as loaded).
class CDibImage {
public:
    // An empty image: no pixels, isColour and expandedFromIndexed -1.
    CDibImage() = default;

    // Loads a whole BMP file. Top-down files are stored bottom-up like every
    // other image. On failure the user has been told why (except for a file
    // that is not a BMP at all) and the image is empty again.
    bool ReadBmp(std::span<const std::uint8_t> file, Prompter& prompter, const DisplaySettings& settings);

    // Loads the packed image block a TGA, GIF or JPEG reader returns. Rows the
    // block does not hold stay zero. On failure the image is empty again.
    bool LoadPackedBlock(std::span<const std::uint8_t> block, Prompter& prompter, const DisplaySettings& settings);

    // Sets up headers and a zero-filled block without reference image for
    // decoded COD data; a colour image must have 24 bits, a gray one gets 8.
    // Fails silently (the image stays empty).
    bool AllocateForCodData(std::uint16_t width, std::uint16_t height, std::uint16_t bitsPerPixel, bool isColour);

    // The image shown while a COD image is decoded level by level: made like
    // an image for the codec's decoded data (with the fixed colour table for a
    // colour image), then shrunk to each level by ShowLevel. Fails silently.
    bool AllocateForLevelDisplay(const WaveletCodec& codec);
    // Makes the picture of level index `level` of the codec's planes, ready to
    // be drawn stretched over FullWidth() × FullHeight(): width and height
    // become the full sizes shifted right by (levels − level), the headers
    // follow, and the planes are converted (with the index image on a palette
    // display). False, changing nothing, for a level at or beyond the codec's
    // level count or one too small to show.
    bool ShowLevel(const WaveletCodec& codec, int level, const DisplaySettings& display);

    // The whole BMP file of the working image, with a 40-byte info header; the
    // caller writes it. Empty when the image has no pixels or memory is short.
    std::vector<std::uint8_t> WriteBmp() const;
    // The index image as an 8-bit BMP file with the colour table as its
    // palette: what a palette display shows. Empty for an image without one.
    std::vector<std::uint8_t> WriteIndexBmp() const;

    // (width * bitsPerPixel / 8 + rowPad) * height for the current fields.
    std::size_t ImageSize() const;
    // 1 for 24 bits; otherwise 1 when one of colour-table entries 0 to 254 is not gray, else 0.
    std::int16_t DetectColour() const;
    // Gray image: the gray ramp. Colour image: the fixed colour table.
    void SetDefaultPalette();
    // Colour images: quantises the working image into the index image with
    // the display's palette choice and dithering. A fixed palette leaves the
    // colour table as it is (callers have set the fixed table); a custom
    // palette's colours replace the front of the colour table. False for a
    // gray image, or when quantising fails (the colour table is then unchanged).
    bool BuildIndexImage(const DisplaySettings& display);
    // After the working image changed in place: on a palette device a colour
    // image gets the fixed table back and a new index image. True when the
    // index image was rebuilt.
    bool RebuildIndexImage(bool paletteDevice, const DisplaySettings& display);

    bool HasPixels() const { return !memoryBlock_.empty(); }
    std::uint16_t Width() const { return width_; }
    std::uint16_t Height() const { return height_; }
    // The size of the whole picture; a level image shows it reduced.
    std::uint16_t FullWidth() const { return fullWidth_; }
    std::uint16_t FullHeight() const { return fullHeight_; }
    std::uint16_t BitsPerPixel() const { return bitsPerPixel_; }
    std::int16_t IsColour() const { return isColour_; }
    std::int16_t ExpandedFromIndexed() const { return expandedFromIndexed_; }
    std::uint16_t RowPad() const { return rowPad_; }
    std::uint16_t IndexRowPad() const { return indexRowPad_; }
    float QuantiseSeconds() const { return quantiseSeconds_; }
    float ConvertSeconds() const { return convertSeconds_; }

    const BitmapFileHeader& FileHeader() const { return fileHeader_; }
    BitmapFileHeader& FileHeader() { return fileHeader_; }
    const BitmapInfo& Info() const { return info_; }

    // Entries 0 to 255 of the colour table.
    std::span<RgbQuad> ColourTable() { return std::span(info_.colours).first(kColourTableEntries); }
    std::span<const RgbQuad> ColourTable() const { return std::span(info_.colours).first(kColourTableEntries); }

    // The working image; empty before loading.
    std::span<std::uint8_t> Pixels() { return Part(0, workingBytes_); }
    std::span<const std::uint8_t> Pixels() const { return Part(0, workingBytes_); }
    // The index image; empty for gray images.
    std::span<std::uint8_t> IndexPixels() { return Part(indexOffset_, indexBytes_); }
    std::span<const std::uint8_t> IndexPixels() const { return Part(indexOffset_, indexBytes_); }
    // The reference image; empty for images made from COD data.
    std::span<std::uint8_t> ReferencePixels() { return Part(referenceOffset_, referenceBytes_); }
    std::span<const std::uint8_t> ReferencePixels() const { return Part(referenceOffset_, referenceBytes_); }
    const CPaletteBuilder& PaletteBuilder() const { return paletteBuilder_; }

    // The reference image converted into the codec's planes, sized by its
    // PrepareEncode (subsampled chroma when B and C are sampled).
    bool ConvertToPlanes(WaveletCodec& codec) const;
    // The codec's decoded planes converted into the working image, timed into
    // convertSeconds; on a palette display a colour image then builds its
    // index image, timed into quantiseSeconds.
    bool ConvertDecodedPlanes(const WaveletCodec& codec, const DisplaySettings& display);
    // The planes of a partly decoded codec, divided by the gain they carry
    // `shift` levels above full resolution, converted into the working image
    // of the current (reduced) size; then the index image on a palette display.
    bool ConvertLevelPlanes(const WaveletCodec& codec, int shift, const DisplaySettings& display);
    // BuildIndexImage on a palette display, for a colour image, timed into quantiseSeconds.
    void BuildDisplayIndexImage(const DisplaySettings& display);
    // Quality 100: the reference image's byte planes coded into the codec's
    // data buffer (the codec then holds lossless data), and decoded back into
    // the working image.
    bool EncodeLosslessPlanes(WaveletCodec& codec);
    bool DecodeLosslessPlanes(const WaveletCodec& codec);
    // Compares the reference image with the working image; all 0 without a reference image.
    QualityFigures MeasureQuality() const;

    PixelView WorkingView();
    ConstPixelView WorkingView() const;
    ConstPixelView ReferenceView() const;
    // 3 for colour (blue, green, red), 1 for gray, 0 for an empty image.
    int BytesPerPixel() const { return isColour_ == 1 ? 3 : (isColour_ == 0 ? 1 : 0); }

    // Padding bytes after a row of width pixels of the given depth.
    static std::uint16_t RowPadFor(std::uint16_t width, std::uint16_t bitsPerPixel);

private:
    enum class BlockResult { Allocated, TooLarge, NoMemory };

    // Shared steps of loading from a file or a packed block: take the size and
    // depth from the header (the colour table already read), allocate the block.
    // rowBytesPresent is how many bytes of pixel rows the source holds.
    bool BeginLoad(const BitmapInfoHeader& header, std::size_t rowBytesPresent, Prompter& prompter);
    // Copies the source rows into the index image (8-bit colour) or the working image.
    void LoadRows(std::span<const std::uint8_t> rows, bool topDown);
    // Gray mapping or expansion to 24 bits, the index image on a palette
    // display, then the reference copy.
    void FinishLoad(const DisplaySettings& display);
    // Width and height changed: the row pads, the header and the buffer sizes follow.
    void SetPixelSize(std::uint16_t width, std::uint16_t height);
    void MapGrayLevels();
    void ExpandIndexedPixels();

    struct BlockParts {
        std::uint64_t working = 0;
        std::uint64_t index = 0;
        std::uint64_t reference = 0;
    };
    // Bytes of each buffer of the pixel block for the current size and depth.
    BlockParts PixelBlockParts(bool withReference) const;
    BlockResult AllocatePixelBlock(bool withReference);

    std::span<std::uint8_t> Part(std::size_t offset, std::size_t size)
    {
        return std::span(memoryBlock_).subspan(offset, size);
    }
    std::span<const std::uint8_t> Part(std::size_t offset, std::size_t size) const
    {
        return std::span(memoryBlock_).subspan(offset, size);
    }

    ByteBlock memoryBlock_;
    // Where each buffer lies in the block and how much of it the current size uses.
    std::size_t workingBytes_ = 0;
    std::size_t indexOffset_ = 0;
    std::size_t indexBytes_ = 0;
    std::size_t referenceOffset_ = 0;
    std::size_t referenceBytes_ = 0;

    std::uint16_t width_ = 0;
    std::uint16_t height_ = 0;
    std::uint16_t bitsPerPixel_ = 0;
    std::int16_t isColour_ = -1;
    std::int16_t expandedFromIndexed_ = -1;
    CPaletteBuilder paletteBuilder_;
    std::uint16_t fullWidth_ = 0;
    std::uint16_t fullHeight_ = 0;
    BitmapFileHeader fileHeader_;
    BitmapInfo info_;
    std::uint16_t rowPad_ = 0;
    std::uint16_t indexRowPad_ = 0;
    float quantiseSeconds_ = 0.0f;
    float convertSeconds_ = 0.0f;
    ArithmeticCoder planeCoder_; // lossless byte-plane coding only
};

} // namespace tamr
