// Feeds arbitrary bytes to the BMP reader.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "image/DibImage.h"
#include "platform/ByteReader.h"
#include "support/ScriptedPrompter.h"

namespace {

// Huge declared sizes load correctly but slowly (missing pixels stay zero);
// the fuzzer looks for faults, so such inputs are passed over.
bool DeclaresHugeImage(std::span<const std::uint8_t> bytes)
{
    tamr::ByteReader reader(bytes);
    reader.Seek(14);
    const std::uint32_t headerSize = reader.U32();
    std::int64_t width = 0;
    std::int64_t height = 0;
    if (headerSize == 12) {
        width = reader.U16();
        height = reader.U16();
    } else {
        width = reader.I32();
        height = reader.I32();
    }
    return std::llabs(width) * std::llabs(height) > (std::int64_t{1} << 22);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    if (DeclaresHugeImage(bytes))
        return 0;
    tamr::ScriptedPrompter prompter;
    tamr::CDibImage image;
    if (image.ReadBmp(bytes, prompter, tamr::DisplaySettings{}))
        (void)image.WriteBmp();
    return 0;
}
