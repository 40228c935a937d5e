#pragma once
// The Filters and Sharpen Image commands carried out on a document without
// their dialogs, as the command line runs them: the dialog's session is
// opened on the working image, driven as a user would drive it, and closed
// with OK; the document is then marked edited and its views told, as when the
// dialog closes.

#include <array>
#include <optional>
#include <string>

#include "enhance/FilterList.h"
#include "platform/Prompter.h"

namespace tamr {

class CTamrDoc;

struct FilterRequest {
    // The list entry, 0 … 15.
    int index = 0;
    // Texts typed into the eleven edits over the entry's defaults (k0 … k8,
    // divisor, intensity); an edit left alone keeps its default text.
    std::array<std::optional<std::string>, kFilterEditCount> typed;
    // How often Apply is pressed before OK; the filters accumulate.
    int applies = 1;
};

// The list entry named `name` (compared without regard to case), or nothing.
std::optional<int> FilterIndexByName(const std::string& name);

// False, with the image untouched and the document not marked edited, when
// the document has no image, the entry does not exist, or the copies of the
// image cannot be made (the user is told).
bool FilterDocument(CTamrDoc& document, Prompter& prompter, const FilterRequest& request);

// Percent positions of the dialog's three scroll bars, top to bottom (the
// rows labelled "Red", "Green" and "Blue"; the top one is the only one of a
// gray image). Each is 0 … 100. The top bar sharpens the first stored byte of
// a colour pixel, which holds blue.
using SharpenPercents = std::array<int, 3>;

// Sets the bars, presses Apply once and OK. False as for FilterDocument.
bool SharpenDocument(CTamrDoc& document, Prompter& prompter, const SharpenPercents& percents);

} // namespace tamr
