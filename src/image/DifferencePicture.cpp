#include "image/DifferencePicture.h"

#include <algorithm>
#include <cstdlib>

namespace tamr {

std::vector<std::uint8_t> AmplifiedDifference(ConstPixelView a, ConstPixelView b, int bytesPerPixel, int amplify)
{
    if ((bytesPerPixel != 1 && bytesPerPixel != 3) || a.width != b.width || a.height != b.height ||
        a.rowPad != b.rowPad || !HoldsAllRows(a, bytesPerPixel) || !HoldsAllRows(b, bytesPerPixel))
        return {};
    const int factor = std::clamp(amplify, kMinAmplify, kMaxAmplify);
    const std::size_t rowBytes = RowBytes(a, bytesPerPixel);
    const std::size_t samples = static_cast<std::size_t>(a.width) * static_cast<std::size_t>(bytesPerPixel);
    std::vector<std::uint8_t> difference(rowBytes * static_cast<std::size_t>(a.height), 0);
    for (std::size_t row = 0; row < static_cast<std::size_t>(a.height); ++row) {
        const std::size_t start = row * rowBytes;
        for (std::size_t i = start; i < start + samples; ++i) {
            const int d = std::abs(static_cast<int>(a.bytes[i]) - static_cast<int>(b.bytes[i]));
            difference[i] = static_cast<std::uint8_t>(std::min(255, d * factor));
        }
    }
    return difference;
}

} // namespace tamr
