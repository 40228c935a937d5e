// The general readers against files their libraries' own encoders write.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "image/BmpHeaders.h"
#include "image/JpegLibrary.h"
#include "image/PackedImageBlock.h"
#include "image/PictureProbe.h"
#include "image/PictureReaderTable.h"
#include "image/general/GeneralReaders.h"
#include "platform/ByteReader.h"
#include "support/TestSupport.h"

#if defined(TAMR_HAVE_GIFLIB)
#include <gif_lib.h>
#endif
#if defined(TAMR_HAVE_TIFF)
#include <tiffio.h>
#include <unistd.h>
#endif
#if defined(TAMR_HAVE_WEBPDEMUX)
#include <webp/encode.h>
#endif
#if defined(TAMR_HAVE_AVIF)
#include <avif/avif.h>
#endif
#if defined(TAMR_HAVE_HEIF)
#include <libheif/heif.h>
#endif
#if defined(TAMR_HAVE_JXL)
#include <jxl/encode.h>
#endif

namespace tamr {
namespace {

using Rgb = std::array<int, 3>;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kWidth = 23;
constexpr std::uint32_t kHeight = 17;

// The test picture: smooth ramps in all three colours.
Rgb Source(std::uint32_t x, std::uint32_t y)
{
    return {static_cast<int>(x * 11), static_cast<int>(y * 15), static_cast<int>((x + y) * 6)};
}

Bytes SourceRgb(int channels)
{
    Bytes rgb;
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            const Rgb colour = Source(x, y);
            for (int c = 0; c < 3; ++c)
                rgb.push_back(static_cast<std::uint8_t>(colour[static_cast<std::size_t>(c)]));
            if (channels == 4)
                rgb.push_back(x == 0 ? 0 : 255); // the left column transparent
        }
    return rgb;
}

// The pixels of a packed block, red-green-blue from the top-left.
struct Decoded {
    explicit Decoded(const PictureReadResult& result)
    {
        if (!result.block)
            return;
        const ByteBlock& bytes = *result.block;
        ByteReader reader(bytes);
        const BitmapInfoHeader header = ReadInfoHeader(reader);
        width = static_cast<std::uint32_t>(header.biWidth);
        height = static_cast<std::uint32_t>(header.biHeight);
        colour = header.biBitCount == 24;
        const std::size_t stride = (std::size_t{width} * (colour ? 3 : 1) + 3) / 4 * 4;
        const std::size_t rows = PackedRowsOffset(header.biClrUsed);
        for (std::uint32_t y = 0; y < height; ++y)
            for (std::uint32_t x = 0; x < width; ++x) {
                const std::size_t row = rows + (height - 1 - y) * stride;
                if (colour) {
                    const std::size_t at = row + 3 * std::size_t{x};
                    pixels.push_back({bytes[at + 2], bytes[at + 1], bytes[at]});
                } else {
                    pixels.push_back({bytes[row + x], bytes[row + x], bytes[row + x]});
                }
            }
    }
    Rgb At(std::uint32_t x, std::uint32_t y) const { return pixels[std::size_t{y} * width + x]; }

    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool colour = false;
    std::vector<Rgb> pixels;
};

// Every pixel of `decoded` within `tolerance` of `expected`.
void ExpectPixels(const PictureReadResult& result, const std::function<Rgb(std::uint32_t, std::uint32_t)>& expected,
                  int tolerance = 0, std::uint32_t width = kWidth, std::uint32_t height = kHeight)
{
    ASSERT_TRUE(result.block) << result.failure;
    const Decoded decoded(result);
    ASSERT_EQ(decoded.width, width);
    ASSERT_EQ(decoded.height, height);
    int worst = 0;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            for (std::size_t c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(decoded.At(x, y)[c] - expected(x, y)[c]));
    EXPECT_LE(worst, tolerance);
}

// A record that lets no picture through the decode limit.
Limits TinyDecodeLimit()
{
    Limits limits;
    limits.maxDecodedBytes = 64;
    return limits;
}

int OverWhite(int colour, int alpha)
{
    return (colour * alpha + 255 * (255 - alpha) + 127) / 255;
}

// ---- JPEG --------------------------------------------------------------------

struct JpegOptions {
    J_COLOR_SPACE space = JCS_RGB;
    bool progressive = false;
    bool arithmetic = false;
    int quality = 90;
};

// Gives back what libjpeg's memory destination allocated.
struct FreeDeleter {
    void operator()(unsigned char* bytes) const
    {
        std::free(bytes); // NOLINT(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory)
    }
};

Bytes EncodeJpeg(const Bytes& samples, const JpegOptions& options)
{
    jpeg_compress_struct encoder{};
    jpeg_error_mgr errors{};
    encoder.err = jpeg_std_error(&errors);
    jpeg_create_compress(&encoder);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&encoder, &out, &size);
    encoder.image_width = kWidth;
    encoder.image_height = kHeight;
    encoder.input_components = options.space == JCS_GRAYSCALE ? 1 : options.space == JCS_CMYK ? 4 : 3;
    encoder.in_color_space = options.space;
    jpeg_set_defaults(&encoder);
    jpeg_set_quality(&encoder, options.quality, TRUE);
    if (options.progressive)
        jpeg_simple_progression(&encoder);
    encoder.arith_code = options.arithmetic ? TRUE : FALSE;
    jpeg_start_compress(&encoder, TRUE);
    const auto stride = static_cast<std::size_t>(kWidth) * static_cast<std::size_t>(encoder.input_components);
    while (encoder.next_scanline < kHeight) {
        JSAMPROW row = const_cast<JSAMPLE*>(samples.data() + encoder.next_scanline * stride);
        jpeg_write_scanlines(&encoder, &row, 1);
    }
    jpeg_finish_compress(&encoder);
    jpeg_destroy_compress(&encoder);
    const std::unique_ptr<unsigned char, FreeDeleter> coded(out);
    return Bytes(coded.get(), coded.get() + size);
}

