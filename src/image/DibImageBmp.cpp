// Reading and writing BMP files.

#include <algorithm>
#include <limits>

#include "image/DibImage.h"
#include "image/ImageMessages.h"
#include "platform/SilentPrompter.h"

namespace tamr {
namespace {

// OS/2 2.x headers may stop after the bit count; the fields they leave out are 0.
constexpr std::uint32_t kShortestInfoHeader = 16;

// The info header as found in the file, in 40-byte form, and where its colour table lies.
struct BmpLayout {
    BitmapInfoHeader header;
    std::size_t tableStart = 0;
    std::size_t entrySize = kRgbQuadSize;
};

enum class HeaderProblem { None, Incomplete, UnknownKind };

HeaderProblem ReadLayout(std::span<const std::uint8_t> file, BmpLayout& layout)
{
    ByteReader sizeReader(file);
    sizeReader.Seek(kFileHeaderSize);
    const std::uint32_t headerSize = sizeReader.U32();
    if (sizeReader.Overran())
        return HeaderProblem::Incomplete;
    if (headerSize != kCoreHeaderSize && headerSize < kShortestInfoHeader)
        return HeaderProblem::UnknownKind;
    if (std::uint64_t{kFileHeaderSize} + headerSize > file.size())
        return HeaderProblem::Incomplete;

    // Only the header's own bytes are read, so the fields a shorter header lacks read as 0.
    const auto headerBytes = file.subspan(kFileHeaderSize, std::min<std::size_t>(headerSize, kInfoHeaderSize));
    ByteReader reader(headerBytes);
    if (headerSize == kCoreHeaderSize) {
        layout.header = ReadCoreHeader(reader);
        layout.entrySize = kRgbTripleSize;
    } else {
        layout.header = ReadInfoHeader(reader);
        layout.entrySize = kRgbQuadSize;
    }
    layout.tableStart = kFileHeaderSize + headerSize;
    return HeaderProblem::None;
}

// biClrUsed entries when given (at most 256); otherwise a full table for depths
// below 16 when the pixels start after the header, as many as fit before them.
std::size_t TableEntryCount(const BmpLayout& layout, std::uint32_t offBits)
{
    const BitmapInfoHeader& header = layout.header;
    if (header.biClrUsed != 0)
        return std::min<std::size_t>(header.biClrUsed, kColourTableEntries);
    if (offBits > layout.tableStart && header.biBitCount < 16) {
        const std::size_t full = std::min<std::size_t>(std::size_t{1} << header.biBitCount, kColourTableEntries);
        return std::min(full, (offBits - layout.tableStart) / layout.entrySize);
    }
    return 0;
}

} // namespace

Status CDibImage::ReadBmp(std::span<const std::uint8_t> file, Prompter& prompter, const DisplaySettings& display,
                          const Limits& limits)
{
    return ReadBmpFrom(file, nullptr, prompter, display, limits);
}

Status CDibImage::ReadBmp(ByteBlock&& file, Prompter& prompter, const DisplaySettings& display, const Limits& limits)
{
    return ReadBmpFrom(file, &file, prompter, display, limits);
}

Status CDibImage::BeginBmp(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits,
                           BitmapFileHeader& fileHeader, bool& topDown)
{
    ByteReader reader(file);
    fileHeader = ReadFileHeader(reader);
    if (fileHeader.bfType != kBmpTypeBM && fileHeader.bfType != kBmpTypeMB)
        return FailureKind::Unsupported;

    BmpLayout layout;
    switch (ReadLayout(file, layout)) {
    case HeaderProblem::None:
        break;
    case HeaderProblem::Incomplete:
        ShowImageError(prompter, kHeaderIncompleteMessage);
        return FailureKind::Truncated;
    case HeaderProblem::UnknownKind:
        ShowImageError(prompter, kHeaderUnknownMessage);
        return FailureKind::Unsupported;
    }
    const BitmapInfoHeader& header = layout.header;
    if (header.biBitCount != 8 && header.biBitCount != 24) {
        ShowImageError(prompter, kDepthMessage);
        return FailureKind::Unsupported;
    }
    if (header.biCompression != 0) {
        ShowImageError(prompter, kCompressedMessage);
        return FailureKind::Unsupported;
    }

    // Entries the file does not hold stay zero.
    reader.Seek(layout.tableStart);
    const std::size_t entries = TableEntryCount(layout, fileHeader.bfOffBits);
    for (std::size_t i = 0; i < entries && reader.Remaining() > 0; ++i)
        info_.colours[i] = layout.entrySize == kRgbQuadSize ? ReadRgbQuad(reader) : ReadRgbTriple(reader);

    // A pixel area the file holds only in part leaves the rest zero.
    const std::size_t rowBytes = fileHeader.bfOffBits < file.size() ? file.size() - fileHeader.bfOffBits : 0;
    topDown = header.biHeight < 0;
    return BeginLoad(header, rowBytes, limits, prompter);
}

Status CDibImage::ProbeBmp(std::span<const std::uint8_t> file, const Limits& limits)
{
    SilentPrompter silent;
    return ProbeBmp(file, silent, limits);
}

Status CDibImage::ProbeBmp(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits)
{
    *this = CDibImage();
    BitmapFileHeader fileHeader;
    bool topDown = false;
    const Status begun = BeginBmp(file, prompter, limits, fileHeader, topDown);
    fileHeader_ = fileHeader;
    return begun;
}

Status CDibImage::ReadBmpFrom(std::span<const std::uint8_t> file, ByteBlock* owner, Prompter& prompter,
                              const DisplaySettings& display, const Limits& limits)
{
    *this = CDibImage();
    auto fail = [this](Status failure) {
        *this = CDibImage();
        return failure;
    };
    BitmapFileHeader fileHeader;
    bool topDown = false;
    if (const Status begun = BeginBmp(file, prompter, limits, fileHeader, topDown); !begun)
        return fail(begun);
    const auto rows =
        fileHeader.bfOffBits < file.size() ? file.subspan(fileHeader.bfOffBits) : std::span<const std::uint8_t>();
    // Taken before the rows are placed: the file's block may become the picture's.
    const auto fileSize =
        static_cast<std::uint32_t>(std::min<std::size_t>(file.size(), std::numeric_limits<std::uint32_t>::max()));
    if (const Status placed = PlaceRows(rows, std::min<std::size_t>(fileHeader.bfOffBits, file.size()), owner, topDown,
                                        display, prompter);
        !placed)
        return fail(placed);
    FinishLoad(display);

    fileHeader_ = fileHeader;
    fileHeader_.bfSize = fileSize;
    return {};
}

FileParts CDibImage::BmpFile() const
{
    if (!HasPixels())
        return {};
    const bool gray = isColour_ != 1;

    BitmapFileHeader fileHeader = fileHeader_;
    fileHeader.bfOffBits = gray ? kGrayBmpOffBits : kColourBmpOffBits;
    fileHeader.bfSize = fileHeader.bfOffBits + info_.header.biSizeImage;
    BitmapInfoHeader header = info_.header;
    header.biSize = kInfoHeaderSize;
    header.biClrUsed = 0;

    const auto pixels = Pixels().first(std::min<std::size_t>(info_.header.biSizeImage, Pixels().size()));
    FileParts file;
    ByteWriter writer(file.head);
    WriteFileHeader(writer, fileHeader);
    WriteInfoHeader(writer, header);
    if (gray)
        for (const RgbQuad& entry : ColourTable())
            WriteRgbQuad(writer, entry);
    file.body = pixels;
    return file;
}

std::vector<std::uint8_t> CDibImage::WriteBmp() const
{
    try {
        return BmpFile().Joined();
    } catch (const std::bad_alloc&) {
        return {};
    }
}

} // namespace tamr
