#pragma once
// A file as the header built for it and a body that lives elsewhere (pixels,
// coded data), so that it can be written without first joining the two.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tamr {

struct FileParts {
    std::vector<std::uint8_t> head;
    std::span<const std::uint8_t> body;

    bool Empty() const { return head.empty() && body.empty(); }
    std::size_t Size() const { return head.size() + body.size(); }
    // The pieces in file order, as the atomic writer takes them.
    std::array<std::span<const std::uint8_t>, 2> Pieces() const { return {std::span(head), body}; }
    // The whole file in one block (may throw std::bad_alloc).
    std::vector<std::uint8_t> Joined() const
    {
        std::vector<std::uint8_t> file;
        file.reserve(Size());
        file.insert(file.end(), head.begin(), head.end());
        file.insert(file.end(), body.begin(), body.end());
        return file;
    }
};

} // namespace tamr
