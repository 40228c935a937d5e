#pragma once
// The codecs tamr is measured against, and tamr itself: one row each, read by
// the sweep, its CSV, JSON and SVG, the equal-size comparison, the desktop's
// chart and menus, and the command line's --peers. A new codec is its own
// file and one row of the table in PeerCodecs.cpp.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "peers/PeerPicture.h"

namespace tamr {

// How a codec is brought to a wanted file size.
enum class SizeAim {
    Reference, // tamr: the sizes the others aim at are its own
    Quality,   // a quality 0 to 100 whose sizes grow with it: the closest size is searched for
    Bytes,     // the size itself is what the encoder is given
};

// Several sizes out of one encode (JPEG 2000's quality layers).
class SizeLadder {
public:
    virtual ~SizeLadder() = default;
    // The coding aimed at one of the sizes the ladder was made for, decoded;
    // its encode time is the whole encode's.
    virtual PeerPicture Cut(std::size_t targetBytes, ConstPixelView like, int bytesPerPixel) const = 0;
};

using CodeAtQualityFunction = PeerPicture (*)(ConstPixelView picture, int bytesPerPixel, int quality);
using CodeAtBytesFunction = PeerPicture (*)(ConstPixelView picture, int bytesPerPixel, std::size_t targetBytes);
using EncodeLadderFunction = std::unique_ptr<SizeLadder> (*)(ConstPixelView picture, int bytesPerPixel,
                                                             std::vector<std::size_t> targetBytes);
// A file decoded by the codec's own library into the layout of `like` (only
// its sizes count); fails when the file holds another size or depth.
using DecodeFunction = PeerPicture (*)(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel);

struct PeerCodec {
    std::string_view name;      // on the command line, in the outputs and file names: "jp2"
    std::string_view label;     // as shown: "JPEG 2000"
    char mnemonic = 0;          // the label's letter underlined in a menu
    std::string_view colour;    // "#2ca02c", on screen and in the SVG alike
    std::string_view extension; // of its files: ".jp2"
    SizeAim aim = SizeAim::Quality;
    // SizeAim::Quality: codes at a quality 0 to 100 and decodes the file.
    CodeAtQualityFunction codeAtQuality = nullptr;
    // SizeAim::Bytes: codes aimed at a size and decodes the file.
    CodeAtBytesFunction codeAtBytes = nullptr;
    // SizeAim::Bytes, where one encode serves many sizes: at most `ladderSizes` a time.
    EncodeLadderFunction encodeLadder = nullptr;
    std::size_t ladderSizes = 0;
    DecodeFunction decode = nullptr;
    // Its library's version and the settings it codes with, for the outputs; null: nothing to add.
    std::string (*describe)() = nullptr;
    // Its library was there when tamr was built; a row left out has no entry points.
    bool available = false;
    // Each point is a search of several encodes: swept only when named, not
    // among the codecs a chart sweeps by default.
    bool searches = false;
};

// Every row, tamr first, then the peers in the order the outputs list them;
// rows whose library was missing at build time are there, not available.
std::span<const PeerCodec> AllCodecs();
// tamr's own row.
const PeerCodec& TamrCodec();
// The available peers (every row but tamr's that this build has).
std::vector<const PeerCodec*> AvailablePeers();
// The available peers but those whose points are searches: what a chart sweeps unless told.
std::vector<const PeerCodec*> ChartedPeers();
// The row of that name (available or not); null for a name no row has.
const PeerCodec* FindCodec(std::string_view name);
// "jpeg, jp2, webp": the available peers' names, for messages and help.
std::string PeerNames();

} // namespace tamr
