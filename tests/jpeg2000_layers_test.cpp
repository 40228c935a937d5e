// JPEG 2000 files cut from one layered encode: each cut is the file of its
// first layers, decoding exactly as OpenJPEG decodes those layers of the whole.

#include <gtest/gtest.h>
#include <openjpeg.h>

#include <cstring>
#include <vector>

#include "image/PictureMetrics.h"
#include "peers/PeerJpeg2000.h"

namespace tamr {
namespace {

// OpenJPEG's decoding of the first `layers` layers of `file`, as the first component's samples.
std::vector<OPJ_INT32> DecodeLayers(const std::vector<std::uint8_t>& file, int layers)
{
    struct Reader {
        const std::vector<std::uint8_t>* bytes;
        std::size_t at = 0;
    } reader{&file};
    opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
    opj_stream_set_user_data(stream, &reader, nullptr);
    opj_stream_set_user_data_length(stream, file.size());
    opj_stream_set_read_function(stream, [](void* out, OPJ_SIZE_T count, void* user) -> OPJ_SIZE_T {
        auto& r = *static_cast<Reader*>(user);
        if (r.at >= r.bytes->size())
            return static_cast<OPJ_SIZE_T>(-1);
        const std::size_t n = std::min<std::size_t>(count, r.bytes->size() - r.at);
        std::memcpy(out, r.bytes->data() + r.at, n);
        r.at += n;
        return n;
    });
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    parameters.cp_layer = static_cast<OPJ_UINT32>(layers);
    opj_codec_t* codec = opj_create_decompress(OPJ_CODEC_JP2);
    opj_image_t* image = nullptr;
    std::vector<OPJ_INT32> samples;
    if (opj_setup_decoder(codec, &parameters) && opj_read_header(stream, codec, &image) &&
        opj_decode(codec, stream, image)) {
        const OPJ_INT32* data = image->comps[0].data;
        samples.assign(data, data + static_cast<std::size_t>(image->comps[0].w) * image->comps[0].h);
    }
    opj_image_destroy(image);
    opj_destroy_codec(codec);
    opj_stream_destroy(stream);
    return samples;
}

TEST(Jpeg2000Layers, EachCutIsTheFileOfItsFirstLayers)
{
    const int width = 96;
    const int height = 72;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>((i % 288) / 2 + (i * 2654435761u >> 27));
    const ConstPixelView picture{pixels, width, height, 0};
    const std::vector<std::size_t> targets{600, 1500, 4000};
    const Jpeg2000Encode encode = EncodeJpeg2000(picture, 3, {4000, 600, 1500, 600});
    ASSERT_FALSE(encode.Failed()) << encode.failure;
    EXPECT_EQ(encode.targets, targets);
    ASSERT_EQ(encode.layout.layerCount, 3u);

    double lastPsnr = 0;
    std::size_t lastBytes = 0;
    for (std::size_t layer = 0; layer < targets.size(); ++layer) {
        const PeerPicture cut = CutJpeg2000(encode, targets[layer], picture, 3);
        ASSERT_FALSE(cut.Failed()) << cut.failure;
        EXPECT_LE(cut.coded.size(), targets[layer]);
        EXPECT_GT(cut.coded.size(), lastBytes);
        const double psnr = MeasurePictures(picture, ConstPixelView{cut.decoded, width, height, 0}, 3).psnr;
        EXPECT_GT(psnr, lastPsnr);
        lastBytes = cut.coded.size();
        lastPsnr = psnr;
        const auto alone = DecodeLayers(cut.coded, 0);
        ASSERT_FALSE(alone.empty());
        EXPECT_EQ(alone, DecodeLayers(encode.file, static_cast<int>(layer) + 1)) << "layer " << layer + 1;
    }
    EXPECT_TRUE(CutJpeg2000(encode, 1000, picture, 3).Failed());
    EXPECT_FALSE(FindJpeg2000Layout(std::span(encode.file).first(encode.file.size() - 3)));
}

} // namespace
} // namespace tamr
