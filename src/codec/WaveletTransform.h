#pragma once
// The separable two-dimensional wavelet transform of the codec: a 5-tap low-pass /
// 3-tap high-pass filter pair in lifting form with sample replication at both ends.
// The forward level works in single precision on a float plane; the inverse levels
// work in place on the 16-bit plane in integer arithmetic, so that every machine
// decodes the same samples.
//
// A level works on the top-left region of `rows` x `cols` samples of a row-major
// plane with the given stride and replaces it by four quadrants: LL top-left,
// H top-right, V bottom-left, D bottom-right. Both region sides must be even and
// at least 4, because the filters read four neighbouring samples; otherwise, or
// when the region does not lie inside the plane, a level does nothing and returns
// false.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "platform/LargeBuffer.h"

namespace tamr {

// Scale factors of one forward pass: `a` scales the 5-tap low-pass boundary forms,
// `b` the high-pass, and `c` the centre sample of the low-pass lifting step.
struct LiftingPass {
    float a;
    float b;
    float c;
};

// The row pass has a low-pass DC gain of 1, the column pass one of 2.
inline constexpr LiftingPass kRowPass{0.125f, 0.25f, 1.0f};
inline constexpr LiftingPass kColumnPass{0.25f, 0.5f, 2.0f};

// One forward step over `count` samples spaced `step` apart from the start of
// `samples`: low-pass values go to the first count/2 positions, high-pass values
// to the rest. `buffer` holds at least `count` values and receives the result
// before it is copied back. Returns false, touching nothing, when count is odd or
// below 4, step is 0, or the samples or the buffer are too short.
bool ForwardStep(std::span<float> samples, std::size_t step, int count, const LiftingPass& pass,
                 std::span<float> buffer);

// The row pass of a forward level over one whole row, with a buffer of at
// least as many values; false, touching nothing, when the row is invalid.
[[nodiscard]] bool ForwardRowStep(std::span<float> row, std::span<float> buffer);

// One forward level: the row pass over every row of the region, then the column
// pass over every column. `lineBuffer` is grown when it is shorter than the level
// needs (a row, or the high-pass half of a strip of up to 64 columns), so one
// buffer serves all levels. Returns false when the region is invalid or the buffer cannot be grown.
[[nodiscard]] bool ForwardLevel(std::span<float> plane, std::size_t stride, int rows, int cols,
                                std::vector<float>& lineBuffer);
// The same on the float values of 16-bit `samples` (at least as many as the
// plane holds): each row of the region is converted into `plane` just before
// its row pass, so that a first level reads the samples only once.
[[nodiscard]] bool ForwardLevelFrom(std::span<const std::int16_t> samples, std::span<float> plane, std::size_t stride,
                                    int rows, int cols, std::vector<float>& lineBuffer);

// Inverts one level from its four quadrants in place. `temporary` is grown to
// rows x cols samples when it is shorter; returns false when the region is invalid
// or the temporary cannot be allocated.
[[nodiscard]] bool InverseLevel(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                                std::vector<std::int16_t>& temporary);
// The same samples with a temporary of about a quarter of the region, whose
// growth leaves it uninitialised (every temporary sample is written before it
// is read): each row of the column stage is turned into samples as soon as
// the quadrant row it replaces is read for the last time.
[[nodiscard]] bool InverseLevel(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                                LargeVector<std::int16_t>& temporary);

// Rebuilds a level whose detail subbands were not coded: reads only the LL
// quadrant and interpolates it to the whole region, halving the LL gain.
[[nodiscard]] bool InverseLevelDiscarded(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                                         std::vector<std::int16_t>& temporary);
// The same samples with a temporary of one half row, made bottom up.
[[nodiscard]] bool InverseLevelDiscarded(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                                         LargeVector<std::int16_t>& temporary);

// The four inverse levels over the plain loops, one sample at a time: the
// reference that the loops over vector registers, which the levels above
// run, are tested against. They give the same samples.
[[nodiscard]] bool PlainInverseLevel(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                                     std::vector<std::int16_t>& temporary);
[[nodiscard]] bool PlainInverseLevel(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                                     LargeVector<std::int16_t>& temporary);
[[nodiscard]] bool PlainInverseLevelDiscarded(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                                              std::vector<std::int16_t>& temporary);
[[nodiscard]] bool PlainInverseLevelDiscarded(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                                              LargeVector<std::int16_t>& temporary);

// A full inverse level made from the top two rows of samples at a time, for a
// caller that keeps the level's quadrants elsewhere and hands them over a
// row at a time: row k of the top half (LL then H) or of the bottom half
// (V then D), each asked for once, in order. The same samples as InverseLevel;
// `rows` and `cols` are even and at least 4.
class InverseLevelRows {
public:
    using QuadrantRow = std::function<void(bool bottom, int k, std::span<std::int16_t> line)>;

    InverseLevelRows(int rows, int cols, QuadrantRow quadrantRow, bool plain = false);
    // Rows 2p and 2p + 1 of samples, p counting up from 0 call by call.
    void NextPair(std::span<std::int16_t> even, std::span<std::int16_t> odd);

private:
    const std::int16_t* Top(int k);
    const std::int16_t* Bottom(int k);
    std::int16_t* Line(std::size_t slot);

    int rows_;
    int cols_;
    QuadrantRow quadrantRow_;
    bool plain_;
    int pair_ = 0;
    // Two top quadrant rows, three bottom ones and three rows of the column
    // stage are all a pair needs: slots by row number modulo those counts.
    LargeVector<std::int16_t> lines_;
    std::array<int, 2> top_{-1, -1};
    std::array<int, 3> bottom_{-1, -1, -1};
};

// The rows of a level whose detail subbands were not coded, rebuilt from the
// rows of its LL quadrant (rows / 2 x cols / 2 samples) that `lowRow` gives:
// the samples InverseLevelDiscarded makes. Rows are asked for in order, and
// they ask for the LL rows in order, each at most twice running, so that a
// level below may hand out rows it makes as it goes (Row keeps the last two).
class InterpolatedLevelRows {
public:
    using LowRow = std::function<const std::int16_t*(int k)>;

    InterpolatedLevelRows(int rows, int cols, LowRow lowRow, bool plain = false);
    // Row y into `out` (cols samples).
    void MakeRow(int y, std::span<std::int16_t> out);
    // Row y made and kept, valid while the next row is made as well.
    const std::int16_t* Row(int y);

private:
    int rows_;
    int cols_;
    LowRow lowRow_;
    bool plain_;
    std::vector<std::int16_t> line_; // the column stage's row
    std::vector<std::int16_t> kept_; // the last two rows Row made
    std::array<int, 2> madeRows_{-1, -1};
};

} // namespace tamr
