#pragma once
// The row loops of the encoder between the wavelet levels and the coder:
// thresholding, quantisation, zerotree marking and gathering the symbols to
// code. They are written to run on vector registers; every value is computed
// exactly as the scalar formulas say.

#include <cstddef>
#include <cstdint>

#include "platform/VectorClones.h"

namespace tamr {

// Symbol values held in the symbol plane between quantisation and coding.
inline constexpr std::int8_t kSkipMark = -126; // descendant of a zerotree root, never coded
inline constexpr int kMaxCodedQ = 125;         // Q + 1 must fit a signed byte and -Q stay above the skip mark

struct Range {
    int max;
    int min;
};

// The range of a band starts out empty, as these bounds.
constexpr Range kEmptyRange{-30000, 30000};

// Counts the samples whose truncated value is not 0, clears those whose
// truncated magnitude is below the threshold and widens `range` by the
// truncated values left, so that the band needs no pass of its own for it.
std::uint32_t ThresholdRow(float* row, int count, int threshold, Range& range);

// `range` widened by the truncated values of a row.
Range RowRange(const float* row, int count, Range range);

// Most samples are 0 after thresholding: runs of them are found on vector
// registers, and only runs with a non-zero sample take the scalar formulas.
void QuantiseRow(const float* row, int count, float positiveScale, float negativeScale, std::int8_t* symbols);

// 1 where the symbol is 0 (the finest coded level has no children to ask).
void ZeroRow(const std::int8_t* symbols, int count, std::uint8_t* zero);

// 1 where the symbol is 0 and so are the trees of its four children, whose
// flags are the two child rows `top` and `bottom`.
void ZeroTreeRow(const std::int8_t* symbols, int count, const std::uint8_t* top, const std::uint8_t* bottom,
                 std::uint8_t* zero);

// Roots where the tree is zero, unless the parent's tree is zero already:
// then the position lies under a root and gets the skip mark.
// Children come in pairs under one parent; `count` is even.
void MarkRow(std::int8_t* symbols, int count, const std::uint8_t* zero, const std::uint8_t* parents, std::int8_t root);

// Roots where the tree is zero, at the coarsest detail level.
void MarkRootsRow(std::int8_t* symbols, int count, const std::uint8_t* zero, std::int8_t root);

// Skip marks under parents whose tree is zero, at the finest coded level.
void MarkSkippedRow(std::int8_t* symbols, int count, const std::uint8_t* parents);

// The symbols of a row without its skip marks, as signed bytes; returns how
// many. Groups of 16 that are all skip marks (common under zerotree roots) or
// hold none are handled whole; the others symbol by symbol, where every
// symbol is written and the count advances past all but skip marks.
std::size_t GatherRow(const std::int8_t* row, int columns, std::int8_t* symbols);

} // namespace tamr
