// Feeds arbitrary bytes to the general AVIF reader and loads whatever it returns into an image.

#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzLimits.h"
#include "image/DibImage.h"
#include "image/general/GeneralReaders.h"
#include "support/ScriptedPrompter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const tamr::PictureReadResult result = tamr::ReadAvifGeneral(std::span(data, size), FuzzLimits());
    if (!result.block)
        return 0;
    tamr::ScriptedPrompter prompter;
    tamr::CDibImage image;
    (void)image.LoadPackedBlock(*result.block, prompter, tamr::DisplaySettings{}, FuzzLimits());
    return 0;
}
