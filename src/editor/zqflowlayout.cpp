#include "editor/zqflowlayout.h"

#include <QWidget>

TzqFlowLayout::TzqFlowLayout(QWidget* parent, int spacing) : QLayout(parent)
{
    setSpacing(spacing);
    setContentsMargins(0, 0, 0, 0);
}

TzqFlowLayout::~TzqFlowLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void TzqFlowLayout::addItem(QLayoutItem* item)
{
    FItems.append(item);
}

QLayoutItem* TzqFlowLayout::takeAt(int index)
{
    if (index < 0 || index >= FItems.size())
        return nullptr;
    return FItems.takeAt(index);
}

QSize TzqFlowLayout::minimumSize() const
{
    QSize size;
    for (const QLayoutItem* item : FItems)
        size = size.expandedTo(item->minimumSize());
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize TzqFlowLayout::sizeHint() const
{
    // One row of everything.
    int width = 0;
    int height = 0;
    for (const QLayoutItem* item : FItems) {
        if (item->isEmpty())
            continue;
        width += item->sizeHint().width() + (width > 0 ? spacing() : 0);
        height = qMax(height, item->sizeHint().height());
    }
    const QMargins m = contentsMargins();
    return {width + m.left() + m.right(), height + m.top() + m.bottom()};
}

void TzqFlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

int TzqFlowLayout::Arrange(const QRect& rect, bool apply) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    int x = area.x();
    int y = area.y();
    int rowHeight = 0;
    for (QLayoutItem* item : FItems) {
        if (item->isEmpty())
            continue;
        // An item wider than the whole row gets the row: a tool bar then folds its last items
        // into its extension menu instead of being cut off.
        const QSize hint(qMin(item->sizeHint().width(), qMax(area.width(), 1)),
                         item->sizeHint().height());
        if (x > area.x() && x + hint.width() > area.right() + 1) {
            x = area.x();
            y += rowHeight + spacing();
            rowHeight = 0;
        }
        if (apply)
            item->setGeometry(QRect(QPoint(x, y), hint));
        x += hint.width() + spacing();
        rowHeight = qMax(rowHeight, hint.height());
    }
    const QMargins m = contentsMargins();
    return y + rowHeight - rect.y() + m.bottom();
}
