// Feeds arbitrary bytes to the PNM reader and loads whatever block it returns.

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/DibImage.h"
#include "image/PnmReader.h"
#include "support/ScriptedPrompter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A much smaller pixel limit than the program's keeps every run fast: a
    // few bytes of header may declare millions of pixels.
    constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 18;
    const auto result = tamr::ReadPnm(std::span(data, size), kMaxPixels);
    if (!result.block)
        return 0;
    tamr::ScriptedPrompter prompter;
    tamr::CDibImage image;
    (void)image.LoadPackedBlock(*result.block, prompter, tamr::DisplaySettings{});
    return 0;
}
