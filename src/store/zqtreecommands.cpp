#include "store/zqtreecommands.h"

#include "app/pagedefaults.h"
#include "platform/fileoperation.h"
#include "platform/util.h"
#include "platform/zqerror.h"
#include "store/notestore.h"
#include "store/pagepath.h"
#include "store/zqtree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPersistentModelIndex>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

// Runs its function when the scope ends, however it ends.
template <typename F> class TScopeExit {
public:
    explicit TScopeExit(F f) : FFunc(std::move(f)) {}
    ~TScopeExit() { FFunc(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    F FFunc;
};

constexpr int ModeBrowse = 0;
constexpr int ModeEdit = 1;
constexpr int ModeSource = 2;

bool IsDir(const QString& path)
{
    return QFileInfo(path).isDir();
}

// The file folder a note's file folder is taken from: the current form, or the older one
// with the blanks kept when only that exists; empty when there is none.
QString ExistingFileFolder(const QString& page)
{
    const QString current = NoteFileFolder(page);
    if (IsDir(current))
        return current;
    const QString legacy = LegacyNoteFileFolder(page);
    return IsDir(legacy) ? legacy : QString();
}

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Another note beside folder whose file folder it is ("A B" and "A_B" share "__A_B"); empty
// when none.
QString FileFolderOwner(const QString& folder, const QString& except)
{
    const QDir dir(ExtractFilePath(folder));
    for (const QString& name : dir.entryList({u"*.htm"_s}, QDir::Files | QDir::Hidden)) {
        const QString page = dir.filePath(name);
        if (page != except && ExistingFileFolder(page) == folder)
            return page;
    }
    return {};
}

} // namespace

TzqTreeCommands::TzqTreeCommands(TzqTree* tree, IzqTreeCommandHost* host, QObject* parent)
    : QObject(parent), FTree(tree), FHost(host)
{
    // Dropping a node in the tree moves it.
    FTree->SetMoveHandler(
        [this](const QModelIndex& node, const QModelIndex& target) { MoveNode(target, node); });
}

bool TzqTreeCommands::IsEditing() const
{
    const int mode = FHost->ViewMode();
    return mode == ModeEdit || mode == ModeSource;
}

bool TzqTreeCommands::LeaveEditing()
{
    if (!IsEditing())
        return true;
    if (!FHost->SaveIfEditing())
        return false;
    if (!FTree->CurrentPage().isEmpty())
        DeleteEditMarker(FTree->CurrentPage());
    FHost->SetViewMode(ModeBrowse);
    return true;
}

bool TzqTreeCommands::LockedByOther(const QModelIndex& node, const QString& message)
{
    if (!IsLockedByOther(FTree->Model()->NodePageFile(node), FHost->MyName()))
        return false;
    FHost->ShowError(message);
    return true;
}

QString TzqTreeCommands::SelectedPage() const
{
    QString page = FTree->Model()->PageKey(FTree->SelectedNode());
    if (!page.isEmpty() && IsPathSeparator(page.back()))
        page += FolderNoteName;
    return page;
}

void TzqTreeCommands::SelectChild(const QModelIndex& parent, const QString& name, bool isNote)
{
    TzqTreeModel* model = FTree->Model();
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex child = model->index(row, 0, parent);
        if (model->Text(child) == name && model->IsNote(child) == isNote &&
            (isNote || model->IsFolder(child))) {
            FTree->SelectNode(child);
            return;
        }
    }
}

bool TzqTreeCommands::IsInSubtree(const QModelIndex& source, const QModelIndex& target)
{
    if (!target.isValid() || !target.parent().isValid())
        return false;
    for (QModelIndex node = target; node.isValid(); node = node.parent()) {
        if (node == source)
            return true;
    }
    return false;
}

