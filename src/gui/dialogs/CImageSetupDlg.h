#pragma once
// "Image Setup": one quality factor, chosen with a scroll bar or typed into an
// edit. "Test" puts it into the settings at once and compresses while the
// dialog stays open; OK leaves copying to whoever ran the dialog.

#include <QDialog>
#include <functional>

#include "codec/EasySetup.h"

class QLineEdit;
class QScrollBar;

namespace tamr::qt {

class CImageSetupDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kScrollBarId = 1000;
    static constexpr int kEditId = 1001;
    static constexpr int kResetId = 1002;
    static constexpr int kTestId = 1003;

    CImageSetupDlg(CodecSettings& settings, std::function<void()> compress, QWidget* parent = nullptr);

    // The dialog's quality and what its controls show.
    const EasySetupSession& Session() const { return session_; }

private:
    void OnEditChanged(const QString& text);
    void OnReset();
    void OnTest();
    // Puts the session's edit text and position into the controls.
    void ShowSession();

    CodecSettings& settings_;
    std::function<void()> compress_;
    EasySetupSession session_;
    QScrollBar* scrollBar_;
    QLineEdit* edit_;
    bool showing_ = false; // the edit is being set from the session
};

} // namespace tamr::qt
