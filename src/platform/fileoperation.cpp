#include "platform/fileoperation.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <filesystem>
#include <system_error>

using namespace Qt::Literals::StringLiterals;

namespace {

namespace fs = std::filesystem;

fs::path FsPath(const QString& path)
{
#ifdef Q_OS_WIN
    return fs::path(path.toStdWString());
#else
    return fs::path(QFile::encodeName(path).toStdString());
#endif
}

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

TzqRenameResult SystemRename(const QString& from, const QString& to, QString* error)
{
    std::error_code ec;
    fs::rename(FsPath(from), FsPath(to), ec);
    if (!ec)
        return TzqRenameResult::Done;
    if (ec == std::errc::cross_device_link)
        return TzqRenameResult::CrossDevice;
    if (error)
        *error = QString::fromLocal8Bit(ec.message());
    return TzqRenameResult::Failed;
}

TzqRenameFunc& RenameFunc()
{
    static TzqRenameFunc rename = SystemRename;
    return rename;
}

// True for anything in the directory entry, a dangling link included.
bool Exists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// A folder to descend into; a link to a folder is an item of its own.
bool IsRealDir(const QFileInfo& info)
{
    return info.isDir() && !info.isSymLink();
}

bool IsRealDir(const QString& path)
{
    return IsRealDir(QFileInfo(path));
}

QStringList Children(const QString& dir)
{
    QStringList names = QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (QString& name : names)
        name = dir + u'/' + name;
    return names;
}

// The files of an item for the progress: a folder counts what lies below it, anything else is
// one. The types come with the directory entries, so nothing below is looked up one by one.
int CountFiles(const QString& path)
{
    if (!IsRealDir(path))
        return 1;
    int count = 0;
    std::error_code ec;
    fs::recursive_directory_iterator it(FsPath(path), fs::directory_options::skip_permission_denied,
                                        ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (it->is_symlink(typeError) || !it->is_directory(typeError))
            ++count;
    }
    return count;
}

// The path with every existing folder above it resolved, the last component left as it is, so
// a folder reached through two spellings compares equal while a link is still itself.
QString ResolvedPath(const QString& path)
{
    const QFileInfo info(path);
    const QString parent = info.absolutePath();
    if (parent == info.absoluteFilePath())
        return parent;
    const QString canonicalParent = QFileInfo(parent).canonicalFilePath();
    const QString base = canonicalParent.isEmpty() ? ResolvedPath(parent) : canonicalParent;
    return base.endsWith(u'/') ? QString(base + info.fileName())
                               : QString(base + u'/' + info.fileName());
}

bool IsSameOrBelow(const QString& path, const QString& dir)
{
    return path == dir || path.startsWith(dir.endsWith(u'/') ? dir : dir + u'/');
}

// A free name beside path for a temporary or a backup copy. Hidden, and without the page
// extension, so nothing that lists the store mistakes it for a note.
QString SiblingName(const QString& path, const QString& tag)
{
    const QFileInfo info(path);
    for (;;) {
        const QString name = info.absolutePath() + u"/."_s + info.fileName() + u'.' + tag + u'-' +
                             QString::number(QRandomGenerator::global()->generate(), 36);
        if (!Exists(name))
            return name;
    }
}

// The item's record beside it in the Trash: files/<name> has info/<name>.trashinfo.
QString TrashInfoOf(const QString& inTrash)
{
    const QFileInfo info(inTrash);
    return QDir::cleanPath(info.absolutePath() + u"/../info/"_s + info.fileName() +
                           u".trashinfo"_s);
}

// QFile::moveToTrash, made safe: where no Trash folder can be set up, Qt falls back to the
// working directory (files/ and info/ made there) and still reports success. Such an item is
// put back and the move counts as failed.
bool MoveToTrash(const QString& path, QString* inTrash)
{
    // A fresh account may have no data folder yet, which the Trash needs above it.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    if (!QFile::moveToTrash(path, inTrash))
        return false;
    if (QFileInfo(*inTrash).isAbsolute())
        return true;
    const QString landed = QDir::current().absoluteFilePath(*inTrash);
    QString ignored;
    if (SystemRename(landed, path, &ignored) == TzqRenameResult::Done) {
        QFile::remove(TrashInfoOf(landed));
        const QFileInfo info(landed);
        QDir().rmdir(info.absolutePath());
        QDir().rmdir(QFileInfo(TrashInfoOf(landed)).absolutePath());
    }
    return false;
}

// The permission bits stored with an item. The "user" bits describe what the running user may
// do (all of it for root) and would be written back as the owner's.
QFileDevice::Permissions StoredPermissions(QFileDevice::Permissions permissions)
{
    return permissions & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
}

struct TCancelled {};
struct TFailed {
    QString Text;
};

// One run of ShellFileOp: the work, and the journal that undoes it on a cancel or an error.
class TzqFileOpRun {
public:
    TzqFileOpRun(TzqFileOp op, int flags, IzqFileOpUi* ui)
        : FOp(op), FUi(ui), FShowProgress(ui && !(flags & zqFofSilent)),
          FReplaceAll(!ui || (flags & zqFofNoConfirmation)),
          FNoConfirmation(flags & zqFofNoConfirmation), FAllowUndo(flags & zqFofAllowUndo)
    {
    }

