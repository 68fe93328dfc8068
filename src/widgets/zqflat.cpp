#include "widgets/zqflat.h"

#include <QPainter>

TzqFlat::TzqFlat(QWidget* parent) : TzqCBox(parent) {}

void TzqFlat::SetColor(const QColor& color)
{
    FColor = color;
    update();
}

void TzqFlat::SetBorder(TBorder border)
{
    FBorder = border;
    update();
}

void TzqFlat::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int w = width();
    const int h = height();
    p.fillRect(rect(), FColor.isValid() ? FColor : palette().color(QPalette::Window));
    if (FBorder & bsLeft)
        p.fillRect(QRect(0, 0, 1, h), BorderColor());
    if (FBorder & bsTop)
        p.fillRect(QRect(0, 0, w, 1), BorderColor());
    if (FBorder & bsRight)
        p.fillRect(QRect(w - 1, 0, 1, h), BorderColor());
    if (FBorder & bsBottom)
        p.fillRect(QRect(0, h - 1, w, 1), BorderColor());
    DrawCaption(p);
}
