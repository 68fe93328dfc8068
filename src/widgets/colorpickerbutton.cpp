#include "widgets/colorpickerbutton.h"

#include "widgets/colorpopup.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int GlyphSize = 16;
constexpr int BarHeight = 4;

} // namespace

TColorPickerButton::TColorPickerButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void TColorPickerButton::SetSelectionColor(const QColor& color)
{
    if (color == FSelectionColor)
        return;
    FSelectionColor = color;
    update();
    if (FPopup)
        FPopup->SetSelectedColor(color);
    Q_EMIT Change();
}

void TColorPickerButton::SetDefaultText(const QString& text)
{
    FDefaultText = text;
}

void TColorPickerButton::SetCustomText(const QString& text)
{
    FCustomText = text;
}

void TColorPickerButton::SetGlyph(const QIcon& glyph)
{
    FGlyph = glyph;
    update();
}

void TColorPickerButton::SetDropDownWidth(int width)
{
    FDropDownWidth = qMax(0, width);
    update();
}

void TColorPickerButton::SetDropDownArrowColor(const QColor& color)
{
    FDropDownArrowColor = color;
    update();
}

void TColorPickerButton::SetPopupSpacing(int spacing)
{
    FPopupSpacing = qMax(0, spacing);
}

void TColorPickerButton::DropDown()
{
    if (FPopup || !isEnabled())
        return;
    auto* popup = new TColorPopup(FDefaultText, FCustomText, FPopupSpacing, this);
    FPopup = popup;
    popup->SetSelectedColor(FSelectionColor);
    connect(popup, &TColorPopup::ColorChosen, this,
            [this](const QColor& color) { SetSelectionColor(color); });
    connect(popup, &TColorPopup::DefaultChosen, this, [this] { Q_EMIT DefaultSelect(); });
    connect(popup, &TColorPopup::Closed, this, [this, popup] {
        if (FPopup == popup)
            FPopup = nullptr;
        popup->deleteLater();
        update();
        Q_EMIT DropChanged();
    });
    popup->PlaceAtOwner();
    popup->show();
    update();
    Q_EMIT DropChanged();
}

void TColorPickerButton::CloseUp()
{
    if (FPopup)
        FPopup->close();
}

QRect TColorPickerButton::IndicatorRect() const
{
    const int left = qMax(0, width() - FDropDownWidth);
    if (FGlyph.isNull())
        return QRect(4, 4, qMax(0, left - 8), qMax(0, height() - 8));
    const QPoint glyph((left - GlyphSize) / 2, (height() - GlyphSize) / 2);
    return QRect(glyph.x(), glyph.y() + GlyphSize - BarHeight, GlyphSize, BarHeight);
}

QSize TColorPickerButton::sizeHint() const
{
    return {GlyphSize + 8 + FDropDownWidth, GlyphSize + 6};
}

bool TColorPickerButton::hitButton(const QPoint& pos) const
{
    return pos.x() >= 0 && pos.x() < width() - FDropDownWidth && pos.y() >= 0 && pos.y() < height();
}

void TColorPickerButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton &&
        event->position().toPoint().x() >= width() - FDropDownWidth) {
        if (FPopup)
            CloseUp();
        else
            DropDown();
        event->accept();
        return;
    }
    QAbstractButton::mousePressEvent(event);
}

void TColorPickerButton::enterEvent(QEnterEvent* event)
{
    FMouseIn = true;
    QAbstractButton::enterEvent(event);
    update();
}

void TColorPickerButton::leaveEvent(QEvent* event)
{
    FMouseIn = false;
    QAbstractButton::leaveEvent(event);
    update();
}

void TColorPickerButton::changeEvent(QEvent* event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        CloseUp();
    update();
}

void TColorPickerButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int w = width();
    const int h = height();
    const int split = qMax(0, w - FDropDownWidth);
    const QPalette& pal = palette();
    const QColor light = pal.color(QPalette::Light);
    const QColor shadow = pal.color(QPalette::Dark);

    // Flat: an edge only while the mouse is over it, pressed or dropped.
    const auto edge = [&](const QRect& r, bool sunken) {
        p.setPen(sunken ? shadow : light);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(sunken ? light : shadow);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    };
    const bool enabled = isEnabled();
    if (enabled && (FMouseIn || isDown() || FPopup)) {
        edge(QRect(0, 0, split, h).adjusted(0, 0, -1, -1), isDown());
        edge(QRect(split, 0, w - split, h).adjusted(0, 0, -1, -1), FPopup != nullptr);
    }

    const int shift = isDown() ? 1 : 0;
    if (!FGlyph.isNull()) {
        const QPoint at((split - GlyphSize) / 2 + shift, (h - GlyphSize) / 2 + shift);
        FGlyph.paint(&p, QRect(at, QSize(GlyphSize, GlyphSize)), Qt::AlignCenter,
                     enabled ? QIcon::Normal : QIcon::Disabled);
    }
    const QRect bar = IndicatorRect().translated(shift, shift);
    if (enabled && FSelectionColor.isValid())
        p.fillRect(bar, FSelectionColor);
    p.setPen(pal.color(QPalette::Dark));
    p.drawRect(bar.adjusted(0, 0, -1, -1));

    // The arrow: a small triangle pointing down.
    const QColor arrow =
        enabled ? FDropDownArrowColor : pal.color(QPalette::Disabled, QPalette::WindowText);
    const int cx = split + (w - split) / 2 + (FPopup ? 1 : 0);
    const int cy = h / 2 + (FPopup ? 1 : 0);
    for (int i = 0; i < 3; ++i)
        p.fillRect(QRect(cx - 2 + i, cy - 1 + i, 5 - 2 * i, 1), arrow);
}
