#include "image/JpegMemorySource.h"

namespace tamr {
namespace {

JpegMemorySource& SourceOf(j_decompress_ptr decompressor)
{
    return *reinterpret_cast<JpegMemorySource*>(decompressor->src);
}

void InitSource(j_decompress_ptr decompressor)
{
    SourceOf(decompressor).startOfFile = true;
}

// Supplies the next piece of the file. When the file is used up the decoder
// gets an end-of-image marker, so a truncated file still decodes to the end.
boolean FillInputBuffer(j_decompress_ptr decompressor)
{
    JpegMemorySource& source = SourceOf(decompressor);
    std::size_t count = source.file.ReadBytes(source.buffer);
    if (count == 0) {
        if (source.startOfFile)
            ERREXIT(decompressor, JERR_INPUT_EMPTY);
        WARNMS(decompressor, JWRN_JPEG_EOF);
        source.buffer[0] = 0xFF;
        source.buffer[1] = JPEG_EOI;
        count = 2;
    }
    source.manager.next_input_byte = source.buffer.data();
    source.manager.bytes_in_buffer = count;
    source.startOfFile = false;
    return TRUE;
}

// Skips within the buffer first, then in the file itself. A skip past the end
// of the file stops there and leaves one inserted end marker to be read, rather
// than refilling (and warning) for every two bytes of the rest of the skip.
void SkipInputData(j_decompress_ptr decompressor, long count)
{
    if (count <= 0)
        return;
    JpegMemorySource& source = SourceOf(decompressor);
    auto remaining = static_cast<unsigned long>(count);
    if (remaining <= source.manager.bytes_in_buffer) {
        source.manager.next_input_byte += remaining;
        source.manager.bytes_in_buffer -= remaining;
        return;
    }
    remaining -= source.manager.bytes_in_buffer;
    source.manager.bytes_in_buffer = 0;
    const bool pastEnd = remaining > source.file.Remaining();
    source.file.Skip(pastEnd ? source.file.Remaining() : remaining);
    if (pastEnd)
        FillInputBuffer(decompressor);
}

void TermSource(j_decompress_ptr /*decompressor*/) {}

} // namespace

void AttachMemorySource(j_decompress_ptr decompressor, JpegMemorySource& source)
{
    source.manager.init_source = InitSource;
    source.manager.fill_input_buffer = FillInputBuffer;
    source.manager.skip_input_data = SkipInputData;
    source.manager.resync_to_restart = jpeg_resync_to_restart;
    source.manager.term_source = TermSource;
    source.manager.bytes_in_buffer = 0;
    source.manager.next_input_byte = nullptr;
    decompressor->src = &source.manager;
}

} // namespace tamr
