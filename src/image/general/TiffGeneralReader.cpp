// TIFF through libtiff: the first page, read from memory.

#include <tiffio.h>

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "image/PictureSamples.h"
#include "image/general/GeneralPicture.h"
#include "image/general/GeneralReaders.h"

namespace tamr {
namespace {

constexpr std::string_view kKind = "TIFF";

// Deflate and LZW code at most a few thousand bytes into one; CCITT fax codes
// a blank row in one bit, so fax pages need a bit a row only.
constexpr std::uint64_t kMostBytesPerCodedByte = 4096;

// The fewest rows decoded at once into libtiff's RGBA raster.
constexpr std::uint32_t kBandRows = 64;

struct MemoryFile {
    std::span<const std::uint8_t> bytes;
    std::uint64_t position = 0;
    std::string error; // libtiff's first error message
};

MemoryFile& FileOf(thandle_t handle)
{
    return *static_cast<MemoryFile*>(handle);
}

tmsize_t ReadProc(thandle_t handle, void* destination, tmsize_t length)
{
    MemoryFile& file = FileOf(handle);
    if (length <= 0 || file.position >= file.bytes.size())
        return 0;
    const std::uint64_t count =
        std::min<std::uint64_t>(static_cast<std::uint64_t>(length), file.bytes.size() - file.position);
    std::copy_n(file.bytes.begin() + static_cast<std::ptrdiff_t>(file.position), count,
                static_cast<std::uint8_t*>(destination));
    file.position += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t)
{
    return 0;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
    MemoryFile& file = FileOf(handle);
    const std::uint64_t base = whence == SEEK_CUR ? file.position : whence == SEEK_END ? file.bytes.size() : 0;
    file.position = base + offset;
    return file.position;
}

int CloseProc(thandle_t)
{
    return 0;
}

toff_t SizeProc(thandle_t handle)
{
    return FileOf(handle).bytes.size();
}

int MapProc(thandle_t, void**, toff_t*)
{
    return 0;
}

void UnmapProc(thandle_t, void*, toff_t) {}

int KeepFirstError(TIFF*, void* user, const char*, const char* format, va_list arguments)
{
    auto& file = *static_cast<MemoryFile*>(user);
    if (file.error.empty()) {
        std::array<char, 512> text{};
        std::vsnprintf(text.data(), text.size(), format, arguments);
        file.error = text.data();
    }
    return 1;
}

int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

struct OptionsDeleter {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

// The RGBA reader's state, ended whatever happens.
struct RgbaImage {
    TIFFRGBAImage image{};
    bool begun = false;
    RgbaImage() = default;
    RgbaImage(const RgbaImage&) = delete;
    RgbaImage& operator=(const RgbaImage&) = delete;
    ~RgbaImage()
    {
        if (begun)
            TIFFRGBAImageEnd(&image);
    }
};

PictureReadResult Failed(const MemoryFile& file, const char* fallback)
{
    return RefusedAs(kKind, file.error.empty() ? fallback : file.error);
}

// True for a palette whose every entry is gray.
bool GrayPalette(TIFF* tiff, std::uint16_t bitsPerSample)
{
    std::uint16_t* red = nullptr;
    std::uint16_t* green = nullptr;
    std::uint16_t* blue = nullptr;
    if (bitsPerSample > 16 || TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) != 1)
        return false;
    const std::size_t entries = std::size_t{1} << bitsPerSample;
    for (std::size_t i = 0; i < entries; ++i)
        if (red[i] != green[i] || green[i] != blue[i])
            return false;
    return true;
}

// The most libtiff, or this reader for libtiff, allocates at once: what the
// largest picture the decode limit allows needs at 16 bits with alpha.
std::uint64_t MostBytesAtOnce(const Limits& limits)
{
    return std::clamp<std::uint64_t>(4 * limits.maxDecodedBytes, std::uint64_t{16} << 20, std::uint64_t{1} << 32);
}

// 16-bit gray is read by hand so that its samples round to 8 bits as PNG's
// do; libtiff's RGBA reader keeps their high byte only.
PictureReadResult ReadGray16(TIFF* tiff, const MemoryFile& file, bool minIsWhite, const Limits& limits,
                             GeneralRows& rows)
{
    const std::uint32_t width = rows.Width();
    const std::uint32_t height = rows.Height();
    auto put = [&](std::uint32_t x, std::uint32_t y, const std::uint8_t* sample) {
        std::uint16_t value = 0;
        std::memcpy(&value, sample, sizeof value);
        const std::uint8_t level = ScaleToByte(minIsWhite ? 65535u - value : value, 65535);
        rows.PutPixel(x, y, level, level, level);
    };
    std::vector<std::uint8_t> buffer;
    if (TIFFIsTiled(tiff) == 0) {
        const auto lineBytes = static_cast<std::uint64_t>(std::max<tmsize_t>(TIFFScanlineSize(tiff), 0));
        if (lineBytes < std::uint64_t{width} * 2 || lineBytes > MostBytesAtOnce(limits) ||
            !TryResize(buffer, static_cast<std::size_t>(lineBytes)))
            return Failed(file, "the file's rows are not as long as its header declares");
        for (std::uint32_t y = 0; y < height; ++y) {
            if (TIFFReadScanline(tiff, buffer.data(), y, 0) < 0)
                return Failed(file, "the file is damaged");
            for (std::uint32_t x = 0; x < width; ++x)
                put(x, y, buffer.data() + 2 * std::size_t{x});
        }
        return rows.Finish();
    }
    std::uint32_t tileWidth = 0;
    std::uint32_t tileHeight = 0;
    TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileHeight);
    const auto tileBytes = static_cast<std::uint64_t>(std::max<tmsize_t>(TIFFTileSize(tiff), 0));
    if (tileWidth == 0 || tileHeight == 0 || tileBytes < std::uint64_t{tileWidth} * tileHeight * 2 ||
        tileBytes > MostBytesAtOnce(limits) || !TryResize(buffer, static_cast<std::size_t>(tileBytes)))
        return Failed(file, "the file's tiles are not as large as its header declares");
    for (std::uint32_t top = 0; top < height; top += tileHeight)
        for (std::uint32_t left = 0; left < width; left += tileWidth) {
            if (TIFFReadTile(tiff, buffer.data(), left, top, 0, 0) < 0)
                return Failed(file, "the file is damaged");
            for (std::uint32_t y = top; y < std::min(height, top + tileHeight); ++y)
                for (std::uint32_t x = left; x < std::min(width, left + tileWidth); ++x)
                    put(x, y, buffer.data() + 2 * ((std::size_t{y} - top) * tileWidth + (x - left)));
        }
    return rows.Finish();
}

// The page's orientation tag and embedded profile.
PictureMetadata MetadataOf(TIFF* tiff, std::uint16_t bitsPerSample)
{
    PictureMetadata metadata;
    metadata.bitsPerSample = bitsPerSample;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    if (TIFFGetField(tiff, TIFFTAG_ORIENTATION, &orientation) == 1)
        metadata.orientation = orientation;
    std::uint32_t profileBytes = 0;
    const std::uint8_t* profile = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &profileBytes, &profile) == 1 && profile != nullptr)
        metadata.iccProfile.assign(profile, profile + profileBytes);
    return metadata;
}

