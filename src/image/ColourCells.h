#pragma once
// The colour space cut into 32 blue × 64 green × 32 red cells: a pixel
// (b, g, r) falls in cell (b >> 3, g >> 2, r >> 3). While a palette is built a
// cell counts the pixels in it; while pixels are mapped it holds 0 (nothing
// decided yet) or palette index + 1.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamr {

inline constexpr int kBlueCells = 32;
inline constexpr int kGreenCells = 64;
inline constexpr int kRedCells = 32;

// Cell coordinates of one colour, blue, green, red.
struct CellPosition {
    int blue = 0;
    int green = 0;
    int red = 0;
};

inline constexpr CellPosition CellOf(int blue, int green, int red)
{
    return {blue >> 3, green >> 2, red >> 3};
}

class ColourCells {
public:
    // All cells 0. Throws std::bad_alloc when memory is short.
    ColourCells() : cells_(static_cast<std::size_t>(kBlueCells) * kGreenCells * kRedCells, 0) {}

    std::uint32_t& At(int blue, int green, int red) { return cells_[Index(blue, green, red)]; }
    std::uint32_t At(int blue, int green, int red) const { return cells_[Index(blue, green, red)]; }
    std::uint32_t& At(CellPosition cell) { return At(cell.blue, cell.green, cell.red); }

private:
    static std::size_t Index(int blue, int green, int red)
    {
        return (static_cast<std::size_t>(blue) * kGreenCells + static_cast<std::size_t>(green)) * kRedCells +
               static_cast<std::size_t>(red);
    }

    std::vector<std::uint32_t> cells_;
};

} // namespace tamr