    bool Run(const QStringList& sources, const QString& target);

private:
    enum class TUndo {
        Created,    // A: a file or link made by the operation
        CreatedDir, // A: a folder made by the operation
        Renamed,    // A renamed to B
        Backup,     // the item at A was put aside as B
        Trashed,    // A went to the Trash as B
    };
    struct TUndoEntry {
        TUndo Kind;
        QString A;
        QString B;
    };
    struct TLater {
        QString Path;
        bool IsDir;
    };
    struct TDirStamp {
        QString Path;
        QFileDevice::Permissions Permissions;
        QDateTime Modified;
    };

    [[noreturn]] static void Fail(const QString& text) { throw TFailed{text}; }

    void Step(const QString& current)
    {
        if (FShowProgress && !FUi->Progress(FDone, FTotal, current))
            throw TCancelled{};
    }

    // The files of item, now at path, for the progress: the items of the operation are counted
    // once, and nothing at all is counted when no progress is shown.
    int FilesOf(const QString& item, const QString& path) const
    {
        if (!FShowProgress)
            return 0;
        const auto known = FItemFiles.constFind(item);
        return known != FItemFiles.cend() ? *known : CountFiles(path);
    }

    QList<std::pair<QString, QString>> Destinations(const QStringList& sources,
                                                    const QString& target);
    void MakePath(const QString& dir);
    void Rename(const QString& from, const QString& to);
    bool AskReplace(const QString& existing, bool isFolder);
    void Transfer(const QString& source, const QString& dest);
    void CopyItem(const QString& source, const QString& dest, bool stepped = false);
    void CopyFile(const QString& source, const QString& temp);
    void Install(const QString& temp, const QString& dest, bool moved);
    void Delete(const QString& path);
    void RemoveForGood(const QString& path);
    void Rollback();
    void Commit();

