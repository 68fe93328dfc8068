#include "widgets/frmzqnocaption.h"

#include <QPainter>

using namespace Qt::Literals::StringLiterals;

TfrmZqNoCaption::TfrmZqNoCaption(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xFC, 0xFC, 0xFA));
    setPalette(pal);
    setAutoFillBackground(true);
    QFont font(u"굴림체"_s);
    font.setPixelSize(12);
    setFont(font);
    setContentsMargins(1, 1, 1, 1);
}

void TfrmZqNoCaption::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
