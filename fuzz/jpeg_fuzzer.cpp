// Feeds arbitrary bytes to the JPEG reader and loads whatever it returns into an image.

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/DibImage.h"
#include "image/JpegReader.h"
#include "support/ScriptedPrompter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tamr::ScriptedPrompter prompter;
    // Large pictures decode correctly but slowly; the fuzzer looks for faults, not patience.
    const auto block = tamr::ReadJpeg(std::span(data, size), prompter, std::uint64_t{1} << 22);
    if (!block)
        return 0;
    tamr::CDibImage image;
    (void)image.LoadPackedBlock(*block, prompter, tamr::DisplaySettings{});
    return 0;
}
