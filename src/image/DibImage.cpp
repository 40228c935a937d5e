#include "image/DibImage.h"

#include <algorithm>
#include <new>
#include <utility>

#include "image/FixedColourTable.h"
#include "image/ImageMessages.h"
#include "platform/CheckedSize.h"

namespace tamr {
std::uint16_t CDibImage::RowPadFor(std::uint16_t width, std::uint16_t bitsPerPixel)
{
    const std::uint32_t rowBytes = std::uint32_t{width} * (bitsPerPixel / 8u);
    return static_cast<std::uint16_t>((4 - rowBytes % 4) % 4);
}

std::size_t CDibImage::ImageSize() const
{
    const std::size_t rowBytes = std::size_t{width_} * (bitsPerPixel_ / 8u) + rowPad_;
    return rowBytes * height_;
}

std::int16_t CDibImage::DetectColour() const
{
    if (bitsPerPixel_ == 24)
        return 1;
    // Entry 255 is not looked at: a table whose only colour is its last entry counts as gray.
    for (std::size_t i = 0; i < kColourTableEntries - 1; ++i) {
        const RgbQuad& entry = info_.colours[i];
        if (entry.blue != entry.green || entry.green != entry.red)
            return 1;
    }
    return 0;
}

void CDibImage::SetDefaultPalette()
{
    const auto& fixed = FixedColourTable();
    for (std::size_t i = 0; i < kColourTableEntries; ++i) {
        RgbQuad& entry = info_.colours[i];
        if (isColour_ == 1) {
            entry = RgbQuad{fixed[i][0], fixed[i][1], fixed[i][2], 0};
        } else {
            const auto level = static_cast<std::uint8_t>(i);
            entry = RgbQuad{level, level, level, 0};
        }
    }
}

CDibImage::BlockParts CDibImage::PixelBlockParts(bool withReference, bool withIndex) const
{
    // 64-bit arithmetic: with 16-bit sides none of these can overflow; their
    // sum is checked where the block is allocated.
    BlockParts parts;
    parts.working = std::uint64_t{width_} * (bitsPerPixel_ / 8u) * height_ + std::uint64_t{rowPad_} * height_;
    parts.index = isColour_ == 1 && withIndex ? (std::uint64_t{width_} + indexRowPad_) * height_ : 0;
    parts.reference = withReference ? parts.working : 0;
    return parts;
}

CDibImage::BlockResult CDibImage::AllocatePixelBlock(const Limits& limits, bool withIndex, bool workingLater)
{
    const auto [working, index, reference] = PixelBlockParts(false, withIndex);
    if ((CheckedSize(working) + index).Exceeds(limits.maxBlockBytes))
        return BlockResult::TooLarge;
    auto block =
        workingLater ? std::optional<ByteBlock>(ByteBlock()) : AllocateBlock(static_cast<std::size_t>(working));
    if (!block)
        return BlockResult::NoMemory;
    ByteBlock indices;
    if (index != 0) {
        auto allocated = AllocateBlock(static_cast<std::size_t>(index));
        if (!allocated)
            return BlockResult::NoMemory;
        indices = std::move(*allocated);
    }
    pixelBlock_ = std::move(*block);
    sharedPixels_.reset();
    workingOffset_ = 0;
    workingBytes_ = static_cast<std::size_t>(working);
    indexBlock_ = std::move(indices);
    indexBytes_ = static_cast<std::size_t>(index);
    return BlockResult::Allocated;
}

std::span<std::uint8_t> CDibImage::Pixels()
{
    DetachReference();
    OwnPixels();
    return std::span(pixelBlock_).subspan(workingOffset_, workingBytes_);
}

std::span<const std::uint8_t> CDibImage::ReferencePixels() const
{
    if (referenceIsWorking_)
        return Pixels();
    if (!reference_)
        return {};
    return std::span<const std::uint8_t>(*reference_).subspan(referenceOffset_, referenceBytes_);
}

void CDibImage::DetachReference()
{
    if (!referenceIsWorking_)
        return;
    if (sharedPixels_) {
        // Never written again, so it can stay the picture as loaded.
        reference_ = sharedPixels_;
        referenceOffset_ = workingOffset_;
    } else {
        const auto working = std::as_const(*this).Pixels();
        reference_ = std::make_shared<const ByteBlock>(working.begin(), working.end());
        referenceOffset_ = 0;
    }
    referenceIsWorking_ = false;
}

void CDibImage::OwnPixels()
{
    if (!sharedPixels_)
        return;
    const auto working = std::as_const(*this).Pixels();
    pixelBlock_ = ByteBlock(working.begin(), working.end());
    workingOffset_ = 0;
    sharedPixels_.reset();
}

void CDibImage::SharePixels()
{
    if (sharedPixels_ || pixelBlock_.empty())
        return;
    sharedPixels_ = std::make_shared<const ByteBlock>(std::move(pixelBlock_));
    pixelBlock_ = ByteBlock();
}

Status CDibImage::BeginLoad(const BitmapInfoHeader& header, std::size_t rowBytesPresent, const Limits& limits,
                            Prompter& prompter)
{
    // A negative height means top-down rows; the image always holds them bottom-up.
    const std::int64_t width = header.biWidth;
    const std::int64_t height = header.biHeight < 0 ? -std::int64_t{header.biHeight} : header.biHeight;
    const std::int64_t maxSide = limits.maxSide;
    if (width < 1 || width > maxSide || height < 1 || height > maxSide) {
        ShowImageError(prompter, kPictureSizeMessage);
        return FailureKind::Unsupported;
    }
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > limits.maxPixels) {
        ShowImageError(prompter, kTooLargeMessage);
        return FailureKind::TooLarge;
    }
    width_ = static_cast<std::uint16_t>(width);
    height_ = static_cast<std::uint16_t>(height);
    fullWidth_ = width_;
    fullHeight_ = height_;
    bitsPerPixel_ = header.biBitCount;
    isColour_ = DetectColour();
    if (bitsPerPixel_ == 8 && isColour_ == 1) {
        bitsPerPixel_ = 24;
        expandedFromIndexed_ = kExpandedFromIndexed;
    }
    rowPad_ = RowPadFor(width_, bitsPerPixel_);
    indexRowPad_ = RowPadFor(width_, 8);