// libjpeg's own decoding of a gray or colour file, as the reference.
std::vector<Rgb> LibjpegDecode(const Bytes& file)
{
    jpeg_decompress_struct decoder{};
    jpeg_error_mgr errors{};
    decoder.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&decoder);
    jpeg_mem_src(&decoder, file.data(), file.size());
    jpeg_read_header(&decoder, TRUE);
    jpeg_start_decompress(&decoder);
    std::vector<Rgb> pixels;
    Bytes row(std::size_t{decoder.output_width} * static_cast<std::size_t>(decoder.output_components));
    while (decoder.output_scanline < decoder.output_height) {
        JSAMPROW line = row.data();
        jpeg_read_scanlines(&decoder, &line, 1);
        for (std::size_t x = 0; x < decoder.output_width; ++x)
            pixels.push_back(decoder.output_components == 1 ? Rgb{row[x], row[x], row[x]}
                                                            : Rgb{row[3 * x], row[3 * x + 1], row[3 * x + 2]});
    }
    jpeg_finish_decompress(&decoder);
    jpeg_destroy_decompress(&decoder);
    return pixels;
}

void ExpectAsLibjpegDecodes(const Bytes& file)
{
    const std::vector<Rgb> reference = LibjpegDecode(file);
    ExpectPixels(ReadJpegGeneral(file, Limits{}),
                 [&](std::uint32_t x, std::uint32_t y) { return reference[std::size_t{y} * kWidth + x]; });
}

TEST(GeneralJpegReader, ReadsProgressiveFilesAsLibjpegDecodesThem)
{
    ExpectAsLibjpegDecodes(EncodeJpeg(SourceRgb(3), {JCS_RGB, true, false}));
}

TEST(GeneralJpegReader, ReadsArithmeticCodedFiles)
{
    ExpectAsLibjpegDecodes(EncodeJpeg(SourceRgb(3), {JCS_RGB, false, true}));
}

TEST(GeneralJpegReader, ReadsGrayFilesIntoAGrayBlock)
{
    Bytes gray;
    for (std::uint32_t i = 0; i < kWidth * kHeight; ++i)
        gray.push_back(static_cast<std::uint8_t>(i % 251));
    const Bytes file = EncodeJpeg(gray, {JCS_GRAYSCALE, false, false});
    ExpectAsLibjpegDecodes(file);
    EXPECT_FALSE(Decoded(ReadJpegGeneral(file, Limits{})).colour);
}

TEST(GeneralJpegReader, UndoesAdobeInvertedCmyk)
{
    // Pure red ink-free: no cyan, full magenta and yellow, no black; stored
    // inverted with an Adobe marker, as Photoshop writes CMYK.
    Bytes cmyk;
    for (std::uint32_t i = 0; i < kWidth * kHeight; ++i)
        cmyk.insert(cmyk.end(), {255, 0, 0, 255});
    const Bytes file = EncodeJpeg(cmyk, {JCS_CMYK, false, false, 100});
    ExpectPixels(
        ReadJpegGeneral(file, Limits{}),
        [](std::uint32_t, std::uint32_t) {
            return Rgb{255, 0, 0};
        },
        2);
}

TEST(GeneralJpegReader, RefusesTwelveBitFilesSayingSo)
{
    Bytes file = EncodeJpeg(SourceRgb(3), {});
    // The precision byte follows the SOF0 marker and its length.
    for (std::size_t i = 0; i + 4 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            file[i + 1] = 0xC1;
            file[i + 4] = 12;
            break;
        }
    const PictureReadResult result = ReadJpegGeneral(file, Limits{});
    EXPECT_FALSE(result.block);
    EXPECT_NE(result.failure.find("12-bit"), std::string::npos) << result.failure;
}

TEST(GeneralJpegReader, RefusesDamagedFilesWithTheLibrarysReason)
{
    Bytes file = EncodeJpeg(SourceRgb(3), {});
    file.resize(20);
    const PictureReadResult result = ReadJpegGeneral(file, Limits{});
    EXPECT_FALSE(result.block);
    EXPECT_EQ(result.failure.rfind("JPEG: ", 0), 0u) << result.failure;
}

// ---- GIF ---------------------------------------------------------------------

#if defined(TAMR_HAVE_GIFLIB)
int WriteToVector(GifFileType* gif, const GifByteType* bytes, int length)
{
    auto& out = *static_cast<Bytes*>(gif->UserData);
    out.insert(out.end(), bytes, bytes + length);
    return length;
}

