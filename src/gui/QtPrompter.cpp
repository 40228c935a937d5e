#include "gui/QtPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QWidget>

#include "gui/FileDialogFilter.h"

namespace tamr::qt {

namespace {

QMessageBox::Icon IconFor(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton first; // the default, as on the system's boxes
};

ButtonSet ButtonsFor(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return {QMessageBox::Ok, QMessageBox::Ok};
    case MessageButtons::OkCancel:
        return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok};
    case MessageButtons::YesNo:
        return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes};
    case MessageButtons::YesNoCancel:
        return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes};
    case MessageButtons::RetryCancel:
        return {QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry};
    }
    return {QMessageBox::Ok, QMessageBox::Ok};
}

MessageAnswer AnswerFor(int button, MessageButtons buttons)
{
    switch (button) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Retry:
        return MessageAnswer::Retry;
    default:
        // Closed without a button (Escape on a box without Cancel).
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    }
}

} // namespace

QWidget* DialogOwner()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

ModalInterruption::ModalInterruption()
    : grabber_(QWidget::mouseGrabber()), cursorPushed_(QApplication::overrideCursor())
{
    if (grabber_ != nullptr)
        grabber_->releaseMouse();
    if (cursorPushed_)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
}

ModalInterruption::~ModalInterruption()
{
    if (cursorPushed_)
        QApplication::restoreOverrideCursor();
    if (grabber_ != nullptr && grabber_->isVisible())
        grabber_->grabMouse();
}

MessageAnswer QtPrompter::ShowMessage(const Message& message)
{
    const ModalInterruption interruption;
    const QString caption = message.caption.empty() ? applicationTitle_ : QString::fromStdString(message.caption);
    const ButtonSet set = ButtonsFor(message.buttons);
    QMessageBox box(IconFor(message.icon), caption, QString::fromStdString(message.text), set.buttons, DialogOwner());
    box.setDefaultButton(set.first);
    return AnswerFor(box.exec(), message.buttons);
}

void QtPrompter::ShowErrorWithDetail(const std::string& text, const std::string& caption, const std::string& detail)
{
    const ModalInterruption interruption;
    QMessageBox box(QMessageBox::Critical, caption.empty() ? applicationTitle_ : QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Ok, DialogOwner());
    box.setDetailedText(QString::fromStdString(detail));
    box.exec();
}

void QtPrompter::ShowNotice(const std::string& text, const std::string& caption)
{
    constexpr int kShownMilliseconds = 10000;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<QMainWindow*>(widget)) {
            window->statusBar()->showMessage(QString::fromStdString(caption + ": " + text), kShownMilliseconds);
            return;
        }
    }
    Prompter::ShowNotice(text, caption);
}

std::optional<ChosenFile> QtPrompter::AskSaveFile(const SaveFileRequest& request)
{
    const ModalInterruption interruption;
    QFileDialog dialog(DialogOwner(), QObject::tr("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = QtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    // A name typed without extension gets that of the chosen filter, before
    // the dialog asks about overwriting.
    if (!filters.isEmpty())
        dialog.setDefaultSuffix(SuffixForFilter(filters.front()));
    QObject::connect(&dialog, &QFileDialog::filterSelected,
                     [&dialog](const QString& filter) { dialog.setDefaultSuffix(SuffixForFilter(filter)); });
    dialog.setDirectory(QString::fromStdString(currentDirectory_.string()));
    dialog.selectFile(QString::fromStdString(request.initialName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const std::filesystem::path chosen = dialog.selectedFiles().front().toStdString();
    return ChosenFileFor(chosen);
}

} // namespace tamr::qt
