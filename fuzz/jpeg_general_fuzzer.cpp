// Feeds arbitrary bytes to the general JPEG reader, turns what it returns
// upright and into sRGB as its Exif block and profile say, and loads it into
// an image.

#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzLimits.h"
#include "image/DibImage.h"
#include "image/OrientationAndColour.h"
#include "image/general/GeneralReaders.h"
#include "support/ScriptedPrompter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tamr::PictureReadResult result = tamr::ReadJpegGeneral(std::span(data, size), FuzzLimits());
    tamr::TurnUprightAndIntoSrgb(result);
    if (!result.block)
        return 0;
    tamr::ScriptedPrompter prompter;
    tamr::CDibImage image;
    (void)image.LoadPackedBlock(*result.block, prompter, tamr::DisplaySettings{}, FuzzLimits());
    return 0;
}