// A GIF of `colours` table entries, index (x + y) % colours, the last index transparent.
Bytes EncodeGif(int colours)
{
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, &WriteToVector, &error);
    std::vector<GifColorType> table;
    table.reserve(static_cast<std::size_t>(colours));
    for (int i = 0; i < colours; ++i)
        table.push_back({static_cast<GifByteType>(i * 16), static_cast<GifByteType>(255 - i * 15),
                         static_cast<GifByteType>(i * 7)});
    ColorMapObject* map = GifMakeMapObject(colours, table.data());
    EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map);
    GraphicsControlBlock control{};
    control.TransparentColor = colours - 1;
    GifByteType extension[4];
    const std::size_t length = EGifGCBToExtension(&control, extension);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension);
    EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr);
    std::vector<GifPixelType> row(kWidth);
    for (std::uint32_t y = 0; y < kHeight; ++y) {
        for (std::uint32_t x = 0; x < kWidth; ++x)
            row[x] = static_cast<GifPixelType>((x + y) % static_cast<std::uint32_t>(colours));
        EGifPutLine(gif, row.data(), kWidth);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

TEST(GeneralGifReader, ReadsEveryTableSizeWithTransparencyOverWhite)
{
    for (const int colours : {2, 4, 16}) {
        SCOPED_TRACE(colours);
        const PictureReadResult result = ReadGifGeneral(EncodeGif(colours), Limits{});
        ExpectPixels(result, [colours](std::uint32_t x, std::uint32_t y) {
            const int index = static_cast<int>((x + y) % static_cast<std::uint32_t>(colours));
            if (index == colours - 1)
                return Rgb{255, 255, 255};
            return Rgb{index * 16, 255 - index * 15, index * 7};
        });
        EXPECT_TRUE(result.composited);
    }
}

TEST(GeneralGifReader, HonoursTheDecodeLimit)
{
    EXPECT_TRUE(ReadGifGeneral(EncodeGif(4), TinyDecodeLimit()).overDecodeLimit);
}
#endif

// ---- TIFF --------------------------------------------------------------------

#if defined(TAMR_HAVE_TIFF)
struct TiffLayout {
    std::uint16_t photometric = PHOTOMETRIC_RGB;
    std::uint16_t bits = 8;
    std::uint16_t samples = 3;
    std::uint16_t compression = COMPRESSION_LZW;
    bool tiled = false;
};

// The sample the test writes for channel c of pixel (x, y) at the layout's depth.
std::uint32_t TiffSample(const TiffLayout& layout, std::uint32_t x, std::uint32_t y, std::size_t c)
{
    if (layout.photometric == PHOTOMETRIC_PALETTE)
        return (x + y) % 16;
    const int value = Source(x, y)[c % 3];
    return layout.bits == 16 ? static_cast<std::uint32_t>(value * 257 + (x % 3) * 90 - (value == 255 ? 180 : 0))
                             : static_cast<std::uint32_t>(value);
}

Bytes EncodeTiff(const TiffLayout& layout)
{
    const auto path = std::filesystem::temp_directory_path() / ("tamr-general-" + std::to_string(::getpid()) + ".tif");
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, layout.bits);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, layout.samples);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, layout.photometric);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, layout.compression);
    if (layout.photometric == PHOTOMETRIC_PALETTE) {
        std::array<std::uint16_t, 16> red{};
        std::array<std::uint16_t, 16> green{};
        std::array<std::uint16_t, 16> blue{};
        for (std::size_t i = 0; i < 16; ++i) {
            red[i] = static_cast<std::uint16_t>(i * 16 * 257);
            green[i] = static_cast<std::uint16_t>((255 - i * 9) * 257);
            blue[i] = static_cast<std::uint16_t>(i * 3 * 257);
        }
        TIFFSetField(tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
    }
    const std::size_t rowBytes = (std::size_t{kWidth} * layout.samples * layout.bits + 7) / 8;
    std::vector<Bytes> rows(kHeight, Bytes(rowBytes));
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x)
            for (std::size_t c = 0; c < layout.samples; ++c) {
                const std::uint32_t value = TiffSample(layout, x, y, c);
                const std::size_t index = std::size_t{x} * layout.samples + c;
                if (layout.bits == 16) {
                    std::uint16_t sample = static_cast<std::uint16_t>(value);
                    std::memcpy(rows[y].data() + 2 * index, &sample, 2);
                } else if (layout.bits == 4) {
                    rows[y][index / 2] |= static_cast<std::uint8_t>(index % 2 == 0 ? value << 4 : value);
                } else {
                    rows[y][index] = static_cast<std::uint8_t>(value);
                }
            }
    if (layout.tiled) {
        constexpr std::uint32_t kTile = 16;
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, kTile);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, kTile);
        const std::size_t pixelBytes = std::size_t{layout.samples} * layout.bits / 8;
        Bytes tile(kTile * kTile * pixelBytes);
        for (std::uint32_t ty = 0; ty < kHeight; ty += kTile)
            for (std::uint32_t tx = 0; tx < kWidth; tx += kTile) {
                std::fill(tile.begin(), tile.end(), 0);
                for (std::uint32_t y = ty; y < std::min(kHeight, ty + kTile); ++y)
                    for (std::uint32_t x = tx; x < std::min(kWidth, tx + kTile); ++x)
                        std::memcpy(tile.data() + ((y - ty) * kTile + (x - tx)) * pixelBytes,
                                    rows[y].data() + x * pixelBytes, pixelBytes);
                TIFFWriteTile(tiff, tile.data(), tx, ty, 0, 0);
            }
    } else {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 5);
        for (std::uint32_t y = 0; y < kHeight; ++y)
            TIFFWriteScanline(tiff, rows[y].data(), y, 0);
    }
    TIFFClose(tiff);
    Bytes file = test::ReadBytes(path);
    std::filesystem::remove(path);
    return file;
}

