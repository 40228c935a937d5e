#include "image/PictureKinds.h"

#include <algorithm>
#include <array>

#include "image/general/GeneralReaders.h"

namespace tamr {
namespace {

using Names = std::string_view;

constexpr Names kBmp[] = {"bmp"};
constexpr Names kBmpMime[] = {"image/bmp"};
constexpr Names kCod[] = {"cod"};
constexpr Names kCodMime[] = {"application/x-tamr-cod"};
constexpr Names kTga[] = {"tga"};
constexpr Names kTgaMime[] = {"image/x-tga"};
constexpr Names kGif[] = {"gif"};
constexpr Names kGifMime[] = {"image/gif"};
// The program's own dialog takes "jpg" alone: a ".jpeg" name chosen there is refused.
constexpr Names kJpeg[] = {"jpg"};
constexpr Names kJpegOther[] = {"jpeg", "jpe", "jfif"};
constexpr Names kJpegMime[] = {"image/jpeg"};
constexpr Names kPng[] = {"png"};
constexpr Names kPngMime[] = {"image/png"};
constexpr Names kPnm[] = {"ppm", "pgm"};
constexpr Names kPnmOther[] = {"pnm"};
constexpr Names kPnmMime[] = {"image/x-portable-pixmap", "image/x-portable-graymap", "image/x-portable-anymap"};
constexpr Names kTiff[] = {"tif", "tiff"};
constexpr Names kTiffMime[] = {"image/tiff"};
constexpr Names kWebP[] = {"webp"};
constexpr Names kWebPMime[] = {"image/webp"};
constexpr Names kAvif[] = {"avif"};
constexpr Names kAvifMime[] = {"image/avif"};
constexpr Names kHeif[] = {"heic", "heif"};
constexpr Names kHeifMime[] = {"image/heif", "image/heic"};
constexpr Names kJxl[] = {"jxl"};
constexpr Names kJxlMime[] = {"image/jxl"};

constexpr std::array kKinds = {
    PictureKind{FileType::Bmp, "BMP", "BMP", kBmp, {}, kBmpMime, true, false},
    PictureKind{FileType::Cod, "COD", "COD", kCod, {}, kCodMime, true, false},
    PictureKind{FileType::Tga, "TGA", "TGA", kTga, {}, kTgaMime, true, false},
    PictureKind{FileType::Gif, "GIF", "GIF", kGif, {}, kGifMime, true, false},
    PictureKind{FileType::Jpeg, "JPEG", "JPG", kJpeg, kJpegOther, kJpegMime, true, false},
    PictureKind{FileType::Png, "PNG", "PNG and PNM", kPng, {}, kPngMime, false, false},
    PictureKind{FileType::Pnm, "PNM", "PNG and PNM", kPnm, kPnmOther, kPnmMime, false, false},
    PictureKind{FileType::Tiff, "TIFF", "TIFF", kTiff, {}, kTiffMime, false, true},
    PictureKind{FileType::WebP, "WebP", "WebP", kWebP, {}, kWebPMime, false, true},
    PictureKind{FileType::Avif, "AVIF", "AVIF", kAvif, {}, kAvifMime, false, true},
    PictureKind{FileType::Heif, "HEIF", "HEIF", kHeif, {}, kHeifMime, false, true},
    PictureKind{FileType::Jxl, "JPEG XL", "JPEG XL", kJxl, {}, kJxlMime, false, true},
};

// COD, tamr's own kind, is named after the pictures it is made from.
std::vector<const PictureKind*> CodLast(std::vector<const PictureKind*> kinds)
{
    std::stable_partition(kinds.begin(), kinds.end(),
                          [](const PictureKind* kind) { return kind->type != FileType::Cod; });
    return kinds;
}

} // namespace

std::span<const PictureKind> AllPictureKinds()
{
    return kKinds;
}

std::vector<const PictureKind*> OpenablePictureKinds()
{
    std::vector<const PictureKind*> kinds;
    for (const PictureKind& kind : kKinds)
        if (!kind.needsLibrary || GeneralReaderBuilt(kind.type))
            kinds.push_back(&kind);
    return kinds;
}

const PictureKind* FindPictureKind(FileType type)
{
    for (const PictureKind& kind : kKinds)
        if (kind.type == type)
            return &kind;
    return nullptr;
}

std::vector<std::string_view> AllExtensions(const PictureKind& kind)
{
    std::vector<std::string_view> extensions(kind.openExtensions.begin(), kind.openExtensions.end());
    extensions.insert(extensions.end(), kind.otherExtensions.begin(), kind.otherExtensions.end());
    return extensions;
}

std::string PictureKindsText(std::string_view last, bool withCod)
{
    std::vector<const PictureKind*> kinds = CodLast(OpenablePictureKinds());
    if (!withCod)
        kinds.pop_back();
    std::string text;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (i > 0)
            text += i + 1 == kinds.size() ? " " + std::string(last) + " " : ", ";
        text += kinds[i]->name;
    }
    return text;
}

std::string PictureMimeTypesLine()
{
    std::string line;
    for (const PictureKind* kind : OpenablePictureKinds())
        for (const std::string_view type : kind->mimeTypes)
            line += std::string(type) + ';';
    return line;
}

} // namespace tamr
