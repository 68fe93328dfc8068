#include "widgets/colorpopup.h"

#include "widgets/colorpickerbutton.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QToolTip>

#include <array>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TNamedColor {
    const char* Name;
    int Red, Green, Blue;
};

// The standard colours in grid order, eight to a row.
constexpr std::array<TNamedColor, 40> StandardColors{{
    {"Black", 0, 0, 0},
    {"Brown", 153, 51, 0},
    {"Olive Green", 51, 51, 0},
    {"Dark Green", 0, 51, 0},
    {"Dark Teal", 0, 51, 102},
    {"Dark blue", 0, 0, 128},
    {"Indigo", 51, 51, 153},
    {"Gray-80%", 51, 51, 51},
    {"Dark Red", 128, 0, 0},
    {"Orange", 255, 102, 0},
    {"Dark Yellow", 128, 128, 0},
    {"Green", 0, 128, 0},
    {"Teal", 0, 128, 128},
    {"Blue", 0, 0, 255},
    {"Blue-Gray", 102, 102, 153},
    {"Gray-50%", 128, 128, 128},
    {"Red", 255, 0, 0},
    {"Light Orange", 255, 153, 0},
    {"Lime", 153, 204, 0},
    {"Sea Green", 51, 153, 102},
    {"Aqua", 51, 204, 204},
    {"Light Blue", 51, 102, 255},
    {"Violet", 128, 0, 128},
    {"Grey-40%", 150, 150, 150},
    {"Pink", 255, 0, 255},
    {"Gold", 255, 204, 0},
    {"Yellow", 255, 255, 0},
    {"Bright Green", 0, 255, 0},
    {"Turquoise", 0, 255, 255},
    {"Sky Blue", 0, 204, 255},
    {"Plum", 153, 51, 102},
    {"Gray-25%", 192, 192, 192},
    {"Rose", 255, 153, 204},
    {"Tan", 255, 204, 153},
    {"Light Yellow", 255, 255, 153},
    {"Light Green", 204, 255, 204},
    {"Light Turquoise", 204, 255, 255},
    {"Pale Blue", 153, 204, 255},
    {"Lavender", 204, 153, 255},
    {"White", 255, 255, 255},
}};

constexpr int Columns = 8;
constexpr int Rows = 5;
constexpr int CellSize = 18;
constexpr int EntryHeight = 22;
constexpr int Gap = 4;
// The comb: hexagons of this radius, in rings around the white centre. Lightness falls from
// white at the centre through the pure hues to dark shades at the outer ring.
constexpr int CombRings = 7;
constexpr double HexRadius = 5.0;
constexpr int GreyHeight = 12;
constexpr int HintHeight = 30;

const QColor FrameColor(0x8A, 0x86, 0x7A);
const QColor HighlightFrame(0x31, 0x6A, 0xC5);
const QColor HighlightFill(0xDC, 0xE8, 0xF8);

QColor GreyShade(int i)
{
    const int v = 255 - i * 255 / (TColorPopup::GreyShades - 1);
    return QColor(v, v, v);
}

// The character after the first "&" of a text, lower case; null when there is none.
QChar Accelerator(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) == u'&') {
            if (text.at(i + 1) == u'&') {
                ++i;
                continue;
            }
            return text.at(i + 1).toLower();
        }
    }
    return {};
}

} // namespace

int TColorPopup::StandardColorCount()
{
    return int(StandardColors.size());
}

QColor TColorPopup::StandardColor(int index)
{
    const auto& c = StandardColors.at(index);
    return QColor(c.Red, c.Green, c.Blue);
}

QString TColorPopup::StandardColorName(int index)
{
    return QString::fromLatin1(StandardColors.at(index).Name);
}

TColorPopup::TColorPopup(const QString& defaultText, const QString& customText, int spacing,
                         TColorPickerButton* owner)
    : QWidget(owner, Qt::Popup), FOwner(owner), FDefaultText(defaultText), FCustomText(customText),
      FSpacing(spacing)
{
    setObjectName(u"ColorPopup"_s);
    setMouseTracking(true);
    setAttribute(Qt::WA_MouseTracking);
    setFont(QGuiApplication::font());
    Layout();
}

