#pragma once

#include <QMenu>
#include <QModelIndex>

class QAction;
class QPoint;
class TzqTreeCommands;

// The tree's context menu: its items in their order, bound to the tree's editing commands,
// and the rules that enable them for the node under the mouse.
class TzqTreeMenu : public QMenu {
    Q_OBJECT

public:
    explicit TzqTreeMenu(TzqTreeCommands* commands, QWidget* parent = nullptr);

    // Opens at globalPos for the node under the mouse (invalid: empty space).
    void PopupAt(const QModelIndex& node, const QPoint& globalPos);
    // What opening over node does before the menu shows: the node becomes the tree's context
    // node and the items are enabled for it.
    void Prepare(const QModelIndex& node);

    QAction* tbiCut = nullptr;
    QAction* tbiCopy = nullptr;
    QAction* tbiPaste = nullptr;
    QAction* tbiRename = nullptr;
    QAction* tbiDelete = nullptr;
    QAction* tbiNewFolder = nullptr;
    QAction* tbiNewNote = nullptr;
    QAction* tbiBrowser = nullptr;
    QAction* tbiExplorer = nullptr;
    QAction* tbiSaveNoteToMht = nullptr;
    QAction* tbiMakeZipfile = nullptr;
    QAction* tbiGarbage = nullptr;
    QAction* tbiRefresh = nullptr;
    QAction* tbiToRoot = nullptr;

private:
    TzqTreeCommands* FCommands;
};
