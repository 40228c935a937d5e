#pragma once
// "Master Setup": the raw codec parameters as edits. "Test Setting" copies
// accepted values into the settings and compresses while the dialog stays
// open; OK closes with accepted values for whoever ran the dialog to copy;
// refusals are told through the prompter and keep the dialog open. "Reset
// Default" fills the edits with the codec's default settings.

#include <QDialog>
#include <array>
#include <functional>
#include <optional>

#include "codec/MasterSetupForm.h"

class QLineEdit;

namespace tamr::qt {

class CMasterSetupDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kResetDefaultId = 1000;
    static constexpr int kTestSettingId = 1001;
    static constexpr int kHelpId = 1002;

    CMasterSetupDlg(CodecSettings& settings, Prompter& prompter, std::function<void()> compress,
                    QWidget* parent = nullptr);

    // The identifier of each edit.
    static int FieldId(MasterSetupField field);

    // What the edits hold now.
    MasterSetupForm Form() const;
    // The values OK accepted; nothing before that.
    const std::optional<MasterSetupValues>& AcceptedValues() const { return accepted_; }

    void accept() override;

private:
    void OnTestSetting();
    void OnResetDefault();
    // Reads the edits; a refused integer field takes the focus.
    std::optional<MasterSetupValues> Read();
    QLineEdit* Edit(MasterSetupField field) const { return edits_[static_cast<std::size_t>(field)]; }

    CodecSettings& settings_;
    Prompter& prompter_;
    std::function<void()> compress_;
    std::array<QLineEdit*, kMasterSetupFieldCount> edits_{};
    std::optional<MasterSetupValues> accepted_;
};

} // namespace tamr::qt
