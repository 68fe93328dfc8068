#pragma once

#include <QAbstractItemModel>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// The order the tree lists names of one kind in (folder names among folder names, note file
// names among note file names): positions into names, case-insensitive and locale-aware; names
// the collation finds equal keep the plain order of their characters.
std::vector<quint32> OrderLikeTree(const QStringList& names);

// The note tree as a model: folder and note nodes mirroring the open data directory, each
// folder listed the first time it is opened. A folder not listed yet carries one child, the
// not-loaded marker, which gives it an expand button.
class TzqTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum class TNodeKind : quint8 { Folder, Note, Marker };
    enum TRole { KindRole = Qt::UserRole + 1 };

    // Text of the not-loaded marker: a hyphen-minus and the control character U+0007.
    static const QString MarkerText;

    explicit TzqTreeModel(QObject* parent = nullptr);
    ~TzqTreeModel() override;

    // Deletes every node and lists the top level of rootDir.
    void LoadRoot(const QString& rootDir);
    const QString& RootDir() const { return FRootDir; }

    // Lists the folder's directory into it when it carries the marker; true when it did.
    bool LoadChildren(const QModelIndex& folder);
    // Deletes the folder's children and gives it the marker again (none: the whole tree).
    void ResetFolder(const QModelIndex& folder);
    // Appends a node at the end of its parent (used when an item is created).
    QModelIndex AppendNode(const QModelIndex& parent, const QString& text, TNodeKind kind);
    void RemoveNode(const QModelIndex& index);
    // Gives a node a new text (a node renamed on disk); a note's file is then text + ".htm".
    void SetText(const QModelIndex& index, const QString& text);

    TNodeKind Kind(const QModelIndex& index) const;
    QString Text(const QModelIndex& index) const;
    bool IsFolder(const QModelIndex& index) const { return Kind(index) == TNodeKind::Folder; }
    bool IsNote(const QModelIndex& index) const { return Kind(index) == TNodeKind::Note; }
    // The folder carries the not-loaded marker as its first child.
    bool IsNotLoaded(const QModelIndex& folder) const;
    // Whether the folder is shown open; kept here so that the view and the rules agree.
    bool IsExpanded(const QModelIndex& folder) const;
    void SetExpanded(const QModelIndex& folder, bool expanded);

    // Paths of a node (full paths with "/"): the node's path without extension, its page file,
    // and its page key (a folder's key ends in a separator, a note's in ".htm").
    QString NodePath(const QModelIndex& index) const;
    QString NodePageFile(const QModelIndex& index) const;
    QString PageKey(const QModelIndex& index) const;

    // The first child of parent, in tree order, whose name equals name after lower-casing
    // A to Z; kind restricts the match when given.
    QModelIndex FindChild(const QModelIndex& parent, const QString& lowerAsciiName,
                          const TNodeKind* kind = nullptr) const;

    qsizetype NodeCount() const { return FNodeCount; }

    // True as soon as the directory holds an entry that the tree would list: a name that
    // begins with neither "." nor "__" and is not the folder note; files of every type count.
    static bool HasListableEntries(const QString& dir);

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override;

private:
    struct TNode;
    TNode* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(TNode* node) const;
    void ListFolder(TNode* parent, const QString& dir);

    std::unique_ptr<TNode> FRoot;
    QString FRootDir;
    qsizetype FNodeCount = 0;
};
