// Feeds arbitrary bytes to the GIF reader and loads whatever block it returns.

#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzLimits.h"
#include "image/DibImage.h"
#include "image/GifReader.h"
#include "support/ScriptedPrompter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // GIF pixels are decoded one code at a time: smaller still.
    tamr::Limits limits = FuzzLimits();
    limits.maxPixels = std::uint64_t{1} << 18;
    tamr::ScriptedPrompter prompter;
    const auto block = tamr::CGifReader().Read(std::span(data, size), prompter, limits);
    if (!block)
        return 0;
    tamr::CDibImage image;
    (void)image.LoadPackedBlock(*block, prompter, tamr::DisplaySettings{}, limits);
    return 0;
}
