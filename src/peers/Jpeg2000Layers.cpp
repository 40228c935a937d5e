#include "peers/Jpeg2000Layers.h"

#include <algorithm>

namespace tamr {
namespace {

constexpr std::uint16_t kSoc = 0xFF4F;
constexpr std::uint16_t kCod = 0xFF52;
constexpr std::uint16_t kSot = 0xFF90;
constexpr std::uint16_t kPlt = 0xFF58;
constexpr std::uint16_t kSod = 0xFF93;
constexpr std::uint16_t kEoc = 0xFFD9;
constexpr std::size_t kSotSegment = 12; // marker, Lsot 10
constexpr std::size_t kBoxHeader = 8;   // LBox, TBox
constexpr std::uint8_t kLayerMajor = 0; // LRCP progression

std::uint32_t BigEndian(std::span<const std::uint8_t> file, std::size_t at, int bytes)
{
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | file[at + static_cast<std::size_t>(i)];
    return value;
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// The jp2c box: its first byte and its contents' first byte.
std::optional<std::pair<std::size_t, std::size_t>> FindCodestreamBox(std::span<const std::uint8_t> file)
{
    std::size_t at = 0;
    while (file.size() - at >= kBoxHeader) {
        std::uint64_t length = BigEndian(file, at, 4);
        std::size_t header = kBoxHeader;
        if (length == 1) {
            if (file.size() - at < 16)
                return std::nullopt;
            length = (static_cast<std::uint64_t>(BigEndian(file, at + 8, 4)) << 32) | BigEndian(file, at + 12, 4);
            header = 16;
        } else if (length == 0) {
            length = file.size() - at;
        }
        if (length < header || length > file.size() - at)
            return std::nullopt;
        if (BigEndian(file, at + 4, 4) == 0x6A703263) // "jp2c"
            return std::pair{at, at + header};
        at += static_cast<std::size_t>(length);
    }
    return std::nullopt;
}

// Packet lengths of one PLT segment's body, appended to `lengths`; false when
// a length runs past the segment.
bool ReadPacketLengths(std::span<const std::uint8_t> body, std::vector<std::size_t>& lengths)
{
    std::size_t value = 0;
    bool open = false;
    for (const std::uint8_t byte : body) {
        value = (value << 7) | (byte & 0x7Fu);
        open = (byte & 0x80u) != 0;
        if (!open) {
            lengths.push_back(value);
            value = 0;
        }
    }
    return !open;
}

} // namespace

std::optional<Jpeg2000Layout> FindJpeg2000Layout(std::span<const std::uint8_t> file)
{
    const auto box = FindCodestreamBox(file);
    if (!box)
        return std::nullopt;
    Jpeg2000Layout layout;
    layout.codestreamBox = box->first;
    layout.codestream = box->second;
    std::size_t at = layout.codestream;
    auto has = [&](std::size_t bytes) { return file.size() - at >= bytes; };
    if (!has(2) || BigEndian(file, at, 2) != kSoc)
        return std::nullopt;
    at += 2;
    // The main header, up to the one tile-part.
    while (true) {
        if (!has(4))
            return std::nullopt;
        const std::uint32_t marker = BigEndian(file, at, 2);
        if (marker == kSot)
            break;
        const std::size_t length = BigEndian(file, at + 2, 2);
        if (length < 2 || !has(2 + length))
            return std::nullopt;
        if (marker == kCod) {
            if (length < 6 || file[at + 5] != kLayerMajor)
                return std::nullopt;
            layout.layerCountField = at + 6;
            layout.layerCount = BigEndian(file, at + 6, 2);
        }
        at += 2 + length;
    }
    if (layout.layerCount == 0 || !has(kSotSegment) || BigEndian(file, at + 2, 2) != kSotSegment - 2)
        return std::nullopt;
    layout.tilePart = at;
    const std::size_t tilePartLength = BigEndian(file, at + 6, 4);
    const std::size_t tilePartEnd = tilePartLength == 0 ? file.size() - 2 : at + tilePartLength;
    // One tile in one part: EOC follows it.
    if (tilePartEnd < at + kSotSegment || tilePartEnd > file.size() - 2 || BigEndian(file, tilePartEnd, 2) != kEoc)
        return std::nullopt;
    at += kSotSegment;
    // The tile-part header: PLT read, everything else kept.
    std::vector<std::size_t> lengths;
    while (true) {
        if (at + 2 > tilePartEnd)
            return std::nullopt;
        const std::uint32_t marker = BigEndian(file, at, 2);
        if (marker == kSod) {
            layout.tileHeader.insert(layout.tileHeader.end(), file.begin() + static_cast<std::ptrdiff_t>(at),
                                     file.begin() + static_cast<std::ptrdiff_t>(at + 2));
            at += 2;
            break;
        }
        if (at + 4 > tilePartEnd)
            return std::nullopt;
        const std::size_t length = BigEndian(file, at + 2, 2);
        if (length < 2 || at + 2 + length > tilePartEnd)
            return std::nullopt;
        if (marker == kPlt) {
            if (length < 3 || !ReadPacketLengths(file.subspan(at + 5, length - 3), lengths))
                return std::nullopt;
        } else {
            layout.tileHeader.insert(layout.tileHeader.end(), file.begin() + static_cast<std::ptrdiff_t>(at),
                                     file.begin() + static_cast<std::ptrdiff_t>(at + 2 + length));
        }
        at += 2 + length;
    }
    layout.packets = at;
    // Layer-major order: each layer is the same number of packets.
    if (lengths.empty() || lengths.size() % layout.layerCount != 0)
        return std::nullopt;
    const std::size_t perLayer = lengths.size() / layout.layerCount;
    std::size_t total = 0;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        total += lengths[i];
        if (total > tilePartEnd - layout.packets)
            return std::nullopt;
        if ((i + 1) % perLayer == 0)
            layout.layerEnds.push_back(total);
    }
    if (total != tilePartEnd - layout.packets)
        return std::nullopt;
    return layout;
}

std::vector<std::uint8_t> CutJpeg2000Layers(std::span<const std::uint8_t> file, const Jpeg2000Layout& layout,
                                            std::size_t layers)
{
    layers = std::clamp<std::size_t>(layers, 1, layout.layerCount);
    const std::size_t packetBytes = layout.layerEnds[layers - 1];
    const std::size_t tilePartLength = kSotSegment + layout.tileHeader.size() + packetBytes;
    const std::size_t codestreamLength = (layout.tilePart - layout.codestream) + tilePartLength + 2;

    std::vector<std::uint8_t> out(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(layout.codestreamBox));
    out.reserve(layout.codestreamBox + kBoxHeader + codestreamLength);
    PutBigEndian(out, static_cast<std::uint32_t>(kBoxHeader + codestreamLength), 4);
    PutBigEndian(out, 0x6A703263, 4); // "jp2c"
    const std::size_t mainHeader = out.size();
    out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(layout.codestream),
               file.begin() + static_cast<std::ptrdiff_t>(layout.tilePart));
    const std::size_t field = mainHeader + (layout.layerCountField - layout.codestream);
    out[field] = static_cast<std::uint8_t>(layers >> 8);
    out[field + 1] = static_cast<std::uint8_t>(layers);
    // SOT with the new length; tile index and part numbers as they were.
    out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(layout.tilePart),
               file.begin() + static_cast<std::ptrdiff_t>(layout.tilePart + kSotSegment));
    const std::size_t length = out.size() - kSotSegment + 6;
    for (int i = 0; i < 4; ++i)
        out[length + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(tilePartLength >> (8 * (3 - i)));
    out.insert(out.end(), layout.tileHeader.begin(), layout.tileHeader.end());
    out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(layout.packets),
               file.begin() + static_cast<std::ptrdiff_t>(layout.packets + packetBytes));
    PutBigEndian(out, kEoc, 2);
    return out;
}

} // namespace tamr
