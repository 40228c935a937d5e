#pragma once
// The optimising encoder on a picture: the settings search of the codec layer
// run with real trials (each an encode of the picture's reference pixels,
// decoded and measured where the search asks for figures), then the picture
// compressed with the settings chosen, as Compress compresses it.

#include <array>

#include "codec/SettingsSearch.h"
#include "codec/WaveletCodec.h"
#include "image/DibImage.h"
#include "image/DisplaySettings.h"
#include "image/ImageCompression.h"

namespace tamr {

struct OptimisedCompression {
    SearchOutcome search;     // failed: nothing was compressed
    Status compressed;        // the final compression with the chosen settings
    CompressionTimes times;   // of the final compression
    double searchSeconds = 0; // the whole search, its trials included
};

// `base` gives the levels and threads. On success the image's working pixels
// are the decoded picture of the chosen settings and `codec` holds its data,
// whose figures are those the search reported for it.
// `control` follows the search and may stop it (then nothing is compressed).
OptimisedCompression CompressOptimised(CDibImage& image, WaveletCodec& codec, const CodecSettings& base,
                                       const SearchGoal& goal, const DisplaySettings& display,
                                       const SearchControl& control = {});

// What a unit squared error of each coded component costs in the picture's
// squared error per channel.
std::array<double, kComponentCount> ComponentErrorCosts(bool colour);

// The goal's figure of a decoded picture against the original.
double GoalFigure(SearchFigure measure, ConstPixelView original, ConstPixelView decoded, int bytesPerPixel,
                  int threads);

} // namespace tamr
