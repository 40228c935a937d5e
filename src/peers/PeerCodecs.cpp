#include "peers/PeerCodecs.h"

#include <algorithm>

#include "peers/PeerAvif.h"
#include "peers/PeerJpeg.h"
#include "peers/PeerJpeg2000.h"
#include "peers/PeerJxl.h"
#include "peers/PeerTamr.h"
#include "peers/PeerTamrOptimised.h"
#include "peers/PeerWebp.h"

namespace tamr {
namespace {

// The table. Colours are those of the usual ten-colour chart palette, one a codec.
constexpr PeerCodec kCodecs[] = {
    {.name = "tamr",
     .label = "tamr",
     .mnemonic = 't',
     .colour = "#d62728",
     .extension = ".cod",
     .aim = SizeAim::Reference,
     .decode = DecodeTamr,
     .available = true},
    {.name = "jpeg",
     .label = "JPEG",
     .mnemonic = 'J',
     .colour = "#1f77b4",
     .extension = ".jpg",
     .aim = SizeAim::Quality,
     .codeAtQuality = CodeJpeg,
     .decode = DecodeJpeg,
     .describe = DescribeJpeg,
     .available = true},
    {.name = "jp2",
     .label = "JPEG 2000",
     .mnemonic = '2',
     .colour = "#2ca02c",
     .extension = ".jp2",
     .aim = SizeAim::Bytes,
     .codeAtBytes = CodeJpeg2000,
     .encodeLadder = EncodeJpeg2000Ladder,
     .ladderSizes = kMaxJpeg2000Layers,
     .decode = DecodeJpeg2000,
     .describe = DescribeJpeg2000,
     .available = true},
    {.name = "webp",
     .label = "WebP",
     .mnemonic = 'W',
     .colour = "#9467bd",
     .extension = ".webp",
     .aim = SizeAim::Quality,
     .codeAtQuality = CodeWebp,
     .decode = DecodeWebp,
     .describe = DescribeWebp,
     .available = true},
    {.name = "avif",
     .label = "AVIF",
     .mnemonic = 'A',
     .colour = "#ff7f0e",
     .extension = ".avif",
     .aim = SizeAim::Quality,
#ifdef TAMR_HAVE_AVIF
     .codeAtQuality = CodeAvif444,
     .decode = DecodeAvif,
     .describe = DescribeAvif444,
     .available = true
#endif
    },
    {.name = "avif420",
     .label = "AVIF 4:2:0",
     .mnemonic = '4',
     .colour = "#8c564b",
     .extension = ".avif",
     .aim = SizeAim::Quality,
#ifdef TAMR_HAVE_AVIF
     .codeAtQuality = CodeAvif420,
     .decode = DecodeAvif,
     .describe = DescribeAvif420,
     .available = true
#endif
    },
    {.name = "jxl",
     .label = "JPEG XL",
     .mnemonic = 'X',
     .colour = "#e377c2",
     .extension = ".jxl",
     .aim = SizeAim::Quality,
#ifdef TAMR_HAVE_JXL
     .codeAtQuality = CodeJxl,
     .decode = DecodeJxl,
     .describe = DescribeJxl,
     .available = true
#endif
    },
    // Last, so that the command numbers of the rows before it stay as they were.
    {.name = "tamr-opt",
     .label = "tamr optimised",
     .mnemonic = 'o',
     .colour = "#7f7f7f",
     .extension = ".cod",
     .aim = SizeAim::Bytes,
     .codeAtBytes = CodeTamrOptimised,
     .decode = DecodeTamr,
     .describe = DescribeTamrOptimised,
     .available = true,
     .searches = true},
};

} // namespace

std::span<const PeerCodec> AllCodecs()
{
    return kCodecs;
}

const PeerCodec& TamrCodec()
{
    return kCodecs[0];
}

std::vector<const PeerCodec*> AvailablePeers()
{
    std::vector<const PeerCodec*> peers;
    for (const PeerCodec& codec : kCodecs)
        if (codec.available && codec.aim != SizeAim::Reference)
            peers.push_back(&codec);
    return peers;
}

std::vector<const PeerCodec*> ChartedPeers()
{
    std::vector<const PeerCodec*> peers = AvailablePeers();
    std::erase_if(peers, [](const PeerCodec* peer) { return peer->searches; });
    return peers;
}

const PeerCodec* FindCodec(std::string_view name)
{
    const auto* found = std::find_if(std::begin(kCodecs), std::end(kCodecs),
                                     [name](const PeerCodec& codec) { return codec.name == name; });
    return found == std::end(kCodecs) ? nullptr : found;
}

std::string PeerNames()
{
    std::string names;
    for (const PeerCodec* peer : AvailablePeers())
        names += (names.empty() ? "" : ", ") + std::string(peer->name);
    return names;
}

} // namespace tamr
