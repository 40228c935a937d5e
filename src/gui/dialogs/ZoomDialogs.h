#pragma once
// The "Zoom in" and "Zoom out" dialogs: a drop-down list of factors, OK and Cancel.

#include <QDialog>
#include <QString>

class QComboBox;

namespace tamr::qt {

class CZoomDialog : public QDialog {
    Q_OBJECT

public:
    // The chosen entry; empty when nothing was chosen.
    QString ZoomText() const;
    QComboBox* List() const { return list_; }

protected:
    CZoomDialog(QWidget* parent, const QString& caption, const QStringList& entries);

private:
    QComboBox* list_;
};

// "none", "2:1" .. "16:1".
class CZoomInDlg : public CZoomDialog {
    Q_OBJECT

public:
    explicit CZoomInDlg(QWidget* parent = nullptr);
    static QStringList Entries();
};

// "none", "1:2" .. "1:16".
class CZoomOutDlg : public CZoomDialog {
    Q_OBJECT

public:
    explicit CZoomOutDlg(QWidget* parent = nullptr);
    static QStringList Entries();
};

} // namespace tamr::qt
