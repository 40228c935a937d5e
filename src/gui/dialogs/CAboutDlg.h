#pragma once
// The About box: the program's picture, its version and build date, and OK.

#include <QDialog>

namespace tamr::qt {

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace tamr::qt
