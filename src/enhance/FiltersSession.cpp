#include "enhance/FiltersSession.h"

#include <algorithm>
#include <string_view>

#include "enhance/FiltersDialogTexts.h"

namespace tamr {

std::optional<FiltersSession> FiltersSession::Open(PixelView working, bool isColour, Prompter& prompter,
                                                   BlockAllocator allocate)
{
    const std::size_t imageBytes = working.bytes.size();
    std::optional<ByteBlock> appliedCopy = allocate(imageBytes);
    std::optional<ByteBlock> startCopy = appliedCopy ? allocate(imageBytes) : std::nullopt;
    if (!appliedCopy || !startCopy) {
        prompter.ShowMessage(Message{std::string(kFilterMemoryMessage), std::string(kFilterMemoryCaption),
                                     MessageIcon::Error, MessageButtons::Ok});
        return std::nullopt;
    }
    std::ranges::copy(working.bytes, appliedCopy->begin());
    std::ranges::copy(working.bytes, startCopy->begin());
    return FiltersSession(working, isColour, std::move(*appliedCopy), std::move(*startCopy));
}

FiltersSession::FiltersSession(PixelView working, bool isColour, ByteBlock appliedCopy, ByteBlock startCopy)
    : working_(working), isColour_(isColour), appliedCopy_(std::move(appliedCopy)), startCopy_(std::move(startCopy))
{
    LoadDefaults();
}

void FiltersSession::Select(int index)
{
    const bool inList = index >= 0 && static_cast<std::size_t>(index) < kFilterCount;
    selection_ = inList ? index : kNoSelection;
    LoadDefaults();
}

void FiltersSession::LoadDefaults()
{
    const FilterEntry& entry =
        selection_ == kNoSelection ? NoSelectionFilter() : FilterList()[static_cast<std::size_t>(selection_)];
    std::ranges::transform(entry.defaults, texts_.begin(), [](std::string_view text) { return std::string(text); });
}

void FiltersSession::Apply()
{
    if (closed_) {
        return;
    }
    std::array<std::string_view, kFilterEditCount> texts;
    std::ranges::copy(texts_, texts.begin());
    const FilterOperation operation = selection_ == kNoSelection
                                          ? NoSelectionFilter().operation
                                          : FilterList()[static_cast<std::size_t>(selection_)].operation;
    // A filter that fails has left the pixels alone; the copy below is then
    // simply the state before.
    RunFilter(operation, working_, isColour_, ParseEditTexts(texts));
    std::ranges::copy(working_.bytes, appliedCopy_.begin());
}

FiltersClosed FiltersSession::Ok()
{
    closed_ = true;
    return FiltersClosed{DialogEnd::Ok};
}

FiltersClosed FiltersSession::Cancel()
{
    closed_ = true;
    std::ranges::copy(startCopy_, appliedCopy_.begin());
    std::ranges::copy(appliedCopy_, working_.bytes.begin());
    return FiltersClosed{DialogEnd::Cancel};
}

} // namespace tamr
