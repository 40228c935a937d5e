#include "image/OriginalReaders.h"

#include "image/DibImage.h"
#include "image/GifReader.h"
#include "image/ImageMessages.h"
#include "image/JpegMetadata.h"
#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "image/PnmReader.h"
#include "image/TgaReader.h"
#include "platform/RecordingPrompter.h"
#include "platform/SilentPrompter.h"

namespace tamr {
namespace {

PictureReadResult FromBlock(Result<ByteBlock> block, RecordingPrompter& prompter)
{
    PictureReadResult result;
    if (block)
        result.block = std::move(*block);
    else
        result.failureKind = PictureFailureOf(block.AsStatus());
    result.messages = prompter.Take();
    return result;
}

// The notices the PNG reader's flags stand for, in the order they are shown.
PictureReadResult WithPngNotices(PictureReadResult result)
{
    if (result.skippedChunks)
        result.notices.emplace_back(kSkippedChunksNotice);
    if (result.composited)
        result.notices.emplace_back(kCompositedNotice);
    return result;
}

// A JPEG picture that was read, with the Exif block and profile of its headers.
PictureReadResult WithJpegMetadata(PictureReadResult result, std::span<const std::uint8_t> bytes)
{
    if (result.Ok())
        result.metadata = JpegMetadataOf(bytes);
    return result;
}

} // namespace

PictureReadResult ReadBmpPicture(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    RecordingPrompter prompter;
    CDibImage headers;
    PictureReadResult result;
    result.layout = PictureLayout::BmpFile;
    if (const Status probed = headers.ProbeBmp(bytes, prompter, limits); !probed)
        result.failureKind = PictureFailureOf(probed);
    result.messages = prompter.Take();
    return result;
}

PictureReadResult ReadTgaPicture(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    RecordingPrompter prompter;
    PictureReadResult result = FromBlock(CTgaReader().Read(bytes, prompter, limits), prompter);
    if (!result.Ok())
        result.messages.push_back(Message{std::string(kReadErrorMessage), "", MessageIcon::Error, MessageButtons::Ok});
    return result;
}

PictureReadResult ReadGifPicture(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    RecordingPrompter prompter;
    return FromBlock(CGifReader().Read(bytes, prompter, limits), prompter);
}

PictureReadResult ReadJpegPicture(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    RecordingPrompter prompter;
    return WithJpegMetadata(FromBlock(ReadJpeg(bytes, prompter, limits), prompter), bytes);
}

PictureReadResult ReadPngPicture(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    return WithPngNotices(ReadPng(bytes, limits));
}

PictureReadResult ReadPnmPicture(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    return ReadPnm(bytes, limits);
}

PictureReadResult ReadBmpPictureHead(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    CDibImage image;
    PictureReadResult result;
    result.layout = PictureLayout::BmpFile;
    if (const Status probed = image.ProbeBmp(bytes, limits); !probed) {
        result.failureKind = PictureFailureOf(probed);
        return result;
    }
    result.headFacts = PictureHeadFacts{image.Width(), image.Height(), image.BitsPerPixel(), image.IsColour() == 1,
                                        image.FileHeader().bfReserved1};
    return result;
}

PictureReadResult ReadTgaPictureHead(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    RecordingPrompter prompter;
    return FromBlock(CTgaReader().ReadHead(bytes, prompter, limits), prompter);
}

PictureReadResult ReadGifPictureHead(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    RecordingPrompter prompter;
    return FromBlock(CGifReader().ReadHead(bytes, prompter, limits), prompter);
}

PictureReadResult ReadJpegPictureHead(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    RecordingPrompter prompter;
    return WithJpegMetadata(FromBlock(ReadJpegHead(bytes, prompter, limits), prompter), bytes);
}

PictureReadResult ReadPngPictureHead(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    return ReadPngHead(bytes, limits);
}

PictureReadResult ReadPnmPictureHead(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    return ReadPnmHead(bytes, limits);
}

} // namespace tamr
