#include "widgets/zqimagebutton.h"

#include "widgets/gradipaint.h"
#include "widgets/zqbuttonimages.h"

#include <QPainter>

TzqImageButton::TzqImageButton(QWidget* parent) : TzqPictureCButton(parent) {}

void TzqImageButton::SetButtonImages(TzqButtonImages* images)
{
    disconnect(FWatch);
    FButtonImages = images;
    if (images)
        FWatch = connect(images, &TzqButtonImages::Changed, this, [this] { update(); });
    update();
}

QPixmap TzqImageButton::CurrentPicture() const
{
    if (!FButtonImages)
        return {};
    if (!isEnabled())
        return FButtonImages->PicDisabled();
    if (isDown())
        return FButtonImages->PicDown();
    if (MouseIn() && !FButtonImages->PicEntered().isNull())
        return FButtonImages->PicEntered();
    return FButtonImages->PicUp();
}

QSize TzqImageButton::sizeHint() const
{
    if (FButtonImages && !FButtonImages->PicUp().isNull())
        return FButtonImages->PicUp().deviceIndependentSize().toSize() +
               QSize(FButtonImages->PicX(), FButtonImages->PicY());
    return {24, 22};
}

void TzqImageButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (Color().isValid())
        p.fillRect(rect(), Color());
    if (!FButtonImages)
        return;
    p.drawPixmap(FButtonImages->PicX(), FButtonImages->PicY(), CurrentPicture());
    const QString caption = GradiCaptionText(text());
    if (caption.isEmpty())
        return;
    p.setFont(font());
    p.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    const bool down = isDown();
    if (FButtonImages->CapX() < 0) {
        QRect r = rect();
        if (down)
            r.translate(0, 1);
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, caption);
    } else {
        const QPoint at = QPoint(FButtonImages->CapX(), FButtonImages->CapY()) +
                          (down ? QPoint(1, 1) : QPoint(0, 0));
        p.drawText(QRect(at, size()), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, caption);
    }
}

bool TzqImageButton::HitTest(const QPoint& pos) const
{
    if (!FButtonImages || FButtonImages->MaskBmp().isNull())
        return true;
    const QImage mask = FButtonImages->MaskBmp();
    const QPoint at = pos - QPoint(FButtonImages->PicX(), FButtonImages->PicY());
    if (!mask.valid(at))
        return false;
    return (mask.pixel(at) & 0xFFFFFF) != 0xFFFFFF;
}