void TColorPopup::Layout()
{
    const int edge = 1;
    const int left = edge + FSpacing;
    const int gridWidth = Columns * CellSize;
    int y = edge + Gap;
    FDefaultRect = QRect();
    if (!FDefaultText.isEmpty()) {
        FDefaultRect = QRect(left, y, gridWidth, EntryHeight);
        y += EntryHeight + Gap;
    }
    FGridRect = QRect(left, y, gridWidth, Rows * CellSize);
    y += Rows * CellSize + Gap;
    FCustomRect = QRect();
    if (!FCustomText.isEmpty()) {
        FCustomRect = QRect(left, y, gridWidth, EntryHeight);
        y += EntryHeight + Gap;
    }
    FCombRect = FGreyRect = FHintRect = QRect();
    if (FCombShown) {
        const int combHeight = int(std::ceil(HexRadius * (1.5 * (2 * CombRings) + 2))) + 1;
        FCombRect = QRect(left, y, gridWidth, combHeight);
        y += combHeight + Gap;
        FGreyRect = QRect(left, y, gridWidth, GreyHeight);
        y += GreyHeight + Gap;
        FHintRect = QRect(left, y, gridWidth, HintHeight);
        y += HintHeight + Gap;
        BuildComb();
    }
    setFixedSize(gridWidth + 2 * left, y + edge);
}

void TColorPopup::BuildComb()
{
    FComb.clear();
    const QPointF centre = QRectF(FCombRect).center();
    const double w = std::sqrt(3.0) * HexRadius;
    for (int r = -CombRings; r <= CombRings; ++r) {
        for (int q = -CombRings; q <= CombRings; ++q) {
            const int s = -q - r;
            const int ring = std::max({std::abs(q), std::abs(r), std::abs(s)});
            if (ring > CombRings)
                continue;
            const QPointF at(centre.x() + w * (q + r / 2.0), centre.y() + 1.5 * HexRadius * r);
            const QPointF off = at - centre;
            double hue = std::atan2(-off.y(), off.x()) / (2 * M_PI);
            if (hue < 0)
                hue += 1;
            const double lightness = 1.0 - double(ring) / (CombRings + 1);
            QColor color = ring == 0 ? QColor(255, 255, 255)
                                     : QColor::fromHslF(float(hue), 1.0f, float(lightness));
            color = QColor(color.red(), color.green(), color.blue());
            FComb.push_back({at, color});
        }
    }
}

QRect TColorPopup::CellRect(int index) const
{
    if (index < 0 || index >= StandardColorCount())
        return {};
    return QRect(FGridRect.left() + (index % Columns) * CellSize,
                 FGridRect.top() + (index / Columns) * CellSize, CellSize, CellSize);
}

QColor TColorPopup::CombColorAt(const QPoint& pos) const
{
    if (FCombShown && FGreyRect.contains(pos)) {
        const int i = (pos.x() - FGreyRect.left()) * GreyShades / FGreyRect.width();
        return GreyShade(std::clamp(i, 0, GreyShades - 1));
    }
    if (!FCombShown || !FCombRect.contains(pos))
        return {};
    // The nearest cell centre, if pos lies within its hexagon (the inscribed circle plus a
    // little: neighbours' centres are further away).
    const TCombCell* best = nullptr;
    double bestDistance = 0;
    for (const TCombCell& cell : FComb) {
        const QPointF d = QPointF(pos) + QPointF(0.5, 0.5) - cell.Centre;
        const double distance = d.x() * d.x() + d.y() * d.y();
        if (!best || distance < bestDistance) {
            best = &cell;
            bestDistance = distance;
        }
    }
    if (!best || bestDistance > HexRadius * HexRadius)
        return {};
    return best->Color;
}

void TColorPopup::SetSelectedColor(const QColor& color)
{
    FSelected = ItemNone;
    if (color.isValid()) {
        for (int i = 0; i < StandardColorCount(); ++i) {
            if (StandardColor(i).rgb() == color.rgb()) {
                FSelected = i;
                break;
            }
        }
    }
    if (FSelected != ItemNone) {
        FHighlight = FSelected;
        FColumn = FSelected % Columns;
    }
    update();
}

void TColorPopup::PlaceAtOwner()
{
    if (!FOwner)
        return;
    const QPoint below = FOwner->mapToGlobal(QPoint(0, FOwner->height()));
    const QPoint top = FOwner->mapToGlobal(QPoint(0, 0));
    QScreen* screen = FOwner->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(below, size());
    QPoint at = below;
    if (at.y() + height() > area.bottom() + 1 && top.y() - height() >= area.top())
        at.setY(top.y() - height());
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - width())));
    setGeometry(QRect(at, size()));
}

