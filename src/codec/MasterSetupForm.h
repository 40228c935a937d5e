#pragma once
// The Master Setup dialog's edits as texts: what they show on opening, and how
// OK and "Test Setting" take them back: every integer field must hold an
// integer, then the values must pass the rules. Refusals reach the user
// through the prompter.

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "codec/MasterSetup.h"
#include "platform/Prompter.h"

namespace tamr {

// The edits, in the order their texts are read.
enum class MasterSetupField : std::size_t {
    TotalLevels,
    DiscardA,
    DiscardB,
    DiscardC,
    SampleA,
    SampleB,
    SampleC,
    QuantizeA,
    QuantizeB,
    QuantizeC,
    Threshold,
};
inline constexpr std::size_t kMasterSetupFieldCount = 11;

struct MasterSetupForm {
    std::array<std::string, kMasterSetupFieldCount> texts;

    std::string& operator[](MasterSetupField field) { return texts[static_cast<std::size_t>(field)]; }
    const std::string& operator[](MasterSetupField field) const { return texts[static_cast<std::size_t>(field)]; }
};

// The texts the edits show for the values.
MasterSetupForm ToForm(const MasterSetupValues& values);

struct MasterSetupReading {
    // The accepted values; nothing when a refusal was shown.
    std::optional<MasterSetupValues> values;
    // The integer field whose text was not an integer; it takes the focus.
    std::optional<MasterSetupField> refusedField;
};

// Reads the integer fields in order (the first that is not an integer is
// refused with the integer message), then checks the rules (the first broken
// one is shown with caption "Error" and the stop icon). Vector texts longer
// than the edits allow are cut to that length.
MasterSetupReading ReadMasterSetupForm(const MasterSetupForm& form, Prompter& prompter);

} // namespace tamr