QStringList TzqTreeCommands::NodeFileList(const QModelIndex& node) const
{
    TzqTreeModel* model = FTree->Model();
    if (!node.isValid())
        return {};
    if (model->IsFolder(node))
        return {model->NodePath(node)};
    const QString page = model->NodePageFile(node);
    const QString folder = ExistingFileFolder(page);
    return folder.isEmpty() ? QStringList{page} : QStringList{folder, page};
}

// ---- Create -----------------------------------------------------------------------------------

void TzqTreeCommands::CreateFolder(bool atTop)
{
    CreateItem(TzqItemKind::Folder, atTop);
}

void TzqTreeCommands::CreateNote(bool atTop)
{
    CreateItem(TzqItemKind::Note, atTop);
}

void TzqTreeCommands::CreateItem(TzqItemKind kind, bool atTop)
{
    const bool isFolder = kind == TzqItemKind::Folder;
    if (FHost->IsEnglishWindows()) {
        FHost->ShowMessage(isFolder ? u"You can not make a folder in English Windows."_s
                                    : u"You can not make a note in English Windows."_s);
        return;
    }
    // The page shown is saved before anything is asked or made: when it cannot be, nothing
    // happens.
    if (!FHost->TreeMode() || !FHost->SaveFile(FTree->CurrentPage()))
        return;
    TzqTreeModel* model = FTree->Model();
    QPersistentModelIndex parent;
    const QModelIndex selected = FTree->SelectedNode();
    if (!atTop && selected.isValid())
        parent = model->IsFolder(selected) ? selected : selected.parent();
    if (parent.isValid())
        FTree->LoadChildren(parent);
    QString base = model->NodePath(parent) + u'/';

    const std::optional<TzqNewNameAnswer> answer = FHost->AskNewName(kind, base);
    if (!answer || answer->Name.isEmpty())
        return;
    if (answer->AtRoot) {
        parent = QPersistentModelIndex();
        base = FTree->RootDir() + u'/';
    }
    const QString name = answer->Name;

    // The page is made before the tree and the view mode change, so a failure leaves both as
    // they were. An existing item is never overwritten.
    QString page;
    if (isFolder) {
        const QString dir = base + name;
        if (QFileInfo::exists(dir))
            throw EzqError(u"같은 이름의 폴더가 이미 존재합니다."_s);
        if (!QDir().mkpath(dir))
            throw EzqError(u"폴더를 만들 수 없습니다: %1"_s.arg(Native(dir)));
        page = dir + u'/' + FolderNoteName;
    } else {
        page = base + name + u".htm"_s;
        if (QFileInfo::exists(page))
            throw EzqError(u"같은 이름의 파일이 이미 존재합니다."_s);
    }
    const QString templateFile = answer->TemplateFile.isEmpty()
                                     ? QString()
                                     : QDir(FHost->TemplateDir()).filePath(answer->TemplateFile);
    if (!templateFile.isEmpty() && QFileInfo(templateFile).isFile())
        InstantiateTemplate(templateFile, answer->Title, page);
    else
        WritePageLines(page, NewPageSkeleton());

    FTree->SetSelectionHandlerConnected(false);
    TScopeExit reconnect([this] { FTree->SetSelectionHandlerConnected(true); });
    const bool wasEditing = IsEditing();
    // A new page opens in edit mode.
    FHost->SetViewMode(ModeEdit);

    const auto nodeKind =
        isFolder ? TzqTreeModel::TNodeKind::Folder : TzqTreeModel::TNodeKind::Note;
    if (parent.isValid() && model->IsNotLoaded(parent)) {
        // Listing the folder now finds the new item with the others.
        FTree->LoadChildren(parent);
        SelectChild(parent, name, !isFolder);
    } else {
        FTree->SelectNode(model->AppendNode(parent, name, nodeKind));
    }
    FTree->ShowPage(isFolder ? base + name + u'/' : page, wasEditing);
}

void TzqTreeCommands::NewFolderAtContext()
{
    NewItemAtContext(TzqItemKind::Folder);
}

