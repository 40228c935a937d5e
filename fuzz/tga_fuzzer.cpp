// Feeds arbitrary bytes to the TGA reader and loads whatever block it returns.

#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzLimits.h"
#include "image/DibImage.h"
#include "image/TgaReader.h"
#include "support/ScriptedPrompter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tamr::ScriptedPrompter prompter;
    const auto block = tamr::CTgaReader().Read(std::span(data, size), prompter, FuzzLimits());
    if (!block)
        return 0;
    tamr::CDibImage image;
    (void)image.LoadPackedBlock(*block, prompter, tamr::DisplaySettings{}, FuzzLimits());
    return 0;
}
