#pragma once
// Compressing an image with the current settings and decoding the result at
// once, as the document's Compress does; and building the image of a COD file.

#include "codec/CodecSettings.h"
#include "codec/WaveletCodec.h"
#include "image/DibImage.h"
#include "image/DisplaySettings.h"
#include "platform/Failure.h"

namespace tamr {

struct CompressionTimes {
    float compressSeconds = 0;   // preparation, colour conversion and coding
    float decompressSeconds = 0; // decoding and the conversion back to pixels
};

// Codes the image's reference pixels into the codec (lossless byte planes at
// quality 100, the wavelet codec otherwise), then decodes the coded data into
// the working image, and on a palette display into the index image. The
// failure of the step that failed otherwise. `onLevel` sees every decoded
// level but the last.
Result<CompressionTimes> CompressImage(CDibImage& image, WaveletCodec& codec, const CodecSettings& settings,
                                       const DisplaySettings& display, const WaveletCodec::LevelCallback& onLevel = {});

// CompressImage for a caller that wants only the decoded picture's figures:
// its rows are measured against the reference pixels as they are converted,
// then dropped, so the decoded picture is never held whole and the image
// stays as loaded. At quality 100 the lossless planes are decoded into the
// working image and measured there.
struct MeasuredCompression {
    CompressionTimes times;
    QualityFigures figures;
};
Result<MeasuredCompression> CompressAndMeasure(CDibImage& image, WaveletCodec& codec, const CodecSettings& settings,
                                               const DisplaySettings& display);

// Only the first half of CompressImage: the reference pixels coded into the
// codec, the image left as it is. The seconds the coding took.
Result<float> EncodeImage(CDibImage& image, WaveletCodec& codec, const CodecSettings& settings);

// Makes the image of a codec that has read a COD file and decodes the data
// into it (with the fixed colour table and an index image on a palette
// display); the codec's planes are released afterwards.
// Corrupt lossless data gives whatever image comes out, as corrupt wavelet data does.
Status DecodeCodImage(CDibImage& image, WaveletCodec& codec, const DisplaySettings& display,
                      const WaveletCodec::LevelCallback& onLevel = {});

} // namespace tamr
