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
#endif
#if !defined(TAMR_HAVE_WEBPDEMUX)
PictureReadResult ReadWebPGeneral(std::span<const std::uint8_t>, const Limits&)
{
    return Unavailable("WebP", "libwebpdemux");
}
#endif
#if !defined(TAMR_HAVE_AVIF)
PictureReadResult ReadAvifGeneral(std::span<const std::uint8_t>, const Limits&)
{
    return Unavailable("AVIF", "libavif");
}
#endif
#if !defined(TAMR_HAVE_HEIF)
PictureReadResult ReadHeifGeneral(std::span<const std::uint8_t>, const Limits&)
{
    return Unavailable("HEIF", "libheif");
}
#endif
#if !defined(TAMR_HAVE_JXL)
PictureReadResult ReadJxlGeneral(std::span<const std::uint8_t>, const Limits&)
{
    return Unavailable("JPEG XL", "libjxl");
}
#endif

bool GeneralReaderBuilt(FileType kind)
{
    switch (kind) {
    case FileType::Tiff:
#if defined(TAMR_HAVE_TIFF)
        return true;
#else
        return false;
#endif
    case FileType::WebP:
#if defined(TAMR_HAVE_WEBPDEMUX)
        return true;
#else
        return false;
#endif
    case FileType::Avif:
#if defined(TAMR_HAVE_AVIF)
        return true;
#else
        return false;
#endif
    case FileType::Heif:
#if defined(TAMR_HAVE_HEIF)
        return true;
#else
        return false;
#endif
    case FileType::Jxl:
#if defined(TAMR_HAVE_JXL)
        return true;
#else
        return false;
#endif
    default:
        return true;
    }
}

} // namespace tamr
