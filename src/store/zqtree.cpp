#include "store/zqtree.h"

#include "platform/util.h"
#include "store/notestore.h"
#include "store/pagepath.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace {
// A double click this soon after a click expanded the folder is the same gesture.
constexpr qint64 DoubleClickAfterExpandMs = 200;
// Vertical distance a pressed mouse must travel before a drag starts.
constexpr int DragStartDistance = 5;
} // namespace

TzqTree::TzqTree(IzqTreeHost* host, QObject* parent)
    : QObject(parent), FHost(host), FModel(new TzqTreeModel(this)),
      FSelection(new QItemSelectionModel(FModel, this))
{
    FElapsed.start();
    FClock = [this] { return FElapsed.elapsed(); };
    connect(FSelection, &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                if (FHandlerConnected)
                    SelectionChanged(current, previous);
            });
}

void TzqTree::SetClipNode(const QModelIndex& node)
{
    FClipNode = node;
}

void TzqTree::LoadRoot(const QString& rootDir)
{
    FHandlerConnected = false;
    FClipNode = QPersistentModelIndex();
    FContextNode = QPersistentModelIndex();
    FModel->LoadRoot(rootDir);
    FSelection->clear();
    FHandlerConnected = true;
    Q_EMIT RootLoaded(RootDir());
    Q_EMIT PasteEnabledChanged(false);
}

void TzqTree::ShowPage(const QString& pageKey)
{
    ShowPage(pageKey, FHost->ViewMode() == 1 || FHost->ViewMode() == 2);
}

void TzqTree::ShowPage(const QString& pageKey, bool leftPageWasEditing)
{
    if (pageKey == FCurrentPage)
        return;
    if (leftPageWasEditing && !FCurrentPage.isEmpty())
        DeleteEditMarker(FCurrentPage);
    FCurrentPage = pageKey;
    if (!FCurrentPage.isEmpty() && IsPathSeparator(FCurrentPage.back()))
        FCurrentPage += FolderNoteName;
    const int mode = FHost->ViewMode();
    if (mode == 1 || mode == 2) {
        if (IsLockedByOther(FCurrentPage, FHost->MyName())) {
            FHost->SetViewMode(0);
            FHost->UpdateCaption(FCurrentPage);
            FHost->ShowMsgBox(ReadEditMarker(FCurrentPage) + u"이가 수정 중입니다."_s);
            return;
        }
        WriteEditMarker(FCurrentPage, FHost->MyName(), FShared);
    }
    FHost->LoadCurrentNote();
    FHost->UpdateCaption(FCurrentPage);
    FHost->FocusLater();
}

void TzqTree::SelectionChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (!FHost->SaveFile(FCurrentPage)) {
        FHandlerConnected = false;
        FSelection->setCurrentIndex(previous, QItemSelectionModel::ClearAndSelect);
        FHandlerConnected = true;
        return;
    }
    const int mode = FHost->ViewMode();
    if ((mode == 1 || mode == 2) && !FCurrentPage.isEmpty())
        DeleteEditMarker(FCurrentPage);
    FHost->SetViewMode(0);
    // The marker is gone already; showing the new page must not count the old one as edited.
    ShowPage(FModel->PageKey(current), false);
}

void TzqTree::SelectNode(const QModelIndex& node)
{
    FSelection->setCurrentIndex(node, QItemSelectionModel::ClearAndSelect);
}

bool TzqTree::SelectByRelativePath(const QString& relativePath)
{
    const QModelIndex first = FModel->index(0, 0);
    if (relativePath.isEmpty()) {
        SelectNode(first);
        return false;
    }
    const TzqPathQuery query = ParseRelativePagePath(relativePath);
    QModelIndex parent;
    QModelIndex found;
    const auto wanted =
        query.IsNote ? TzqTreeModel::TNodeKind::Note : TzqTreeModel::TNodeKind::Folder;
    for (qsizetype i = 0; i < query.Components.size(); ++i) {
        const QString name = LowerAscii(query.Components[i]);
        if (i + 1 < query.Components.size()) {
            // Only the first node of that name is followed; a failure below it is final.
            const QModelIndex step = FModel->FindChild(parent, name);
            if (!step.isValid() || !FModel->IsFolder(step))
                break;
            ExpandOnClick(step);
            parent = step;
        } else {
            found = FModel->FindChild(parent, name, &wanted);
        }
    }
    if (!found.isValid()) {
        SelectNode(first);
        return false;
    }
    SelectNode(found);
    if (FModel->IsFolder(found))
        LoadChildren(found);
    return true;
}