    const BlockParts parts = PixelBlockParts(true);
    if ((CheckedSize(parts.working) + parts.index + parts.reference).Exceeds(limits.maxBlockBytes)) {
        ShowImageError(prompter, kTooLargeMessage);
        return FailureKind::TooLarge;
    }
    // Missing rows are zero, but a large picture the source holds little of
    // is not worth the memory it would take.
    const bool fromIndices = expandedFromIndexed_ == kExpandedFromIndexed;
    if (!limits.Justifies(std::uint64_t{width_} * height_, rowBytesPresent,
                          fromIndices ? parts.index : parts.working)) {
        ShowImageError(prompter, kPictureMissingMessage);
        return FailureKind::Truncated;
    }
    if (!limits.DecodeAllowed(width_, height_, bitsPerPixel_ / 8u)) {
        ShowImageError(prompter, kTooLargeMessage);
        return Status::OverDecodeLimit();
    }

    // The held header describes the image as held: 40 bytes, uncompressed, bottom-up.
    info_.header = header;
    info_.header.biSize = kInfoHeaderSize;
    info_.header.biWidth = width_;
    info_.header.biHeight = height_;
    info_.header.biBitCount = bitsPerPixel_;
    info_.header.biCompression = 0;
    info_.header.biSizeImage = static_cast<std::uint32_t>(ImageSize());
    return {};
}

Status CDibImage::PlaceRows(std::span<const std::uint8_t> rows, std::size_t rowsOffset, ByteBlock* owner, bool topDown,
                            const DisplaySettings& display, Prompter& prompter)
{
    const bool expanded = expandedFromIndexed_ == kExpandedFromIndexed;
    const bool withIndex = display.paletteDisplay && isColour_ == 1;
    const std::size_t size = ImageSize();
    // A block whose rows are the working image's is taken as it is, unless
    // it carries much more than the picture after them.
    constexpr std::size_t kMostSpareBytes = std::size_t{1} << 20;
    const bool adopt = owner != nullptr && !expanded && rowsOffset <= owner->size() &&
                       owner->size() - rowsOffset <= size + kMostSpareBytes;
    BlockResult result = BlockResult::Allocated;
    if (adopt) {
        try {
            owner->resize(rowsOffset + size); // rows the source lacks are zero
            const BlockParts parts = PixelBlockParts(false, withIndex);
            if (parts.index != 0)
                indexBlock_.assign(static_cast<std::size_t>(parts.index), 0);
            indexBytes_ = static_cast<std::size_t>(parts.index);
            pixelBlock_ = std::move(*owner);
            sharedPixels_.reset();
            workingOffset_ = rowsOffset;
            workingBytes_ = size;
            if (topDown)
                FlipRows();
        } catch (const std::bad_alloc&) {
            result = BlockResult::NoMemory;
        }
    } else {
        result = AllocatePixelBlock(Limits(), withIndex);
        if (result == BlockResult::Allocated) {
            if (expanded)
                ExpandIndexedRows(rows, topDown);
            else
                LoadRows(rows, topDown);
        }
    }
    switch (result) {
    case BlockResult::Allocated:
        return {};
    case BlockResult::TooLarge:
        ShowImageError(prompter, kTooLargeMessage);
        return FailureKind::TooLarge;
    case BlockResult::NoMemory:
        break;
    }
    ShowImageError(prompter, kMemoryLowMessage, kMemoryErrorCaption);
    return FailureKind::OutOfMemory;
}

