// Builds made without libexif or lcms2: pictures open as their readers give
// them, and the orientation and colour step says what it could not do.

#include "image/ColourProfile.h"
#include "image/ExifOrientation.h"

namespace tamr {

#if !defined(TAMR_HAVE_LIBEXIF)
bool CanReadExif()
{
    return false;
}

std::optional<int> ExifOrientationOf(std::span<const std::uint8_t>)
{
    return std::nullopt;
}
#endif

#if !defined(TAMR_HAVE_LCMS2)
bool CanConvertColours()
{
    return false;
}

std::optional<std::string> ProfileDescription(std::span<const std::uint8_t>)
{
    return std::nullopt;
}

ProfileResult ConvertToSrgb(std::span<const std::uint8_t>, PackedBlockView&)
{
    return {ProfileOutcome::Unavailable, {}};
}
#endif

} // namespace tamr
