#include "gui/CCompareFrame.h"

#include "document/TamrDoc.h"
#include "gui/CompareView.h"

namespace tamr::qt {

CCompareFrame::CCompareFrame(CompareView& view, QWidget* parent) : QMdiSubWindow(parent), view_(view)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(&view_);
    UpdateCaption();
}

void CCompareFrame::UpdateCaption()
{
    const CTamrDoc* document = view_.Document();
    const QString caption =
        tr("%1 - Compare").arg(document != nullptr ? QString::fromStdString(document->Title()) : QString());
    if (windowTitle() != caption)
        setWindowTitle(caption);
}

} // namespace tamr::qt
