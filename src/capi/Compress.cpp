// Compressing a picture into a COD file, and decoding one.

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "capi/CapiMessages.h"
#include "capi/ErrorReport.h"
#include "capi/PictureHandle.h"
#include "codec/RawSettings.h"
#include "image/PictureWriters.h"

namespace tamr::capi {
namespace {

std::optional<std::string> Text(const char* text)
{
    return text != nullptr ? std::optional<std::string>(text) : std::nullopt;
}

// The codec settings asked for; the status of a refusal otherwise.
tamr_status ReadSettings(const tamr_settings* asked, CodecSettings& settings, tamr_error* error)
{
    tamr_settings given;
    tamr_settings_init(&given);
    if (asked != nullptr)
        given = *asked;
    if (given.quality < 0 || given.quality > 100)
        return Report(error, TAMR_INVALID_ARGUMENT, kBadQuality);
    if (given.threads < 0 || given.threads > 256)
        return Report(error, TAMR_INVALID_ARGUMENT, kBadThreads);
    const RawSettingTexts raw{Text(given.levels),    Text(given.quant_a), Text(given.quant_b), Text(given.quant_c),
                              Text(given.threshold), Text(given.discard), Text(given.sample)};
    auto result = SettingsFromTexts(given.quality, raw);
    if (!result.settings)
        return Report(error, TAMR_INVALID_ARGUMENT, result.problem);
    settings = *result.settings;
    settings.threads = given.threads;
    return TAMR_OK;
}

// A decoded COD file holds no picture to code: its pixels are opened afresh,
// as the programs open a picture saved from it.
tamr_status CodablePicture(const tamr_picture& picture, std::unique_ptr<tamr_picture>& reopened,
                           const tamr_picture*& codable, tamr_error* error)
{
    codable = &picture;
    if (picture.document.CodesItsPicture())
        return TAMR_OK;
    const auto pixels = PixelsOf(picture);
    auto file = pixels ? EncodePnm(*pixels) : std::vector<std::uint8_t>();
    if (file.empty())
        return Report(error, TAMR_OUT_OF_MEMORY, tamr_status_text(TAMR_OUT_OF_MEMORY));
    tamr_picture* opened = nullptr;
    if (const tamr_status status = OpenPicture(std::move(file), "", &opened, error); status != TAMR_OK)
        return status;
    reopened.reset(opened);
    codable = opened;
    return TAMR_OK;
}

// The whole COD file of the picture coded with the settings, as Compress codes it.
tamr_status CompressToFile(const tamr_picture* picture, const tamr_settings* asked, std::vector<std::uint8_t>& file,
                           tamr_error* error)
{
    if (picture == nullptr)
        return Report(error, TAMR_INVALID_ARGUMENT, kNoPicture);
    CodecSettings settings;
    if (const tamr_status status = ReadSettings(asked, settings, error); status != TAMR_OK)
        return status;
    std::unique_ptr<tamr_picture> reopened;
    const tamr_picture* codable = nullptr;
    if (const tamr_status status = CodablePicture(*picture, reopened, codable, error); status != TAMR_OK)
        return status;
    auto job = codable->document.MakeCompressJob(settings);
    if (job)
        CTamrDoc::RunCompressJob(*job);
    if (!job || !job->times)
        return Report(error, TAMR_FAILED, kCompressFailed);
    file = job->codec->WriteHeader();
    return TAMR_OK;
}

} // namespace
} // namespace tamr::capi

using namespace tamr;
using namespace tamr::capi;

extern "C" {

void tamr_settings_init(tamr_settings* settings)
{
    if (settings != nullptr)
        *settings = tamr_settings{50, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0};
}

tamr_status tamr_compress(const tamr_picture* picture, const tamr_settings* settings, void* buffer, size_t capacity,
                          size_t* size, tamr_error* error)
{
    return Guarded(error, [&] {
        if (size == nullptr || (buffer == nullptr && capacity > 0))
            return Report(error, TAMR_INVALID_ARGUMENT, kNoResultPlace);
        std::vector<std::uint8_t> file;
        if (const tamr_status status = CompressToFile(picture, settings, file, error); status != TAMR_OK)
            return status;
        *size = file.size();
        if (file.size() > capacity)
            return Report(error, TAMR_BUFFER_TOO_SMALL, tamr_status_text(TAMR_BUFFER_TOO_SMALL));
        std::memcpy(buffer, file.data(), file.size());
        return Succeed(error);
    });
}

tamr_status tamr_compress_alloc(const tamr_picture* picture, const tamr_settings* settings, void** bytes, size_t* size,
                                tamr_error* error)
{
    return Guarded(error, [&] {
        if (bytes == nullptr || size == nullptr)
            return Report(error, TAMR_INVALID_ARGUMENT, kNoResultPlace);
        *bytes = nullptr;
        *size = 0;
        std::vector<std::uint8_t> file;
        if (const tamr_status status = CompressToFile(picture, settings, file, error); status != TAMR_OK)
            return status;
        // malloc, so that the caller's tamr_free is free: the block crosses into C.
        void* block = std::malloc(file.size()); // NOLINT(cppcoreguidelines-no-malloc)
        if (block == nullptr)
            return Report(error, TAMR_OUT_OF_MEMORY, tamr_status_text(TAMR_OUT_OF_MEMORY));
        std::memcpy(block, file.data(), file.size());
        *bytes = block;
        *size = file.size();
        return Succeed(error);
    });
}

void tamr_free(void* bytes)
{
    std::free(bytes); // NOLINT(cppcoreguidelines-no-malloc)
}

tamr_status tamr_decompress(const void* bytes, size_t size, tamr_picture** picture, tamr_error* error)
{
    return Guarded(error, [&] {
        if (picture == nullptr)
            return Report(error, TAMR_INVALID_ARGUMENT, kNoResultPlace);
        *picture = nullptr;
        if (bytes == nullptr)
            return Report(error, TAMR_INVALID_ARGUMENT, kNoBytes);
        const auto* first = static_cast<const std::uint8_t*>(bytes);
        ByteBlock file(first, first + size);
        if (DetectFileType(file, "") != FileType::Cod)
            return Report(error, TAMR_UNSUPPORTED, kNotCodFile);
        return OpenPicture(std::move(file), "", picture, error);
    });
}
}
