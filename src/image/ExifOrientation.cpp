#include "image/ExifOrientation.h"

#include <libexif/exif-data.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace tamr {
namespace {

struct ExifDataDeleter {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

// libexif takes a block only behind the header an APP1 segment gives it.
constexpr std::array<std::uint8_t, 6> kExifHeader = {'E', 'x', 'i', 'f', 0, 0};

} // namespace

bool CanReadExif()
{
    return true;
}

std::optional<int> ExifOrientationOf(std::span<const std::uint8_t> tiff)
{
    if (tiff.size() < 8)
        return std::nullopt;
    std::vector<unsigned char> framed(kExifHeader.begin(), kExifHeader.end());
    const std::size_t kept = std::min(tiff.size(), kMostExifBytes);
    framed.insert(framed.end(), tiff.begin(), tiff.begin() + static_cast<std::ptrdiff_t>(kept));
    const std::unique_ptr<ExifData, ExifDataDeleter> data(exif_data_new());
    if (!data)
        return std::nullopt;
    // Read what is there; libexif is not to add the tags it thinks are missing.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), framed.data(), static_cast<unsigned int>(framed.size()));
    const ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry == nullptr || entry->data == nullptr || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 ||
        entry->size < 2)
        return std::nullopt;
    return exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
}

} // namespace tamr
