#include "image/FixedColourTable.h"

namespace tamr {
namespace {

constexpr std::array<std::uint8_t, 6> kCubeLevels = {0, 51, 102, 153, 204, 255};

constexpr bool IsCorner(std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    auto extreme = [](std::uint8_t value) { return value == 0 || value == 255; };
    return extreme(a) && extreme(b) && extreme(c);
}

constexpr std::array<ColourTriple, kFixedColourCount> MakeFixedColourTable()
{
    std::array<ColourTriple, kFixedColourCount> table{};
    std::size_t next = 0;
    auto add = [&](std::uint8_t a, std::uint8_t b, std::uint8_t c) { table[next++] = ColourTriple{a, b, c}; };

    // Entries 0 to 16.
    add(0, 0, 0);
    add(128, 0, 0);
    add(0, 128, 0);
    add(128, 128, 0);
    add(0, 0, 128);
    add(128, 0, 128);
    add(0, 128, 128);
    add(192, 192, 192);
    add(192, 220, 192);
    add(240, 202, 166);
    add(179, 172, 200);
    add(167, 160, 186);
    add(140, 136, 179);
    add(167, 154, 66);
    add(136, 126, 47);
    add(103, 95, 26);
    add(60, 55, 0);

    // Entries 17 to 224: the 6-level cube without its 8 corners, first byte slowest.
    for (const std::uint8_t a : kCubeLevels)
        for (const std::uint8_t b : kCubeLevels)
            for (const std::uint8_t c : kCubeLevels)
                if (!IsCorner(a, b, c))
                    add(a, b, c);

    // Entry 225 repeats a cube colour.
    add(204, 255, 255);

    // Entries 226 to 245.
    add(0, 146, 170);
    add(0, 146, 255);
    add(0, 182, 0);
    add(0, 182, 85);
    add(0, 182, 170);
    add(0, 182, 255);
    add(0, 219, 0);
    add(0, 219, 85);
    add(0, 219, 170);
    add(0, 219, 255);
    add(0, 255, 85);
    add(0, 255, 170);
    add(36, 0, 0);
    add(36, 0, 85);
    add(36, 0, 170);
    add(36, 0, 255);
    add(36, 36, 85);
    add(36, 36, 170);
    add(36, 36, 255);
    add(36, 73, 0);

    // Entries 246 to 255.
    add(255, 251, 240);
    add(160, 160, 164);
    add(128, 128, 128);
    add(255, 0, 0);
    add(0, 255, 0);
    add(255, 255, 0);
    add(0, 0, 255);
    add(255, 0, 255);
    add(0, 255, 255);
    add(255, 255, 255);
    if (next != kFixedColourCount)
        throw "the fixed colour table must have exactly 256 entries"; // stops the constant evaluation
    return table;
}

constexpr std::array<ColourTriple, kFixedColourCount> kFixedColourTable = MakeFixedColourTable();

// Landmarks of the layout, checked when building.
static_assert(kFixedColourTable[224] == ColourTriple{255, 255, 204});
static_assert(kFixedColourTable[225] == ColourTriple{204, 255, 255});
static_assert(kFixedColourTable[255] == ColourTriple{255, 255, 255});

} // namespace

const std::array<ColourTriple, kFixedColourCount>& FixedColourTable()
{
    return kFixedColourTable;
}

} // namespace tamr
