#include "store/zqtreemodel.h"

#include "platform/util.h"
#include "store/pagepath.h"

#include <QCollator>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#ifdef QUILLET_HAVE_ICU
#include <unicode/ucol.h>
#endif

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

using namespace Qt::Literals::StringLiterals;

const QString TzqTreeModel::MarkerText = u"-\u0007"_s;

struct TzqTreeModel::TNode {
    // The node's text. A note whose file does not end in ".htm" exactly ("Plan.HTM" on a file
    // system that tells letter case apart) keeps its whole file name here instead, so that it
    // finds its file again; those are rare, and the others need no room for an extension.
    QString Name;
    TNode* Parent = nullptr;
    std::vector<std::unique_ptr<TNode>> Children;
    int Row = 0;
    TNodeKind Kind = TNodeKind::Folder;
    bool Expanded = false;
    bool OwnExt = false; // Name ends in the note file's own extension

    QStringView TextView() const
    {
        return OwnExt ? QStringView(Name).chopped(4) : QStringView(Name);
    }
    QString Text() const { return OwnExt ? Name.chopped(4) : Name; }

    // Nodes come from a free list of slots: a large folder's nodes are made and freed by the
    // hundred thousand, and the general heap spends more time on that, and a header per node.
    static void* operator new(size_t size);
    static void operator delete(void* p) noexcept;

    TNode* AddChild(QString text, TNodeKind kind)
    {
        auto node = std::make_unique<TNode>();
        node->Name = std::move(text);
        node->Kind = kind;
        node->Parent = this;
        node->Row = static_cast<int>(Children.size());
        Children.push_back(std::move(node));
        return Children.back().get();
    }
    bool HasMarker() const
    {
        return !Children.empty() && Children.front()->Kind == TNodeKind::Marker;
    }
};

namespace {

// Free node slots of this thread, linked through their first bytes. The tree lives on one
// thread; a node freed on another simply joins that thread's list. Chunks are kept for the
// next listing, never given back; nothing needs to run when the thread ends.
constexpr size_t NodeChunkSlots = 4096;
thread_local void* FreeNodeSlots = nullptr;

} // namespace

void* TzqTreeModel::TNode::operator new(size_t size)
{
    static_assert(sizeof(TNode) >= sizeof(void*) && sizeof(TNode) % alignof(TNode) == 0);
    Q_ASSERT(size == sizeof(TNode));
    void*& free = FreeNodeSlots;
    if (!free) {
        char* chunk = static_cast<char*>(std::malloc(NodeChunkSlots * sizeof(TNode)));
        if (!chunk)
            throw std::bad_alloc();
        for (size_t i = NodeChunkSlots; i-- > 0;) {
            void* slot = chunk + i * sizeof(TNode);
            *static_cast<void**>(slot) = free;
            free = slot;
        }
    }
    void* p = free;
    free = *static_cast<void**>(p);
    return p;
}

void TzqTreeModel::TNode::operator delete(void* p) noexcept
{
    if (!p)
        return;
    *static_cast<void**>(p) = FreeNodeSlots;
    FreeNodeSlots = p;
}

