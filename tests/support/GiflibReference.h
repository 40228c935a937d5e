#pragma once
// giflib as the reference GIF decoder and as a second, independent GIF encoder
// for the tests. Only the test program links giflib; the product never does.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tamr::test {

// The first image of a file as giflib decodes it.
struct GiflibImage {
    int width = 0;
    int height = 0;
    bool interlaced = false;
    // The image's colour map (its local one, else the screen's) as red, green,
    // blue; empty when the file has neither.
    std::vector<std::array<std::uint8_t, 3>> colours;
    // The picture's rows top-down, width values each; rows giflib could not
    // decode whole are 0 and marked false in rowDecoded (picture order).
    std::vector<std::uint8_t> values;
    std::vector<bool> rowDecoded;
    // Where the LZW minimum code size byte of the image lies in the file.
    std::size_t codeSizeOffset = 0;

    bool Complete() const;
};

// Nothing when giflib finds no image descriptor it accepts.
std::optional<GiflibImage> GiflibFirstImage(std::span<const std::uint8_t> file);

// A picture for giflib's encoder: a 256-entry screen table (red, green, blue
// triples), optionally a local table, values top-down.
struct GiflibPicture {
    int width = 1;
    int height = 1;
    bool interlaced = false;
    bool withExtensions = false; // a graphic control and a comment extension (89a)
    std::vector<std::uint8_t> screenTable;
    std::optional<std::vector<std::uint8_t>> localTable; // 2 to 256 triples, a power of two
    std::vector<std::uint8_t> values;
};

// The whole GIF file giflib writes for the picture.
std::vector<std::uint8_t> GiflibEncode(const GiflibPicture& picture);

} // namespace tamr::test
