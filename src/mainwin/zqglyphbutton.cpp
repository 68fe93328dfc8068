#include "mainwin/zqglyphbutton.h"

#include <QPainter>

namespace {

QPixmap KeyedPixmap(const QImage& glyph, QRgb key)
{
    QImage image = glyph.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                line[x] = 0;
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace

TzqGlyphButton::TzqGlyphButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void TzqGlyphButton::SetGlyphs(const QImage& normal, const QImage& hover, const QImage& pressed,
                               QRgb key)
{
    FNormal = KeyedPixmap(normal, key);
    FHover = KeyedPixmap(hover, key);
    FPressed = KeyedPixmap(pressed, key);
    update();
}

const QPixmap& TzqGlyphButton::CurrentGlyph() const
{
    if (isDown())
        return FPressed;
    if (underMouse())
        return FHover;
    return FNormal;
}

void TzqGlyphButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, CurrentGlyph());
}

void TzqGlyphButton::enterEvent(QEnterEvent* event)
{
    QAbstractButton::enterEvent(event);
    update();
}

void TzqGlyphButton::leaveEvent(QEvent* event)
{
    QAbstractButton::leaveEvent(event);
    update();
}
