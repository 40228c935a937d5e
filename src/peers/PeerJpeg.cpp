#include "peers/PeerJpeg.h"

#include <csetjmp>
#include <cstdlib>
#include <span>

#include "image/JpegLibrary.h"

namespace tamr {
namespace {

// libjpeg reports a fatal error by calling error_exit; ours keeps the text and
// jumps back. Only trivially destructible objects live between setjmp and the jump.
struct PeerJpegErrors {
    jpeg_error_mgr standard{};
    std::jmp_buf jumpPoint{};
    char text[JMSG_LENGTH_MAX]{};
};

void KeepMessageAndJump(j_common_ptr info)
{
    auto* errors = reinterpret_cast<PeerJpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->text);
    std::longjmp(errors->jumpPoint, 1);
}

jpeg_error_mgr* UsePeerErrors(PeerJpegErrors& errors)
{
    jpeg_error_mgr* manager = jpeg_std_error(&errors.standard);
    manager->error_exit = KeepMessageAndJump;
    manager->output_message = [](j_common_ptr) {}; // warnings are not printed
    return manager;
}

// Rows are handed over bottom-up picture last row first, so no copy is made.
bool Encode(ConstPixelView picture, int bytesPerPixel, int quality, unsigned char** buffer, unsigned long* size,
            PeerJpegErrors& errors)
{
    jpeg_compress_struct info{};
    info.err = UsePeerErrors(errors);
    if (setjmp(errors.jumpPoint)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, buffer, size);
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = bytesPerPixel;
    info.in_color_space = bytesPerPixel == 3 ? JCS_EXT_BGR : JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, FALSE); // as cjpeg without -baseline: tables may exceed 255
    jpeg_start_compress(&info, TRUE);
    const std::size_t rowBytes = RowBytes(picture, bytesPerPixel);
    while (info.next_scanline < info.image_height) {
        const std::size_t row = static_cast<std::size_t>(picture.height) - 1 - info.next_scanline;
        auto* line = const_cast<JSAMPLE*>(picture.bytes.data() + row * rowBytes);
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

bool Decode(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel,
            std::vector<std::uint8_t>& decoded, PeerJpegErrors& errors)
{
    jpeg_decompress_struct info{};
    info.err = UsePeerErrors(errors);
    if (setjmp(errors.jumpPoint)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, coded.data(), static_cast<unsigned long>(coded.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = bytesPerPixel == 3 ? JCS_EXT_BGR : JCS_GRAYSCALE;
    jpeg_start_decompress(&info);
    if (static_cast<int>(info.output_width) != like.width || static_cast<int>(info.output_height) != like.height ||
        info.output_components != bytesPerPixel) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const std::size_t rowBytes = RowBytes(like, bytesPerPixel);
    while (info.output_scanline < info.output_height) {
        const std::size_t row = static_cast<std::size_t>(like.height) - 1 - info.output_scanline;
        JSAMPLE* line = decoded.data() + row * rowBytes;
        jpeg_read_scanlines(&info, &line, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

PeerPicture DecodeJpeg(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel)
{
    if (!DecodableLike(like, bytesPerPixel))
        return PeerFailure("JPEG decoding: no picture to decode into");
    PeerPicture result;
    result.coded.assign(coded.begin(), coded.end());
    result.decoded.assign(RowBytes(like, bytesPerPixel) * static_cast<std::size_t>(like.height), 0);
    PeerJpegErrors errors;
    const auto start = std::chrono::steady_clock::now();
    const bool decoded = Decode(result.coded, like, bytesPerPixel, result.decoded, errors);
    result.decodeSeconds = SecondsSince(start);
    if (!decoded)
        return PeerFailure(std::string("JPEG decoding: ") + (errors.text[0] ? errors.text : "unexpected picture"));
    return result;
}

PeerPicture CodeJpeg(ConstPixelView picture, int bytesPerPixel, int quality)
{
    if (!CodablePicture(picture, bytesPerPixel))
        return PeerFailure("JPEG: no picture to code");
    std::vector<std::uint8_t> coded;
    PeerJpegErrors errors;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    auto start = std::chrono::steady_clock::now();
    const bool encoded = Encode(picture, bytesPerPixel, quality, &buffer, &size, errors);
    if (encoded && buffer)
        coded.assign(buffer, buffer + size);
    // libjpeg's memory destination allocates the buffer with malloc.
    std::free(buffer); // NOLINT(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory)
    const double encodeSeconds = SecondsSince(start);
    if (!encoded)
        return PeerFailure(std::string("JPEG: ") + errors.text);
    PeerPicture decoded = DecodeJpeg(coded, picture, bytesPerPixel);
    decoded.encodeSeconds = encodeSeconds;
    return decoded;
}

// The version of the headers built against: libjpeg has no call that gives it.
#define TAMR_TEXT_OF(token) #token
#define TAMR_TEXT(token) TAMR_TEXT_OF(token)

std::string DescribeJpeg()
{
    return "libjpeg-turbo " TAMR_TEXT(
        LIBJPEG_TURBO_VERSION) ", jpeg_set_quality(Q) over the defaults: 4:2:0 chroma "
                               "for colour, standard Huffman tables, tables not forced to 8 bits";
}

} // namespace tamr