void TzqTreeCommands::NewNoteAtContext()
{
    NewItemAtContext(TzqItemKind::Note);
}

void TzqTreeCommands::NewItemAtContext(TzqItemKind kind)
{
    QModelIndex folder = FTree->ContextNode();
    if (folder.isValid() && FTree->Model()->IsNote(folder))
        folder = folder.parent();
    if (folder.isValid()) {
        FTree->SelectNode(folder); // shows its page
        // The page being left could not be saved: the selection stayed.
        if (FTree->SelectedNode() != folder)
            return;
    }
    CreateItem(kind, !folder.isValid());
}

// ---- Rename -----------------------------------------------------------------------------------

void TzqTreeCommands::RenameNode(const QModelIndex& node)
{
    if (!node.isValid() || !FHost->TreeMode())
        return;
    TzqTreeModel* model = FTree->Model();
    const QPersistentModelIndex item(node);
    const QString dir = model->NodePath(node.parent()) + u'/';
    const QString oldName = model->Text(node);
    const bool isNote = model->IsNote(node);

    // Every rename leaves the program in browse mode, shared data directory or not.
    if (!LeaveEditing())
        return;
    if (LockedByOther(item, u"다른 분이 수정 중이라서 이름을 변경할 수 없습니다."_s))
        return;

    const std::optional<QString> typed =
        FHost->AskUserFileName(isNote ? TzqItemKind::Note : TzqItemKind::Folder, dir, oldName,
                               isNote ? u"새 노트 이름 입력"_s : u"새 폴더 이름 입력"_s);
    if (!typed || !item.isValid())
        return;
    const QString newName = MakeValidFileName(TrimBlanks(*typed));
    if (newName.isEmpty())
        return;
    if (isNote) {
        // The file folder goes along under the new name; one that is there already belongs to
        // someone else and could not take it. Refused before anything is renamed.
        const QString folder = ExistingFileFolder(model->NodePageFile(item));
        const QString target = NoteFileFolder(dir + newName + u".htm"_s);
        if (!folder.isEmpty() && folder != target && QFileInfo::exists(target)) {
            FHost->ShowError(u"'%1'(으)로 이름을 바꿀 수 없습니다. 파일 폴더 '%2'이(가) 이미 "
                             u"있습니다."_s.arg(newName, ExtractFileName(target)));
            return;
        }
    }

    const int flags = zqFofNoConfirmation | zqFofSilent;
    bool renamed = true;
    QString oldFile;
    QString newFile;
    if (isNote) {
        oldFile = model->NodePageFile(item);
        newFile = dir + newName + u".htm"_s;
        if (oldFile != newFile)
            renamed = ShellFileOp({oldFile}, newFile, TzqFileOp::Rename, flags, nullptr);
        if (renamed)
            FHost->RenameEntries(oldFile, newFile);
    } else {
        renamed = ShellFileOp({dir + oldName}, dir + newName, TzqFileOp::Rename, flags, nullptr);
        if (renamed) {
            // The history follows the folder and every page below it.
            FHost->RenameEntries(dir + oldName, dir + newName);
            FHost->Validate();
        }
    }
    if (!renamed) {
        FHost->ShowMsgBox(u"이름 변경에 실패했습니다."_s);
        return;
    }

    model->SetText(item, newName);
    FTree->SetCurrentPagePath(SelectedPage());
    FHost->UpdateCaption(FTree->CurrentPage());
    if (!isNote)
        return;

    // The note's file folder follows its new name, and so do the page's references into it.
    const QString oldFolder = ExistingFileFolder(oldFile);
    const QString newFolder = NoteFileFolder(newFile);
    if (oldFolder.isEmpty() || oldFolder == newFolder)
        return;
    if (!ShellFileOp({oldFolder}, newFolder, TzqFileOp::Rename, zqFofNoConfirmation,
                     FHost->FileOpUi()))
        return;
    try {
        RewriteFileFolderRefs(newFile, ExtractFileName(oldFolder), ExtractFileName(newFolder));
    } catch (const EzqError&) {
        // The page still names the old folder: it goes back to where the page finds it.
        ShellFileOp({newFolder}, oldFolder, TzqFileOp::Rename, zqFofNoConfirmation | zqFofSilent,
                    nullptr);
        throw;
    }
    FHost->LoadCurrentNote();
}

