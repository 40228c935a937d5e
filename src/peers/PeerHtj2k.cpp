#include "peers/PeerHtj2k.h"

#include <openjph/ojph_arch.h>
#include <openjph/ojph_codestream.h>
#include <openjph/ojph_file.h>
#include <openjph/ojph_mem.h>
#include <openjph/ojph_params.h>
#include <openjph/ojph_version.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>

namespace tamr {
namespace {

constexpr int kSearchSteps = 14;
constexpr double kFinestStep = 1.0 / 4096;
constexpr double kCoarsestStep = 1.0;

ojph::ui32 Decompositions(int width, int height)
{
    ojph::ui32 levels = 0;
    while (levels < 5 && (2 << levels) <= std::min(width, height))
        ++levels;
    return levels;
}

// One encode at a quantisation step, or lossless for none; empty when OpenJPH refused.
std::vector<std::uint8_t> Encode(const std::vector<std::uint8_t>& samples, int width, int height, int channels,
                                 std::optional<double> step)
{
    try {
        ojph::codestream stream;
        ojph::param_siz siz = stream.access_siz();
        siz.set_image_extent(ojph::point(static_cast<ojph::ui32>(width), static_cast<ojph::ui32>(height)));
        siz.set_num_components(static_cast<ojph::ui32>(channels));
        for (int c = 0; c < channels; ++c)
            siz.set_component(static_cast<ojph::ui32>(c), ojph::point(1, 1), 8, false);
        siz.set_image_offset(ojph::point(0, 0));
        siz.set_tile_size(ojph::size(static_cast<ojph::ui32>(width), static_cast<ojph::ui32>(height)));
        siz.set_tile_offset(ojph::point(0, 0));
        ojph::param_cod cod = stream.access_cod();
        cod.set_num_decomposition(Decompositions(width, height));
        cod.set_block_dims(64, 64);
        cod.set_progression_order("RPCL");
        cod.set_color_transform(channels == 3);
        cod.set_reversible(!step);
        if (step)
            stream.access_qcd().set_irrev_quant(static_cast<float>(*step));
        stream.set_planar(false);
        ojph::mem_outfile file;
        file.open();
        stream.write_headers(&file);
        ojph::ui32 component = 0;
        ojph::line_buf* line = stream.exchange(nullptr, component);
        const auto rowSamples = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
        for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y)
            for (int c = 0; c < channels; ++c) {
                const std::uint8_t* row = samples.data() + y * rowSamples + component;
                for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x)
                    line->i32[x] = row[x * static_cast<std::size_t>(channels)];
                line = stream.exchange(line, component);
            }
        stream.flush();
        const auto size = static_cast<std::size_t>(file.tell());
        std::vector<std::uint8_t> coded(file.get_data(), file.get_data() + size);
        stream.close();
        return coded;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return {};
    }
}

std::size_t Distance(std::size_t a, std::size_t b)
{
    return a > b ? a - b : b - a;
}

} // namespace

PeerPicture CodeHtj2k(ConstPixelView picture, int bytesPerPixel, std::size_t targetBytes)
{
    if (!CodablePicture(picture, bytesPerPixel))
        return PeerFailure("HTJ2K: no picture to code");
    const std::vector<std::uint8_t> samples = TopDownRgb(picture, bytesPerPixel);
    const auto start = std::chrono::steady_clock::now();
    // Files shrink as the step grows: bisection over its logarithm, keeping the closest size.
    double fine = std::log(kFinestStep);
    double coarse = std::log(kCoarsestStep);
    std::vector<std::uint8_t> best;
    for (int i = 0; i < kSearchSteps; ++i) {
        const double middle = (fine + coarse) / 2;
        std::vector<std::uint8_t> coded =
            Encode(samples, picture.width, picture.height, bytesPerPixel, std::exp(middle));
        if (coded.empty())
            return PeerFailure("HTJ2K: encoding failed");
        const bool tooLarge = coded.size() > targetBytes;
        if (best.empty() || Distance(coded.size(), targetBytes) < Distance(best.size(), targetBytes))
            best = std::move(coded);
        (tooLarge ? fine : coarse) = middle;
    }
    const double encodeSeconds = SecondsSince(start);
    PeerPicture decoded = DecodeHtj2k(best, picture, bytesPerPixel);
    decoded.encodeSeconds = encodeSeconds;
    return decoded;
}

PeerPicture CodeHtj2kLossless(ConstPixelView picture, int bytesPerPixel)
{
    if (!CodablePicture(picture, bytesPerPixel))
        return PeerFailure("HTJ2K: no picture to code");
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::uint8_t> coded =
        Encode(TopDownRgb(picture, bytesPerPixel), picture.width, picture.height, bytesPerPixel, std::nullopt);
    const double encodeSeconds = SecondsSince(start);
    if (coded.empty())
        return PeerFailure("HTJ2K: encoding failed");
    PeerPicture decoded = DecodeHtj2k(coded, picture, bytesPerPixel);
    decoded.encodeSeconds = encodeSeconds;
    return decoded;
}

PeerPicture DecodeHtj2k(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel)
{
    if (!DecodableLike(like, bytesPerPixel))
        return PeerFailure("HTJ2K decoding: no picture to decode into");
    PeerPicture result;
    result.coded.assign(coded.begin(), coded.end());
    const auto start = std::chrono::steady_clock::now();
    const auto width = static_cast<std::size_t>(like.width);
    const auto height = static_cast<std::size_t>(like.height);
    const auto channels = static_cast<std::size_t>(bytesPerPixel);
    std::vector<std::uint8_t> rows(width * height * channels);
    try {
        ojph::mem_infile file;
        file.open(result.coded.data(), result.coded.size());
        ojph::codestream stream;
        stream.read_headers(&file);
        ojph::param_siz siz = stream.access_siz();
        // The sizes are checked before anything the size of the picture is made.
        if (siz.get_num_components() != channels)
            return PeerFailure("HTJ2K decoding: unexpected picture");
        for (ojph::ui32 c = 0; c < channels; ++c)
            if (siz.get_recon_width(c) != width || siz.get_recon_height(c) != height || siz.get_bit_depth(c) != 8 ||
                siz.is_signed(c))
                return PeerFailure("HTJ2K decoding: unexpected picture");
        stream.set_planar(false);
        stream.create();
        for (std::size_t y = 0; y < height; ++y)
            for (std::size_t c = 0; c < channels; ++c) {
                ojph::ui32 component = 0;
                const ojph::line_buf* line = stream.pull(component);
                std::uint8_t* row = rows.data() + y * width * channels + component;
                for (std::size_t x = 0; x < width; ++x)
                    row[x * channels] = static_cast<std::uint8_t>(std::clamp(line->i32[x], 0, 255));
            }
        stream.close();
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return PeerFailure("HTJ2K decoding: failed");
    }
    result.decoded = FromTopDown(rows.data(), bytesPerPixel, like, bytesPerPixel);
    result.decodeSeconds = SecondsSince(start);
    return result;
}

std::string DescribeHtj2k()
{
    return "OpenJPH " + std::to_string(OPENJPH_VERSION_MAJOR) + "." + std::to_string(OPENJPH_VERSION_MINOR) + "." +
           std::to_string(OPENJPH_VERSION_PATCH) +
           ", irreversible 9/7 with the colour transform, 64 x 64 blocks, RPCL, quantisation step searched for the "
           "size";
}

} // namespace tamr
