#include "peers/PeerSizeAim.h"

#include <map>
#include <string>

namespace tamr {

std::optional<int> ClosestQuality(std::size_t targetBytes,
                                  const std::function<std::optional<std::size_t>(int quality)>& sizeAt)
{
    std::map<int, std::size_t> sizes;
    const auto size = [&](int quality) -> std::optional<std::size_t> {
        if (const auto known = sizes.find(quality); known != sizes.end())
            return known->second;
        const auto measured = sizeAt(quality);
        if (measured)
            sizes.emplace(quality, *measured);
        return measured;
    };
    // The first quality whose size reaches the target (100 when none does) ...
    int low = 0;
    int high = 100;
    while (low < high) {
        const int middle = (low + high) / 2;
        const auto middleSize = size(middle);
        if (!middleSize)
            return std::nullopt;
        if (*middleSize >= targetBytes)
            high = middle;
        else
            low = middle + 1;
    }
    // ... or the one below it, whichever is closer.
    const auto above = size(low);
    if (!above)
        return std::nullopt;
    if (low == 0)
        return low;
    const auto below = size(low - 1);
    if (!below)
        return std::nullopt;
    const auto distance = [targetBytes](std::size_t bytes) {
        return bytes > targetBytes ? bytes - targetBytes : targetBytes - bytes;
    };
    return distance(*below) <= distance(*above) ? low - 1 : low;
}

PeerAtSize CodeAtSize(const PeerCodec& codec, ConstPixelView picture, int bytesPerPixel, std::size_t targetBytes)
{
    PeerAtSize result;
    if (!codec.available) {
        result.picture = PeerFailure(std::string(codec.label) + " is not in this build");
    } else if (codec.aim == SizeAim::Bytes && codec.codeAtBytes != nullptr) {
        result.picture = codec.codeAtBytes(picture, bytesPerPixel, targetBytes);
    } else if (codec.aim == SizeAim::Quality && codec.codeAtQuality != nullptr) {
        std::string failure;
        const auto quality = ClosestQuality(targetBytes, [&](int q) -> std::optional<std::size_t> {
            const PeerPicture coded = codec.codeAtQuality(picture, bytesPerPixel, q);
            if (coded.Failed()) {
                failure = coded.failure;
                return std::nullopt;
            }
            return coded.coded.size();
        });
        result.quality = quality.value_or(0);
        result.picture = quality ? codec.codeAtQuality(picture, bytesPerPixel, *quality) : PeerFailure(failure);
    } else {
        result.picture = PeerFailure(std::string(codec.label) + " is not a peer");
    }
    return result;
}

} // namespace tamr