Rgb TiffExpected(const TiffLayout& layout, std::uint32_t x, std::uint32_t y)
{
    if (layout.photometric == PHOTOMETRIC_PALETTE) {
        const int i = static_cast<int>((x + y) % 16);
        return {i * 16, 255 - i * 9, i * 3};
    }
    Rgb rgb{};
    for (std::size_t c = 0; c < 3; ++c) {
        const std::uint32_t v = TiffSample(layout, x, y, c);
        rgb[c] = layout.bits == 16 ? static_cast<int>((v * 255 + 32767) / 65535) : static_cast<int>(v);
    }
    if (layout.samples == 1)
        rgb = {rgb[0], rgb[0], rgb[0]};
    return rgb;
}

TEST(GeneralTiffReader, ReadsStripsTilesDepthsAndPalettes)
{
    const std::array<TiffLayout, 6> layouts = {{
        {PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW, false},
        {PHOTOMETRIC_RGB, 8, 3, COMPRESSION_ADOBE_DEFLATE, true},
        {PHOTOMETRIC_RGB, 16, 3, COMPRESSION_NONE, false},
        {PHOTOMETRIC_MINISBLACK, 16, 1, COMPRESSION_PACKBITS, true},
        {PHOTOMETRIC_MINISBLACK, 8, 1, COMPRESSION_NONE, false},
        {PHOTOMETRIC_PALETTE, 4, 1, COMPRESSION_LZW, false},
    }};
    for (const TiffLayout& layout : layouts) {
        SCOPED_TRACE(std::to_string(layout.photometric) + "/" + std::to_string(layout.bits) + "/" +
                     std::to_string(layout.tiled));
        const PictureReadResult result = ReadTiffGeneral(EncodeTiff(layout), Limits{});
        ExpectPixels(result, [&](std::uint32_t x, std::uint32_t y) { return TiffExpected(layout, x, y); });
        EXPECT_EQ(Decoded(result).colour, layout.samples != 1 || layout.photometric == PHOTOMETRIC_PALETTE);
    }
}

TEST(GeneralTiffReader, ShowsABottomUpPictureTallerThanOneBandTheRightWayUp)
{
    constexpr std::uint32_t kTall = 150; // more rows than libtiff is asked for at once
    const auto path =
        std::filesystem::temp_directory_path() / ("tamr-bottom-up-" + std::to_string(::getpid()) + ".tif");
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 2);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kTall);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 10);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_BOTLEFT);
    for (std::uint32_t y = 0; y < kTall; ++y) {
        Bytes row = {static_cast<std::uint8_t>(y), 0, 0, static_cast<std::uint8_t>(y), 0, 0};
        TIFFWriteScanline(tiff, row.data(), y, 0);
    }
    TIFFClose(tiff);
    const Bytes file = test::ReadBytes(path);
    std::filesystem::remove(path);
    // The first row stored is the bottom one: the reader hands the rows as
    // stored, and the step after it turns them upright.
    const PictureReadResult stored = ReadTiffGeneral(file, Limits{});
    EXPECT_EQ(stored.metadata.orientation, ORIENTATION_BOTLEFT);
    ExpectPixels(
        ReadPicture(*PictureReaderFor(FileType::Tiff), file, Limits{}, {}),
        [](std::uint32_t, std::uint32_t y) {
            return Rgb{static_cast<int>(kTall - 1 - y), 0, 0};
        },
        0, 2, kTall);
}

TEST(GeneralTiffReader, HonoursTheDecodeLimit)
{
    const PictureReadResult result = ReadTiffGeneral(EncodeTiff({}), TinyDecodeLimit());
    EXPECT_TRUE(result.overDecodeLimit) << result.failure;
}
#endif

// ---- WebP --------------------------------------------------------------------

#if defined(TAMR_HAVE_WEBPDEMUX)
// The test picture with its left column transparent, coded losslessly.
Bytes EncodeWebP()
{
    const Bytes rgba = SourceRgb(4);
    std::uint8_t* out = nullptr;
    const std::size_t size = WebPEncodeLosslessRGBA(rgba.data(), kWidth, kHeight, kWidth * 4, &out);
    Bytes file(out, out + size);
    WebPFree(out);
    return file;
}

TEST(GeneralWebPReader, ReadsLosslessFilesExactlyWithAlphaOverWhite)
{
    const Bytes file = EncodeWebP();
    const PictureReadResult result = ReadWebPGeneral(file, Limits{});
    ExpectPixels(result, [](std::uint32_t x, std::uint32_t y) { return x == 0 ? Rgb{255, 255, 255} : Source(x, y); });
    EXPECT_TRUE(result.composited);
    EXPECT_TRUE(ReadWebPGeneral(file, TinyDecodeLimit()).overDecodeLimit);
}
#endif

