#pragma once
// The Master Setup rules without the dialog: the values the dialog edits, how
// they are taken from the settings, checked, and copied back.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "codec/CodecSettings.h"
#include "platform/Prompter.h"

namespace tamr {

// A refused value set is reported in a box with this caption and icon.
inline constexpr std::string_view kMasterSetupErrorCaption = "Error";
inline constexpr MessageIcon kMasterSetupErrorIcon = MessageIcon::Error;

// The longest text a vector edit accepts.
inline constexpr int kMasterSetupVectorTextLimit = 255;

// The dialog's data: integers for the integer edits, texts for the vector edits.
struct MasterSetupValues {
    int totalLevels = 0;
    std::array<std::string, kComponentCount> quantizeVectors; // 3·L+1 entries each
    std::string thresholdVector;                              // L+1 entries, component A's
    std::array<int, kComponentCount> discardLevels{};
    std::array<int, kComponentCount> sampleLevels{};

    bool operator==(const MasterSetupValues&) const = default;
};

// What the dialog shows on opening.
MasterSetupValues FromSettings(const CodecSettings& settings);

// The message of the first rule the values break, or nothing when they are accepted.
std::optional<std::string> ValidateMasterSetup(const MasterSetupValues& values);

// Copies accepted values into the settings: levels, discard and sample levels,
// 3·L+1 entries of each quantisation vector and L+1 threshold entries into
// component A only (B and C keep theirs). The quality factor is left alone.
// Meant for values ValidateMasterSetup accepted; other level counts still never
// write past the vectors.
void ApplyMasterSetup(const MasterSetupValues& values, CodecSettings& settings);

} // namespace tamr