// ---- Delete -----------------------------------------------------------------------------------

void TzqTreeCommands::DeleteNode(const QModelIndex& node)
{
    if (IsEditing() && !FHost->Browse())
        return;
    if (!node.isValid() || !FHost->TreeMode())
        return;
    TzqTreeModel* model = FTree->Model();
    const QPersistentModelIndex item(node);
    if (LockedByOther(item, u"다른 분이 수정 중이라서 옮길 수 없습니다."_s))
        return;
    if (!FHost->Confirm(model->Text(item) + u" 을(를) 삭제합니까?"_s) || !item.isValid())
        return;

    // Only the current form of the file folder goes with a note into the Trash.
    QStringList list;
    QString page;
    if (model->IsNote(item)) {
        page = model->NodePageFile(item);
        list.append(page);
        if (IsDir(NoteFileFolder(page)))
            list.append(NoteFileFolder(page));
    } else {
        page = model->NodePath(item);
        list.append(page);
    }
    const bool deleted = ShellFileOp(list, QString(), TzqFileOp::Delete,
                                     zqFofNoConfirmation | zqFofAllowUndo, FHost->FileOpUi());
    // A declined delete of one item may still have taken the page itself; the tree follows
    // the disk.
    if (deleted || !QFileInfo::exists(page)) {
        FTree->SetCurrentPagePath(QString());
        model->RemoveNode(item);
    }
    FTree->ShowPage(SelectedPage());
    FHost->Validate();
}

// ---- Move and copy ------------------------------------------------------------------------

void TzqTreeCommands::MoveNode(const QModelIndex& target, const QModelIndex& source)
{
    if (!source.isValid())
        return;
    TzqTreeModel* model = FTree->Model();
    const QPersistentModelIndex src(source);
    QPersistentModelIndex folder(target);
    if (!LeaveEditing())
        return;
    if (LockedByOther(src, u"다른 분이 수정 중이라서 옮길 수 없습니다."_s))
        return;

    FHost->SetTreeEnabled(false);
    TScopeExit enable([this] { FHost->SetTreeEnabled(true); });
    if (folder.isValid())
        FTree->ExpandOnClick(folder);
    // Tested with the target as given, a note target included.
    if (IsInSubtree(src, folder)) {
        FHost->ShowMsgBox(u"하위로의 이동은 안됩니다."_s);
        return;
    }
    if (folder.isValid() && model->IsNote(folder))
        folder = folder.parent();
    const QString targetDir = model->NodePath(folder);
    if (folder.isValid())
        FTree->LoadChildren(folder);
    const bool isNote = model->IsNote(src);
    const QString sourcePath = isNote ? model->NodePageFile(src) : model->NodePath(src);
    if (sourcePath == targetDir)
        return;
    if (!ShellFileOp(NodeFileList(src), targetDir, TzqFileOp::Move, 0, FHost->FileOpUi()))
        return;

    FTree->SetSelectionHandlerConnected(false);
    TScopeExit reconnect([this] { FTree->SetSelectionHandlerConnected(true); });
    const QString name = model->Text(src);
    model->RemoveNode(src);
    if (folder.isValid()) {
        model->ResetFolder(folder);
        FTree->ExpandOnClick(folder);
        model->SetExpanded(folder, true);
        FTree->Selection()->clear();
        SelectChild(folder, name, isNote);
    } else {
        FTree->LoadRoot(FTree->RootDir());
        FTree->SetSelectionHandlerConnected(false);
        FTree->Selection()->clear();
        SelectChild(QModelIndex(), name, isNote);
    }
    FTree->ShowPage(SelectedPage());
}