// ---- AVIF --------------------------------------------------------------------

#if defined(TAMR_HAVE_AVIF)
// The test picture coded by libavif, left in `image`.
Bytes EncodeAvif(avifImage* image)
{
    Bytes rgb = SourceRgb(3);
    avifRGBImage source;
    avifRGBImageSetDefaults(&source, image);
    source.format = AVIF_RGB_FORMAT_RGB;
    source.pixels = rgb.data();
    source.rowBytes = kWidth * 3;
    EXPECT_EQ(avifImageRGBToYUV(image, &source), AVIF_RESULT_OK);
    avifEncoder* encoder = avifEncoderCreate();
    encoder->maxThreads = 1;
    encoder->speed = 10;
    avifRWData coded = AVIF_DATA_EMPTY;
    EXPECT_EQ(avifEncoderWrite(encoder, image, &coded), AVIF_RESULT_OK);
    Bytes file(coded.data, coded.data + coded.size);
    avifRWDataFree(&coded);
    avifEncoderDestroy(encoder);
    return file;
}

TEST(GeneralAvifReader, ReadsFilesAsLibavifDecodesThem)
{
    avifImage* image = avifImageCreate(kWidth, kHeight, 8, AVIF_PIXEL_FORMAT_YUV444);
    const Bytes file = EncodeAvif(image);

    // libavif's own decoding to 8-bit RGB is the reference.
    avifDecoder* decoder = avifDecoderCreate();
    ASSERT_EQ(avifDecoderReadMemory(decoder, image, file.data(), file.size()), AVIF_RESULT_OK);
    avifRGBImage reference;
    avifRGBImageSetDefaults(&reference, image);
    reference.format = AVIF_RGB_FORMAT_RGB;
    reference.depth = 8;
    avifRGBImageAllocatePixels(&reference);
    ASSERT_EQ(avifImageYUVToRGB(image, &reference), AVIF_RESULT_OK);
    ExpectPixels(ReadAvifGeneral(file, Limits{}), [&](std::uint32_t x, std::uint32_t y) {
        const std::uint8_t* p = reference.pixels + y * reference.rowBytes + 3 * x;
        return Rgb{p[0], p[1], p[2]};
    });
    avifRGBImageFreePixels(&reference);
    avifDecoderDestroy(decoder);
    avifImageDestroy(image);
    EXPECT_TRUE(ReadAvifGeneral(file, TinyDecodeLimit()).overDecodeLimit);
}
#endif

// ---- HEIF --------------------------------------------------------------------