// libtiff reading the file from memory; its first error is kept in `file`.
struct TiffReading {
    MemoryFile file;
    std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options;
    std::unique_ptr<TIFF, TiffCloser> tiff;

    explicit TiffReading(std::span<const std::uint8_t> bytes) : file{bytes, 0, {}} {}
    TiffReading(const TiffReading&) = delete;
    TiffReading& operator=(const TiffReading&) = delete;
    ~TiffReading() = default;

    // Reads the file's first directory; the refusal when it cannot be read.
    std::optional<PictureReadResult> Open(const Limits& limits)
    {
        options.reset(TIFFOpenOptionsAlloc());
        if (!options)
            return NoRoomFor(kKind);
        TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(MostBytesAtOnce(limits)));
        TIFFOpenOptionsSetErrorHandlerExtR(options.get(), &KeepFirstError, &file);
        TIFFOpenOptionsSetWarningHandlerExtR(options.get(), &IgnoreWarning, &file);
        tiff.reset(TIFFClientOpenExt("memory", "rm", &file, &ReadProc, &WriteProc, &SeekProc, &CloseProc, &SizeProc,
                                     &MapProc, &UnmapProc, options.get()));
        if (!tiff)
            return Failed(file, "the file is damaged or not a TIFF file");
        return std::nullopt;
    }
};

// What the first page's tags say of its picture.
struct PageHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    bool gray = false;
    // 16-bit gray, read by hand rather than by libtiff's RGBA reader.
    bool gray16 = false;
    PictureMetadata metadata;
};