void TzqTreeCommands::CopyNode(const QModelIndex& target, const QModelIndex& source)
{
    if (!source.isValid())
        return;
    TzqTreeModel* model = FTree->Model();
    const QPersistentModelIndex src(source);
    QPersistentModelIndex folder(target);
    if (!LeaveEditing())
        return;
    if (LockedByOther(src, u"다른 분이 수정 중이라서 옮길 수 없습니다."_s))
        return;
    if (folder.isValid() && model->IsNote(folder))
        folder = folder.parent();
    if (IsInSubtree(src, folder)) {
        FHost->ShowMsgBox(u"하위로의 복사는 안됩니다."_s);
        return;
    }

    FHost->SetTreeEnabled(false);
    TScopeExit enable([this] { FHost->SetTreeEnabled(true); });
    const QString targetDir = model->NodePath(folder);
    if (folder.isValid())
        FTree->LoadChildren(folder);
    IzqFileOpUi* ui = FHost->FileOpUi();
    const QString name = model->Text(src);

    if (model->IsNote(src)) {
        const QString sourceFile = model->NodePageFile(src);
        // Two notes never share a file folder ("A B" copied as "A_B"): refused before
        // anything is copied.
        auto sharesFileFolder = [&](const QString& newName, const QString& newFile) {
            const QString target = NoteFileFolder(newFile);
            if (ExistingFileFolder(sourceFile).isEmpty() ||
                FileFolderOwner(target, newFile).isEmpty())
                return false;
            FHost->ShowError(u"'%1'(으)로 복사할 수 없습니다. 파일 폴더 '%2'을(를) 다른 노트가 "
                             u"쓰고 있습니다."_s.arg(newName, ExtractFileName(target)));
            return true;
        };
        if (!QFileInfo::exists(targetDir + u'/' + name + u".htm"_s)) {
            if (sharesFileFolder(name, targetDir + u'/' + name + u".htm"_s))
                return;
            if (ShellFileOp(NodeFileList(src), targetDir, TzqFileOp::Copy, 0, ui))
                FTree->RefreshFolderNode(folder, name);
            return;
        }
        // The name is taken (always so in the note's own folder): the copy gets a new one, and
        // so does its file folder.
        const std::optional<QString> typed = FHost->AskUserFileName(
            TzqItemKind::Note, targetDir + u'/', name, u"같은 이름의 노트가 있습니다."_s);
        if (!typed)
            return;
        const QString newName = MakeValidFileName(TrimBlanks(*typed));
        const QString newFile = targetDir + u'/' + newName + u".htm"_s;
        if (newName.isEmpty() || QFileInfo::exists(newFile))
            return;
        if (sharesFileFolder(newName, newFile))
            return;
        CopyFileContents(sourceFile, newFile);
        const QString oldFolder = ExistingFileFolder(sourceFile);
        if (!oldFolder.isEmpty()) {
            const QString newFolder = NoteFileFolder(newFile);
            bool copied = true;
            if (IsDir(newFolder)) {
                // A file folder of that name is there already: the files join it, rather than
                // the folder landing inside it where the references would miss them.
                QStringList entries;
                const QDir from(oldFolder);
                for (const QString& entry : from.entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                           QDir::Hidden | QDir::System))
                    entries.append(from.filePath(entry));
                if (!entries.isEmpty())
                    copied = ShellFileOp(entries, newFolder, TzqFileOp::Copy, 0, ui);
            } else {
                copied = ShellFileOp({oldFolder}, newFolder, TzqFileOp::Copy, 0, ui);
            }
            if (!copied) {
                // All or nothing: the page copied a moment ago goes again.
                QFile::remove(newFile);
                return;
            }
            RewriteFileFolderRefs(newFile, ExtractFileName(oldFolder), ExtractFileName(newFolder));
        }
        FTree->RefreshFolderNode(folder, newName);
        return;
    }

    const QString sourcePath = model->NodePath(src);
    if (model->NodePath(src.parent()) != targetDir) {
        // A folder of that name in the target is merged into; the file operation asks before
        // it replaces a file.
        if (ShellFileOp({sourcePath}, targetDir, TzqFileOp::Copy, 0, ui))
            FTree->RefreshFolderNode(folder, name);
        return;
    }
    const std::optional<QString> typed = FHost->AskUserFileName(
        TzqItemKind::Folder, targetDir + u'/', name, u"같은 폴더 이름이 있습니다."_s);
    if (!typed)
        return;
    const QString newName = MakeValidFileName(TrimBlanks(*typed));
    const QString dest = targetDir + u'/' + newName;
    if (newName.isEmpty() || QFileInfo::exists(dest))
        return;
    if (ShellFileOp({sourcePath}, dest, TzqFileOp::Copy, 0, ui))
        FTree->RefreshFolderNode(folder, newName);
}

