#pragma once
// The Filters command without its window: the list selection, the eleven edit
// texts and the Default, Apply, OK and Cancel buttons of the dialog, over the
// working image of a document. The shell's dialog forwards its controls here
// and shows what the session holds.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "enhance/FilterList.h"
#include "image/PixelPlaneViews.h"
#include "platform/ByteBlock.h"
#include "platform/Prompter.h"

namespace tamr {

enum class DialogEnd { Ok, Cancel };

// What the caller does once the dialog is closed, whichever way.
struct FiltersClosed {
    DialogEnd end = DialogEnd::Ok;
    // The value the document's imageEdited flag takes.
    std::int32_t imageEdited = 1;
    // The view rebuilds its index image and repaints.
    bool imageChanged = true;
};

class FiltersSession {
public:
    static constexpr int kNoSelection = -1;
    using BlockAllocator = std::optional<ByteBlock> (*)(std::size_t);

    // Begins the command on the working image, which must outlive the session:
    // keeps one copy of it as last applied and one as it is now, selects
    // "Edge enhance" and fills the edits with its defaults. When the copies
    // cannot be made, tells the user and returns nothing; the image is not
    // touched and the document is not marked edited.
    static std::optional<FiltersSession> Open(PixelView working, bool isColour, Prompter& prompter,
                                              BlockAllocator allocate = AllocateBlock);

    // The selected list entry, or kNoSelection.
    int Selection() const { return selection_; }
    // A new selection (an index outside the list clears it) loads its defaults.
    void Select(int index);
    // The "Default" button: the selected entry's texts replace whatever the
    // edits hold; with no selection, an all-zero kernel with divisor 1.
    void LoadDefaults();

    const std::string& EditText(FilterEdit edit) const { return texts_[edit]; }
    std::span<const std::string, kFilterEditCount> EditTexts() const { return texts_; }
    // What the user typed; any text is accepted.
    void SetEditText(FilterEdit edit, std::string text) { texts_[edit] = std::move(text); }

    // The "Apply" button: reads the edits as numbers and runs the selected
    // filter (a convolution when nothing is selected) on the working image as
    // it is now, so Applies accumulate. A filter short of memory leaves the
    // image as it was, silently. The caller repaints after every Apply.
    // Does nothing once the dialog is closed.
    void Apply();

    // "OK" keeps the image as the last Apply left it.
    FiltersClosed Ok();
    // "Cancel" puts back the image as it was when the command began.
    FiltersClosed Cancel();

private:
    FiltersSession(PixelView working, bool isColour, ByteBlock appliedCopy, ByteBlock startCopy);

    PixelView working_;
    bool isColour_;
    ByteBlock appliedCopy_; // the working image after the last Apply
    ByteBlock startCopy_;   // the working image when the command began
    int selection_ = 0;
    std::array<std::string, kFilterEditCount> texts_;
    bool closed_ = false;
};

} // namespace tamr
