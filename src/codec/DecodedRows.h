#pragma once
// The decoded samples of one component, handed out a stripe of rows at a
// time from the top, as a picture is converted: straight from the plane when
// it was reconstructed whole, made row by row when the finest level waits in
// its quadrants. Either way the rows handed out are given back to the system
// behind the caller, so that the planes shrink as the picture grows.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "codec/CodecComponent.h"
#include "codec/WaveletTransform.h"
#include "platform/LargeBuffer.h"

namespace tamr {

struct DecodedStripe {
    std::span<const std::int16_t> samples; // rows `stride` apart
    std::size_t stride = 0;
    std::size_t rows = 0;
};

class DecodedRows {
public:
    explicit DecodedRows(CodecComponent& component);

    // The next `count` rows (fewer at the bottom of the plane), valid until
    // the next call.
    DecodedStripe Next(int count);

private:
    void MakeRows(int first, int end);
    std::int16_t* BufferRow(int y);

    CodecComponent& component_;
    int width_;
    int height_;
    int next_ = 0; // the first row not yet handed out
    int made_ = 0; // rows made so far, from the top
    int bufferFirst_ = 0;
    int givenBack_ = 0; // rows of a whole plane given back so far
    std::optional<InverseLevelRows> inverse_;
    LargeVector<std::int16_t> buffer_;
};

} // namespace tamr
