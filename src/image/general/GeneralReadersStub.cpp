// The general readers of a build without their libraries: every file is
// refused as a kind this build does not read, never taken for a picture.

#include "image/general/GeneralReaders.h"

namespace tamr {
namespace {

PictureReadResult NoReader()
{
    return PictureReadResult::Refused(PictureFailure::Unsupported, "no reader for this kind in this build");
}

} // namespace

PictureReadResult ReadJpegGeneral(std::span<const std::uint8_t> /*bytes*/, const Limits& /*limits*/)
{
    return NoReader();
}
PictureReadResult ReadGifGeneral(std::span<const std::uint8_t> /*bytes*/, const Limits& /*limits*/)
{
    return NoReader();
}
PictureReadResult ReadTiffGeneral(std::span<const std::uint8_t> /*bytes*/, const Limits& /*limits*/)
{
    return NoReader();
}
PictureReadResult ReadWebPGeneral(std::span<const std::uint8_t> /*bytes*/, const Limits& /*limits*/)
{
    return NoReader();
}
PictureReadResult ReadAvifGeneral(std::span<const std::uint8_t> /*bytes*/, const Limits& /*limits*/)
{
    return NoReader();
}
PictureReadResult ReadHeifGeneral(std::span<const std::uint8_t> /*bytes*/, const Limits& /*limits*/)
{
    return NoReader();
}
PictureReadResult ReadJxlGeneral(std::span<const std::uint8_t> /*bytes*/, const Limits& /*limits*/)
{
    return NoReader();
}
PictureReadResult ReadBmpGeneral(std::span<const std::uint8_t> /*bytes*/, const Limits& /*limits*/)
{
    return NoReader();
}
PictureReadResult ReadTgaGeneral(std::span<const std::uint8_t> /*bytes*/, const Limits& /*limits*/)
{
    return NoReader();
}

} // namespace tamr
