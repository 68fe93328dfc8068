#include "widgets/zqgradispeedbutton.h"

#include "widgets/gradipaint.h"
#include "widgets/zqgradicolors.h"

#include <QPainter>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QtMath>

TzqGradiSpeedButton::TzqGradiSpeedButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void TzqGradiSpeedButton::SetColors(TzqGradiColors* colors)
{
    if (FColors == colors)
        return;
    FColors = colors;
    FColorWatch.Watch(colors);
    update();
}

void TzqGradiSpeedButton::SetCapX(int x)
{
    FCapX = x;
    update();
}

void TzqGradiSpeedButton::SetCapY(int y)
{
    FCapY = y;
    update();
}

void TzqGradiSpeedButton::SetIconX(int x)
{
    FIconX = x;
    update();
}

void TzqGradiSpeedButton::SetIconY(int y)
{
    FIconY = y;
    update();
}

void TzqGradiSpeedButton::SetImages(const QList<QIcon>& images)
{
    FImages = images;
    update();
}

void TzqGradiSpeedButton::SetImageIndex(int index)
{
    FImageIndex = index;
    update();
}

void TzqGradiSpeedButton::SetVerticalGradi(bool vertical)
{
    FVerticalGradi = vertical;
    update();
}

void TzqGradiSpeedButton::SetRoundDegree(int degree)
{
    FRoundDegree = qMax(0, degree);
    update();
}

void TzqGradiSpeedButton::SetFontRotate(int tenths)
{
    FFontRotate = tenths;
    update();
}

TzqGradiColors* TzqGradiSpeedButton::CurrentColors() const
{
    if (FColors && FMouseIn && FColors->ColorsMouseIn())
        return FColors->ColorsMouseIn();
    return FColors;
}

QImage TzqGradiSpeedButton::Picture(qreal dpr) const
{
    TzqGradiColors* c = CurrentColors();
    if (!c)
        return {};
    const int w = width();
    const int h = height();
    const int r = FRoundDegree;
    QImage image(qCeil(w * dpr), qCeil(h * dpr), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    // The cut corners let the parent show through.
    image.fill(Qt::transparent);
    const bool disabled = !isEnabled();
    const bool down = !disabled && (isDown() || isChecked());
    {
        QPainter p(&image);
        QColor textColor;
        if (!down) {
            TGradiStepper run(c->clrBegin(), c->clrEnd(), FVerticalGradi ? w : h);
            // Lines across the gradient, shortened by `cut` pixels at both ends near the corners.
            const auto line = [&](int at, int cut) {
                if (FVerticalGradi)
                    GradiVLine(p, at, cut, h - cut, run.Current());
                else
                    GradiHLine(p, cut, w - cut, at, run.Current());
                run.Advance();
            };
            const int extent = FVerticalGradi ? w : h;
            for (int i = 1; i <= r; ++i)
                line(i, r - i);
            for (int i = r + 1; i <= extent - r - 1; ++i)
                line(i, 0);
            for (int i = extent - r; i <= extent; ++i)
                line(i, i - (extent - r));

            // The border follows the cut corners.
            const QColor border = c->clrOutBorder();
            GradiHLine(p, r, w - r, 0, border);
            GradiHLine(p, r, w - r, h - 1, border);
            GradiVLine(p, 0, r, h - r, border);
            GradiVLine(p, w - 1, r, h - r, border);
            for (int k = 1; k < r; ++k) {
                GradiHLine(p, k, k + 1, r - k, border);
                GradiHLine(p, w - 1 - k, w - k, r - k, border);
                GradiHLine(p, k, k + 1, h - 1 - r + k, border);
                GradiHLine(p, w - 1 - k, w - k, h - 1 - r + k, border);
            }
            if (r == 0) {
                // Square corners.
                GradiHLine(p, 0, w, 0, border);
                GradiHLine(p, 0, w, h - 1, border);
                GradiVLine(p, 0, 0, h, border);
                GradiVLine(p, w - 1, 0, h, border);
            }
            const QColor bright = c->clrOutBright();
            const QColor shadow = c->clrOutShadow();
            GradiHLine(p, qMax(r, 1), w - qMax(r, 1), 1, bright);
            GradiVLine(p, 1, qMax(r, 1), h - qMax(r, 1), bright);
            for (int k = 1; k < r; ++k) // the diagonal (1, R)–(R, 1)
                GradiHLine(p, k, k + 1, r + 1 - k, bright);
            GradiVLine(p, w - 2, qMax(r, 1), h - qMax(r, 1), shadow);
            GradiHLine(p, qMax(r, 1), w - qMax(r, 1), h - 2, shadow);
            for (int k = 0; k < r - 1; ++k) // the diagonal (W − R, H − 2)–(W − 1, H − R − 1)
                GradiHLine(p, w - r + k, w - r + k + 1, h - 2 - k, shadow);
            textColor = c->clrText();
        } else {
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setPen(Qt::NoPen);
            // The rounded face, drawn as the same cut-corner shape as the border.
            const QColor border = c->clrOutBorder();
            for (int y = 0; y < h; ++y) {
                int cut = 0;
                if (y < r)
                    cut = r - y;
                else if (y > h - 1 - r)
                    cut = y - (h - 1 - r);
                GradiHLine(p, cut, w - cut, y, c->clrDown());
            }
            GradiHLine(p, r, w - r, 0, border);
            GradiHLine(p, r, w - r, h - 1, border);
            GradiVLine(p, 0, r, h - r, border);
            GradiVLine(p, w - 1, r, h - r, border);
            for (int k = 1; k < r; ++k) {
                GradiHLine(p, k, k + 1, r - k, border);
                GradiHLine(p, w - 1 - k, w - k, r - k, border);
                GradiHLine(p, k, k + 1, h - 1 - r + k, border);
                GradiHLine(p, w - 1 - k, w - k, h - 1 - r + k, border);
            }
            if (r == 0) {
                GradiRoundBorder(p, w, h, border);
                GradiHLine(p, 0, 1, 0, border);
                GradiHLine(p, w - 1, w, 0, border);
                GradiHLine(p, 0, 1, h - 1, border);
                GradiHLine(p, w - 1, w, h - 1, border);
            }
            textColor = c->clrDownText();
        }

        const bool hasImages = !FImages.isEmpty();
        if (FImageIndex >= 0 && FImageIndex < FImages.size()) {
            const QIcon& icon = FImages.at(FImageIndex);
            const QList<QSize> sizes = icon.availableSizes();
            const QSize size = sizes.isEmpty() ? QSize(16, 16) : sizes.first();
            p.drawPixmap(FIconX, FIconY, icon.pixmap(size, dpr));
        }

        const QString caption = GradiCaptionText(text());
        if (!caption.isEmpty()) {
            p.setFont(font());
            p.setPen(textColor);
            const bool shift = down && !hasImages;
            if (FFontRotate != 0) {
                // Turned counter-clockwise about the caption's own centre.
                const QPointF centre =
                    FCapX < 0 ? QPointF(1 + (w - 1) / 2.0 + (shift ? 1 : 0), 1 + (h - 1) / 2.0)
                              : QPointF(FCapX + (shift ? 1 : 0), FCapY);
                p.translate(centre);
                p.rotate(-FFontRotate / 10.0);
                const QRectF box(-2 * w - 2 * h, -2 * w - 2 * h, 4 * w + 4 * h, 4 * w + 4 * h);
                if (FCapX < 0) {
                    p.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, caption);
                } else {
                    p.drawText(QPointF(0, p.fontMetrics().ascent()), caption);
                }
            } else if (FCapX < 0) {
                QRect rc(1, 1, w - 1, h - 1);
                if (shift)
                    rc.setLeft(2);
                p.drawText(rc, Qt::AlignCenter | Qt::TextSingleLine, caption);
            } else {
                const int x = FCapX + (shift ? 1 : 0);
                p.drawText(QRect(x, FCapY, qMax(0, w - x), qMax(0, h - FCapY)),
                           Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, caption);
            }
        }
    }
    if (disabled)
        GradiGreyImage(image, 120);
    return image;
}