int TColorPopup::ItemAt(const QPoint& pos) const
{
    if (FDefaultRect.contains(pos))
        return ItemDefault;
    if (FCustomRect.contains(pos))
        return ItemCustom;
    if (FGridRect.contains(pos)) {
        const int c = (pos.x() - FGridRect.left()) / CellSize;
        const int r = (pos.y() - FGridRect.top()) / CellSize;
        return r * Columns + c;
    }
    return ItemNone;
}

QString TColorPopup::HintFor(int item) const
{
    if (item >= 0)
        return StandardColorName(item);
    if (item == ItemDefault || item == ItemCustom)
        return FOwner ? FOwner->toolTip() : QString();
    return {};
}

void TColorPopup::ShowHint(const QString& hint, const QPoint& at)
{
    if (hint == FHint)
        return;
    FHint = hint;
    if (hint.isEmpty())
        QToolTip::hideText();
    else if (isVisible())
        QToolTip::showText(mapToGlobal(at) + QPoint(12, 16), hint, this);
    update(FHintRect);
}

void TColorPopup::SetHighlight(int item)
{
    if (item == FHighlight)
        return;
    FHighlight = item;
    if (item >= 0)
        FColumn = item % Columns;
    FHint = HintFor(item);
    update();
}

void TColorPopup::ChooseItem(int item)
{
    if (item >= 0) {
        const QColor color = StandardColor(item);
        close();
        Q_EMIT ColorChosen(color);
    } else if (item == ItemDefault) {
        close();
        Q_EMIT DefaultChosen();
    } else if (item == ItemCustom) {
        ToggleComb();
    }
}

void TColorPopup::ToggleComb()
{
    FCombShown = !FCombShown;
    Layout();
    if (isVisible())
        PlaceAtOwner();
    update();
}

void TColorPopup::MoveHighlight(int key)
{
    const int last = StandardColorCount() - 1;
    const bool hasDefault = !FDefaultRect.isNull();
    const bool hasCustom = !FCustomRect.isNull();
    const int h = FHighlight;
    int next = h;
    switch (key) {
    case Qt::Key_Left:
        if (h == ItemNone)
            next = 0;
        else if (h == ItemCustom)
            next = last;
        else if (h == 0)
            next = hasDefault ? ItemDefault : 0;
        else if (h > 0)
            next = h - 1;
        break;
    case Qt::Key_Right:
        if (h == ItemNone || h == ItemDefault)
            next = 0;
        else if (h == last)
            next = hasCustom ? ItemCustom : last;
        else if (h >= 0)
            next = h + 1;
        break;
    case Qt::Key_Up:
        if (h == ItemNone)
            next = 0;
        else if (h == ItemCustom)
            next = (Rows - 1) * Columns + FColumn;
        else if (h >= 0 && h < Columns)
            next = hasDefault ? ItemDefault : h;
        else if (h >= Columns)
            next = h - Columns;
        break;
    case Qt::Key_Down:
        if (h == ItemNone)
            next = 0;
        else if (h == ItemDefault)
            next = FColumn;
        else if (h >= 0 && h + Columns > last)
            next = hasCustom ? ItemCustom : h;
        else if (h >= 0)
            next = h + Columns;
        break;
    default:
        break;
    }
    SetHighlight(next);
}

void TColorPopup::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (event->modifiers() & Qt::AltModifier) {
        const QChar typed =
            event->text().isEmpty() ? QChar(key).toLower() : event->text().at(0).toLower();
        if (!FDefaultRect.isNull() && typed == Accelerator(FDefaultText) && !typed.isNull()) {
            ChooseItem(ItemDefault);
            return;
        }
        if (!FCustomRect.isNull() && typed == Accelerator(FCustomText) && !typed.isNull()) {
            SetHighlight(ItemCustom);
            ChooseItem(ItemCustom);
            return;
        }
    }
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        MoveHighlight(key);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (FHighlight != ItemNone)
            ChooseItem(FHighlight);
        return;
    case Qt::Key_Escape:
        close();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TColorPopup::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const QColor comb = CombColorAt(pos);
    if (comb.isValid()) {
        FHoverColor = comb;
        SetHighlight(ItemNone);
        if (FGreyRect.contains(pos))
            ShowHint(u"Intensity: %1%"_s.arg(qRound(comb.red() * 100.0 / 255)), pos);
        else
            ShowHint(u"red: %1, green: %2, blue: %3"_s.arg(comb.red())
                         .arg(comb.green())
                         .arg(comb.blue()),
                     pos);
        update();
        return;
    }
    FHoverColor = QColor();
    const int item = ItemAt(pos);
    SetHighlight(item);
    ShowHint(HintFor(item), pos);
}

