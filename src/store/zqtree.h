#pragma once

#include "store/zqtreemodel.h"

#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QObject>
#include <QPersistentModelIndex>
#include <QPoint>
#include <functional>

// What the tree needs from the editor and the main window.
class IzqTreeHost {
public:
    virtual ~IzqTreeHost() = default;
    // Editor: saves the document shown to page (only edit and source mode write); false when
    // it could not be saved.
    virtual bool SaveFile(const QString& page) = 0;
    // Editor: loads the tree's current page into the view of the current mode.
    virtual void LoadCurrentNote() = 0;
    // Editor: gives itself the keyboard focus shortly after a page is shown.
    virtual void FocusLater() = 0;
    // Main window: 0 browse, 1 edit, 2 source.
    virtual int ViewMode() const = 0;
    virtual void SetViewMode(int mode) = 0;
    virtual void UpdateCaption(const QString& page) = 0;
    virtual void ShowMsgBox(const QString& text) = 0;
    virtual bool IsEnglishWindows() const = 0;
    // The user name written into edit markers.
    virtual QString MyName() const = 0;
    // The setting that dragging in the tree needs the Ctrl key held.
    virtual bool CtrlDrag() const = 0;
    // The tree panel's state around a refresh: width and last page.
    virtual void SaveTreeState() {}
    virtual void RestoreTreeState() {}
    // Moves node into the folder target (invalid: the top level).
    virtual void MoveNode(const QModelIndex& node, const QModelIndex& target) {}
};

// The note tree's behaviour: the current page, the lazy listing, the selection that shows a
// page, finding a page by its relative path, and the mouse rules of the tree control. The
// control itself (a view in the window) forwards its events here.
class TzqTree : public QObject {
    Q_OBJECT

public:
    explicit TzqTree(IzqTreeHost* host, QObject* parent = nullptr);

    TzqTreeModel* Model() const { return FModel; }
    QItemSelectionModel* Selection() const { return FSelection; }

    const QString& RootDir() const { return FModel->RootDir(); }
    const QString& CurrentPage() const { return FCurrentPage; }
    void SetCurrentPagePath(const QString& page) { FCurrentPage = page; }
    bool Shared() const { return FShared; }
    void SetShared(bool shared) { FShared = shared; }
    QModelIndex ContextNode() const { return FContextNode; }
    // The node under the mouse when the tree's context menu opens (invalid: empty space).
    void SetContextNode(const QModelIndex& node) { FContextNode = node; }
    QModelIndex ClipNode() const { return FClipNode; }
    void SetClipNode(const QModelIndex& node);
    QModelIndex SelectedNode() const { return FSelection->currentIndex(); }

    void LoadRoot(const QString& rootDir);
    void ShowPage(const QString& pageKey);
    // As ShowPage, for the create commands that switch to edit mode just before: whether the
    // page being left was open in edit or source mode before that switch.
    void ShowPage(const QString& pageKey, bool leftPageWasEditing);
    bool SelectByRelativePath(const QString& relativePath);
    void SelectNode(const QModelIndex& node);
    void LoadChildren(const QModelIndex& folder);
    void ExpandOnClick(const QModelIndex& node);
    void RefreshTree();
    void RefreshFolderNode(const QModelIndex& folder, const QString& name);
    QString EnsureCurrentFileFolder() const;

    // The relative page path of the current page.
    QString CurrentRelativePage() const;

    bool IsExpanded(const QModelIndex& node) const;
    // The view reports expansion and collapse it did itself.
    void NoteExpanded(const QModelIndex& node, bool expanded);

    // Mouse and keyboard rules; the view calls these after its own handling of the event.
    void MousePressed(const QModelIndex& node, bool onLabel, Qt::MouseButton button,
                      const QPoint& pos);
    void DoubleClicked(const QModelIndex& node, bool onLabel);
    // True when this move starts a drag of the selected node.
    bool MouseMoved(const QPoint& pos, bool ctrlDown);
    void MouseReleased();
    // Right arrow or Enter on the selected node; true when the tree handled the key.
    bool ExpandKeyPressed();
    void Drop(const QModelIndex& target);
    // Where a drop goes instead of the host's MoveNode (the tree's editing commands).
    using TMoveHandler = std::function<void(const QModelIndex& node, const QModelIndex& target)>;
    void SetMoveHandler(TMoveHandler handler) { FMoveHandler = std::move(handler); }

    // The handler that shows the page of every new selection; operations that rebuild the tree
    // switch it off meanwhile.
    void SetSelectionHandlerConnected(bool connected) { FHandlerConnected = connected; }
    bool SelectionHandlerConnected() const { return FHandlerConnected; }

    // Milliseconds of a monotonic clock; tests replace it.
    void SetClock(std::function<qint64()> clock) { FClock = std::move(clock); }

Q_SIGNALS:
    // A data directory was opened (or opened again).
    void RootLoaded(const QString& rootDir);
    void ExpandRequested(const QModelIndex& node, bool expand);
    void PasteEnabledChanged(bool enabled);

private:
    // Shows the page of the node just selected; when the page being left cannot be saved the
    // selection goes back to previous and the page stays.
    void SelectionChanged(const QModelIndex& current, const QModelIndex& previous);
    qint64 Now() const { return FClock(); }

    IzqTreeHost* FHost;
    TzqTreeModel* FModel;
    QItemSelectionModel* FSelection;
    QString FCurrentPage;
    bool FShared = false;
    bool FHandlerConnected = true;
    QPersistentModelIndex FContextNode;
    QPersistentModelIndex FClipNode;
    qint64 FLastExpandTick = -1000000;
    QPoint FPressPos;
    bool FWatchingDrag = false;
    std::function<qint64()> FClock;
    TMoveHandler FMoveHandler;
    QElapsedTimer FElapsed;
};
