#include "image/JpegMetadata.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace tamr {
namespace {

constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::uint8_t kApp2 = 0xE2;
constexpr std::array<std::uint8_t, 6> kExifName = {'E', 'x', 'i', 'f', 0, 0};
constexpr std::array<std::uint8_t, 12> kIccName = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};

bool StartsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> name)
{
    return bytes.size() >= name.size() && std::equal(name.begin(), name.end(), bytes.begin());
}

// The profile from its numbered parts, in their order; nothing when a part
// is missing.
std::optional<std::vector<std::uint8_t>> JoinProfile(const std::vector<std::vector<std::uint8_t>>& parts)
{
    std::vector<std::uint8_t> profile;
    for (const auto& part : parts) {
        if (part.empty())
            return std::nullopt;
        profile.insert(profile.end(), part.begin(), part.end());
    }
    return profile;
}

} // namespace

PictureMetadata JpegMetadataOf(std::span<const std::uint8_t> file)
{
    PictureMetadata metadata;
    if (file.size() < 4 || file[0] != 0xFF || file[1] != 0xD8)
        return metadata;
    std::vector<std::vector<std::uint8_t>> profileParts;
    int profileCount = 0;
    bool profileBroken = false;
    std::size_t at = 2;
    while (at + 4 <= file.size()) {
        if (file[at] != 0xFF)
            break;
        const std::uint8_t marker = file[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == kStartOfScan || marker == 0xD9)
            break;
        const std::size_t length = (std::size_t{file[at + 2]} << 8) | file[at + 3];
        if (length < 2 || at + 2 + length > file.size())
            break;
        const std::span<const std::uint8_t> body = file.subspan(at + 4, length - 2);
        if (marker == kApp1 && metadata.exif.empty() && StartsWith(body, kExifName)) {
            metadata.exif.assign(body.begin() + kExifName.size(), body.end());
        } else if (marker == kApp2 && StartsWith(body, kIccName) && body.size() > kIccName.size() + 2) {
            const int sequence = body[kIccName.size()];
            const int count = body[kIccName.size() + 1];
            if (profileCount == 0 && count > 0) {
                profileCount = count;
                profileParts.resize(static_cast<std::size_t>(count));
            }
            if (count != profileCount || sequence < 1 || sequence > count ||
                !profileParts[static_cast<std::size_t>(sequence - 1)].empty())
                profileBroken = true;
            else
                profileParts[static_cast<std::size_t>(sequence - 1)].assign(body.begin() + kIccName.size() + 2,
                                                                            body.end());
        }
        at += 2 + length;
    }
    auto profile = JoinProfile(profileParts);
    if (profile && !profileBroken)
        metadata.iccProfile = std::move(*profile);
    else
        metadata.iccProfileDamaged = true;
    return metadata;
}

} // namespace tamr
