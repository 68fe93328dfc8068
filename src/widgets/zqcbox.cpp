#include "widgets/zqcbox.h"

#include "widgets/gradipaint.h"

#include <QPainter>

TzqCBox::TzqCBox(QWidget* parent) : QWidget(parent) {}

void TzqCBox::SetCaption(const QString& caption)
{
    FCaption = caption;
    update();
}

void TzqCBox::SetAlignment(Qt::Alignment alignment)
{
    FAlignment = alignment & Qt::AlignHorizontal_Mask;
    update();
}

void TzqCBox::SetCapX(int x)
{
    FCapX = x;
    update();
}

void TzqCBox::SetCapY(int y)
{
    FCapY = y;
    update();
}

void TzqCBox::DrawCaption(QPainter& painter) const
{
    const QString text = GradiCaptionText(FCaption);
    if (text.isEmpty())
        return;
    painter.setFont(font());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    if (FCapX < 0) {
        painter.drawText(rect(), int(FAlignment) | Qt::AlignVCenter | Qt::TextSingleLine, text);
    } else {
        painter.drawText(QRect(FCapX + 1, FCapY + 1, width(), height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    }
}

void TzqCBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawCaption(painter);
}
