#include "peers/PeerJpeg2000.h"

#include <openjpeg.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <span>

namespace tamr {
namespace {

struct CodecDeleter {
    void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamDeleter {
    void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
struct ImageDeleter {
    void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};
using CodecPtr = std::unique_ptr<opj_codec_t, CodecDeleter>;
using StreamPtr = std::unique_ptr<opj_stream_t, StreamDeleter>;
using ImagePtr = std::unique_ptr<opj_image_t, ImageDeleter>;

// A growing byte vector as OpenJPEG's output stream, and a read position over
// it as the input stream.
struct MemoryFile {
    std::vector<std::uint8_t> bytes;
    std::size_t position = 0;
};

OPJ_SIZE_T WriteMemory(void* buffer, OPJ_SIZE_T count, void* user)
{
    auto& file = *static_cast<MemoryFile*>(user);
    const auto* from = static_cast<const std::uint8_t*>(buffer);
    if (file.position + count > file.bytes.size())
        file.bytes.resize(file.position + count);
    std::memcpy(file.bytes.data() + file.position, from, count);
    file.position += count;
    return count;
}

OPJ_SIZE_T ReadMemory(void* buffer, OPJ_SIZE_T count, void* user)
{
    auto& file = *static_cast<MemoryFile*>(user);
    if (file.position >= file.bytes.size())
        return static_cast<OPJ_SIZE_T>(-1);
    const std::size_t n = std::min<std::size_t>(count, file.bytes.size() - file.position);
    std::memcpy(buffer, file.bytes.data() + file.position, n);
    file.position += n;
    return n;
}

OPJ_OFF_T SkipMemory(OPJ_OFF_T count, void* user)
{
    auto& file = *static_cast<MemoryFile*>(user);
    const auto target = static_cast<OPJ_OFF_T>(file.position) + count;
    if (target < 0)
        return -1;
    file.position = static_cast<std::size_t>(target);
    return count;
}

OPJ_BOOL SeekMemory(OPJ_OFF_T offset, void* user)
{
    if (offset < 0)
        return OPJ_FALSE;
    static_cast<MemoryFile*>(user)->position = static_cast<std::size_t>(offset);
    return OPJ_TRUE;
}

StreamPtr MemoryStream(MemoryFile& file, bool input)
{
    StreamPtr stream(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, input ? OPJ_TRUE : OPJ_FALSE));
    if (!stream)
        return stream;
    opj_stream_set_user_data(stream.get(), &file, nullptr);
    opj_stream_set_user_data_length(stream.get(), file.bytes.size());
    if (input)
        opj_stream_set_read_function(stream.get(), ReadMemory);
    else
        opj_stream_set_write_function(stream.get(), WriteMemory);
    opj_stream_set_skip_function(stream.get(), SkipMemory);
    opj_stream_set_seek_function(stream.get(), SeekMemory);
    return stream;
}

// The library's error texts go to the point's failure.
void KeepError(const char* message, void* user)
{
    auto& failure = *static_cast<std::string*>(user);
    if (failure.empty())
        failure = message;
    while (!failure.empty() && failure.back() == '\n')
        failure.pop_back();
}

ImagePtr ImageOf(ConstPixelView picture, int bytesPerPixel)
{
    const int channels = bytesPerPixel;
    opj_image_cmptparm_t parameters[3]{};
    for (int c = 0; c < channels; ++c) {
        parameters[c].dx = 1;
        parameters[c].dy = 1;
        parameters[c].w = static_cast<OPJ_UINT32>(picture.width);
        parameters[c].h = static_cast<OPJ_UINT32>(picture.height);
        parameters[c].prec = 8;
        parameters[c].sgnd = 0;
    }
    ImagePtr image(opj_image_create(static_cast<OPJ_UINT32>(channels), parameters,
                                    channels == 3 ? OPJ_CLRSPC_SRGB : OPJ_CLRSPC_GRAY));
    if (!image)
        return image;
    image->x1 = static_cast<OPJ_UINT32>(picture.width);
    image->y1 = static_cast<OPJ_UINT32>(picture.height);
    const std::vector<std::uint8_t> rgb = TopDownRgb(picture, bytesPerPixel);
    for (int c = 0; c < channels; ++c) {
        OPJ_INT32* data = image->comps[c].data;
        for (std::size_t i = 0, n = rgb.size() / static_cast<std::size_t>(channels); i < n; ++i)
            data[i] = rgb[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)];
    }
    return image;
}

bool Encode(ConstPixelView picture, int bytesPerPixel, std::span<const std::size_t> targets, MemoryFile& file,
            std::string& failure)
{
    ImagePtr image = ImageOf(picture, bytesPerPixel);
    if (!image)
        return (failure = "cannot make the image"), false;
    opj_cparameters_t parameters;
    opj_set_default_encoder_parameters(&parameters);
    parameters.irreversible = 1;
    parameters.tcp_numlayers = static_cast<int>(targets.size());
    parameters.cp_disto_alloc = 1;
    // A layer's rate is the size of the raw samples over the size wanted.
    const double raw = static_cast<double>(picture.width) * picture.height * bytesPerPixel;
    for (std::size_t layer = 0; layer < targets.size(); ++layer)
        parameters.tcp_rates[layer] =
            static_cast<float>(raw / static_cast<double>(std::max<std::size_t>(targets[layer], 1)));
    parameters.tcp_mct = bytesPerPixel == 3 ? 1 : 0;
    // The default six resolutions need 32 pixels each way; a smaller picture gets fewer.
    const int side = std::min(picture.width, picture.height);
    parameters.numresolution = 1;
    while (parameters.numresolution < 6 && (1 << parameters.numresolution) <= side)
        ++parameters.numresolution;
    CodecPtr codec(opj_create_compress(OPJ_CODEC_JP2));
    if (!codec)
        return (failure = "cannot make the encoder"), false;
    opj_set_error_handler(codec.get(), KeepError, &failure);
    if (!opj_setup_encoder(codec.get(), &parameters, image.get()))
        return false;
    // Packet lengths in the tile-part header are how the layers are cut apart.
    const char* const options[] = {"PLT=YES", nullptr};
    if (!opj_encoder_set_extra_options(codec.get(), options))
        return (failure = "cannot ask for packet lengths"), false;
    StreamPtr stream = MemoryStream(file, false);
    if (!stream)
        return (failure = "cannot make the stream"), false;
    return opj_start_compress(codec.get(), image.get(), stream.get()) && opj_encode(codec.get(), stream.get()) &&
           opj_end_compress(codec.get(), stream.get());
}

bool Decode(MemoryFile& file, ConstPixelView like, int bytesPerPixel, std::vector<std::uint8_t>& decoded,
            std::string& failure)
{
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    CodecPtr codec(opj_create_decompress(OPJ_CODEC_JP2));
    if (!codec)
        return (failure = "cannot make the decoder"), false;
    opj_set_error_handler(codec.get(), KeepError, &failure);
    if (!opj_setup_decoder(codec.get(), &parameters))
        return false;
    file.position = 0;
    StreamPtr stream = MemoryStream(file, true);
    opj_image_t* raw = nullptr;
    if (!stream || !opj_read_header(stream.get(), codec.get(), &raw))
        return false;
    ImagePtr image(raw);
    if (!opj_decode(codec.get(), stream.get(), image.get()) || !opj_end_decompress(codec.get(), stream.get()))
        return false;
    const auto channels = static_cast<int>(image->numcomps);
    if (channels != bytesPerPixel || image->comps[0].w != static_cast<OPJ_UINT32>(like.width) ||
        image->comps[0].h != static_cast<OPJ_UINT32>(like.height))
        return (failure = "unexpected picture"), false;
    const std::size_t pixels = static_cast<std::size_t>(like.width) * static_cast<std::size_t>(like.height);
    std::vector<std::uint8_t> rows(pixels * static_cast<std::size_t>(channels));
    for (int c = 0; c < channels; ++c) {
        if (image->comps[c].w != image->comps[0].w || image->comps[c].h != image->comps[0].h)
            return (failure = "unexpected picture"), false;
        const OPJ_INT32* data = image->comps[c].data;
        for (std::size_t i = 0; i < pixels; ++i)
            rows[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
                static_cast<std::uint8_t>(std::clamp(data[i], 0, 255));
    }
    decoded = FromTopDown(rows.data(), channels, like, bytesPerPixel);
    return true;
}

} // namespace

Jpeg2000Encode EncodeJpeg2000(ConstPixelView picture, int bytesPerPixel, std::vector<std::size_t> targetBytes)
{
    Jpeg2000Encode encode;
    std::sort(targetBytes.begin(), targetBytes.end());
    targetBytes.erase(std::unique(targetBytes.begin(), targetBytes.end()), targetBytes.end());
    encode.targets = targetBytes;
    if (!CodablePicture(picture, bytesPerPixel))
        return (encode.failure = "JPEG 2000: no picture to code"), encode;
    if (encode.targets.empty() || encode.targets.size() > kMaxJpeg2000Layers)
        return (encode.failure = "JPEG 2000: no sizes to aim at"), encode;
    std::string failure;
    MemoryFile file;
    const auto start = std::chrono::steady_clock::now();
    const bool encoded = Encode(picture, bytesPerPixel, encode.targets, file, failure);
    encode.encodeSeconds = SecondsSince(start);
    if (!encoded)
        return (encode.failure = "JPEG 2000: " + (failure.empty() ? std::string("encoding failed") : failure)), encode;
    auto layout = FindJpeg2000Layout(file.bytes);
    if (!layout || layout->layerCount != encode.targets.size())
        return (encode.failure = "JPEG 2000: the encoder wrote an unexpected file"), encode;
    encode.file = std::move(file.bytes);
    encode.layout = std::move(*layout);
    return encode;
}

PeerPicture DecodeJpeg2000(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel)
{
    if (!DecodableLike(like, bytesPerPixel))
        return PeerFailure("JPEG 2000 decoding: no picture to decode into");
    PeerPicture result;
    std::string failure;
    MemoryFile file{{coded.begin(), coded.end()}, 0};
    const auto start = std::chrono::steady_clock::now();
    const bool decoded = Decode(file, like, bytesPerPixel, result.decoded, failure);
    result.decodeSeconds = SecondsSince(start);
    if (!decoded)
        return PeerFailure("JPEG 2000 decoding: " + (failure.empty() ? std::string("failed") : failure));
    result.coded = std::move(file.bytes);
    return result;
}

PeerPicture CutJpeg2000(const Jpeg2000Encode& encode, std::size_t targetBytes, ConstPixelView like, int bytesPerPixel)
{
    if (encode.Failed())
        return PeerFailure(encode.failure);
    const auto target = std::lower_bound(encode.targets.begin(), encode.targets.end(), targetBytes);
    if (target == encode.targets.end() || *target != targetBytes)
        return PeerFailure("JPEG 2000: no layer aims at that size");
    const std::vector<std::uint8_t> cut =
        CutJpeg2000Layers(encode.file, encode.layout, static_cast<std::size_t>(target - encode.targets.begin()) + 1);
    PeerPicture result = DecodeJpeg2000(cut, like, bytesPerPixel);
    result.encodeSeconds = encode.encodeSeconds;
    return result;
}

namespace {

class Jpeg2000Ladder : public SizeLadder {
public:
    explicit Jpeg2000Ladder(Jpeg2000Encode encode) : encode_(std::move(encode)) {}
    PeerPicture Cut(std::size_t targetBytes, ConstPixelView like, int bytesPerPixel) const override
    {
        return CutJpeg2000(encode_, targetBytes, like, bytesPerPixel);
    }

private:
    Jpeg2000Encode encode_;
};

} // namespace

std::unique_ptr<SizeLadder> EncodeJpeg2000Ladder(ConstPixelView picture, int bytesPerPixel,
                                                 std::vector<std::size_t> targetBytes)
{
    return std::make_unique<Jpeg2000Ladder>(EncodeJpeg2000(picture, bytesPerPixel, std::move(targetBytes)));
}

PeerPicture CodeJpeg2000(ConstPixelView picture, int bytesPerPixel, std::size_t targetBytes)
{
    return CutJpeg2000(EncodeJpeg2000(picture, bytesPerPixel, {targetBytes}), targetBytes, picture, bytesPerPixel);
}

std::string DescribeJpeg2000()
{
    return std::string("OpenJPEG ") + opj_version() +
           ", JP2, irreversible 9/7 wavelet, colour transform for colour, up to 6 resolutions, one quality layer "
           "per size aimed at (rate allocation), each file cut at its layer";
}

} // namespace tamr
