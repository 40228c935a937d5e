#pragma once
// Makes JPEG files in memory with libjpeg's own compressor, and decodes them
// with libjpeg directly as the reference the reader is compared with.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "image/JpegLibrary.h"

namespace tamr::test {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

enum class JpegKind { Baseline, Progressive, Arithmetic, NonInterleaved };

struct JpegLayout {
    int width = 16;
    int height = 16;
    int components = 3; // 1 gray, 3 colour, 4 CMYK
    JpegKind kind = JpegKind::Baseline;
    int quality = 90;
    bool fullChroma = false;      // 4:4:4 instead of the default 4:2:0
    unsigned restartInterval = 0; // MCUs between restart markers; 0: none
    // Segments written after the frame's own headers: marker code and contents.
    std::vector<std::pair<int, std::vector<std::uint8_t>>> markers;
    // The colour of pixel (x, y), y = 0 the top row; gray takes the red value,
    // CMYK takes red, green, blue and 0 as its four channels.
    std::function<Rgb(int, int)> pixel = [](int x, int y) {
        return Rgb{static_cast<std::uint8_t>(x * 16), static_cast<std::uint8_t>(y * 16), 128};
    };
};

inline std::vector<std::uint8_t> MakeJpeg(const JpegLayout& layout)
{
    jpeg_compress_struct compressor{};
    jpeg_error_mgr errors{};
    compressor.err = jpeg_std_error(&errors);
    jpeg_create_compress(&compressor);
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    jpeg_mem_dest(&compressor, &output, &outputSize);

    compressor.image_width = static_cast<JDIMENSION>(layout.width);
    compressor.image_height = static_cast<JDIMENSION>(layout.height);
    compressor.input_components = layout.components;
    compressor.in_color_space = layout.components == 1 ? JCS_GRAYSCALE : layout.components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&compressor);
    jpeg_set_quality(&compressor, layout.quality, TRUE);
    compressor.restart_interval = layout.restartInterval;
    if (layout.fullChroma)
        for (int c = 0; c < compressor.num_components; ++c)
            compressor.comp_info[c].h_samp_factor = compressor.comp_info[c].v_samp_factor = 1;
    if (layout.kind == JpegKind::Progressive)
        jpeg_simple_progression(&compressor);
    if (layout.kind == JpegKind::Arithmetic)
        compressor.arith_code = TRUE;
    // One sequential scan per component.
    std::vector<jpeg_scan_info> scans;
    if (layout.kind == JpegKind::NonInterleaved) {
        for (int c = 0; c < compressor.num_components; ++c) {
            jpeg_scan_info scan{};
            scan.comps_in_scan = 1;
            scan.component_index[0] = c;
            scan.Se = 63;
            scans.push_back(scan);
        }
        compressor.scan_info = scans.data();
        compressor.num_scans = static_cast<int>(scans.size());
    }

    jpeg_start_compress(&compressor, TRUE);
    for (const auto& [code, contents] : layout.markers)
        jpeg_write_marker(&compressor, code, contents.data(), static_cast<unsigned>(contents.size()));
    std::vector<JSAMPLE> row(static_cast<std::size_t>(layout.width * layout.components));
    while (compressor.next_scanline < compressor.image_height) {
        const int y = static_cast<int>(compressor.next_scanline);
        for (int x = 0; x < layout.width; ++x) {
            const Rgb colour = layout.pixel(x, y);
            const std::uint8_t channels[4] = {colour.red, colour.green, colour.blue, 0};
            std::copy_n(channels, layout.components, row.begin() + x * layout.components);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&compressor, rows, 1);
    }
    jpeg_finish_compress(&compressor);
    std::vector<std::uint8_t> file(output, output + outputSize);
    jpeg_destroy_compress(&compressor);
    std::free(output);
    return file;
}

// The picture as libjpeg decodes it with default settings: rows top-down,
// three bytes red, green, blue per pixel, no padding.
struct ReferenceImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

inline ReferenceImage DecodeReference(const std::vector<std::uint8_t>& file)
{
    jpeg_decompress_struct decompressor{};
    jpeg_error_mgr errors{};
    decompressor.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&decompressor);
    jpeg_mem_src(&decompressor, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&decompressor, TRUE);
    jpeg_start_decompress(&decompressor);
    ReferenceImage image;
    image.width = static_cast<int>(decompressor.output_width);
    image.height = static_cast<int>(decompressor.output_height);
    const std::size_t rowBytes = decompressor.output_width * static_cast<std::size_t>(decompressor.output_components);
    image.rgb.resize(rowBytes * decompressor.output_height);
    while (decompressor.output_scanline < decompressor.output_height) {
        JSAMPROW rows[1] = {image.rgb.data() + rowBytes * decompressor.output_scanline};
        jpeg_read_scanlines(&decompressor, rows, 1);
    }
    jpeg_finish_decompress(&decompressor);
    jpeg_destroy_decompress(&decompressor);
    return image;
}

// Where the first marker with the given code (0xDA: start of scan) begins,
// from position from on; the size of the file when there is none.
inline std::size_t FindMarker(const std::vector<std::uint8_t>& file, std::uint8_t code, std::size_t from = 2)
{
    for (std::size_t i = from; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == code)
            return i;
    return file.size();
}

} // namespace tamr::test
