#include "widgets/zqpicturecbutton.h"

#include <QMetaMethod>
#include <QMouseEvent>

TzqPictureCButton::TzqPictureCButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void TzqPictureCButton::SetColor(const QColor& color)
{
    FColor = color;
    update();
}

bool TzqPictureCButton::HitTest(const QPoint& pos) const
{
    return rect().contains(pos);
}

bool TzqPictureCButton::hitButton(const QPoint& pos) const
{
    return rect().contains(pos) && HitTest(pos);
}

void TzqPictureCButton::enterEvent(QEnterEvent* event)
{
    FMouseIn = true;
    QAbstractButton::enterEvent(event);
    update();
}

void TzqPictureCButton::leaveEvent(QEvent* event)
{
    FMouseIn = false;
    QAbstractButton::leaveEvent(event);
    update();
}

void TzqPictureCButton::changeEvent(QEvent* event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange)
        update();
}

void TzqPictureCButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton &&
        isSignalConnected(QMetaMethod::fromSignal(&TzqPictureCButton::DoubleClicked))) {
        Q_EMIT DoubleClicked();
        return;
    }
    // No one listens: the second click is a press of its own.
    mousePressEvent(event);
}