void TzqTree::LoadChildren(const QModelIndex& folder)
{
    if (!FModel->IsNotLoaded(folder))
        return;
    FModel->LoadChildren(folder);
    FModel->SetExpanded(folder, true);
    Q_EMIT ExpandRequested(folder, true);
}

void TzqTree::ExpandOnClick(const QModelIndex& node)
{
    if (!FModel->IsFolder(node) || !node.isValid())
        return;
    if (FModel->rowCount(node) > 0) {
        if (FModel->IsNotLoaded(node)) {
            LoadChildren(node);
        } else {
            FModel->SetExpanded(node, true);
            Q_EMIT ExpandRequested(node, true);
        }
    }
    FLastExpandTick = Now();
}

void TzqTree::RefreshTree()
{
    FHost->SaveTreeState();
    LoadRoot(RootDir());
    FHost->RestoreTreeState();
}

void TzqTree::RefreshFolderNode(const QModelIndex& folder, const QString& name)
{
    if (!folder.isValid()) {
        RefreshTree();
        return;
    }
    FModel->ResetFolder(folder);
    ExpandOnClick(folder);
    FModel->SetExpanded(folder, true);
    if (name.isEmpty())
        return;
    for (int row = 0; row < FModel->rowCount(folder); ++row) {
        const QModelIndex child = FModel->index(row, 0, folder);
        if (FModel->Text(child) == name)
            SelectNode(child);
    }
}

QString TzqTree::EnsureCurrentFileFolder() const
{
    return EnsureFileFolder(FCurrentPage);
}

QString TzqTree::CurrentRelativePage() const
{
    return RelativePagePath(RootDir(), FCurrentPage);
}

bool TzqTree::IsExpanded(const QModelIndex& node) const
{
    return FModel->IsExpanded(node);
}

void TzqTree::NoteExpanded(const QModelIndex& node, bool expanded)
{
    // A folder not listed yet opens only by being listed.
    if (expanded && FModel->IsNotLoaded(node)) {
        LoadChildren(node);
        return;
    }
    FModel->SetExpanded(node, expanded);
}

void TzqTree::MousePressed(const QModelIndex& node, bool onLabel, Qt::MouseButton button,
                           const QPoint& pos)
{
    FContextNode = node;
    if (button != Qt::LeftButton || !node.isValid())
        return;
    if (onLabel) {
        if (!FModel->IsExpanded(node))
            ExpandOnClick(node);
        FPressPos = pos;
        FWatchingDrag = true;
    } else if (FModel->IsNotLoaded(node)) {
        LoadChildren(node);
    }
}

void TzqTree::DoubleClicked(const QModelIndex& node, bool onLabel)
{
    if (Now() - FLastExpandTick <= DoubleClickAfterExpandMs)
        return;
    if (onLabel && node.isValid() && FModel->IsExpanded(node)) {
        FModel->SetExpanded(node, false);
        Q_EMIT ExpandRequested(node, false);
    }
}

bool TzqTree::MouseMoved(const QPoint& pos, bool ctrlDown)
{
    if (!FWatchingDrag)
        return false;
    if (FHost->IsEnglishWindows()) {
        FWatchingDrag = false;
        return false;
    }
    if (FHost->CtrlDrag()) {
        // The first move decides, whatever happens later in the same press.
        FWatchingDrag = false;
        return ctrlDown;
    }
    if (std::abs(pos.y() - FPressPos.y()) >= DragStartDistance) {
        FWatchingDrag = false;
        return true;
    }
    return false;
}

void TzqTree::MouseReleased()
{
    FWatchingDrag = false;
}

bool TzqTree::ExpandKeyPressed()
{
    const QModelIndex node = SelectedNode();
    if (!node.isValid() || !FModel->IsNotLoaded(node))
        return false;
    LoadChildren(node);
    return true;
}

void TzqTree::Drop(const QModelIndex& target)
{
    const QModelIndex dragged = SelectedNode();
    if (!dragged.isValid())
        return;
    QModelIndex folder = target;
    if (folder.isValid() && FModel->IsNote(folder))
        folder = folder.parent();
    if (FMoveHandler)
        FMoveHandler(dragged, folder);
    else
        FHost->MoveNode(dragged, folder);
}
