#include "store/zqtreeview.h"

#include "store/zqtree.h"

#include <QApplication>
#include <QDrag>
#include <QIcon>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyledItemDelegate>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr auto NodeMimeType = "application/x-zqquillet-node";

// Folder and note pictures, each with its own picture for the selected node.
class TzqTreeItemDelegate : public QStyledItemDelegate {
public:
    explicit TzqTreeItemDelegate(QObject* parent) : QStyledItemDelegate(parent)
    {
        FFolder.addFile(u":/icons/folder.png"_s, {}, QIcon::Normal);
        FFolder.addFile(u":/icons/folder-open.png"_s, {}, QIcon::Selected);
        FNote.addFile(u":/icons/note.png"_s, {}, QIcon::Normal);
        FNote.addFile(u":/icons/note-selected.png"_s, {}, QIcon::Selected);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const auto kind = TzqTreeModel::TNodeKind(index.data(TzqTreeModel::KindRole).toInt());
        if (kind == TzqTreeModel::TNodeKind::Marker)
            return;
        option->icon = kind == TzqTreeModel::TNodeKind::Folder ? FFolder : FNote;
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->decorationSize = QSize(16, 16);
    }

private:
    QIcon FFolder;
    QIcon FNote;
};

} // namespace

TzqTreeView::TzqTreeView(TzqTree* tree, QWidget* parent) : QTreeView(parent), FTree(tree)
{
    setObjectName(u"Tree"_s);
    setModel(tree->Model());
    setSelectionModel(tree->Selection());
    setItemDelegate(new TzqTreeItemDelegate(this));
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setIndentation(19);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setExpandsOnDoubleClick(false);
    setAnimated(false);
    setDragEnabled(false); // drags start by the tree's own rule
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(DragDrop);
    setContextMenuPolicy(Qt::DefaultContextMenu);

    connect(tree, &TzqTree::ExpandRequested, this, [this](const QModelIndex& node, bool expand) {
        FSyncingExpansion = true;
        setExpanded(node, expand);
        FSyncingExpansion = false;
    });
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& node) {
        if (!FSyncingExpansion)
            FTree->NoteExpanded(node, true);
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& node) {
        if (!FSyncingExpansion)
            FTree->NoteExpanded(node, false);
    });
    // A reset model starts with every folder closed.
    connect(tree->Model(), &QAbstractItemModel::modelReset, this, [this] { collapseAll(); });
}

bool TzqTreeView::IsOnLabel(const QModelIndex& index, const QPoint& pos) const
{
    return index.isValid() && pos.x() >= visualRect(index).left();
}

void TzqTreeView::mousePressEvent(QMouseEvent* event)
{
    FKeyboardNavigating = false;
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    const bool onLabel = IsOnLabel(index, pos);
    // A folder not listed yet opens only by being listed, not by the control's own button.
    if (event->button() == Qt::LeftButton && index.isValid() && !onLabel &&
        FTree->Model()->IsNotLoaded(index)) {
        FTree->MousePressed(index, false, event->button(), pos);
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
    FTree->MousePressed(indexAt(pos), onLabel, event->button(), pos);
}

void TzqTreeView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The control's own double-click handling is replaced: a double click only ever closes.
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    FTree->DoubleClicked(index, IsOnLabel(index, pos));
    event->accept();
}

void TzqTreeView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        QTreeView::mouseMoveEvent(event);
        return;
    }
    if (FTree->MouseMoved(event->position().toPoint(),
                          event->modifiers().testFlag(Qt::ControlModifier)))
        StartNodeDrag();
    event->accept();
}

void TzqTreeView::mouseReleaseEvent(QMouseEvent* event)
{
    FTree->MouseReleased();
    QTreeView::mouseReleaseEvent(event);
}

void TzqTreeView::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    // Only moving keys keep the focus in the tree; a command key (F7, ...) lets the view
    // take it as usual.
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Right:
        FKeyboardNavigating = true;
        break;
    default:
        FKeyboardNavigating = false;
        break;
    }
    if ((key == Qt::Key_Right || key == Qt::Key_Return || key == Qt::Key_Enter) &&
        FTree->ExpandKeyPressed()) {
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TzqTreeView::StartNodeDrag()
{
    const QModelIndex node = FTree->SelectedNode();
    if (!node.isValid())
        return;
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(NodeMimeType), FTree->Model()->PageKey(node).toUtf8());
    drag->setMimeData(mime);
    const QRect rect = visualRect(node);
    drag->setPixmap(viewport()->grab(rect));
    drag->exec(Qt::MoveAction);
}

void TzqTreeView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->source() == this && event->mimeData()->hasFormat(QString::fromLatin1(NodeMimeType)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TzqTreeView::dragMoveEvent(QDragMoveEvent* event)
{
    // A drop is welcome anywhere over the control, on nodes and on empty space.
    if (event->source() == this) {
        QTreeView::dragMoveEvent(event);
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TzqTreeView::dropEvent(QDropEvent* event)
{
    if (event->source() != this) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    // The tree moves the node itself; the view must not remove rows on its own.
    FTree->Drop(indexAt(event->position().toPoint()));
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
}
