#pragma once
// An MDI child window holding a compare view of a document: a second kind of
// view beside the image windows, captioned after the document.

#include <QMdiSubWindow>

namespace tamr::qt {

class CompareView;

class CCompareFrame : public QMdiSubWindow {
    Q_OBJECT

public:
    explicit CCompareFrame(CompareView& view, QWidget* parent = nullptr);

    CompareView& View() const { return view_; }
    // "<title> - Compare"; the document's title follows Compress.
    void UpdateCaption();

private:
    CompareView& view_;
};

} // namespace tamr::qt
