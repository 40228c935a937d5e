// The readers whose library was not found when tamr was built: each refuses
// every file and names the library it needs; and which of the libraries were there.

#include "image/general/GeneralPicture.h"
#include "image/general/GeneralReaders.h"

namespace tamr {
namespace {

[[maybe_unused]] PictureReadResult Unavailable(std::string_view kind, std::string_view library)
{
    return RefusedAs(kind, "this build of tamr has no " + std::string(library) + " to read the file with");
}

#if defined(TAMR_HAVE_TIFF)
constexpr bool kHaveTiff = true;
#else
constexpr bool kHaveTiff = false;
#endif
#if defined(TAMR_HAVE_WEBPDEMUX)
constexpr bool kHaveWebP = true;
#else
constexpr bool kHaveWebP = false;
#endif
#if defined(TAMR_HAVE_AVIF)
constexpr bool kHaveAvif = true;
#else
constexpr bool kHaveAvif = false;
#endif
#if defined(TAMR_HAVE_HEIF)
constexpr bool kHaveHeif = true;
#else
constexpr bool kHaveHeif = false;
#endif
#if defined(TAMR_HAVE_JXL)
constexpr bool kHaveJxl = true;
#else
constexpr bool kHaveJxl = false;
#endif

} // namespace

#if !defined(TAMR_HAVE_GIFLIB)
PictureReadResult ReadGifGeneral(std::span<const std::uint8_t>, const Limits&)
{
    return Unavailable("GIF", "giflib");
}
#endif
#if !defined(TAMR_HAVE_TIFF)
PictureReadResult ReadTiffGeneral(std::span<const std::uint8_t>, const Limits&)
{
    return Unavailable("TIFF", "libtiff");
}
PictureReadResult ReadTiffGeneralHead(std::span<const std::uint8_t>, const Limits&)
{
    return Unavailable("TIFF", "libtiff");
}
#endif
#if !defined(TAMR_HAVE_WEBPDEMUX)
PictureReadResult ReadWebPGeneral(std::span<const std::uint8_t>, const Limits&)
{
    return Unavailable("WebP", "libwebpdemux");
}
PictureReadResult ReadWebPGeneralHead(std::span<const std::uint8_t>, const Limits&)
{
    return Unavailable("WebP", "libwebpdemux");
}
#endif
#if !defined(TAMR_HAVE_AVIF)
PictureReadResult ReadAvifGeneral(std::span<const std::uint8_t>, const Limits&)
{
    return Unavailable("AVIF", "libavif");
}
PictureReadResult ReadAvifGeneralHead(std::span<const std::uint8_t>, const Limits&)
{
    return Unavailable("AVIF", "libavif");
}
#endif
#if !defined(TAMR_HAVE_HEIF)
PictureReadResult ReadHeifGeneral(std::span<const std::uint8_t>, const Limits&)
{
    return Unavailable("HEIF", "libheif");
}
PictureReadResult ReadHeifGeneralHead(std::span<const std::uint8_t>, const Limits&)
{
    return Unavailable("HEIF", "libheif");
}
#endif
#if !defined(TAMR_HAVE_JXL)
PictureReadResult ReadJxlGeneral(std::span<const std::uint8_t>, const Limits&)
{
    return Unavailable("JPEG XL", "libjxl");
}
PictureReadResult ReadJxlGeneralHead(std::span<const std::uint8_t>, const Limits&)
{
    return Unavailable("JPEG XL", "libjxl");
}
#endif

bool GeneralReaderBuilt(FileType kind)
{
    switch (kind) {
    case FileType::Tiff:
        return kHaveTiff;
    case FileType::WebP:
        return kHaveWebP;
    case FileType::Avif:
        return kHaveAvif;
    case FileType::Heif:
        return kHaveHeif;
    case FileType::Jxl:
        return kHaveJxl;
    default:
        return true;
    }
}

} // namespace tamr
