#include "codec/DecodedRows.h"

#include <algorithm>

#include "platform/DiscardPages.h"

namespace tamr {

DecodedRows::DecodedRows(CodecComponent& component)
    : component_(component), width_(component.Width()), height_(component.Height())
{
    if (!component.FinestLevelInRows())
        return;
    if (component.FinestCodedLevel() >= component.Levels()) {
        inverse_.emplace(height_, width_, [&component](bool bottom, int k, std::span<std::int16_t> line) {
            component.FinestQuadrantRow(bottom, k, line);
        });
    }
}

std::int16_t* DecodedRows::BufferRow(int y)
{
    return buffer_.data() + static_cast<std::size_t>(y - bufferFirst_) * static_cast<std::size_t>(width_);
}

// Rows come in pairs from the full inverse, so a stripe may leave its last
// row made but not handed out: it moves to the front of the buffer.
void DecodedRows::MakeRows(int first, int end)
{
    const auto width = static_cast<std::size_t>(width_);
    if (made_ > first)
        std::copy_n(BufferRow(first), static_cast<std::size_t>(made_ - first) * width, buffer_.data());
    bufferFirst_ = first;
    const std::size_t needed = static_cast<std::size_t>(end - first + 1) * width;
    if (buffer_.size() < needed)
        buffer_.resize(needed);
    const auto row = [&](int y) { return std::span(BufferRow(y), width); };
    while (made_ < end) {
        if (inverse_) {
            inverse_->NextPair(row(made_), row(made_ + 1));
            made_ += 2;
        } else {
            component_.DiscardedFinestRow(made_, row(made_));
            ++made_;
        }
    }
}

DecodedStripe DecodedRows::Next(int count)
{
    const int first = next_;
    const int end = std::min(height_, first + std::max(0, count));
    next_ = end;
    const auto stride = static_cast<std::size_t>(width_);
    const auto at = static_cast<std::size_t>(first) * stride;
    const std::size_t size = static_cast<std::size_t>(end - first) * stride;
    if (!component_.FinestLevelInRows()) {
        // The plane itself, given back up to the rows handed out now.
        const auto plane = component_.Plane();
        DiscardConsumedPagesOf(plane, static_cast<std::size_t>(givenBack_) * stride, at);
        givenBack_ = first;
        return {plane.subspan(at, size), stride, static_cast<std::size_t>(end - first)};
    }
    MakeRows(first, end);
    return {
        std::span<const std::int16_t>(buffer_).subspan(static_cast<std::size_t>(first - bufferFirst_) * stride, size),
        stride, static_cast<std::size_t>(end - first)};
}

} // namespace tamr