#if defined(TAMR_HAVE_HEIF)
heif_error WriteHeif(heif_context*, const void* data, std::size_t size, void* user)
{
    auto& out = *static_cast<Bytes*>(user);
    out.insert(out.end(), static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
}

// The test picture coded by libheif; nothing when it has no HEVC encoder.
std::optional<Bytes> EncodeHeif()
{
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    if (heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code != heif_error_Ok) {
        heif_context_free(context);
        return std::nullopt;
    }
    heif_image* image = nullptr;
    heif_image_create(kWidth, kHeight, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, kWidth, kHeight, 8);
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    const Bytes rgb = SourceRgb(3);
    for (std::uint32_t y = 0; y < kHeight; ++y)
        std::copy_n(rgb.data() + y * kWidth * 3, kWidth * 3, plane + static_cast<std::ptrdiff_t>(y) * stride);
    heif_encoder_set_lossy_quality(encoder, 90);
    EXPECT_EQ(heif_context_encode_image(context, image, encoder, nullptr, nullptr).code, heif_error_Ok);
    Bytes file;
    heif_writer writer{1, &WriteHeif};
    EXPECT_EQ(heif_context_write(context, &writer, &file).code, heif_error_Ok);
    heif_encoder_release(encoder);
    heif_image_release(image);
    heif_context_free(context);
    return file;
}

TEST(GeneralHeifReader, ReadsFilesAsLibheifDecodesThem)
{
    const auto encoded = EncodeHeif();
    if (!encoded)
        GTEST_SKIP() << "libheif has no HEVC encoder here";
    const Bytes& file = *encoded;
    int stride = 0;

    // libheif's own decoding to RGB is the reference.
    heif_context* reading = heif_context_alloc();
    ASSERT_EQ(heif_context_read_from_memory_without_copy(reading, file.data(), file.size(), nullptr).code,
              heif_error_Ok);
    heif_image_handle* handle = nullptr;
    heif_context_get_primary_image_handle(reading, &handle);
    heif_image* decoded = nullptr;
    ASSERT_EQ(heif_decode_image(handle, &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr).code,
              heif_error_Ok);
    const std::uint8_t* pixels = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    ExpectPixels(ReadHeifGeneral(file, Limits{}), [&](std::uint32_t x, std::uint32_t y) {
        const std::uint8_t* p = pixels + static_cast<std::ptrdiff_t>(y) * stride + 3 * x;
        return Rgb{p[0], p[1], p[2]};
    });
    heif_image_release(decoded);
    heif_image_handle_release(handle);
    heif_context_free(reading);
}

// libheif keeps an error's text in its context: the refusal must carry it
// past the context's end (an empty file once read it from freed memory).
TEST(GeneralHeifReader, RefusesDamagedFilesWithTheLibrarysReason)
{
    const Bytes empty;
    heif_context* context = heif_context_alloc();
    const heif_error error = heif_context_read_from_memory_without_copy(context, empty.data(), 0, nullptr);
    const std::string reason = error.message;
    heif_context_free(context);
    ASSERT_FALSE(reason.empty());
    const PictureReadResult result = ReadHeifGeneral(empty, Limits{});
    EXPECT_FALSE(result.block);
    EXPECT_EQ(result.failure.rfind("HEIF: ", 0), 0u) << result.failure;
    EXPECT_NE(result.failure.find(reason), std::string::npos) << result.failure << " / " << reason;
}
#endif

// ---- JPEG XL -----------------------------------------------------------------

#if defined(TAMR_HAVE_JXL)
// A lossless file of `channels` samples of `bits` bits each.
Bytes EncodeJxl(const void* samples, std::size_t size, std::uint32_t channels, bool deep,
                JxlOrientation orientation = JXL_ORIENT_IDENTITY)
{
    JxlEncoder* encoder = JxlEncoderCreate(nullptr);
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = kWidth;
    info.ysize = kHeight;
    info.bits_per_sample = deep ? 16 : 8;
    info.num_color_channels = channels == 1 ? 1 : 3;
    info.uses_original_profile = JXL_TRUE;
    info.orientation = orientation;
    JxlEncoderSetBasicInfo(encoder, &info);
    JxlColorEncoding colour;
    JxlColorEncodingSetToSRGB(&colour, channels == 1 ? JXL_TRUE : JXL_FALSE);
    JxlEncoderSetColorEncoding(encoder, &colour);
    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder, nullptr);
    JxlEncoderSetFrameLossless(settings, JXL_TRUE);
    const JxlPixelFormat format{channels, deep ? JXL_TYPE_UINT16 : JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    JxlEncoderAddImageFrame(settings, &format, samples, size);
    JxlEncoderCloseInput(encoder);
    Bytes out(4096);
    std::uint8_t* next = out.data();
    std::size_t available = out.size();
    while (JxlEncoderProcessOutput(encoder, &next, &available) == JXL_ENC_NEED_MORE_OUTPUT) {
        const std::size_t used = static_cast<std::size_t>(next - out.data());
        out.resize(out.size() * 2);
        next = out.data() + used;
        available = out.size() - used;
    }
    out.resize(static_cast<std::size_t>(next - out.data()));
    JxlEncoderDestroy(encoder);
    return out;
}

TEST(GeneralJxlReader, ReadsLosslessColourExactly)
{
    const Bytes rgb = SourceRgb(3);
    const Bytes file = EncodeJxl(rgb.data(), rgb.size(), 3, false);
    ExpectPixels(ReadJxlGeneral(file, Limits{}), Source);
    EXPECT_TRUE(ReadJxlGeneral(file, TinyDecodeLimit()).overDecodeLimit);
}

TEST(GeneralJxlReader, IsTurnedUprightOnceByLibjxl)
{
    const Bytes rgb = SourceRgb(3);
    const Bytes file = EncodeJxl(rgb.data(), rgb.size(), 3, false, JXL_ORIENT_ROTATE_90_CW);
    const PictureReadResult result = ReadPicture(*PictureReaderFor(FileType::Jxl), file, Limits{}, {});
    // Stored rows are seen as columns from the right: a quarter turn clockwise, not three.
    ExpectPixels(
        result, [](std::uint32_t x, std::uint32_t y) { return Source(y, kHeight - 1 - x); }, 0, kHeight, kWidth);
    EXPECT_EQ(result.metadata.appliedOrientation, 6);
}

TEST(GeneralJxlReader, ReducesSixteenBitGrayAsPngDoes)
{
    std::vector<std::uint16_t> gray;
    for (std::uint32_t i = 0; i < kWidth * kHeight; ++i)
        gray.push_back(static_cast<std::uint16_t>(i * 167));
    const Bytes file = EncodeJxl(gray.data(), gray.size() * 2, 1, true);
    const PictureReadResult result = ReadJxlGeneral(file, Limits{});
    ExpectPixels(result, [&](std::uint32_t x, std::uint32_t y) {
        const int level = static_cast<int>((gray[y * kWidth + x] * 255u + 32767) / 65535);
        return Rgb{level, level, level};
    });
    EXPECT_FALSE(Decoded(result).colour);
}
#endif

// ---- Head readers -------------------------------------------------------------

// What `info` says of a file read whole: its picture upright and its metadata.
PictureFacts FactsOfFullRead(FileType kind, const Bytes& file)
{
    const PictureReadResult result = ReadPicture(*PictureReaderFor(kind), file, Limits{}, {});
    EXPECT_TRUE(result.Ok()) << result.failure;
    const Decoded decoded(result);
    PictureFacts facts{kind,
                       static_cast<int>(decoded.width),
                       static_cast<int>(decoded.height),
                       decoded.colour ? 24 : 8,
                       decoded.colour,
                       0};
    facts.reader = result.reader;
    facts.orientation = result.metadata.appliedOrientation;
    facts.profileName = result.metadata.profileName;
    facts.bitsPerSample = result.metadata.bitsPerSample;
    return facts;
}

TEST(GeneralHeadReaders, GiveTheFactsOfTheFullRead)
{
    std::vector<std::pair<std::string, Bytes>> files;
#if defined(TAMR_HAVE_TIFF)
    files.emplace_back("gray16.tif", EncodeTiff({PHOTOMETRIC_MINISBLACK, 16, 1, COMPRESSION_PACKBITS, true}));
    files.emplace_back("palette.tif", EncodeTiff({PHOTOMETRIC_PALETTE, 4, 1, COMPRESSION_LZW, false}));
#endif
#if defined(TAMR_HAVE_WEBPDEMUX)
    files.emplace_back("alpha.webp", EncodeWebP());
#endif
#if defined(TAMR_HAVE_AVIF)
    avifImage* image = avifImageCreate(kWidth, kHeight, 8, AVIF_PIXEL_FORMAT_YUV444);
    files.emplace_back("plain.avif", EncodeAvif(image));
    avifImageDestroy(image);
#endif
#if defined(TAMR_HAVE_HEIF)
    if (auto heif = EncodeHeif())
        files.emplace_back("plain.heic", std::move(*heif));
#endif
#if defined(TAMR_HAVE_JXL)
    const Bytes rgb = SourceRgb(3);
    files.emplace_back("turned.jxl", EncodeJxl(rgb.data(), rgb.size(), 3, false, JXL_ORIENT_ROTATE_90_CW));
    const std::vector<std::uint16_t> gray(std::size_t{kWidth} * kHeight, 40000);
    files.emplace_back("gray16.jxl", EncodeJxl(gray.data(), gray.size() * 2, 1, true));
#endif
    for (const auto& [name, file] : files) {
        SCOPED_TRACE(name);
        const auto probed = ProbePicture(file, name, Limits{});
        ASSERT_TRUE(probed);
        EXPECT_TRUE(*probed == FactsOfFullRead(probed->kind, file))
            << probed->width << " x " << probed->height << ", " << probed->bitsPerPixel << " bits, " << probed->reader
            << ", orientation " << probed->orientation << ", " << probed->bitsPerSample << " bits a sample";
    }
}

#if defined(TAMR_HAVE_JXL)
TEST(GeneralHeadReaders, ReadHeadersWhosePixelsAreCutOff)
{
    const Bytes rgb = SourceRgb(3);
    const Bytes whole = EncodeJxl(rgb.data(), rgb.size(), 3, false, JXL_ORIENT_ROTATE_90_CW);
    const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
    EXPECT_FALSE(ReadJxlGeneral(cut, Limits{}).Ok());
    const auto probed = ProbePicture(cut, "cut.jxl", Limits{});
    ASSERT_TRUE(probed);
    EXPECT_TRUE(*probed == FactsOfFullRead(FileType::Jxl, whole));
}
#endif

// ---- BMP and TGA by hand -----------------------------------------------------

void PutLittle(Bytes& out, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(std::uint64_t{value} >> (8 * i)));
}