    TzqFileOp FOp;
    IzqFileOpUi* FUi;
    bool FShowProgress;
    bool FReplaceAll;
    bool FNoConfirmation;
    bool FAllowUndo;
    bool FAllDone = true;
    int FDone = 0;
    int FTotal = 0;
    QList<TUndoEntry> FUndo;
    QList<TLater> FRemoveLater;     // moved sources copied across file systems, children first
    QStringList FBackups;           // replaced items, dropped when everything is done
    QList<TDirStamp> FDirStamps;    // copied folders get their source's attributes at the end
    QHash<QString, int> FItemFiles; // the files of every item asked for, for the progress
};

bool TzqFileOpRun::Run(const QStringList& sources, const QString& target)
{
    try {
        if (sources.isEmpty())
            Fail(u"파일 작업에 대상이 없습니다."_s);
        QStringList items;
        for (const QString& source : sources) {
            const QString path =
                source.isEmpty() ? QString() : QFileInfo(source).absoluteFilePath();
            if (path.isEmpty() || !Exists(path))
                Fail(u"'%1' 을(를) 찾을 수 없습니다."_s.arg(Native(source)));
            items.append(QDir::cleanPath(path));
        }
        if (FShowProgress) {
            for (const QString& item : items) {
                const int files = CountFiles(item);
                FItemFiles.insert(item, files);
                FTotal += files;
            }
        }

        if (FOp == TzqFileOp::Delete) {
            for (const QString& item : items)
                Delete(item);
        } else {
            const auto pairs = Destinations(items, target);
            for (const auto& [source, dest] : pairs)
                Transfer(source, dest);
        }
        Commit();
    } catch (const TCancelled&) {
        Rollback();
        if (FUi)
            FUi->ProgressDone();
        return false;
    } catch (const TFailed& failure) {
        Rollback();
        if (FUi) {
            FUi->ProgressDone();
            FUi->ShowError(failure.Text);
        }
        return false;
    }
    if (FUi)
        FUi->ProgressDone();
    return FAllDone;
}

// Where every source goes, checked before anything is touched.
QList<std::pair<QString, QString>> TzqFileOpRun::Destinations(const QStringList& sources,
                                                              const QString& target)
{
    if (target.isEmpty())
        Fail(u"파일 작업의 대상 폴더가 없습니다."_s);
    const QString to = QDir::cleanPath(QFileInfo(target).absoluteFilePath());
    // The target may well be reached through a link (a data folder kept elsewhere).
    const bool intoFolder = FOp != TzqFileOp::Rename && QFileInfo(to).isDir();
    if (FOp == TzqFileOp::Rename && sources.size() != 1)
        Fail(u"이름은 하나씩만 바꿀 수 있습니다."_s);

    QList<std::pair<QString, QString>> pairs;
    for (const QString& source : sources) {
        const QString dest =
            intoFolder || sources.size() > 1 ? to + u'/' + QFileInfo(source).fileName() : to;
        const QString from = ResolvedPath(source);
        const QString resolvedDest = ResolvedPath(dest);
        if (from == resolvedDest)
            Fail(u"원본과 대상이 같습니다: %1"_s.arg(Native(source)));
        if (IsRealDir(source) && IsSameOrBelow(resolvedDest, from))
            Fail(u"폴더를 그 폴더 안으로 옮기거나 복사할 수 없습니다: %1"_s.arg(Native(source)));
        if (FOp == TzqFileOp::Rename && Exists(dest))
            Fail(u"'%1' 이(가) 이미 있습니다."_s.arg(Native(dest)));
        pairs.append({source, dest});
    }
    if (!intoFolder && sources.size() > 1 && Exists(to))
        Fail(u"대상이 폴더가 아닙니다: %1"_s.arg(Native(to)));
    if (!pairs.isEmpty())
        MakePath(QFileInfo(pairs.front().second).absolutePath());
    return pairs;
}

// Creates dir and its missing parents, each of them undone on a rollback.
void TzqFileOpRun::MakePath(const QString& dir)
{
    if (QFileInfo(dir).isDir())
        return;
    if (Exists(dir))
        Fail(u"대상이 폴더가 아닙니다: %1"_s.arg(Native(dir)));
    const QString parent = QFileInfo(dir).absolutePath();
    if (parent != dir)
        MakePath(parent);
    if (!QDir().mkdir(dir))
        Fail(u"폴더를 만들 수 없습니다: %1"_s.arg(Native(dir)));
    FUndo.append({TUndo::CreatedDir, dir, {}});
}

void TzqFileOpRun::Rename(const QString& from, const QString& to)
{
    QString error;
    if (RenameFunc()(from, to, &error) != TzqRenameResult::Done)
        Fail(u"'%1' 을(를) '%2'(으)로 옮길 수 없습니다. %3"_s.arg(Native(from), Native(to), error));
}

// True to go on with the existing item, false to skip it.
bool TzqFileOpRun::AskReplace(const QString& existing, bool isFolder)
{
    if (FReplaceAll)
        return true;
    switch (FUi->AskReplace(existing, isFolder)) {
    case TzqReplaceAnswer::Replace:
        return true;
    case TzqReplaceAnswer::ReplaceAll:
        FReplaceAll = true;
        return true;
    case TzqReplaceAnswer::Skip:
        return false;
    case TzqReplaceAnswer::Cancel:
        break;
    }
    throw TCancelled{};
}

// Moves or copies one item to dest, merging folders that exist on both sides.
void TzqFileOpRun::Transfer(const QString& source, const QString& dest)
{
    const bool move = FOp != TzqFileOp::Copy;
    const QFileInfo sourceInfo(source);
    const bool sourceIsDir = IsRealDir(sourceInfo);

    if (Exists(dest)) {
        const bool destIsDir = IsRealDir(dest);
        if (sourceIsDir != destIsDir)
            Fail(destIsDir ? u"'%1' 을(를) 바꿀 수 없습니다. 같은 이름의 폴더가 있습니다."_s.arg(
                                 Native(dest))
                           : u"'%1' 을(를) 바꿀 수 없습니다. 같은 이름의 파일이 있습니다."_s.arg(
                                 Native(dest)));
        if (!AskReplace(dest, destIsDir)) {
            FDone += FilesOf(source, source);
            return;
        }
        if (destIsDir) {
            for (const QString& child : Children(source))
                Transfer(child, dest + u'/' + QFileInfo(child).fileName());
            if (move)
                FRemoveLater.append({source, true});
            return;
        }
        if (move) {
            // Within one file system the file comes beside the old one first, then takes its
            // place; the old one is kept aside until the end.
            Step(source);
            QString error;
            const QString temp = SiblingName(dest, u"zqpart"_s);
            switch (RenameFunc()(source, temp, &error)) {
            case TzqRenameResult::Done:
                FUndo.append({TUndo::Renamed, source, temp});
                Install(temp, dest, true);
                ++FDone;
                return;
            case TzqRenameResult::CrossDevice:
                break;
            case TzqRenameResult::Failed:
                Fail(u"'%1' 을(를) 옮길 수 없습니다. %2"_s.arg(Native(source), error));
            }
        }
        CopyItem(source, dest, move);
        if (move)
            FRemoveLater.append({source, false});
        return;
    }

    if (move) {
        Step(source);
        QString error;
        switch (RenameFunc()(source, dest, &error)) {
        case TzqRenameResult::Done:
            FUndo.append({TUndo::Renamed, source, dest});
            FDone += FilesOf(source, dest);
            return;
        case TzqRenameResult::CrossDevice:
            break;
        case TzqRenameResult::Failed:
            Fail(u"'%1' 을(를) 옮길 수 없습니다. %2"_s.arg(Native(source), error));
        }
    }
    CopyItem(source, dest, move);
    if (move && !sourceIsDir)
        FRemoveLater.append({source, false});
}

// Copies one item to dest, which does not exist or is a file to be replaced. A folder's
// contents go through Transfer so a moved folder's files are given up only once all is copied.
void TzqFileOpRun::CopyItem(const QString& source, const QString& dest, bool stepped)
{
    const QFileInfo info(source);
    if (IsRealDir(info)) {
        if (!QDir().mkdir(dest))
            Fail(u"폴더를 만들 수 없습니다: %1"_s.arg(Native(dest)));
        FUndo.append({TUndo::CreatedDir, dest, {}});
        for (const QString& child : Children(source))
            Transfer(child, dest + u'/' + QFileInfo(child).fileName());
        FDirStamps.append({dest, StoredPermissions(info.permissions()), info.lastModified()});
        if (FOp != TzqFileOp::Copy)
            FRemoveLater.append({source, true});
        return;
    }

    if (!stepped)
        Step(source);
    const QString temp = SiblingName(dest, u"zqpart"_s);
    try {
        if (info.isSymLink()) {
            std::error_code ec;
            fs::copy_symlink(FsPath(source), FsPath(temp), ec);
            if (ec)
                Fail(u"'%1' 을(를) 복사할 수 없습니다. %2"_s.arg(
                    Native(source), QString::fromLocal8Bit(ec.message())));
        } else {
            CopyFile(source, temp);
        }
        Install(temp, dest, false);
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
    ++FDone;
}

// The bytes, permissions and modification time of source into the new file temp.
void TzqFileOpRun::CopyFile(const QString& source, const QString& temp)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        Fail(u"'%1' 을(를) 읽을 수 없습니다. %2"_s.arg(Native(source), in.errorString()));
    QFile out(temp);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        Fail(u"'%1' 을(를) 만들 수 없습니다. %2"_s.arg(Native(temp), out.errorString()));
    constexpr qint64 chunk = 1 << 20;
    qint64 sinceProgress = 0;
    while (!in.atEnd()) {
        const QByteArray bytes = in.read(chunk);
        if (bytes.isEmpty() && in.error() != QFileDevice::NoError)
            Fail(u"'%1' 을(를) 읽을 수 없습니다. %2"_s.arg(Native(source), in.errorString()));
        if (out.write(bytes) != bytes.size())
            Fail(u"'%1' 을(를) 쓸 수 없습니다. %2"_s.arg(Native(temp), out.errorString()));
        sinceProgress += bytes.size();
        if (sinceProgress >= 8 * chunk) {
            sinceProgress = 0;
            Step(source);
        }
    }
    if (!out.flush())
        Fail(u"'%1' 을(를) 쓸 수 없습니다. %2"_s.arg(Native(temp), out.errorString()));
    // After the last write, which would change the time again.
    out.setFileTime(in.fileTime(QFileDevice::FileModificationTime),
                    QFileDevice::FileModificationTime);
    out.close();
    QFile::setPermissions(temp, StoredPermissions(in.permissions()));
}

// Puts a completed copy (or a moved file) in place, setting an item it replaces aside until the
// end.
void TzqFileOpRun::Install(const QString& temp, const QString& dest, bool moved)
{
    if (Exists(dest)) {
        const QString backup = SiblingName(dest, u"zqbak"_s);
        Rename(dest, backup);
        FUndo.append({TUndo::Backup, dest, backup});
        FBackups.append(backup);
    }
    Rename(temp, dest);
    FUndo.append(moved ? TUndoEntry{TUndo::Renamed, temp, dest}
                       : TUndoEntry{TUndo::Created, dest, {}});
}

void TzqFileOpRun::Delete(const QString& path)
{
    Step(path);
    const bool isDir = IsRealDir(path);
    const int files = FilesOf(path, path);
    bool trashFailed = false;
    if (FAllowUndo) {
        QString inTrash;
        if (MoveToTrash(path, &inTrash)) {
            FUndo.append({TUndo::Trashed, path, inTrash});
            FDone += files;
            return;
        }
        // Never delete for good what was meant for the Trash without the user's Yes.
        if (!FUi)
            Fail(u"'%1' 을(를) 휴지통으로 옮길 수 없습니다."_s.arg(Native(path)));
        trashFailed = true;
    }
    if (FUi && (trashFailed || !FNoConfirmation)) {
        switch (FUi->AskDeleteForGood(path, isDir, trashFailed)) {
        case TzqDeleteAnswer::Yes:
            break;
        case TzqDeleteAnswer::No:
            FAllDone = false;
            FDone += files;
            return;
        case TzqDeleteAnswer::Cancel:
            throw TCancelled{};
        }
    }
    RemoveForGood(path);
    FDone += files;
}

void TzqFileOpRun::RemoveForGood(const QString& path)
{
    if (IsRealDir(path)) {
        for (const QString& child : Children(path))
            RemoveForGood(child);
        if (!QDir().rmdir(path))
            Fail(u"'%1' 을(를) 지울 수 없습니다."_s.arg(Native(path)));
        return;
    }
    QFile file(path);
    if (!file.remove())
        Fail(u"'%1' 을(를) 지울 수 없습니다. %2"_s.arg(Native(path), file.errorString()));
}

// Undoes the journal from the last step back; what cannot be undone stays as it is.
void TzqFileOpRun::Rollback()
{
    for (qsizetype i = FUndo.size() - 1; i >= 0; --i) {
        const TUndoEntry& entry = FUndo[i];
        QString ignored;
        switch (entry.Kind) {
        case TUndo::Created:
            QFile::remove(entry.A);
            break;
        case TUndo::CreatedDir:
            QDir().rmdir(entry.A);
            break;
        case TUndo::Renamed:
            SystemRename(entry.B, entry.A, &ignored);
            break;
        case TUndo::Backup:
            if (Exists(entry.A))
                QFile::remove(entry.A);
            SystemRename(entry.B, entry.A, &ignored);
            break;
        case TUndo::Trashed: {
            // The Trash keeps the item in files/ and its record in info/ beside it.
            if (SystemRename(entry.B, entry.A, &ignored) == TzqRenameResult::Done)
                QFile::remove(TrashInfoOf(entry.B));
            break;
        }
        }
    }
    FUndo.clear();
}

// Everything was done: give up the moved sources and the replaced items. The copies are all in
// place by now, so a source that cannot be removed is reported but loses nothing.
void TzqFileOpRun::Commit()
{
    FUndo.clear();
    QString failure;
    for (const TLater& later : std::as_const(FRemoveLater)) {
        if (later.IsDir) {
            // Skipped items stay with their folder.
            QDir().rmdir(later.Path);
            continue;
        }
        QFile file(later.Path);
        if (!file.remove() && failure.isEmpty())
            failure = u"옮긴 원본 '%1' 을(를) 지울 수 없습니다. %2"_s.arg(Native(later.Path),
                                                                          file.errorString());
    }
    for (const QString& backup : std::as_const(FBackups))
        QFile::remove(backup);
    for (const TDirStamp& stamp : std::as_const(FDirStamps)) {
        QFile::setPermissions(stamp.Path, stamp.Permissions);
        std::error_code ec;
        const std::chrono::sys_time<std::chrono::milliseconds> modified(
            std::chrono::milliseconds(stamp.Modified.toMSecsSinceEpoch()));
        fs::last_write_time(FsPath(stamp.Path), fs::file_time_type::clock::from_sys(modified), ec);
    }
    if (!failure.isEmpty())
        Fail(failure);
}

} // namespace

