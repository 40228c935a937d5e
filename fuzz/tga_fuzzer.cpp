// Feeds arbitrary bytes to the TGA reader and loads whatever block it returns.

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/DibImage.h"
#include "image/TgaReader.h"
#include "support/ScriptedPrompter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A smaller pixel limit than the program's keeps every run fast.
    constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 22;
    tamr::ScriptedPrompter prompter;
    const auto block = tamr::CTgaReader().Read(std::span(data, size), prompter, kMaxPixels);
    if (!block)
        return 0;
    tamr::CDibImage image;
    (void)image.LoadPackedBlock(*block, prompter, tamr::DisplaySettings{});
    return 0;
}