// A BMP with a 40-byte header, its extra (masks or palette) and pixel data.
Bytes BuildBmp(std::int32_t width, std::int32_t height, std::uint16_t bits, std::uint32_t compression,
               const Bytes& extra, const Bytes& pixels, std::uint32_t colours = 0)
{
    Bytes out{'B', 'M'};
    PutLittle(out, static_cast<std::uint32_t>(54 + extra.size() + pixels.size()), 4);
    PutLittle(out, 0, 4);
    PutLittle(out, static_cast<std::uint32_t>(54 + extra.size()), 4);
    PutLittle(out, 40, 4);
    PutLittle(out, static_cast<std::uint32_t>(width), 4);
    PutLittle(out, static_cast<std::uint32_t>(height), 4);
    PutLittle(out, 1, 2);
    PutLittle(out, bits, 2);
    PutLittle(out, compression, 4);
    PutLittle(out, static_cast<std::uint32_t>(pixels.size()), 4);
    PutLittle(out, 0, 8);
    PutLittle(out, colours, 4);
    PutLittle(out, 0, 4);
    out.insert(out.end(), extra.begin(), extra.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

TEST(GeneralBmpReader, ReadsSixteenBitFiveSixFiveMasks)
{
    Bytes masks;
    PutLittle(masks, 0xF800, 4);
    PutLittle(masks, 0x07E0, 4);
    PutLittle(masks, 0x001F, 4);
    Bytes pixels;
    const std::uint32_t stride = (kWidth * 2 + 3) / 4 * 4;
    for (std::uint32_t row = 0; row < kHeight; ++row) {
        const std::uint32_t y = kHeight - 1 - row;
        for (std::uint32_t x = 0; x < kWidth; ++x)
            PutLittle(pixels, (x % 32) << 11 | (y * 3 % 64) << 5 | (x + y) % 32, 2);
        pixels.resize(pixels.size() + stride - kWidth * 2);
    }
    ExpectPixels(ReadBmpGeneral(BuildBmp(kWidth, kHeight, 16, 3, masks, pixels), Limits{}), [](std::uint32_t x,
                                                                                               std::uint32_t y) {
        return Rgb{static_cast<int>((x % 32 * 255 + 15) / 31), static_cast<int>((y * 3 % 64 * 255 + 31) / 63),
                   static_cast<int>(((x + y) % 32 * 255 + 15) / 31)};
    });
}

TEST(GeneralBmpReader, ReadsRle8WithDeltasAndRle4)
{
    Bytes palette;
    for (std::uint32_t i = 0; i < 16; ++i)
        PutLittle(palette, (i * 16) << 16 | (255 - i * 16) << 8 | i * 8, 4); // blue, green, red, 0
    // 4 x 3, bottom-up: a run of 4 of index 1; an absolute run 2 3 4 5;
    // a delta over the first two pixels of the top row, then index 6 twice.
    const Bytes rle8 = {4, 1, 0, 0, 0, 4, 2, 3, 4, 5, 0, 0, 0, 2, 2, 0, 2, 6, 0, 1};
    // Pixels the delta jumps over stay black.
    const std::array<std::array<int, 4>, 3> indices = {{{-1, -1, 6, 6}, {2, 3, 4, 5}, {1, 1, 1, 1}}};
    const auto expected = [&](std::uint32_t x, std::uint32_t y) {
        const int i = indices[y][x];
        return i < 0 ? Rgb{0, 0, 0} : Rgb{i * 16, 255 - i * 16, i * 8};
    };
    ExpectPixels(ReadBmpGeneral(BuildBmp(4, 3, 8, 1, palette, rle8, 16), Limits{}), expected, 0, 4, 3);
    // The same picture in RLE4: nibbles alternate within a run.
    const Bytes rle4 = {4, 0x11, 0, 0, 0, 4, 0x23, 0x45, 0, 0, 0, 2, 2, 0, 2, 0x66, 0, 1};
    ExpectPixels(ReadBmpGeneral(BuildBmp(4, 3, 4, 2, palette, rle4, 16), Limits{}), expected, 0, 4, 3);
}

TEST(GeneralBmpReader, RefusesAHugeDeclaredPictureInATinyFile)
{
    const PictureReadResult result = ReadBmpGeneral(BuildBmp(16000, 16000, 16, 0, {}, Bytes(64)), Limits{});
    EXPECT_FALSE(result.block);
    EXPECT_NE(result.failure.find("far too short"), std::string::npos) << result.failure;
}

// A TGA header, then the data as given.
Bytes BuildTga(std::uint8_t type, std::uint8_t bits, std::uint8_t descriptor, std::uint16_t width, std::uint16_t height,
               const Bytes& data, const Bytes& map = {}, std::uint8_t mapBits = 0)
{
    Bytes out{0, static_cast<std::uint8_t>(map.empty() ? 0 : 1), type};
    PutLittle(out, 0, 2);
    PutLittle(out, static_cast<std::uint32_t>(map.empty() ? 0 : map.size() / (mapBits / 8)), 2);
    out.push_back(mapBits);
    PutLittle(out, 0, 4);
    PutLittle(out, width, 2);
    PutLittle(out, height, 2);
    out.push_back(bits);
    out.push_back(descriptor);
    out.insert(out.end(), map.begin(), map.end());
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

TEST(GeneralTgaReader, ReadsRunLengthTrueColourGrayAndMapped)
{
    // 3 x 2 from the top left: a run of three, then a raw packet of three.
    const Bytes colour = {0x82, 10, 20, 30, 0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    ExpectPixels(
        ReadTgaGeneral(BuildTga(10, 24, 0x20, 3, 2, colour), Limits{}),
        [](std::uint32_t x, std::uint32_t y) {
            if (y == 0)
                return Rgb{30, 20, 10};
            const int b = static_cast<int>(3 * x + 1);
            return Rgb{b + 2, b + 1, b};
        },
        0, 3, 2);
    // Gray from the bottom left: the bottom row 50, the top row 60 70 80 (run across rows).
    const Bytes gray = {0x83, 50, 0x01, 70, 80};
    ExpectPixels(
        ReadTgaGeneral(BuildTga(11, 8, 0, 3, 2, gray), Limits{}),
        [](std::uint32_t x, std::uint32_t y) {
            const int level = y == 1 ? 50 : x == 0 ? 50 : x == 1 ? 70 : 80;
            return Rgb{level, level, level};
        },
        0, 3, 2);
    const Bytes map = {0, 0, 255, 0, 255, 0}; // red, green (blue, green, red)
    const Bytes mapped = {0x85, 1};
    ExpectPixels(
        ReadTgaGeneral(BuildTga(9, 8, 0x20, 3, 2, mapped, map, 24), Limits{}),
        [](std::uint32_t, std::uint32_t) {
            return Rgb{0, 255, 0};
        },
        0, 3, 2);
}

TEST(GeneralTgaReader, CompositesThirtyTwoBitAlphaOverWhite)
{
    const Bytes data = {0x80, 0, 0, 200, 128}; // one red pixel at half alpha
    const PictureReadResult result = ReadTgaGeneral(BuildTga(10, 32, 0x28, 1, 1, data), Limits{});
    ExpectPixels(
        result,
        [](std::uint32_t, std::uint32_t) {
            return Rgb{OverWhite(200, 128), 127, 127};
        },
        0, 1, 1);
    EXPECT_TRUE(result.composited);
}

} // namespace
} // namespace tamr
