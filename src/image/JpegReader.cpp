#include "image/JpegReader.h"

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <limits>
#include <new>
#include <stdexcept>

#include "image/BmpHeaders.h"
#include "image/ImageMessages.h"
#include "image/JpegErrorManager.h"
#include "image/JpegMemorySource.h"
#include "image/PackedImageBlock.h"
#include "platform/ByteWriter.h"

#if !defined(JCS_EXTENSIONS)
#error "The JPEG reader needs libjpeg-turbo's extended colour spaces (JCS_EXT_BGR)"
#endif

namespace tamr {
namespace {

enum class DecodeResult { Decoded, DecoderFailed, NotSupported, NotColour, NoMemory, PictureMissing };

// No colour JPEG codes more pixels to a byte: the component with the most
// blocks has one 8x8 block for every 64 pixels, and no block takes fewer than
// 2 bits (a 1-bit DC difference code and a 1-bit end-of-block code).
constexpr std::uint64_t kJpegMostPixelsPerByte = 256;

// All the decoder works with. Plain data only: a fatal decoder error longjmps
// from inside the library back to DecodeJpeg, across RunDecoder, and no object
// in the frames it crosses may need a destructor.
struct JpegSession {
    explicit JpegSession(std::span<const std::uint8_t> file) : source(file) {}

    jpeg_decompress_struct decompressor{};
    JpegErrorManager errors{};
    JpegMemorySource source;
};

static_assert(std::is_trivially_destructible_v<JpegSession>);

// Lays out the block with its header and spare bytes, room for the rows after.
// Called between decoder calls, so the jump never crosses it.
bool StartPackedBlock(ByteBlock& block, JDIMENSION width, JDIMENSION height, std::size_t size)
{
    BitmapInfoHeader header;
    header.biSize = kInfoHeaderSize;
    header.biWidth = static_cast<std::int32_t>(width);
    header.biHeight = static_cast<std::int32_t>(height);
    header.biPlanes = 1;
    header.biBitCount = 24;
    try {
        block.clear();
        block.reserve(size);
        ByteWriter writer(block);
        WriteInfoHeader(writer, header);
        writer.Zeros(kPackedSpareBytes);
        block.resize(size);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

DecodeResult RunDecoder(JpegSession& session, std::uint64_t maxPixels, ByteBlock& block)
{
    const j_decompress_ptr decompressor = &session.decompressor;
    AttachMemorySource(decompressor, session.source);
    if (jpeg_read_header(decompressor, TRUE) != JPEG_HEADER_OK)
        return DecodeResult::DecoderFailed;
    // This decoder could do both; the reader takes baseline files only.
    if (decompressor->progressive_mode || decompressor->arith_code)
        return DecodeResult::NotSupported;
    // Ask for the image model's byte order; gray and four-component output stay as they are.
    if (decompressor->out_color_space == JCS_RGB)
        decompressor->out_color_space = JCS_EXT_BGR;

    // Refuse an oversized image before the decoder allocates its own buffers for it.
    jpeg_calc_output_dimensions(decompressor);
    const JDIMENSION width = decompressor->output_width;
    const JDIMENSION height = decompressor->output_height;
    const std::uint64_t pixels = std::uint64_t{width} * height;
    if (pixels > maxPixels)
        return DecodeResult::NoMemory;
    // The decoder makes up whatever the file leaves out; a large picture the
    // file cannot hold is refused rather than made up at great cost.
    const std::uint64_t bytesNeeded = (pixels + kJpegMostPixelsPerByte - 1) / kJpegMostPixelsPerByte;
    if (!PictureJustified(pixels, session.source.file.Size(), bytesNeeded))
        return DecodeResult::PictureMissing;

    if (!jpeg_start_decompress(decompressor))
        return DecodeResult::DecoderFailed;
    const JSAMPARRAY row =
        (*decompressor->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(decompressor), JPOOL_IMAGE,
                                           width * static_cast<JDIMENSION>(decompressor->output_components), 1);
    if (decompressor->output_components != 3)
        return DecodeResult::NotColour;

    const std::uint64_t rowBytes = std::uint64_t{width} * 3;
    const std::uint64_t stride = rowBytes + (4 - rowBytes % 4) % 4;
    const std::uint64_t rowsStart = PackedRowsOffset(0);
    const std::uint64_t size = rowsStart + stride * height;
    if (size > std::numeric_limits<std::size_t>::max() ||
        !StartPackedBlock(block, width, height, static_cast<std::size_t>(size)))
        return DecodeResult::NoMemory;

    // The first scanline read is the top of the picture and goes into the last
    // row, so the block is bottom-up. Padding bytes are left as they are.
    while (decompressor->output_scanline < height) {
        if (jpeg_read_scanlines(decompressor, row, 1) != 1)
            return DecodeResult::DecoderFailed;
        const std::uint64_t offset = rowsStart + (height - decompressor->output_scanline) * stride;
        std::copy_n(row[0], rowBytes, block.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    jpeg_finish_decompress(decompressor);
    return DecodeResult::Decoded;
}

// The jump point for fatal decoder errors. It keeps no state of its own: the
// session and the block live in the caller, untouched by the jump.
DecodeResult DecodeJpeg(JpegSession& session, std::uint64_t maxPixels, ByteBlock& block)
{
    session.decompressor.err = UseErrorManager(session.errors);
    if (setjmp(session.errors.jumpPoint) != 0) {
        jpeg_destroy_decompress(&session.decompressor);
        return DecodeResult::DecoderFailed;
    }
    jpeg_create_decompress(&session.decompressor);
    LimitScans(session.decompressor, session.errors, kJpegScanLimit);
    const DecodeResult result = RunDecoder(session, maxPixels, block);
    jpeg_destroy_decompress(&session.decompressor);
    return result;
}

} // namespace

std::optional<ByteBlock> ReadJpeg(std::span<const std::uint8_t> file, Prompter& prompter, std::uint64_t maxPixels)
{
    ByteBlock block;
    JpegSession session(file);
    switch (DecodeJpeg(session, maxPixels, block)) {
    case DecodeResult::Decoded:
        return block;
    case DecodeResult::DecoderFailed:
    case DecodeResult::NotSupported:
        ShowImageError(prompter, kJpegNotSupportedMessage);
        break;
    case DecodeResult::NotColour:
        ShowImageError(prompter, kJpegNotColourMessage);
        break;
    case DecodeResult::NoMemory:
        ShowImageError(prompter, kJpegMemoryMessage);
        break;
    case DecodeResult::PictureMissing:
        ShowImageError(prompter, kPictureMissingMessage);
        break;
    }
    return std::nullopt;
}

} // namespace tamr