bool ShellFileOp(const QStringList& sources, const QString& target, TzqFileOp op, int flags,
                 IzqFileOpUi* ui)
{
    return TzqFileOpRun(op, flags, ui).Run(sources, target);
}

TzqRenameFunc SetFileOpRenameFunc(TzqRenameFunc rename)
{
    TzqRenameFunc previous = RenameFunc();
    RenameFunc() = rename ? std::move(rename) : TzqRenameFunc(SystemRename);
    return previous;
}

namespace {

// Answers the file operation for a single trashed file: never delete for good, keep the error.
class TTrashOnlyUi : public IzqFileOpUi {
public:
    TzqReplaceAnswer AskReplace(const QString&, bool) override { return TzqReplaceAnswer::Skip; }
    TzqDeleteAnswer AskDeleteForGood(const QString&, bool, bool) override
    {
        return TzqDeleteAnswer::No;
    }
    bool Progress(int, int, const QString&) override { return true; }
    void ProgressDone() override {}
    void ShowError(const QString& text) override { Error = text; }

    QString Error;
};

} // namespace

QStringList TrashFilesOneByOne(const QStringList& paths)
{
    QStringList left;
    for (const QString& path : paths) {
        TTrashOnlyUi ui;
        if (ShellFileOp({path}, QString(), TzqFileOp::Delete, zqFofAllowUndo | zqFofNoConfirmation,
                        &ui))
            continue;
        QString line = QDir::toNativeSeparators(path);
        if (!ui.Error.isEmpty())
            line += u" ("_s + ui.Error + u')';
        left.append(line);
    }
    return left;
}
