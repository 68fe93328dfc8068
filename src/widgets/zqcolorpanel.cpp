#include "widgets/zqcolorpanel.h"

#include <QPainter>

TzqColorPanel::TzqColorPanel(QWidget* parent) : QFrame(parent)
{
    setAutoFillBackground(true);
}

void TzqColorPanel::SetClrLeft(const QColor& color)
{
    FLeft = color;
    update();
}

void TzqColorPanel::SetClrTop(const QColor& color)
{
    FTop = color;
    update();
}

void TzqColorPanel::SetClrRight(const QColor& color)
{
    FRight = color;
    update();
}

void TzqColorPanel::SetClrBottom(const QColor& color)
{
    FBottom = color;
    update();
}

void TzqColorPanel::SetEdgeColors(const QColor& color)
{
    FLeft = FTop = FRight = FBottom = color;
    update();
}

void TzqColorPanel::SetBorderThick(int thick)
{
    FBorderThick = qMax(0, thick);
    update();
}

void TzqColorPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    const int t = FBorderThick;
    const int w = width();
    const int h = height();
    if (FLeft.isValid())
        p.fillRect(QRect(0, 0, t, h), FLeft);
    if (FTop.isValid())
        p.fillRect(QRect(0, 0, w, t), FTop);
    if (FRight.isValid())
        p.fillRect(QRect(w - t, 0, t, h), FRight);
    if (FBottom.isValid())
        p.fillRect(QRect(0, h - t, w, t), FBottom);
}