namespace {

#ifdef Q_OS_UNIX
// Reads a directory with readdir: the entry type comes from the directory itself, so no
// entry is looked up on its own unless the file system does not tell (or it is a link).
template <typename F> bool ReadDirectory(const QString& dir, F&& visit)
{
    const QByteArray path = QFile::encodeName(dir);
    DIR* d = opendir(path.constData());
    if (!d)
        return false;
    const int fd = dirfd(d);
    while (dirent* e = readdir(d)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        bool isDir = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            struct stat st;
            isDir = fstatat(fd, n, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        if (!visit(n, isDir))
            break;
    }
    closedir(d);
    return true;
}

// A directory opened for reading by descriptor, closed with the object.
class TDirFd {
public:
    TDirFd(int at, const char* path) : FFd(openat(at, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
    ~TDirFd()
    {
        if (FFd >= 0)
            close(FFd);
    }
    TDirFd(const TDirFd&) = delete;
    TDirFd& operator=(const TDirFd&) = delete;
    int Get() const { return FFd; }

private:
    int FFd;
};

// Whether the directory path (relative to the directory at) holds an entry the tree would
// list. Opened beside its parent and read into a small buffer, stopping at the first such
// entry: the tree asks this of every folder it lists. The folder note begins with "__" too.
bool HasListableEntriesAt(int at, const char* path)
{
    const TDirFd dir(at, path);
    if (dir.Get() < 0)
        return false;
    alignas(struct dirent64) char buf[1024];
    for (;;) {
        const ssize_t n = getdents64(dir.Get(), buf, sizeof buf);
        if (n <= 0)
            return false;
        for (ssize_t off = 0; off < n;) {
            const auto* e = reinterpret_cast<const struct dirent64*>(buf + off);
            const char* name = e->d_name;
            if (name[0] != '.' && !(name[0] == '_' && name[1] == '_'))
                return true;
            off += e->d_reclen;
        }
    }
}
#else
bool IsNoteFileName(const QString& name)
{
    return name.size() >= 4 && name.endsWith(u".htm", Qt::CaseInsensitive) &&
           name != FolderNoteName;
}

bool IsListedFolderName(const QString& name)
{
    return !name.startsWith(u'.') && !name.startsWith(u"__");
}
#endif

// The locale the tree sorts by: the system's, or English where the system has only the C
// locale (which would compare code points and ignore the letter case setting).
QLocale TreeLocale()
{
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English);
    return locale;
}

const QCollator& TreeQCollator()
{
    static const QCollator collator = [] {
        QCollator c{TreeLocale()};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(false);
        // Made ready here, once: the folder search sorts by it from its worker thread too.
        (void)c.sortKey(QString());
        return c;
    }();
    return collator;
}

#ifdef QUILLET_HAVE_ICU
struct TCollatorCloser {
    void operator()(UCollator* c) const { ucol_close(c); }
};

// The collator QCollator makes for the tree locale when told to ignore letter case: secondary
// strength, normalisation on, digits compared one by one, punctuation not ignored. Null when
// ICU cannot open one.
const UCollator* TreeCollator()
{
    static const std::unique_ptr<UCollator, TCollatorCloser> collator = [] {
        const QByteArray name = TreeLocale().bcp47Name().replace(u'-', u'_').toLatin1();
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<UCollator, TCollatorCloser> c(ucol_open(name.constData(), &status));
        if (U_FAILURE(status))
            return std::unique_ptr<UCollator, TCollatorCloser>();
        ucol_setAttribute(c.get(), UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        ucol_setAttribute(c.get(), UCOL_STRENGTH, UCOL_SECONDARY, &status);
        ucol_setAttribute(c.get(), UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
        ucol_setAttribute(c.get(), UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
        if (U_FAILURE(status))
            return std::unique_ptr<UCollator, TCollatorCloser>();
        return c;
    }();
    return collator.get();
}

struct TFreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

// A sort key of the listing: its first eight bytes inline, most significant first, so that
// most comparisons stay inside the array being sorted.
struct TKeyRef {
    quint64 Head;
    size_t Offset; // where the whole key starts in the group's key buffer
    quint32 Index; // the entry's position in the listing
};
#endif

struct TEntry {
    // The node's text; a note keeps its whole file name when its extension is not ".htm".
    QString Name;
    bool CutExt = false; // ".htm" was cut from Name
    QString FileName() const { return CutExt ? Name + u".htm" : Name; }
};

// One group of a listing, the folders or the notes, with the sort keys of their file names.
// A key is made as soon as the entry is read, while its name is still in the cache; with ICU
// the keys of a group share one buffer, which saves an allocation per entry and keeps them
// together in memory.
class TGroup {
public:
    std::vector<TEntry> Entries;

    // name is the whole file name; cutExt cuts ".htm" from it once the key is made.
    void Add(QString name, bool cutExt)
    {
#ifdef QUILLET_HAVE_ICU
        if (FCollator)
            AddKey(name);
        else
#endif
            FCollatorKeys.emplace_back(TreeQCollator().sortKey(name));
        if (cutExt)
            name.chop(4);
        Entries.push_back({std::move(name), cutExt});
    }

    // Positions of the entries in case-insensitive, locale-aware order. Equal keys fall back to
    // the plain comparison of the file names, so the order never depends on the listing order.
    std::vector<quint32> Order()
    {
        std::vector<quint32> order(Entries.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = quint32(i);
        if (order.size() < 2)
            return order;
        auto tie = [this](quint32 a, quint32 b) {
            const QString x = Entries[a].FileName();
            const QString y = Entries[b].FileName();
            return x != y ? x < y : a < b;
        };
#ifdef QUILLET_HAVE_ICU
        if (FCollator) {
            SortKeys(FKeys.data(), FKeys.data() + FKeys.size(), 0, tie);
            for (size_t i = 0; i < order.size(); ++i)
                order[i] = FKeys[i].Index;
            return order;
        }
#endif
        std::sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
            const int c = FCollatorKeys[a].compare(FCollatorKeys[b]);
            return c != 0 ? c < 0 : tie(a, b);
        });
        return order;
    }

private:
#ifdef QUILLET_HAVE_ICU
    void AddKey(const QString& name)
    {
        const UChar* text = reinterpret_cast<const UChar*>(name.constData());
        const int32_t length = int32_t(name.size());
        int32_t n = 0;
        for (;;) {
            const size_t room = std::min<size_t>(FSize - FUsed, INT32_MAX);
            n = room ? ucol_getSortKey(FCollator, text, length, FArena.get() + FUsed, int32_t(room))
                     : 1;
            if (size_t(n) <= room)
                break;
            Grow(FUsed + size_t(n));
        }
        if (n <= 0) {
            // No key (ICU ran out of memory): an empty one, the name decides.
            Grow(FUsed + 1);
            FArena.get()[FUsed] = 0;
            n = 1;
        }
        const quint8* key = FArena.get() + FUsed;
        FKeys.push_back({Head(key), FUsed, quint32(FKeys.size())});
        FUsed += size_t(n);
    }
    // Eight bytes of a key, most significant first; those after its end count as zero. Sort
    // keys end in their only zero byte.
    static quint64 Head(const quint8* key)
    {
        quint64 head = 0;
        int k = 0;
        for (; k < 8 && key[k] != 0; ++k)
            head = head << 8 | key[k];
        return head << 8 * (8 - k);
    }

    // Sorts by the heads, then each run of equal heads by the next eight bytes of its keys,
    // and so on: the keys are read in one pass per eight bytes they share, instead of once
    // per comparison. Keys equal to their end are ordered by tie.
    template <typename F>
    void SortKeys(TKeyRef* first, TKeyRef* last, size_t depth, const F& tie) const
    {
        std::sort(first, last, [](const TKeyRef& a, const TKeyRef& b) { return a.Head < b.Head; });
        while (first != last) {
            TKeyRef* run = first + 1;
            while (run != last && run->Head == first->Head)
                ++run;
            if (run - first > 1) {
                if ((first->Head & 0xff) == 0) {
                    // The keys ended within these eight bytes: they are equal.
                    std::sort(first, run, [&](const TKeyRef& a, const TKeyRef& b) {
                        return tie(a.Index, b.Index);
                    });
                } else {
                    for (TKeyRef* k = first; k != run; ++k)
                        k->Head = Head(FArena.get() + k->Offset + depth + 8);
                    SortKeys(first, run, depth + 8, tie);
                }
            }
            first = run;
        }
    }

    void Grow(size_t needed)
    {
        if (needed <= FSize)
            return;
        const size_t size = std::max({needed, FSize * 2, size_t(16384)});
        void* p = std::realloc(FArena.get(), size);
        if (!p)
            throw std::bad_alloc();
        (void)FArena.release();
        FArena.reset(static_cast<quint8*>(p));
        FSize = size;
    }

    const UCollator* FCollator = TreeCollator();
    std::unique_ptr<quint8, TFreeDeleter> FArena;
    size_t FSize = 0;
    size_t FUsed = 0;
    std::vector<TKeyRef> FKeys;
#endif
    std::vector<QCollatorSortKey> FCollatorKeys;
};

void ListDirectory(const QString& dir, TGroup& folders, TGroup& notes)
{
#ifdef Q_OS_UNIX
    ReadDirectory(dir, [&](const char* rawName, bool isDir) {
        // Cheap byte tests first; only candidates are decoded. File names here are UTF-8 (what
        // QFile::decodeName assumes too), decoded straight from the entry without a copy.
        const size_t len = std::strlen(rawName);
        if (isDir) {
            if (rawName[0] != '.' && !(rawName[0] == '_' && rawName[1] == '_'))
                folders.Add(QString::fromUtf8(rawName, qsizetype(len)), false);
        } else if (len >= 4 && qstrnicmp(rawName + len - 4, ".htm", 4) == 0 &&
                   std::strcmp(rawName, "___zq_quillet__folder.htm") != 0) {
            notes.Add(QString::fromUtf8(rawName, qsizetype(len)),
                      std::memcmp(rawName + len - 4, ".htm", 4) == 0);
        }
        return true;
    });
#else
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        QString name = info.fileName();
        if (info.isDir()) {
            if (IsListedFolderName(name))
                folders.Add(std::move(name), false);
        } else if (IsNoteFileName(name)) {
            const bool cut = name.endsWith(u".htm");
            notes.Add(std::move(name), cut);
        }
    }
#endif
}

} // namespace

std::vector<quint32> OrderLikeTree(const QStringList& names)
{
    TGroup group;
    group.Entries.reserve(size_t(names.size()));
    for (const QString& name : names)
        group.Add(name, false);
    return group.Order();
}

TzqTreeModel::TzqTreeModel(QObject* parent)
    : QAbstractItemModel(parent), FRoot(std::make_unique<TNode>())
{
}

TzqTreeModel::~TzqTreeModel() = default;

bool TzqTreeModel::HasListableEntries(const QString& dir)
{
#ifdef Q_OS_UNIX
    return HasListableEntriesAt(AT_FDCWD, QFile::encodeName(dir).constData());
#else
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString name = QFileInfo(it.next()).fileName();
        if (!name.startsWith(u'.') && !name.startsWith(u"__") && name != FolderNoteName)
            return true;
    }
    return false;
#endif
}

void TzqTreeModel::ListFolder(TNode* parent, const QString& dir)
{
    TGroup folders;
    TGroup notes;
    ListDirectory(dir, folders, notes);
    const std::vector<quint32> folderOrder = folders.Order();
    const std::vector<quint32> noteOrder = notes.Order();

    // The marker goes; what the directory holds takes its place.
    parent->Children.clear();
    parent->Children.reserve(folderOrder.size() + noteOrder.size());
#ifdef Q_OS_UNIX
    const TDirFd dirFd(AT_FDCWD, QFile::encodeName(dir).constData());
#else
    QString subdir = dir + u'/';
    const qsizetype subdirStem = subdir.size();
#endif
    for (quint32 i : folderOrder) {
        TNode* node = parent->AddChild(std::move(folders.Entries[i].Name), TNodeKind::Folder);
#ifdef Q_OS_UNIX
        const bool listable =
            HasListableEntriesAt(dirFd.Get(), QFile::encodeName(node->Name).constData());
#else
        subdir.truncate(subdirStem);
        subdir += node->Name;
        const bool listable = HasListableEntries(subdir);
#endif
        if (listable)
            node->AddChild(MarkerText, TNodeKind::Marker);
    }
    for (quint32 i : noteOrder) {
        TEntry& e = notes.Entries[i];
        // Every note name ends in ".htm" in some letter case, so that is its extension. A
        // backslash or a colon is part of the name here, not a separator: the text keeps it,
        // so that the node's path names this very file.
        TNode* node = parent->AddChild(std::move(e.Name), TNodeKind::Note);
        node->OwnExt = !e.CutExt;
    }
}

void TzqTreeModel::LoadRoot(const QString& rootDir)
{
    beginResetModel();
    FRoot = std::make_unique<TNode>();
    FRootDir = StripTrailingSeparator(rootDir);
    ListFolder(FRoot.get(), FRootDir.isEmpty() ? u"/"_s : FRootDir);
    FNodeCount = 0;
    for (const auto& c : FRoot->Children)
        FNodeCount += 1 + qsizetype(c->Children.size());
    endResetModel();
}

bool TzqTreeModel::LoadChildren(const QModelIndex& folder)
{
    TNode* node = NodeOf(folder);
    if (!node || node == FRoot.get() || !node->HasMarker())
        return false;
    // Listing into a scratch node keeps the model consistent while the rows change.
    TNode scratch;
    ListFolder(&scratch, NodePath(folder));
    beginRemoveRows(folder, 0, 0);
    node->Children.clear();
    FNodeCount -= 1;
    endRemoveRows();
    if (!scratch.Children.empty()) {
        beginInsertRows(folder, 0, int(scratch.Children.size()) - 1);
        node->Children = std::move(scratch.Children);
        for (auto& c : node->Children) {
            c->Parent = node;
            FNodeCount += 1 + qsizetype(c->Children.size());
        }
        endInsertRows();
    }
    return true;
}

void TzqTreeModel::ResetFolder(const QModelIndex& folder)
{
    TNode* node = NodeOf(folder);
    if (!node || node == FRoot.get() || node->Kind != TNodeKind::Folder)
        return;
    if (!node->Children.empty()) {
        beginRemoveRows(folder, 0, int(node->Children.size()) - 1);
        node->Children.clear();
        endRemoveRows();
    }
    node->Expanded = false;
    beginInsertRows(folder, 0, 0);
    node->AddChild(MarkerText, TNodeKind::Marker);
    endInsertRows();
}

QModelIndex TzqTreeModel::AppendNode(const QModelIndex& parent, const QString& text, TNodeKind kind)
{
    TNode* node = parent.isValid() ? NodeOf(parent) : FRoot.get();
    const int row = int(node->Children.size());
    beginInsertRows(parent, row, row);
    node->AddChild(text, kind);
    ++FNodeCount;
    endInsertRows();
    return index(row, 0, parent);
}

void TzqTreeModel::RemoveNode(const QModelIndex& idx)
{
    TNode* node = NodeOf(idx);
    if (!node || node == FRoot.get())
        return;
    TNode* parent = node->Parent;
    const int row = node->Row;
    beginRemoveRows(idx.parent(), row, row);
    parent->Children.erase(parent->Children.begin() + row);
    for (size_t i = size_t(row); i < parent->Children.size(); ++i)
        parent->Children[i]->Row = int(i);
    --FNodeCount;
    endRemoveRows();
}

void TzqTreeModel::SetText(const QModelIndex& idx, const QString& text)
{
    TNode* node = NodeOf(idx);
    if (!node || node == FRoot.get())
        return;
    node->Name = text;
    node->OwnExt = false;
    Q_EMIT dataChanged(idx, idx);
}

TzqTreeModel::TNodeKind TzqTreeModel::Kind(const QModelIndex& index) const
{
    const TNode* node = NodeOf(index);
    return node && node != FRoot.get() ? node->Kind : TNodeKind::Folder;
}

QString TzqTreeModel::Text(const QModelIndex& index) const
{
    const TNode* node = NodeOf(index);
    return node ? node->Text() : QString();
}

bool TzqTreeModel::IsNotLoaded(const QModelIndex& folder) const
{
    const TNode* node = NodeOf(folder);
    return node && node->HasMarker();
}

bool TzqTreeModel::IsExpanded(const QModelIndex& folder) const
{
    const TNode* node = folder.isValid() ? NodeOf(folder) : nullptr;
    return node && node->Expanded;
}

void TzqTreeModel::SetExpanded(const QModelIndex& folder, bool expanded)
{
    if (TNode* node = folder.isValid() ? NodeOf(folder) : nullptr)
        node->Expanded = expanded;
}

QString TzqTreeModel::NodePath(const QModelIndex& index) const
{
    const TNode* node = index.isValid() ? NodeOf(index) : nullptr;
    if (!node)
        return FRootDir;
    QStringList names;
    for (const TNode* n = node; n && n != FRoot.get(); n = n->Parent)
        names.prepend(n->Text());
    return FRootDir + u'/' + names.join(u'/');
}

QString TzqTreeModel::NodePageFile(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    const TNode* node = NodeOf(index);
    if (node->Kind == TNodeKind::Folder)
        return NodePath(index) + u'/' + FolderNoteName;
    return NodePath(index) +
           (node->OwnExt ? QStringView(node->Name).right(4) : QStringView(u".htm"));
}

QString TzqTreeModel::PageKey(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    const TNode* node = NodeOf(index);
    if (node->Kind == TNodeKind::Folder)
        return NodePath(index) + u'/';
    return NodePageFile(index);
}

QModelIndex TzqTreeModel::FindChild(const QModelIndex& parent, const QString& lowerAsciiName,
                                    const TNodeKind* kind) const
{
    const TNode* node = parent.isValid() ? NodeOf(parent) : FRoot.get();
    if (!node)
        return {};
    for (const auto& c : node->Children) {
        if (c->Kind == TNodeKind::Marker || (kind && c->Kind != *kind))
            continue;
        if (c->TextView().size() == lowerAsciiName.size() &&
            LowerAscii(c->Text()) == lowerAsciiName)
            return createIndex(c->Row, 0, c.get());
    }
    return {};
}

TzqTreeModel::TNode* TzqTreeModel::NodeOf(const QModelIndex& index) const
{
    if (!index.isValid())
        return FRoot.get();
    return static_cast<TNode*>(index.internalPointer());
}

QModelIndex TzqTreeModel::IndexOf(TNode* node) const
{
    if (!node || node == FRoot.get())
        return {};
    return createIndex(node->Row, 0, node);
}

QModelIndex TzqTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const TNode* node = NodeOf(parent);
    if (column != 0 || row < 0 || !node || row >= int(node->Children.size()))
        return {};
    return createIndex(row, 0, node->Children[size_t(row)].get());
}

QModelIndex TzqTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    return IndexOf(static_cast<TNode*>(child.internalPointer())->Parent);
}

int TzqTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const TNode* node = NodeOf(parent);
    return node ? int(node->Children.size()) : 0;
}

int TzqTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant TzqTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const TNode* node = NodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return node->Text();
    case KindRole:
        return int(node->Kind);
    default:
        return {};
    }
}

Qt::ItemFlags TzqTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    if (NodeOf(index)->Kind == TNodeKind::Marker)
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

Qt::DropActions TzqTreeModel::supportedDropActions() const
{
    return Qt::MoveAction;
}
