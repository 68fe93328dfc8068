#include "widgets/zqimagelistbutton.h"

#include <QPainter>

namespace {

QPixmap KeyedPixmap(const QImage& glyph, QRgb key)
{
    QImage image = glyph.convertToFormat(QImage::Format_ARGB32);
    if (qAlpha(key) != 0) {
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                    line[x] = 0;
            }
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace

TzqImageListButton::TzqImageListButton(QWidget* parent) : TzqPictureCButton(parent) {}

void TzqImageListButton::SetImageList(const QList<QImage>& images, QRgb key)
{
    FImages.clear();
    FPlain = images;
    for (const QImage& image : images)
        FImages << KeyedPixmap(image, key);
    update();
}

void TzqImageListButton::SetIndexButton(int index)
{
    FIndexButton = index;
    update();
}

void TzqImageListButton::SetIndexEnter(int index)
{
    FIndexEnter = index;
    update();
}

void TzqImageListButton::SetIndexClick(int index)
{
    FIndexClick = index;
    update();
}

void TzqImageListButton::SetIndexDisable(int index)
{
    FIndexDisable = index;
    update();
}

void TzqImageListButton::SetIndexMask(int index)
{
    FIndexMask = index;
}

int TzqImageListButton::CurrentIndex() const
{
    int index = FIndexButton;
    if (!isEnabled())
        index = FIndexDisable < 0 ? FIndexClick : FIndexDisable;
    else if (isDown())
        index = FIndexClick;
    else if (MouseIn())
        index = FIndexEnter;
    return index <= 0 ? FIndexButton : index;
}

QPixmap TzqImageListButton::CurrentGlyph() const
{
    const int index = CurrentIndex();
    return index >= 0 && index < FImages.size() ? FImages.at(index) : QPixmap();
}

QSize TzqImageListButton::sizeHint() const
{
    return FImages.isEmpty() ? QSize(16, 16) : FImages.first().size();
}

void TzqImageListButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (Color().isValid())
        painter.fillRect(rect(), Color());
    painter.drawPixmap(0, 0, CurrentGlyph());
}

bool TzqImageListButton::HitTest(const QPoint& pos) const
{
    if (FIndexMask < 0 || FIndexMask >= FPlain.size())
        return true;
    const QImage& mask = FPlain.at(FIndexMask);
    if (!mask.valid(pos))
        return false;
    return (mask.pixel(pos) & 0xFFFFFF) != 0xFFFFFF;
}