// The page's tags, or the refusal they call for: a size beyond the limits or
// a variant libtiff's RGBA reader cannot read.
std::variant<PageHeader, PictureReadResult> ReadPageHeader(TIFF* tiff, std::uint64_t fileBytes, const Limits& limits)
{
    PageHeader page;
    std::uint16_t bitsPerSample = 1;
    std::uint16_t samplesPerPixel = 1;
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &page.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &page.height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &page.photometric);
    const std::uint16_t photometric = page.photometric;
    page.gray = photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE ||
                (photometric == PHOTOMETRIC_PALETTE && GrayPalette(tiff, bitsPerSample));
    const std::uint64_t rawBytes = (std::uint64_t{page.width} * samplesPerPixel * bitsPerSample + 7) / 8 * page.height;
    const bool fax = compression == COMPRESSION_CCITTRLE || compression == COMPRESSION_CCITTFAX3 ||
                     compression == COMPRESSION_CCITTFAX4 || compression == COMPRESSION_CCITTRLEW;
    const std::uint64_t needed = fax ? page.height / 8 : rawBytes / kMostBytesPerCodedByte;
    if (auto refused = CheckDeclaredSize(kKind, page.width, page.height, !page.gray, fileBytes, needed, limits))
        return std::move(*refused);

    // The rows are read as stored; the orientation is applied after the reader.
    page.metadata = MetadataOf(tiff, bitsPerSample);
    std::uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    page.gray16 = bitsPerSample == 16 && samplesPerPixel == 1 && sampleFormat == SAMPLEFORMAT_UINT &&
                  (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE);
    std::array<char, 1024> message{};
    if (!page.gray16 && TIFFRGBAImageOK(tiff, message.data()) == 0)
        return RefusedAs(kKind, message.data());
    return page;
}

} // namespace

PictureReadResult ReadTiffGeneralHead(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    TiffReading reading(bytes);
    if (auto refused = reading.Open(limits))
        return std::move(*refused);
    auto page = ReadPageHeader(reading.tiff.get(), bytes.size(), limits);
    if (auto* refused = std::get_if<PictureReadResult>(&page))
        return std::move(*refused);
    PageHeader& header = std::get<PageHeader>(page);
    return HeadOf(header.width, header.height, !header.gray, std::move(header.metadata));
}

PictureReadResult ReadTiffGeneral(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    TiffReading reading(bytes);
    if (auto refused = reading.Open(limits))
        return std::move(*refused);
    TIFF* const tiff = reading.tiff.get();
    const MemoryFile& file = reading.file;
    auto page = ReadPageHeader(tiff, bytes.size(), limits);
    if (auto* refused = std::get_if<PictureReadResult>(&page))
        return std::move(*refused);
    PageHeader& header = std::get<PageHeader>(page);
    const std::uint32_t width = header.width;
    const std::uint32_t height = header.height;
    const bool gray = header.gray;
    if (header.gray16) {
        auto rows = GeneralRows::Make(width, height, false);
        if (!rows)
            return NoRoomFor(kKind);
        PictureReadResult result = ReadGray16(tiff, file, header.photometric == PHOTOMETRIC_MINISWHITE, limits, *rows);
        result.metadata = std::move(header.metadata);
        return result;
    }
    std::array<char, 1024> message{};
    RgbaImage rgba;
    if (TIFFRGBAImageBegin(&rgba.image, tiff, 1, message.data()) == 0)
        return RefusedAs(kKind, message.data());
    rgba.begun = true;
    // Asking for the file's own orientation makes libtiff hand the rows as stored.
    rgba.image.req_orientation = rgba.image.orientation;
    auto rows = GeneralRows::Make(width, height, !gray);
    if (!rows)
        return NoRoomFor(kKind);
    // Bands of whole strips or tiles, so that each is decoded once.
    std::uint32_t unitRows = 0;
    if (TIFFIsTiled(tiff) != 0)
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &unitRows);
    else
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &unitRows);
    const std::uint32_t bandRows = std::min(std::max(unitRows, kBandRows), height);
    std::vector<std::uint32_t> raster;
    if (!TryResize(raster, std::size_t{width} * bandRows))
        return NoRoomFor(kKind);
    for (std::uint32_t top = 0; top < height; top += bandRows) {
        const std::uint32_t band = std::min(bandRows, height - top);
        rgba.image.row_offset = static_cast<int>(top);
        rgba.image.col_offset = 0;
        if (TIFFRGBAImageGet(&rgba.image, raster.data(), width, band) == 0)
            return Failed(file, "the file is damaged");
        for (std::uint32_t y = 0; y < band; ++y)
            for (std::uint32_t x = 0; x < width; ++x) {
                const std::uint32_t abgr = raster[std::size_t{y} * width + x];
                // libtiff hands alpha premultiplied: over white adds what the pixel does not cover.
                const auto over = static_cast<std::uint8_t>(255 - TIFFGetA(abgr));
                const auto red = static_cast<std::uint8_t>(std::min(255u, TIFFGetR(abgr) + over));
                const auto green = static_cast<std::uint8_t>(std::min(255u, TIFFGetG(abgr) + over));
                const auto blue = static_cast<std::uint8_t>(std::min(255u, TIFFGetB(abgr) + over));
                rows->PutPixel(x, top + y, red, green, blue);
                if (over != 0)
                    rows->MarkComposited();
            }
    }
    PictureReadResult result = rows->Finish();
    result.metadata = std::move(header.metadata);
    return result;
}

} // namespace tamr
