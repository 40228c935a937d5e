#pragma once
// The optimising encoder on a document: the settings searched on a copy of
// its picture, and the result taken as Compress takes its own.

#include "codec/CodecSettings.h"
#include "codec/SettingsSearch.h"

namespace tamr {

class CTamrDoc;

// On success the document holds the picture coded with the chosen settings,
// which `settings` then holds too (its threads kept). A failed or stopped
// search leaves the document as it was.
SearchOutcome CompressOptimised(CTamrDoc& document, CodecSettings& settings, const SearchGoal& goal,
                                const SearchControl& control = {});

} // namespace tamr
