#pragma once
// "Sharpen image": a row of label, scroll bar and percent text per colour
// byte (only the top one for gray images) over a SharpenSession, and Apply,
// which always starts again from the image as it was when the command began.

#include <QDialog>
#include <array>

#include "enhance/SharpenSession.h"

class QLabel;
class QScrollBar;

namespace tamr::qt {

class CSharpenDlg : public QDialog {
    Q_OBJECT

public:
    // The session must outlive the dialog; it tells the view about every Apply.
    explicit CSharpenDlg(SharpenSession& session, QWidget* parent = nullptr);

private:
    struct Row {
        QLabel* label = nullptr;
        QScrollBar* bar = nullptr;
        QLabel* percent = nullptr;
    };

    // Puts one row of the session into its controls.
    void ShowRow(SharpenBar bar);

    SharpenSession& session_;
    std::array<Row, 3> rows_{};
};

} // namespace tamr::qt
