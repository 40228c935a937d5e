#include "image/MedianCut.h"

#include <limits>

namespace tamr {
namespace {

enum class Axis { Blue, Green, Red };

// Scale of one cell step along each axis: the cell size times the axis weight.
constexpr std::uint32_t kBlueScale = 8;
constexpr std::uint32_t kGreenScale = 12;
constexpr std::uint32_t kRedScale = 16;

struct ScaledExtents {
    std::uint32_t blue;
    std::uint32_t green;
    std::uint32_t red;
};

ScaledExtents ExtentsOf(const ColourBox& box)
{
    return {(box.blueMax - box.blueMin) * kBlueScale, (box.greenMax - box.greenMin) * kGreenScale,
            (box.redMax - box.redMin) * kRedScale};
}

std::uint16_t& MinOf(ColourBox& box, Axis axis)
{
    switch (axis) {
    case Axis::Blue:
        return box.blueMin;
    case Axis::Green:
        return box.greenMin;
    case Axis::Red:
        break;
    }
    return box.redMin;
}

std::uint16_t& MaxOf(ColourBox& box, Axis axis)
{
    switch (axis) {
    case Axis::Blue:
        return box.blueMax;
    case Axis::Green:
        return box.greenMax;
    case Axis::Red:
        break;
    }
    return box.redMax;
}

// Calls visit(blue, green, red) for every cell of the box.
template <typename Visit> void ForEachCell(const ColourBox& box, Visit&& visit)
{
    for (int blue = box.blueMin; blue <= box.blueMax; ++blue)
        for (int green = box.greenMin; green <= box.greenMax; ++green)
            for (int red = box.redMin; red <= box.redMax; ++red)
                visit(blue, green, red);
}

bool HoldsPixels(const ColourCells& cells, const ColourBox& box)
{
    for (int blue = box.blueMin; blue <= box.blueMax; ++blue)
        for (int green = box.greenMin; green <= box.greenMax; ++green)
            for (int red = box.redMin; red <= box.redMax; ++red)
                if (cells.At(blue, green, red) != 0)
                    return true;
    return false;
}

// True when the slice of the box at `at` along the axis holds a counted cell.
bool SliceHoldsPixels(const ColourCells& cells, ColourBox slice, Axis axis, std::uint16_t at)
{
    MinOf(slice, axis) = at;
    MaxOf(slice, axis) = at;
    return HoldsPixels(cells, slice);
}

void ShrinkAxis(const ColourCells& cells, ColourBox& box, Axis axis)
{
    std::uint16_t& low = MinOf(box, axis);
    std::uint16_t& high = MaxOf(box, axis);
    if (high <= low)
        return;
    for (std::uint16_t at = low; at <= high; ++at) {
        if (SliceHoldsPixels(cells, box, axis, at)) {
            low = at;
            break;
        }
    }
    for (int at = high; at >= low; --at) {
        if (SliceHoldsPixels(cells, box, axis, static_cast<std::uint16_t>(at))) {
            high = static_cast<std::uint16_t>(at);
            break;
        }
    }
}

// The box to cut next, or nothing: while many boxes remain to be made the one
// with the most occupied cells, towards the end the one with the largest
// volume; never a box of volume 0, and the earliest on ties.
ColourBox* BoxToCut(std::span<ColourBox> boxes, std::size_t desired)
{
    const bool byVolume = desired < 2 * boxes.size();
    ColourBox* chosen = nullptr;
    std::uint32_t best = 0;
    for (ColourBox& box : boxes) {
        if (box.volume == 0)
            continue;
        const std::uint32_t measure = byVolume ? box.volume : box.colourCellCount;
        if (measure > best) {
            best = measure;
            chosen = &box;
        }
    }
    return chosen;
}

// Cuts the box in two at the middle of its longest scaled side; the upper half
// goes into `upper`.
void CutInTwo(ColourBox& box, ColourBox& upper)
{
    const ScaledExtents extents = ExtentsOf(box);
    Axis axis = Axis::Blue;
    if (extents.red > extents.blue && extents.red > extents.green)
        axis = Axis::Red;
    else if (extents.green >= extents.blue)
        axis = Axis::Green;
    upper = box;
    const auto middle = static_cast<std::uint16_t>((MinOf(box, axis) + MaxOf(box, axis)) / 2);
    MaxOf(box, axis) = middle;
    MinOf(upper, axis) = static_cast<std::uint16_t>(middle + 1);
}

} // namespace

void CountPixels(const QuantiseImage& image, ColourCells& cells)
{
    for (std::size_t row = 0; row < image.height; ++row) {
        const auto pixels = image.source.subspan(row * image.SourceStride(), 3 * image.width);
        for (std::size_t at = 0; at < pixels.size(); at += 3) {
            std::uint32_t& count = cells.At(CellOf(pixels[at], pixels[at + 1], pixels[at + 2]));
            if (count != std::numeric_limits<std::uint32_t>::max())
                ++count;
        }
    }
}

void ShrinkBox(const ColourCells& cells, ColourBox& box)
{
    ShrinkAxis(cells, box, Axis::Blue);
    ShrinkAxis(cells, box, Axis::Green);
    ShrinkAxis(cells, box, Axis::Red);

    const ScaledExtents extents = ExtentsOf(box);
    box.volume = extents.blue * extents.blue + extents.green * extents.green + extents.red * extents.red;
    std::uint32_t occupied = 0;
    ForEachCell(box, [&](int blue, int green, int red) {
        if (cells.At(blue, green, red) != 0)
            ++occupied;
    });
    box.colourCellCount = occupied;
}

std::size_t CutBoxes(const ColourCells& cells, std::size_t desired, ColourBoxes& boxes)
{
    boxes[0] = ColourBox{0, kBlueCells - 1, 0, kGreenCells - 1, 0, kRedCells - 1, 0, 0};
    ShrinkBox(cells, boxes[0]);
    std::size_t count = 1;
    while (count < desired && count < boxes.size()) {
        ColourBox* box = BoxToCut(std::span(boxes).first(count), desired);
        if (box == nullptr)
            break;
        ColourBox& upper = boxes[count];
        CutInTwo(*box, upper);
        ShrinkBox(cells, *box);
        ShrinkBox(cells, upper);
        ++count;
    }
    return count;
}

ColourTriple BoxColour(const ColourCells& cells, const ColourBox& box)
{
    // 64-bit sums: a cell may count up to 2^32 − 1 pixels.
    std::uint64_t total = 0;
    std::uint64_t blueSum = 0;
    std::uint64_t greenSum = 0;
    std::uint64_t redSum = 0;
    ForEachCell(box, [&](int blue, int green, int red) {
        const std::uint64_t count = cells.At(blue, green, red);
        total += count;
        blueSum += count * static_cast<std::uint64_t>(8 * blue + 4);
        greenSum += count * static_cast<std::uint64_t>(4 * green + 2);
        redSum += count * static_cast<std::uint64_t>(8 * red + 4);
    });
    if (total == 0)
        return {0, 0, 0};
    auto average = [total](std::uint64_t sum) { return static_cast<std::uint8_t>((sum + total / 2) / total); };
    return {average(blueSum), average(greenSum), average(redSum)};
}

void MarkBoxes(ColourCells& cells, std::span<const ColourBox> boxes)
{
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const auto mark = static_cast<std::uint32_t>(i + 1);
        ForEachCell(boxes[i], [&](int blue, int green, int red) { cells.At(blue, green, red) = mark; });
    }
}

} // namespace tamr
