#pragma once
// What every picture reader hands back: a packed image block with the notices
// that go with it, or the kind of failure and why, with the boxes the user is
// to see about it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "image/PictureMetadata.h"
#include "platform/ByteBlock.h"
#include "platform/Failure.h"
#include "platform/Limits.h"
#include "platform/Prompter.h"

namespace tamr {

// Why a reader gave no picture. Unsupported is a valid file of a variant the
// reader does not take (another reader may); the others are the file's or
// the machine's fault, and no other reader does better.
enum class PictureFailure : std::uint8_t {
    None,
    Unsupported,
    Damaged,
    Truncated,
    TooLarge,
    OverDecodeLimit,
    OutOfMemory,
};

// How the picture is handed over.
enum class PictureLayout : std::uint8_t {
    // `block` is a packed image block (PackedImageBlock.h).
    PackedBlock,
    // The bytes read are themselves a BMP file the image model loads as it
    // is, so that the file's block can become the picture's without a copy;
    // `block` stays empty.
    BmpFile,
};

// What the headers alone say of the picture, for a reader whose head is not a
// packed block (a BMP file's head).
struct PictureHeadFacts {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    bool colour = false;
    int reserved = 0;
};

struct PictureReadResult {
    // The packed image block (8-bit gray with the gray ramp, or 24 bits);
    // nothing when the file was refused (or the layout is BmpFile).
    std::optional<ByteBlock> block;
    PictureLayout layout = PictureLayout::PackedBlock;
    // None when the picture was read.
    PictureFailure failureKind = PictureFailure::None;
    // Why the file was refused, for the line under the read error.
    std::string failure;
    // Boxes the reader has for the user, in order: its refusals as the
    // program has always shown them. The opener shows them; a probe does not.
    std::vector<Message> messages;
    // Things the user should know about a picture that was read (shown in the
    // status bar), in order.
    std::vector<std::string> notices;
    // Which reader made the result, for the notice and `info`; set by the
    // reader table.
    std::string reader;
    // Orientation, colour profile and sample depth of the file, for the step
    // that turns the picture upright and into sRGB after any reader.
    PictureMetadata metadata;
    // A head reader that knows the facts without a packed head gives them here.
    std::optional<PictureHeadFacts> headFacts;
    // Some pixel was not fully opaque and now shows over white.
    bool composited = false;
    // Refused by the decode limit, which the user can raise.
    bool overDecodeLimit = false;
    // The file's extra chunks (text, profiles ...) were more than the reader
    // keeps: refused so (chunkLimitsHit), or read again without them (skippedChunks).
    bool chunkLimitsHit = false;
    bool skippedChunks = false;

    bool Ok() const { return failureKind == PictureFailure::None; }

    static PictureReadResult Refused(std::string reason) { return Refused(PictureFailure::Damaged, std::move(reason)); }
    static PictureReadResult Refused(PictureFailure kind, std::string reason)
    {
        PictureReadResult result;
        result.failureKind = kind;
        result.failure = std::move(reason);
        return result;
    }
    static PictureReadResult OverDecodeLimit()
    {
        PictureReadResult result =
            Refused(PictureFailure::OverDecodeLimit, "the picture is larger than the decode limit");
        result.overDecodeLimit = true;
        return result;
    }
};

// Every picture reader: the whole file's bytes and the limits in, the result out.
using PictureReaderFunction = PictureReadResult(std::span<const std::uint8_t> bytes, const Limits& limits);
// A reader that takes the file over (leaving `file` empty) and gives its
// memory back as it reads.
using PictureConsumingReaderFunction = PictureReadResult(ByteBlock& file, const Limits& limits);

// The failure as the document returns it; success for a picture that was read.
Status StatusOf(const PictureReadResult& result);
// The reader's failure kind of a failed status.
PictureFailure PictureFailureOf(Status status);

} // namespace tamr