void CDibImage::LoadRows(std::span<const std::uint8_t> rows, bool topDown)
{
    const std::span<std::uint8_t> target = std::span(pixelBlock_).subspan(workingOffset_, workingBytes_);
    if (!topDown) {
        const std::size_t count = std::min(target.size(), rows.size());
        std::copy_n(rows.begin(), count, target.begin());
        return;
    }
    const std::size_t rowBytes = target.size() / height_;
    for (std::size_t row = 0; row < height_; ++row) {
        const std::size_t start = row * rowBytes;
        if (start >= rows.size())
            break;
        const std::size_t count = std::min(rowBytes, rows.size() - start);
        const std::size_t targetRow = height_ - 1 - row;
        std::copy_n(rows.begin() + static_cast<std::ptrdiff_t>(start), count,
                    target.begin() + static_cast<std::ptrdiff_t>(targetRow * rowBytes));
    }
}

void CDibImage::FlipRows()
{
    const std::span<std::uint8_t> target = std::span(pixelBlock_).subspan(workingOffset_, workingBytes_);
    const std::size_t rowBytes = target.size() / height_;
    for (std::size_t top = 0, bottom = height_ - 1u; top < bottom; ++top, --bottom)
        std::swap_ranges(target.begin() + static_cast<std::ptrdiff_t>(top * rowBytes),
                         target.begin() + static_cast<std::ptrdiff_t>((top + 1) * rowBytes),
                         target.begin() + static_cast<std::ptrdiff_t>(bottom * rowBytes));
}

void CDibImage::MapGrayLevels()
{
    // A gray source's bytes are indices into its table; keep the level they stand for.
    const std::size_t rowBytes = std::size_t{width_} + rowPad_;
    const std::span<std::uint8_t> pixels = Pixels();
    for (std::size_t row = 0; row < height_; ++row) {
        const auto line = pixels.subspan(row * rowBytes, width_);
        for (std::uint8_t& value : line)
            value = info_.colours[value].red;
    }
    SetDefaultPalette();
}

void CDibImage::ExpandIndexedRows(std::span<const std::uint8_t> rows, bool topDown)
{
    // Indices the source does not hold are 0, as the zero-filled rows of an
    // index image would give.
    const std::size_t indexRowBytes = std::size_t{width_} + indexRowPad_;
    const std::size_t rowBytes = std::size_t{width_} * 3 + rowPad_;
    const std::span<std::uint8_t> pixels = Pixels();
    for (std::size_t row = 0; row < height_; ++row) {
        const std::size_t sourceRow = topDown ? height_ - 1u - row : row;
        const std::size_t start = sourceRow * indexRowBytes;
        auto target = pixels.subspan(row * rowBytes, std::size_t{width_} * 3).begin();
        for (std::size_t x = 0; x < width_; ++x) {
            const std::uint8_t index = start + x < rows.size() ? rows[start + x] : 0;
            const RgbQuad& entry = info_.colours[index];
            *target++ = entry.blue;
            *target++ = entry.green;
            *target++ = entry.red;
        }
    }
}

void CDibImage::FinishLoad(const DisplaySettings& display)
{
    if (isColour_ != 1)
        MapGrayLevels();
    if (display.paletteDisplay && isColour_ == 1) {
        SetDefaultPalette();
        (void)BuildIndexImage(display);
    }
    referenceIsWorking_ = true;
    referenceBytes_ = workingBytes_;
}

Status CDibImage::AllocateForCodData(std::uint16_t width, std::uint16_t height, std::uint16_t bitsPerPixel,
                                     bool isColour, const Limits& limits, bool withIndexImage, bool workingLater)
{
    *this = CDibImage();
    if (width == 0 || height == 0 || (isColour && bitsPerPixel != 24))
        return FailureKind::Corrupt;
    width_ = width;
    height_ = height;
    fullWidth_ = width;
    fullHeight_ = height;
    bitsPerPixel_ = isColour ? 24 : 8;
    isColour_ = isColour ? 1 : 0;
    rowPad_ = RowPadFor(width_, bitsPerPixel_);
    indexRowPad_ = RowPadFor(width_, 8);
    if (const BlockResult result = AllocatePixelBlock(limits, isColour && withIndexImage, workingLater);
        result != BlockResult::Allocated) {
        *this = CDibImage();
        return result == BlockResult::TooLarge ? FailureKind::TooLarge : FailureKind::OutOfMemory;
    }

    fileHeader_.bfType = kBmpTypeBM;
    fileHeader_.bfOffBits = kColourBmpOffBits;
    if (!isColour) {
        SetDefaultPalette();
        fileHeader_.bfOffBits = kGrayBmpOffBits;
    }
    BitmapInfoHeader& header = info_.header;
    header.biSize = kInfoHeaderSize;
    header.biWidth = width_;
    header.biHeight = height_;
    header.biPlanes = 1;
    header.biBitCount = bitsPerPixel_;
    header.biSizeImage = static_cast<std::uint32_t>(ImageSize());
    fileHeader_.bfSize = header.biSizeImage + fileHeader_.bfOffBits;
    return {};
}

} // namespace tamr
