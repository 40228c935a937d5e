#include "gui/dialogs/DialogControls.h"

#include <QAbstractSlider>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSize>

namespace tamr::qt {

QString ControlName(int id)
{
    return QStringLiteral("id%1").arg(id);
}

QString LabelName(int id)
{
    return QStringLiteral("label%1").arg(id);
}

QPushButton* MakeButton(const QString& text, int id, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(ControlName(id));
    button->setAutoDefault(false);
    return button;
}

QLabel* MakeStaticText(const QString& text, const QString& objectName, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setObjectName(objectName);
    return label;
}

void UseDialogFrame(QDialog& dialog)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint);
}

QSize DialogUnitsToPixels(const QWidget& dialog, int width, int height)
{
    const QFontMetrics metrics(dialog.font());
    const int alphabet =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int baseWidth = (alphabet / 26 + 1) / 2;
    const int baseHeight = metrics.height();
    return {width * baseWidth / 4, height * baseHeight / 8};
}

ScrollCode ScrollCodeForAction(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return ScrollCode::SB_LINELEFT;
    case QAbstractSlider::SliderSingleStepAdd:
        return ScrollCode::SB_LINERIGHT;
    case QAbstractSlider::SliderPageStepSub:
        return ScrollCode::SB_PAGELEFT;
    case QAbstractSlider::SliderPageStepAdd:
        return ScrollCode::SB_PAGERIGHT;
    case QAbstractSlider::SliderMove:
        return ScrollCode::SB_THUMBTRACK;
    case QAbstractSlider::SliderToMinimum:
        return ScrollCode::SB_LEFT;
    case QAbstractSlider::SliderToMaximum:
        return ScrollCode::SB_RIGHT;
    default:
        return ScrollCode::SB_ENDSCROLL;
    }
}

void RouteScrollEvents(QScrollBar& bar, QObject& receiver, ScrollHandler handler)
{
    bar.setSingleStep(kScrollLineStep);
    bar.setPageStep(kScrollPageStep);
    // The signal comes after the bar has moved its thumb for the action and
    // before it takes the new value; the handler's position replaces the
    // thumb's, so the bar follows the dialog's rules rather than its own.
    QObject::connect(&bar, &QAbstractSlider::actionTriggered, &receiver,
                     [&bar, handler = std::move(handler)](int action) {
                         bar.setSliderPosition(handler(ScrollCodeForAction(action), bar.sliderPosition()));
                     });
}

} // namespace tamr::qt
