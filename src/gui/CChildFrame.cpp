#include "gui/CChildFrame.h"

#include <QCloseEvent>
#include <memory>

#include "gui/CTamrView.h"

namespace tamr::qt {

CChildFrame::CChildFrame(CTamrView& view, std::function<bool(CChildFrame&)> canClose, QWidget* parent)
    : QMdiSubWindow(parent), view_(view), canClose_(std::move(canClose))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(&view_);
    UpdateCaption(1, 1);
}

CChildFrame::~CChildFrame()
{
    const std::unique_ptr<QWidget> view(widget());
}

CTamrDoc& CChildFrame::Document() const
{
    return view_.Document();
}

void CChildFrame::UpdateCaption(int windowNumber, int windowCount)
{
    QString caption = QString::fromStdString(Document().Title());
    if (windowCount > 1)
        caption += QStringLiteral(":%1").arg(windowNumber);
    if (windowTitle() != caption)
        setWindowTitle(caption);
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (canClose_ && !canClose_(*this)) {
        event->ignore();
        return;
    }
    closing_ = true;
    QMdiSubWindow::closeEvent(event);
}

} // namespace tamr::qt
