// Feeds arbitrary bytes to the GIF reader and loads whatever block it returns.

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/DibImage.h"
#include "image/GifReader.h"
#include "support/ScriptedPrompter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A much smaller pixel limit than the program's keeps every run fast: a few
    // hundred bytes of GIF may declare millions of pixels, and every one is
    // allocated, decoded and expanded. The largest picture of the corpus fits.
    constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 18;
    tamr::ScriptedPrompter prompter;
    const auto block = tamr::CGifReader().Read(std::span(data, size), prompter, kMaxPixels);
    if (!block)
        return 0;
    tamr::CDibImage image;
    (void)image.LoadPackedBlock(*block, prompter, tamr::DisplaySettings{});
    return 0;
}
