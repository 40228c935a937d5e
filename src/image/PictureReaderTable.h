#pragma once
// Which reader reads each kind of picture file, and the one way every file is
// read through them.

#include <cstdint>
#include <span>
#include <string_view>

#include "image/FileType.h"
#include "image/PictureReadResult.h"
#include "platform/ByteBlock.h"
#include "platform/Limits.h"

namespace tamr {

struct PictureReaderEntry {
    FileType kind = FileType::Unknown;
    // The program's own reader; nothing for the kinds only the general reader takes.
    PictureReaderFunction* read = nullptr;
    // The headers alone, for a look at a file without opening it; nothing: none.
    // The own reader's, or the general reader's for a kind with no own reader.
    PictureReaderFunction* readHead = nullptr;
    // The library-based reader of the kind; nothing: none.
    PictureReaderFunction* general = nullptr;
    // How the notice and `info` name the general reader.
    std::string_view generalName;
    // The time the reader takes is the document's decoding time.
    bool timesDecoding = false;
    // The own reader for a file handed over, which it gives back to the
    // system as it reads; only for a kind without a general reader, which
    // would need the file after the own reader had refused it.
    PictureConsumingReaderFunction* readConsuming = nullptr;
};

// The name `info` gives the program's own readers.
inline constexpr std::string_view kOriginalReaderName = "tamr";

// Every kind a picture reader takes (COD files are the codec's, not here).
std::span<const PictureReaderEntry> PictureReaderTable();
// The entry of a kind; nothing for COD and unknown files.
const PictureReaderEntry* PictureReaderFor(FileType kind);

// How far a file may go beyond the program's own readers.
struct ReadPolicy {
    // A variant the program's own reader refuses as unsupported (not as
    // damaged) is tried with the general reader.
    bool anyVariant = false;
};

// Reads a file of the entry's kind: its own reader first; the general reader
// when the kind has no own reader, or when the own one refuses the variant as
// unsupported and the policy allows any variant. When the general reader
// fails too, the own reader's result stands, so its messages are unchanged.
// `reader` names the reader whose result it is. The picture is then turned
// upright and into sRGB as its file says (OrientationAndColour.h).
PictureReadResult ReadPicture(const PictureReaderEntry& entry, std::span<const std::uint8_t> bytes,
                              const Limits& limits, ReadPolicy policy);

// The same for a file handed over: a kind with a consuming reader takes the
// file (leaving `file` empty), every other kind reads it as above and leaves
// it as it was.
PictureReadResult ReadPictureHandedOver(const PictureReaderEntry& entry, ByteBlock& file, const Limits& limits,
                                        ReadPolicy policy);

// The notice that names a general reader that opened a picture.
std::string ReadByNotice(std::string_view readerName);

} // namespace tamr
