#pragma once

#include "store/izqtreecommandhost.h"

#include <QModelIndex>
#include <QObject>
#include <QStringList>

class TzqTree;

// The commands that change the note store from the tree: create, rename, delete, move and
// copy nodes, the tree's own cut, copy and paste, and the context menu's shell commands. Each
// works on disk first and then brings the tree and the shown page up to date; a note travels
// with its file folder, and a page another user is editing is never touched.
class TzqTreeCommands : public QObject {
    Q_OBJECT

public:
    enum class TPasteMode { Move, Copy };

    TzqTreeCommands(TzqTree* tree, IzqTreeCommandHost* host, QObject* parent = nullptr);

    TzqTree* Tree() const { return FTree; }

    // atTop: at the top level; otherwise inside the selected folder or beside the selected note.
    void CreateFolder(bool atTop);
    void CreateNote(bool atTop);
    // "새 폴더 만들기" and "새 노트 만들기" of the context menu: at the context node.
    void NewFolderAtContext();
    void NewNoteAtContext();

    void RenameNode(const QModelIndex& node);
    void DeleteNode(const QModelIndex& node);
    // target: a folder, a note (its folder) or none (the top level).
    void MoveNode(const QModelIndex& target, const QModelIndex& source);
    void CopyNode(const QModelIndex& target, const QModelIndex& source);

    // The tree's own clipboard: the context node and what a paste does with it.
    void Cut();
    void Copy();
    // Into the context node (its folder, for a note), or the top level over empty space.
    void Paste();
    // A node is on the tree's clipboard and still in the tree.
    bool CanPaste() const;
    TPasteMode PasteMode() const { return FPasteMode; }

    // The context node's note file opened with its associated program.
    void OpenInBrowser();
    // A file manager showing the context node selected.
    void OpenInFileManager();
    void RefreshTree();
    // The context node's page (a note, or a folder's page) as a zip or a web archive.
    void MakeZipAtContext();
    void SaveMhtAtContext();
    // The clean-up of the folder of the context node: the node itself when it is a folder,
    // otherwise the folder holding the note (the data directory for a top-level note).
    void CleanUpAtContext();
    // The context node moved to the top level.
    void MoveToRoot();

    // False when target is none or a top-level node; otherwise whether source is target or
    // one of its ancestors.
    static bool IsInSubtree(const QModelIndex& source, const QModelIndex& target);

    // What a file operation takes along for a node: a note's file folder (current form, else
    // the older one, when there is one) and its page file; a folder's directory.
    QStringList NodeFileList(const QModelIndex& node) const;

private:
    void CreateItem(TzqItemKind kind, bool atTop);
    void NewItemAtContext(TzqItemKind kind);
    void PutOnClipboard(TPasteMode mode);
    bool IsEditing() const;
    // Saves the page shown and releases its marker when editing; then browse mode. False when
    // the page could not be saved: the command stops and everything stays as it was.
    bool LeaveEditing();
    bool LockedByOther(const QModelIndex& node, const QString& message);
    // The page of the selected node, with a folder's folder note.
    QString SelectedPage() const;
    // Selects the first child of parent (none: top level) with the name and kind.
    void SelectChild(const QModelIndex& parent, const QString& name, bool isNote);

    TzqTree* FTree;
    IzqTreeCommandHost* FHost;
    TPasteMode FPasteMode = TPasteMode::Copy;
};
