#include "app/qt/CMainFrame.h"

#include <QMdiArea>

namespace tamr::qt {

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent), mdiArea_(new QMdiArea(this))
{
    setWindowTitle(QStringLiteral("TAMR"));
    setWindowIcon(QIcon(QStringLiteral(":/res/icons/tamr.svg")));
    setCentralWidget(mdiArea_);
}

} // namespace tamr::qt
