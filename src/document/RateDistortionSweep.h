#pragma once
// The rate-distortion sweep: one picture coded by tamr at a row of quality
// factors and by other codecs beside it, every point measured the same way
// (size, bits per pixel, PSNR, PSNR-Y, SSIM, times), the points run in parallel.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/PictureMetrics.h"
#include "image/PictureReaderTable.h"
#include "image/PixelPlaneViews.h"
#include "peers/PeerCodecs.h"
#include "platform/Limits.h"
#include "platform/Prompter.h"

namespace tamr {

struct SweepPoint {
    const PeerCodec* codec = &TamrCodec();
    int quality = 0; // a codec aimed at sizes aims at tamr's size at this quality
    std::size_t bytes = 0;
    double bitsPerPixel = 0;
    PictureMetrics metrics;
    double encodeSeconds = 0;
    double decodeSeconds = 0;
    std::string failure; // empty for a point that was measured
    // What its coding depended on beside the picture: the library and its
    // settings, the quality or the size aimed at.
    std::string settings;

    bool Failed() const { return !failure.empty(); }
};

// Points measured before, which a sweep takes instead of coding them again,
// and where it keeps each point it measures. `settings` says everything the
// point's coding depends on beside the picture: the codec's library and
// settings, its quality or the size it aimed at. Called from any thread.
class SweepPointStore {
public:
    virtual ~SweepPointStore() = default;
    // The point measured before at `wanted`'s codec and quality with these settings.
    virtual std::optional<SweepPoint> Find(const SweepPoint& wanted, const std::string& settings) = 0;
    virtual void Keep(const SweepPoint& point, const std::string& settings) = 0;
};

struct SweepRequest {
    std::vector<int> qualities;          // 0 to 100
    std::vector<const PeerCodec*> peers; // besides tamr; available rows of the registry
    int threads = 0;                     // 0: one per core
    MetricChoice metrics{};              // the costlier figures measured at every point
    // Set from another thread to stop early: points not yet begun are left
    // out as failed with kSweepStopped; the points in hand still finish.
    const std::atomic<bool>* stop = nullptr;
    // What the picture and every point may decode to.
    Limits limits{};
    // Points found there are not coded again (their sinks are not called); null: none.
    SweepPointStore* store = nullptr;
    // How far opening the picture goes beyond the program's own readers.
    ReadPolicy readPolicy{};
};

inline constexpr std::string_view kSweepStopped = "stopped";

struct SweepResult {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    std::vector<SweepPoint> points;   // by codec (tamr first, then the peers as asked), then quality
    std::vector<std::string> notices; // tamr's messages while compressing, each once
};

// The codecs of a request: tamr, then each peer once, in the order asked.
std::vector<const PeerCodec*> SweepCodecs(const SweepRequest& request);

// Called after each point with how many are done of how many; from any thread, one call at a time.
using SweepProgress = std::function<void(std::size_t done, std::size_t total)>;
// Called for each measured point with its coded file and decoded picture (the
// original's layout and depth), on the thread that made it.
using SweepPointSink = std::function<void(const SweepPoint& point, std::span<const std::uint8_t> coded,
                                          ConstPixelView decoded, int bytesPerPixel)>;

// Opens the picture as the program does (messages to `prompter`); nothing when it cannot be opened
// or is already a COD file. Each tamr point is coded exactly as Compress at that quality codes it.
std::optional<SweepResult> RunSweep(const std::filesystem::path& picture, const SweepRequest& request,
                                    Prompter& prompter, const SweepProgress& progress = {},
                                    const SweepPointSink& sink = {});

} // namespace tamr
