#include "widgets/zqgradibutton.h"

#include "widgets/gradipaint.h"
#include "widgets/zqgradicolors.h"

#include <QDialog>
#include <QKeyEvent>
#include <QPainter>
#include <QtMath>

namespace {

// Divisors of the grey conversion: disabled, and the lighter-meant `Grayed` look.
constexpr int DisabledGreyDivisor = 120;
constexpr int GrayedGreyDivisor = 170;
// The second line of a split caption.
constexpr int SecondLineOffset = 13;

} // namespace

TzqGradiButton::TzqGradiButton(QWidget* parent) : QPushButton(parent)
{
    setAttribute(Qt::WA_Hover);
    // Enter presses only a button made the default, not whichever has the focus.
    setAutoDefault(false);
}

TzqGradiButton::TzqGradiButton(const QString& caption, QWidget* parent) : TzqGradiButton(parent)
{
    setText(caption);
}

void TzqGradiButton::SetColors(TzqGradiColors* colors)
{
    if (FColors == colors)
        return;
    FColors = colors;
    FColorWatch.Watch(colors);
    update();
}

void TzqGradiButton::SetCapX(int x)
{
    FCapX = x;
    update();
}

void TzqGradiButton::SetCapY(int y)
{
    FCapY = y;
    update();
}

void TzqGradiButton::SetIconX(int x)
{
    FIconX = x;
    update();
}

void TzqGradiButton::SetIconY(int y)
{
    FIconY = y;
    update();
}

void TzqGradiButton::SetImages(const QList<QIcon>& images)
{
    FImages = images;
    update();
}

void TzqGradiButton::SetImageIndex(int index)
{
    FImageIndex = index;
    update();
}

void TzqGradiButton::SetVerticalGradi(bool vertical)
{
    FVerticalGradi = vertical;
    update();
}

void TzqGradiButton::SetMarked(bool marked)
{
    FMarked = marked;
    update();
}

void TzqGradiButton::SetGrayed(bool grayed)
{
    FGrayed = grayed;
    update();
}

void TzqGradiButton::SetDrawFocus(bool draw)
{
    FDrawFocus = draw;
    update();
}

void TzqGradiButton::SetColor(const QColor& color)
{
    FColor = color;
    update();
}

void TzqGradiButton::SetCancel(bool cancel)
{
    FCancel = cancel;
    WatchWindow();
}

void TzqGradiButton::WatchWindow()
{
    if (FWatchedWindow)
        FWatchedWindow->removeEventFilter(this);
    FWatchedWindow = nullptr;
    if (!FCancel)
        return;
    FWatchedWindow = window();
    if (FWatchedWindow != this)
        FWatchedWindow->installEventFilter(this);
}

void TzqGradiButton::SetModalResult(int result)
{
    FModalResult = result;
    disconnect(FModalWatch);
    if (result == 0)
        return;
    FModalWatch = connect(this, &QAbstractButton::clicked, this, [this] {
        if (auto* dialog = qobject_cast<QDialog*>(window()); dialog && FModalResult != 0)
            dialog->done(FModalResult);
    });
}

bool TzqGradiButton::eventFilter(QObject* watched, QEvent* event)
{
    if (FCancel && watched == FWatchedWindow && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && isEnabled() &&
            isVisible() && !isDown()) {
            click();
            return true;
        }
    }
    return QPushButton::eventFilter(watched, event);
}

TzqGradiColors* TzqGradiButton::CurrentColors() const
{
    TzqGradiColors* colors = FColors;
    if (!colors)
        return nullptr;
    if (hasFocus() && colors->ColorsFocus())
        colors = colors->ColorsFocus();
    if (FMouseIn && colors->ColorsMouseIn())
        colors = colors->ColorsMouseIn();
    return colors;
}

