#pragma once
// "Filters": the list of filters, the 3 × 3 multipliers, the divisor and the
// intensity over a FiltersSession. Every Apply filters the working image as
// it is now and tells the view; the session decides what OK and Cancel leave.

#include <QDialog>
#include <array>
#include <functional>

#include "enhance/FiltersSession.h"

class QLineEdit;
class QListWidget;

namespace tamr {
class CTamrDoc;
}

namespace tamr::qt {

class CFiltersDlg : public QDialog {
    Q_OBJECT

public:
    // The session must outlive the dialog; imageChanged is called after every Apply.
    CFiltersDlg(FiltersSession& session, std::function<void()> imageChanged, QWidget* parent = nullptr);

private:
    void OnSelectionChanged();
    void OnDefault();
    void OnApply();
    // Puts the session's texts into the edits.
    void ShowEditTexts();

    FiltersSession& session_;
    std::function<void()> imageChanged_;
    QListWidget* list_;
    std::array<QLineEdit*, kFilterEditCount> edits_{};
};

// The Filters command on the document's working image, with the allocator of
// its two image copies: when they cannot be made the user is told and nothing
// changes; otherwise the dialog runs, and whichever way it closes the document
// is marked edited and imageChanged called.
void RunFiltersCommand(QWidget* parent, CTamrDoc& document, Prompter& prompter,
                       const std::function<void()>& imageChanged, FiltersSession::BlockAllocator allocate);

} // namespace tamr::qt
