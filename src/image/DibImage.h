#pragma once
// The one in-memory image: a device-independent bitmap with its two headers, a
// 256-entry colour table and one zero-filled block holding every pixel buffer.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "codec/ArithmeticCoder.h"
#include "codec/ForwardLevelRows.h"
#include "image/BmpHeaders.h"
#include "image/DisplaySettings.h"
#include "image/PaletteBuilder.h"
#include "image/PixelPlaneViews.h"
#include "image/QualityFigures.h"
#include "platform/ByteBlock.h"
#include "platform/Failure.h"
#include "platform/FileParts.h"
#include "platform/Limits.h"
#include "platform/Prompter.h"

namespace tamr {

class CodecComponent;
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

// Pixel forms: 24 bits (blue, green, red) for colour, 8 bits (gray level) for
// gray. Rows are bottom-up, each padded with zeros to a multiple of 4 bytes.
// Three buffers: the working image (where a reader's or a BMP file's block
// has the same layout, that block itself, adopted without a copy), the 8-bit
// index image of a colour image (only where a palette display draws it), and
// for images loaded from a file or reader the reference image (the pixels as
// loaded). The reference image is the working image itself until the working
// image is first asked for to be changed (any non-const access to it); only
// then is it copied, and copies of the image share it.
// After SharePixels copies of the image share the working image's block too.
// A shared block is never written: the image that changes its working image
// first takes a copy of its own, so a copy may be read on another thread
// while the image it was made from goes on being edited.
// Where a decoded picture goes: over the working image, or into a new block
// that replaces it.
enum class DecodedPicture : std::uint8_t { OverWorking, NewBlock };

class CDibImage {
public:
    // An empty image: no pixels, isColour and expandedFromIndexed -1.
    CDibImage() = default;

    // Loads a whole BMP file. Top-down files are stored bottom-up like every
    // other image. On failure the user has been told why (except for a file
    // that is not a BMP at all) and the image is empty again. A picture beyond
    // the limits is refused before anything is allocated for it.
    Status ReadBmp(std::span<const std::uint8_t> file, Prompter& prompter, const DisplaySettings& settings,
                   const Limits& limits);
    // The same, taking the file's block: its pixel rows become the working
    // image in place when their layout allows it, so that the file and the
    // picture are not held twice. The block is left empty or as it was.
    Status ReadBmp(ByteBlock&& file, Prompter& prompter, const DisplaySettings& settings, const Limits& limits);

    // What loading the BMP file would make of its headers, without its
    // pixels: the sizes, depth, colour flag and file header are set, no
    // pixel block is made and nobody is told anything. A failure where
    // ReadBmp would fail before reading the pixels.
    Status ProbeBmp(std::span<const std::uint8_t> file, const Limits& limits);
    // The same, telling `prompter` what ReadBmp would tell about the headers.
    Status ProbeBmp(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits);
    // The same for the header and colour table of a packed image block (a
    // reader's head, its rows left out).
    Status ProbePackedHead(std::span<const std::uint8_t> head, const Limits& limits);

    // Loads the packed image block a TGA, GIF or JPEG reader returns. Rows the
    // block does not hold stay zero. On failure the image is empty again.
    Status LoadPackedBlock(std::span<const std::uint8_t> block, Prompter& prompter, const DisplaySettings& settings,
                           const Limits& limits);
    // The same, taking the block: an 8- or 24-bit block's rows become the
    // working image without a copy.
    Status LoadPackedBlock(ByteBlock&& block, Prompter& prompter, const DisplaySettings& settings,
                           const Limits& limits);

    // Sets up headers and a zero-filled block without reference image for
    // decoded COD data; a colour image must have 24 bits, a gray one gets 8.
    // Only a palette display draws the index image: without one the block
    // need not hold it. Fails silently (the image stays empty). With
    // `workingLater` the working image gets no block yet: the caller has the
    // decoded picture made into a new one (DecodedPicture::NewBlock), and
    // nothing may read the working image before.
    Status AllocateForCodData(std::uint16_t width, std::uint16_t height, std::uint16_t bitsPerPixel, bool isColour,
                              const Limits& limits = {}, bool withIndexImage = true, bool workingLater = false);

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

