#include "codec/MasterSetupForm.h"

#include "platform/DialogInteger.h"

namespace tamr {
namespace {

using enum MasterSetupField;

constexpr std::array<MasterSetupField, kComponentCount> kQuantizeFields{QuantizeA, QuantizeB, QuantizeC};
constexpr std::array<MasterSetupField, kComponentCount> kDiscardFields{DiscardA, DiscardB, DiscardC};
constexpr std::array<MasterSetupField, kComponentCount> kSampleFields{SampleA, SampleB, SampleC};

std::string VectorText(const std::string& text)
{
    return text.substr(0, static_cast<std::size_t>(kMasterSetupVectorTextLimit));
}

} // namespace

MasterSetupForm ToForm(const MasterSetupValues& values)
{
    MasterSetupForm form;
    form[TotalLevels] = std::to_string(values.totalLevels);
    for (std::size_t c = 0; c < kComponentCount; ++c) {
        form[kQuantizeFields[c]] = VectorText(values.quantizeVectors[c]);
        form[kDiscardFields[c]] = std::to_string(values.discardLevels[c]);
        form[kSampleFields[c]] = std::to_string(values.sampleLevels[c]);
    }
    form[Threshold] = VectorText(values.thresholdVector);
    return form;
}

MasterSetupReading ReadMasterSetupForm(const MasterSetupForm& form, Prompter& prompter)
{
    MasterSetupValues values;
    auto readInteger = [&](MasterSetupField field, int& value) {
        const std::optional<int> number = ParseDialogInteger(form[field]);
        if (number) {
            value = *number;
        }
        return number.has_value();
    };
    const auto refuse = [&](MasterSetupField field) {
        prompter.ShowMessage(DialogIntegerRefusal());
        return MasterSetupReading{std::nullopt, field};
    };
    if (!readInteger(TotalLevels, values.totalLevels)) {
        return refuse(TotalLevels);
    }
    for (std::size_t c = 0; c < kComponentCount; ++c) {
        if (!readInteger(kDiscardFields[c], values.discardLevels[c])) {
            return refuse(kDiscardFields[c]);
        }
    }
    for (std::size_t c = 0; c < kComponentCount; ++c) {
        if (!readInteger(kSampleFields[c], values.sampleLevels[c])) {
            return refuse(kSampleFields[c]);
        }
    }
    for (std::size_t c = 0; c < kComponentCount; ++c) {
        values.quantizeVectors[c] = VectorText(form[kQuantizeFields[c]]);
    }
    values.thresholdVector = VectorText(form[Threshold]);

    if (const std::optional<std::string> broken = ValidateMasterSetup(values)) {
        prompter.ShowMessage(
            Message{*broken, std::string(kMasterSetupErrorCaption), kMasterSetupErrorIcon, MessageButtons::Ok});
        return {};
    }
    return MasterSetupReading{values, std::nullopt};
}

} // namespace tamr
