#pragma once
// The main window: an MDI area holding one child frame per open view.

#include <QMainWindow>

class QMdiArea;

namespace tamr::qt {

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    explicit CMainFrame(QWidget* parent = nullptr);

    QMdiArea* MdiArea() const { return mdiArea_; }

private:
    QMdiArea* mdiArea_;
};

} // namespace tamr::qt