    // The BMP file of the working image, with a 40-byte info header: the
    // headers (and a gray image's colour table) built for it, then the pixels
    // as they are held. Empty when the image has no pixels or memory is short.
    FileParts BmpFile() const;
    // The same file in one block; the caller writes it.
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

    bool HasPixels() const { return !pixelBlock_.empty() || sharedPixels_ != nullptr; }
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

    // The working image; empty before loading. Asking for it to change first
    // gives the reference image a copy of its own (std::bad_alloc when memory
    // is short), so that the reference stays the picture as loaded.
    std::span<std::uint8_t> Pixels();
    std::span<const std::uint8_t> Pixels() const { return WorkingBlock().subspan(workingOffset_, workingBytes_); }
    // The index image; empty for gray images and where no palette display draws it.
    std::span<std::uint8_t> IndexPixels() { return std::span(indexBlock_).first(indexBytes_); }
    std::span<const std::uint8_t> IndexPixels() const { return std::span(indexBlock_).first(indexBytes_); }
    // The reference image; empty for images made from COD data.
    std::span<const std::uint8_t> ReferencePixels() const;
    // True while the reference image is the working image itself (nothing
    // has changed the working image since loading).
    bool ReferenceIsWorking() const { return referenceIsWorking_; }
    // Gives the reference image its own block now, so that copies of the
    // image share it instead of each copying it when it changes.
    void ShareReference() { DetachReference(); }
    // Lets copies made from now on share the working image's block instead of
    // copying it (a copy for another thread costs no pass over the pixels).
    // The next change of the working image, here or in a copy, copies it.
    void SharePixels();
    const CPaletteBuilder& PaletteBuilder() const { return paletteBuilder_; }

    // The reference image converted into the codec's planes, sized by its
    // PrepareEncode (subsampled chroma when B and C are sampled).
    bool ConvertToPlanes(WaveletCodec& codec) const;
    // The same samples of component `index` alone, as floats a row at a time
    // (the component's Width() x Height()), for its transform; an empty
    // source when the picture does not fit the component.
    ForwardRowSource RowsOfComponent(const WaveletCodec& codec, std::size_t index,
                                     const CodecComponent& component) const;
    // The codec's decoded planes converted into the working image, timed into
    // convertSeconds; on a palette display a colour image then builds its
    // index image, timed into quantiseSeconds.
    bool ConvertDecodedPlanes(const WaveletCodec& codec, const DisplaySettings& display);
    // The same for a codec whose planes are freed next, and which may have
    // left the finest level in its quadrants (FinestLevel::InRows): the rows
    // are made a band at a time, and what each band read goes back to the
    // system once it is converted. Into a new block, the decoded picture
    // grows while the planes shrink, and each of its pages is written once;
    // it replaces the working image (whose reference image keeps the picture
    // as loaded) only when the conversion succeeds. The planes are of no use
    // afterwards.
    bool ConvertAndDiscardPlanes(WaveletCodec& codec, const DisplaySettings& display,
                                 DecodedPicture into = DecodedPicture::OverWorking);
    // The same rows measured against the reference image a band at a time
    // and then dropped: the figures of the decoded picture without holding
    // it. The working image is left as it is; none when the planes do not
    // convert.
    std::optional<QualityFigures> MeasureAndDiscardPlanes(WaveletCodec& codec);
    // Gives the working image's pages back before it is overwritten whole
    // (the reference image keeps the picture as loaded); they read as zeros.
    void DiscardWorkingPixels();
    // Copies the reference image back over the working image, for a decoding
    // that failed after DiscardWorkingPixels.
    void RestoreWorkingPixels();
    // The planes of a partly decoded codec, divided by the gain they carry
    // `shift` levels above full resolution, converted into the working image
    // of the current (reduced) size; then the index image on a palette display.
    bool ConvertLevelPlanes(const WaveletCodec& codec, int shift, const DisplaySettings& display);
    // Gives a colour image a zero-filled index image when it has none (it
    // was loaded for a screen without a palette); false for a gray or empty
    // image, or when memory is short.
    bool EnsureIndexImage();
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

