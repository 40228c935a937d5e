#pragma once
// What one side of the compare window shows: the document's original or
// decoded picture, another codec's coding of the original at tamr's file
// size, a point of the rate-distortion chart decoded from its file, or a
// picture file; and the label that says which (codec, quality, bytes, bits
// per pixel). The pictures of peers, points and files are made off the
// user-interface thread by the functions below.

#include <QImage>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "image/PictureReaderTable.h"
#include "peers/PeerCodecs.h"
#include "platform/Limits.h"

namespace tamr::qt {

enum class SideSource { Original, Decoded, PeerAtEqualSize, ChartPoint, File };

struct CompareSide {
    SideSource source = SideSource::Original;
    const PeerCodec* codec = nullptr; // the peer, the chart point's codec, tamr for Decoded
    QString name;                     // "Original", "Decoded", "JPEG", a file's name
    int quality = -1;                 // none: -1
    std::size_t bytes = 0;            // the coded file's size; none: 0
    double bitsPerPixel = 0;
    QImage picture; // RGB888; null while being made or when it failed
    QString failure;
};

// "Original"; "JPEG q 62 - 16,802 bytes, 0.412 bpp"; "Coding with JPEG..." while it is made
// ("Original..." while the document's picture is).
QString SideLabel(const CompareSide& side);

// A chart point as the rate-distortion window hands it over: codec, quality and whole file.
struct SidePoint {
    const PeerCodec* codec = nullptr;
    int quality = 0;
    std::vector<std::uint8_t> coded;
};

// The document's original as the peers code it: bottom-up padded rows as loaded.
struct SideOriginal {
    std::shared_ptr<const std::vector<std::uint8_t>> rows;
    int width = 0;
    int height = 0;
    int rowPad = 0;
    int bytesPerPixel = 0;
};

// The peer's coding nearest to `targetBytes`, decoded.
CompareSide CodePeerSide(const SideOriginal& original, const PeerCodec& peer, std::size_t targetBytes);
// A chart point's file decoded by its codec.
CompareSide DecodePointSide(const SideOriginal& original, const SidePoint& point);
// How a picture file beside a document is opened: the document's limits and reader policy.
struct PictureOpening {
    Limits limits{};
    ReadPolicy policy{};
};

// A picture file as tamr opens it (a COD file decoded).
CompareSide LoadFileSide(const std::filesystem::path& path, const PictureOpening& opening);

} // namespace tamr::qt