void TColorPopup::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!rect().contains(pos)) {
        // A press on the owner's drop-down part only closes; it must not open us again.
        if (FOwner) {
            const QPoint onOwner = FOwner->mapFromGlobal(event->globalPosition().toPoint());
            if (FOwner->rect().contains(onOwner))
                setAttribute(Qt::WA_NoMouseReplay);
        }
        close();
        return;
    }
}

void TColorPopup::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    const QColor comb = CombColorAt(pos);
    if (comb.isValid()) {
        close();
        Q_EMIT ColorChosen(comb);
        return;
    }
    const int item = ItemAt(pos);
    if (item != ItemNone)
        ChooseItem(item);
}

void TColorPopup::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    FHoverColor = QColor();
    update();
}

void TColorPopup::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    QToolTip::hideText();
    Q_EMIT Closed();
}

void TColorPopup::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0xFC, 0xFC, 0xFA));
    p.setPen(FrameColor);
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    const auto entry = [&](const QRect& r, const QString& text, int item, bool pressed) {
        if (r.isNull())
            return;
        if (FHighlight == item) {
            p.fillRect(r, HighlightFill);
            p.setPen(HighlightFrame);
            p.drawRect(r.adjusted(0, 0, -1, -1));
        } else {
            p.setPen(pressed ? HighlightFrame : QColor(0xC8, 0xC4, 0xB8));
            p.drawRect(r.adjusted(0, 0, -1, -1));
        }
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r, Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextSingleLine, text);
    };
    entry(FDefaultRect, FDefaultText, ItemDefault, false);

    for (int i = 0; i < StandardColorCount(); ++i) {
        const QRect cell = CellRect(i);
        if (i == FSelected) {
            p.fillRect(cell.adjusted(1, 1, -1, -1), QColor(0xF4, 0xD9, 0x9C));
            p.setPen(QColor(0x9A, 0x6A, 0x10));
            p.drawRect(cell.adjusted(1, 1, -2, -2));
        }
        if (i == FHighlight) {
            p.fillRect(cell.adjusted(1, 1, -1, -1), HighlightFill);
            p.setPen(HighlightFrame);
            p.drawRect(cell.adjusted(1, 1, -2, -2));
        }
        const QRect swatch = cell.adjusted(3, 3, -3, -3);
        p.fillRect(swatch, StandardColor(i));
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.drawRect(swatch.adjusted(0, 0, -1, -1));
    }

    entry(FCustomRect, FCustomText, ItemCustom, FCombShown);

    if (FCombShown) {
        p.setRenderHint(QPainter::Antialiasing, true);
        QPainterPath hex;
        for (int k = 0; k < 6; ++k) {
            const double a = M_PI / 180.0 * (60 * k - 30);
            const QPointF corner(HexRadius * std::cos(a), HexRadius * std::sin(a));
            if (k == 0)
                hex.moveTo(corner);
            else
                hex.lineTo(corner);
        }
        hex.closeSubpath();
        for (const TCombCell& cell : FComb) {
            const bool hovered = FHoverColor.isValid() && FHoverColor == cell.Color &&
                                 !FGreyRect.contains(mapFromGlobal(QCursor::pos()));
            p.save();
            p.translate(cell.Centre);
            p.fillPath(hex, cell.Color);
            if (hovered) {
                p.setPen(QPen(Qt::black, 1.2));
                p.drawPath(hex);
            }
            p.restore();
        }
        p.setRenderHint(QPainter::Antialiasing, false);
        for (int i = 0; i < GreyShades; ++i) {
            const int x1 = FGreyRect.left() + i * FGreyRect.width() / GreyShades;
            const int x2 = FGreyRect.left() + (i + 1) * FGreyRect.width() / GreyShades;
            p.fillRect(QRect(x1, FGreyRect.top(), x2 - x1, FGreyRect.height()), GreyShade(i));
        }
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.drawRect(FGreyRect.adjusted(0, 0, -1, -1));

        // What the pointer is on: a swatch and its text.
        const QRect swatch(FHintRect.left(), FHintRect.top() + 3, 24, FHintRect.height() - 6);
        if (FHoverColor.isValid()) {
            p.fillRect(swatch, FHoverColor);
            p.drawRect(swatch.adjusted(0, 0, -1, -1));
        }
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(FHintRect.adjusted(30, 0, 0, 0),
                   Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap,
                   FHoverColor.isValid() ? FHint : QString());
    }
}