    // The decoded planes converted a band of rows at a time (rows from
    // `row`) into the pixels `bandAt` gives, each band handed to `converted`;
    // false when a band does not convert or `converted` refuses it.
    bool ConvertPlaneBands(WaveletCodec& codec, const std::function<PixelView(int row, int rows)>& bandAt,
                           const std::function<bool(int row, const PixelView& band)>& converted);

    // ReadBmp up to its pixels: the headers, the colour table and the checks of BeginLoad.
    Status BeginBmp(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits,
                    BitmapFileHeader& fileHeader, bool& topDown);
    Status ReadBmpFrom(std::span<const std::uint8_t> file, ByteBlock* owner, Prompter& prompter,
                       const DisplaySettings& display, const Limits& limits);
    Status LoadPackedFrom(std::span<const std::uint8_t> block, ByteBlock* owner, Prompter& prompter,
                          const DisplaySettings& display, const Limits& limits);
    // Shared steps of loading from a file or a packed block: take the size and
    // depth from the header (the colour table already read) and check them.
    // rowBytesPresent is how many bytes of pixel rows the source holds.
    Status BeginLoad(const BitmapInfoHeader& header, std::size_t rowBytesPresent, const Limits& limits,
                     Prompter& prompter);
    // Puts the source rows (at rowsOffset in the owner's block, when there is
    // one) into the working image: the owner's block adopted in place where
    // its rows have the working image's layout, else a new block they are
    // copied or expanded (8-bit colour) into. Then the index image, for a
    // colour image on a palette display.
    Status PlaceRows(std::span<const std::uint8_t> rows, std::size_t rowsOffset, ByteBlock* owner, bool topDown,
                     const DisplaySettings& display, Prompter& prompter);
    // Copies the source rows into the working image.
    void LoadRows(std::span<const std::uint8_t> rows, bool topDown);
    // Reverses the order of the working image's rows.
    void FlipRows();
    // Gray mapping, the index image on a palette display; the working image
    // is then the reference image.
    void FinishLoad(const DisplaySettings& display);
    // Gives the reference image a block of its own before the working image
    // changes; a shared working block becomes the reference as it is.
    void DetachReference();
    // Gives the working image a block of its own before it changes.
    void OwnPixels();
    // The block the working image lies in: its own or the shared one.
    std::span<const std::uint8_t> WorkingBlock() const
    {
        return sharedPixels_ ? std::span<const std::uint8_t>(*sharedPixels_)
                             : std::span<const std::uint8_t>(pixelBlock_);
    }
    // Width and height changed: the row pads, the header and the buffer sizes follow.
    void SetPixelSize(std::uint16_t width, std::uint16_t height);
    void MapGrayLevels();
    // 8-bit colour rows (index rows padded to 4 bytes) expanded into the working image.
    void ExpandIndexedRows(std::span<const std::uint8_t> rows, bool topDown);

    struct BlockParts {
        std::uint64_t working = 0;
        std::uint64_t index = 0;
        std::uint64_t reference = 0;
    };
    // Bytes of each buffer of the pixel block for the current size and depth.
    BlockParts PixelBlockParts(bool withReference, bool withIndex = true) const;
    // The working image's block (and the index image's, when asked for).
    BlockResult AllocatePixelBlock(const Limits& limits, bool withIndex, bool workingLater = false);

    // The working image lies at workingOffset_ in its block (a reader's
    // block keeps its header in front); the sizes are those of the current
    // picture size. The block is pixelBlock_, or after SharePixels the
    // read-only sharedPixels_ (pixelBlock_ is then empty).
    ByteBlock pixelBlock_;
    std::shared_ptr<const ByteBlock> sharedPixels_;
    std::size_t workingOffset_ = 0;
    std::size_t workingBytes_ = 0;
    ByteBlock indexBlock_;
    std::size_t indexBytes_ = 0;
    // The pixels as loaded (at referenceOffset_ in the block), once the
    // working image has changed; shared by copies.
    std::shared_ptr<const ByteBlock> reference_;
    bool referenceIsWorking_ = false;
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
