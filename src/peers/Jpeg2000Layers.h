#pragma once
// A JP2 file of several quality layers, and the file that keeps only its
// first layers: what a single-tile, layer-progressive encode cut at a layer
// boundary is. Cutting is how one encode gives a JPEG 2000 file at each of
// many sizes; OpenJPEG's block coding runs once instead of once per size.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tamr {

// Where the parts of the file lie. The encoder writes packet lengths (PLT)
// into the tile-part header, which is how the layer boundaries are found.
struct Jpeg2000Layout {
    std::size_t codestreamBox = 0;        // the jp2c box's first byte
    std::size_t codestream = 0;           // the codestream's first byte (SOC)
    std::size_t layerCount = 0;           // as COD says
    std::size_t layerCountField = 0;      // COD's two bytes of it
    std::size_t tilePart = 0;             // the SOT marker
    std::vector<std::uint8_t> tileHeader; // the tile-part header's markers but PLT, up to and with SOD
    std::size_t packets = 0;              // the first byte of packet data
    std::vector<std::size_t> layerEnds;   // packet data bytes up to the end of each layer
};

// The layout of a file as OpenJPEG writes it for one tile with PLT markers and
// layer-major progression; nothing for anything else.
std::optional<Jpeg2000Layout> FindJpeg2000Layout(std::span<const std::uint8_t> file);

// A complete JP2 file of the first `layers` layers (1 to layout.layerCount):
// the same headers with COD's layer count and the lengths made to fit, the
// tile-part without its PLT markers, then EOC.
std::vector<std::uint8_t> CutJpeg2000Layers(std::span<const std::uint8_t> file, const Jpeg2000Layout& layout,
                                            std::size_t layers);

} // namespace tamr