// ---- The tree's clipboard -------------------------------------------------------------------

void TzqTreeCommands::PutOnClipboard(TPasteMode mode)
{
    FPasteMode = mode;
    FTree->SetClipNode(FTree->ContextNode());
}

void TzqTreeCommands::Cut()
{
    PutOnClipboard(TPasteMode::Move);
}

void TzqTreeCommands::Copy()
{
    PutOnClipboard(TPasteMode::Copy);
}

bool TzqTreeCommands::CanPaste() const
{
    // A node that left the tree (deleted, or its folder listed again) is gone from here too.
    return FTree->ClipNode().isValid();
}

void TzqTreeCommands::Paste()
{
    const QPersistentModelIndex clip(FTree->ClipNode());
    FTree->SetClipNode(QModelIndex());
    if (!clip.isValid())
        return;
    const QPersistentModelIndex target(FTree->ContextNode());
    if (FPasteMode == TPasteMode::Copy)
        CopyNode(target, clip);
    else
        MoveNode(target, clip);
}

// ---- Shell ------------------------------------------------------------------------------------

void TzqTreeCommands::OpenInBrowser()
{
    const QModelIndex node = FTree->ContextNode();
    if (node.isValid() && FTree->Model()->IsNote(node))
        FHost->OpenWithShell(FTree->Model()->NodePageFile(node));
}

void TzqTreeCommands::OpenInFileManager()
{
    const QModelIndex node = FTree->ContextNode();
    if (!node.isValid())
        return;
    TzqTreeModel* model = FTree->Model();
    FHost->ShowInFileManager(model->IsNote(node) ? model->NodePageFile(node)
                                                 : model->NodePath(node));
}

// ---- Tools --------------------------------------------------------------------------------------

void TzqTreeCommands::MakeZipAtContext()
{
    const QModelIndex node = FTree->ContextNode();
    if (node.isValid())
        FHost->MakeZipOf(FTree->Model()->NodePageFile(node));
}

void TzqTreeCommands::SaveMhtAtContext()
{
    const QModelIndex node = FTree->ContextNode();
    if (node.isValid())
        FHost->SaveMhtOf(FTree->Model()->NodePageFile(node));
}

void TzqTreeCommands::CleanUpAtContext()
{
    const QModelIndex node = FTree->ContextNode();
    if (!node.isValid())
        return;
    TzqTreeModel* model = FTree->Model();
    if (model->IsFolder(node))
        FHost->CleanFolder(model->NodePath(node));
    else if (node.parent().isValid())
        FHost->CleanFolder(model->NodePath(node.parent()));
    else
        FHost->CleanFolder(model->RootDir());
}

void TzqTreeCommands::RefreshTree()
{
    FTree->RefreshTree();
}

void TzqTreeCommands::MoveToRoot()
{
    const QPersistentModelIndex node(FTree->ContextNode());
    if (node.isValid() && node.parent().isValid())
        MoveNode(QModelIndex(), node);
}
