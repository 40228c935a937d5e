// Feeds arbitrary bytes to the BMP reader.

#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzLimits.h"
#include "image/DibImage.h"
#include "support/ScriptedPrompter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tamr::ScriptedPrompter prompter;
    tamr::CDibImage image;
    if (image.ReadBmp(std::span(data, size), prompter, tamr::DisplaySettings{}, FuzzLimits()))
        (void)image.WriteBmp();
    return 0;
}