void TzqGradiSpeedButton::paintEvent(QPaintEvent*)
{
    const QImage picture = Picture(devicePixelRatioF());
    if (!picture.isNull()) {
        QPainter(this).drawImage(0, 0, picture);
        return;
    }
    // No scheme: a plain tool button.
    QStylePainter p(this);
    QStyleOptionToolButton option;
    option.initFrom(this);
    option.text = text();
    option.icon =
        FImageIndex >= 0 && FImageIndex < FImages.size() ? FImages.at(FImageIndex) : icon();
    option.iconSize = iconSize();
    option.toolButtonStyle =
        option.icon.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonTextBesideIcon;
    option.subControls = QStyle::SC_ToolButton;
    option.state |= QStyle::State_AutoRaise;
    if (isDown() || isChecked())
        option.state |= QStyle::State_Sunken;
    else
        option.state |= QStyle::State_Raised;
    if (isChecked())
        option.state |= QStyle::State_On;
    p.drawComplexControl(QStyle::CC_ToolButton, option);
}

QSize TzqGradiSpeedButton::sizeHint() const
{
    const QSize text = fontMetrics().size(Qt::TextSingleLine, GradiCaptionText(this->text()));
    return {qMax(24, text.width() + 12), qMax(22, text.height() + 8)};
}

void TzqGradiSpeedButton::enterEvent(QEnterEvent* event)
{
    FMouseIn = true;
    QAbstractButton::enterEvent(event);
    update();
}

void TzqGradiSpeedButton::leaveEvent(QEvent* event)
{
    FMouseIn = false;
    QAbstractButton::leaveEvent(event);
    update();
}

void TzqGradiSpeedButton::changeEvent(QEvent* event)
{
    QAbstractButton::changeEvent(event);
    update();
}
