#pragma once
// The adaptive arithmetic coder written plainly, one bit per renormalisation
// step, a division per interval bound, a linear model search and update: the
// reference the fast coder's bytes and symbols are compared with.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tamr::test {

struct PlainEncoded {
    std::vector<std::uint8_t> bytes;
    long endMark = 0;
    long bits = 0;
    long termination = 0;
};

// Codes signed bytes over `alphabetSize` symbols, ending with the end symbol.
PlainEncoded PlainEncode(std::span<const std::int8_t> symbols, int alphabetSize);

struct PlainDecoded {
    std::vector<std::int8_t> symbols;
    std::size_t inputUsed = 0;
    bool endSeen = false;
};

// Decodes until the end symbol or `limit` symbols; past the input every bit is 0.
PlainDecoded PlainDecode(std::span<const std::uint8_t> in, std::size_t limit, int alphabetSize);

} // namespace tamr::test