QImage TzqGradiButton::Picture(qreal dpr) const
{
    TzqGradiColors* c = CurrentColors();
    if (!c)
        return {};
    const int w = width();
    const int h = height();
    QImage image(qCeil(w * dpr), qCeil(h * dpr), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    const bool disabled = !isEnabled();
    const bool down = !disabled && isDown();
    const bool hasImages = !FImages.isEmpty();
    {
        QPainter p(&image);
        p.fillRect(QRect(0, 0, w, h),
                   FColor.isValid() ? FColor : palette().color(QPalette::Window));

        QColor textColor;
        if (!down) {
            TGradiStepper run(c->clrBegin(), c->clrEnd(), FVerticalGradi ? w : h);
            if (FVerticalGradi) {
                for (int x = 2; x <= w - 2; ++x, run.Advance())
                    GradiVLine(p, x, 0, h, run.Current());
            } else {
                for (int y = 1; y <= h - 2; ++y, run.Advance())
                    GradiHLine(p, 0, w, y, run.Current());
            }
            const QColor border = isDefault() ? c->clrDefault() : c->clrOutBorder();
            const QColor bright = isDefault() ? c->clrDefault() : c->clrOutBright();
            const QColor shadow = isDefault() ? c->clrDefault() : c->clrOutShadow();
            GradiRoundBorder(p, w, h, border);
            GradiHLine(p, 1, w - 1, 1, bright);
            GradiVLine(p, 1, 1, h - 1, bright);
            GradiVLine(p, w - 2, 1, h - 1, shadow);
            GradiHLine(p, 1, w - 1, h - 2, shadow);
            textColor = disabled ? c->clrMarkBorder() : c->clrText();
        } else {
            GradiRoundBorder(p, w, h, c->clrOutBorder());
            p.fillRect(QRect(1, 1, w - 2, h - 2), c->clrDefault());
            p.fillRect(QRect(2, 2, w - 4, h - 4), c->clrDown());
            textColor = c->clrDownText();
        }

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
            if (FCapX < 0) {
                QRect r(1, 1, w - 1, h - 1);
                if (down && !hasImages)
                    r.setLeft(2);
                p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, caption);
            } else {
                const int x = FCapX + (down && !hasImages ? 1 : 0);
                const auto at = [&](int y, const QString& s) {
                    p.drawText(QRect(x, y, qMax(0, w - x), qMax(0, h - y)),
                               Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, s);
                };
                const qsizetype bar = caption.indexOf(u'|');
                if (bar < 0) {
                    at(FCapY, caption);
                } else {
                    at(FCapY, caption.left(bar));
                    at(FCapY + SecondLineOffset, caption.mid(bar + 1));
                }
            }
        }

        if (FMarked) {
            // The corner flag: a right triangle with its right angle at the top right.
            for (int y = 3; y <= 10; ++y) {
                const int left = w - 11 + (y - 3);
                if (y == 3) {
                    GradiHLine(p, left, w - 3, y, c->clrMarkBorder());
                    continue;
                }
                GradiHLine(p, left, left + 1, y, c->clrMarkBorder());
                GradiHLine(p, left + 1, w - 4, y, c->clrMarkFace());
                GradiHLine(p, w - 4, w - 3, y, c->clrMarkBorder());
            }
        }
    }

    if (disabled || FGrayed)
        GradiGreyImage(image, FGrayed ? GrayedGreyDivisor : DisabledGreyDivisor);

    if (FDrawFocus && hasFocus() && w > 6 && h > 6) {
        // A dotted rectangle that inverts what lies under it, every other pixel.
        QPainter p(&image);
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        const QColor invert(255, 255, 255);
        const QRect r(3, 3, w - 6, h - 6);
        int i = 0;
        const auto dot = [&](int x, int y) {
            if ((i++ & 1) == 0)
                p.fillRect(QRect(x, y, 1, 1), invert);
        };
        for (int x = r.left(); x <= r.right(); ++x)
            dot(x, r.top());
        for (int y = r.top() + 1; y <= r.bottom(); ++y)
            dot(r.right(), y);
        for (int x = r.right() - 1; x >= r.left(); --x)
            dot(x, r.bottom());
        for (int y = r.bottom() - 1; y > r.top(); --y)
            dot(r.left(), y);
    }
    return image;
}

void TzqGradiButton::paintEvent(QPaintEvent*)
{
    const QImage picture = Picture(devicePixelRatioF());
    if (picture.isNull())
        return;
    QPainter(this).drawImage(0, 0, picture);
}

QSize TzqGradiButton::sizeHint() const
{
    const QSize text = fontMetrics().size(Qt::TextSingleLine, GradiCaptionText(this->text()));
    return {qMax(80, text.width() + 16), qMax(22, text.height() + 8)};
}

void TzqGradiButton::enterEvent(QEnterEvent* event)
{
    FMouseIn = true;
    QPushButton::enterEvent(event);
    update();
}

void TzqGradiButton::leaveEvent(QEvent* event)
{
    FMouseIn = false;
    QPushButton::leaveEvent(event);
    update();
}

void TzqGradiButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        FMouseIn = true;
    QPushButton::mousePressEvent(event);
    update();
}

void TzqGradiButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    QPushButton::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT DoubleClicked();
}

void TzqGradiButton::focusInEvent(QFocusEvent* event)
{
    QPushButton::focusInEvent(event);
    update();
}

void TzqGradiButton::focusOutEvent(QFocusEvent* event)
{
    QPushButton::focusOutEvent(event);
    update();
}

void TzqGradiButton::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::ParentChange)
        WatchWindow();
    update();
}
