#pragma once
// An MDI child window holding one view of a document; its caption is the
// document's title.

#include <QMdiSubWindow>
#include <functional>

namespace tamr {
class CTamrDoc;
}

namespace tamr::qt {

class CTamrView;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT

public:
    // canClose decides whether a close request goes through (it may ask to save).
    CChildFrame(CTamrView& view, std::function<bool(CChildFrame&)> canClose, QWidget* parent = nullptr);
    // The view goes first, so that the document has let go of it when the frame is reported destroyed.
    ~CChildFrame() override;

    CTamrView& View() const { return view_; }
    CTamrDoc& Document() const;

    // Open: shown after its document opened, and not closing.
    bool IsOpen() const { return shown_ && !closing_; }
    void MarkShown() { shown_ = true; }

    // The document's title, with ":n" when the document has more than one window.
    void UpdateCaption(int windowNumber, int windowCount);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CTamrView& view_;
    std::function<bool(CChildFrame&)> canClose_;
    bool shown_ = false;
    bool closing_ = false;
};

} // namespace tamr::qt
