#include "platform/fileoperation.h"
#include "privatehome.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimeZone>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::Snapshot;
using testutil::WriteFile;

namespace {

// Answers from a script and records what was asked and shown.
class TFakeUi : public IzqFileOpUi {
public:
    QList<TzqReplaceAnswer> ReplaceAnswers;
    QList<TzqDeleteAnswer> DeleteAnswers;
    QStringList Questions;
    QStringList Errors;
    int CancelAtStep = 0; // the n-th progress call cancels; 0 never
    int Steps = 0;
    int LastDone = -1;
    int LastTotal = -1;
    bool Finished = false;

    TzqReplaceAnswer AskReplace(const QString& existing, bool isFolder) override
    {
        Questions.append((isFolder ? u"folder "_s : u"file "_s) + QFileInfo(existing).fileName());
        return ReplaceAnswers.isEmpty() ? TzqReplaceAnswer::Cancel : ReplaceAnswers.takeFirst();
    }
    TzqDeleteAnswer AskDeleteForGood(const QString& path, bool isFolder, bool trashFailed) override
    {
        Questions.append((trashFailed ? u"no trash "_s : u"for good "_s) +
                         QFileInfo(path).fileName());
        return DeleteAnswers.isEmpty() ? TzqDeleteAnswer::Cancel : DeleteAnswers.takeFirst();
    }
    bool Progress(int done, int total, const QString&) override
    {
        EXPECT_GE(done, LastDone);
        EXPECT_LE(done, total);
        LastDone = done;
        LastTotal = total;
        return ++Steps != CancelAtStep;
    }
    void ProgressDone() override { Finished = true; }
    void ShowError(const QString& text) override { Errors.append(text); }
};

// Plays a second file system: a rename between the "src" and "dst" halves of the test folder
// fails as across devices; renames named in FailOn fail outright.
class TTwoDevices {
public:
    explicit TTwoDevices(const QString& root) : FRoot(root)
    {
        FSystem = SetFileOpRenameFunc([this](const QString& from, const QString& to,
                                             QString* error) {
            for (const QString& name : std::as_const(FailOn)) {
                if (to.endsWith(u'/' + name) || QFileInfo(to).fileName().startsWith(u'.' + name))
                    return TzqRenameResult::Failed;
            }
            if (Half(from) != Half(to))
                return TzqRenameResult::CrossDevice;
            return FSystem(from, to, error);
        });
    }
    ~TTwoDevices() { SetFileOpRenameFunc(FSystem); }

    QStringList FailOn;

private:
    QString Half(const QString& path) const
    {
        return QDir(FRoot).relativeFilePath(path).section(u'/', 0, 0);
    }

    QString FRoot;
    TzqRenameFunc FSystem;
};

class FileOp : public TPrivateHomeSuite {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        Src = FDir.filePath(u"src"_s);
        Dst = FDir.filePath(u"dst"_s);
        QDir().mkpath(Src);
        QDir().mkpath(Dst);
    }

    // src: a.txt, d/b.txt, d/e/c.txt, d/e/empty/
    void MakeTree()
    {
        WriteFile(Src + u"/a.txt"_s, "alpha");
        WriteFile(Src + u"/d/b.txt"_s, "bravo");
        WriteFile(Src + u"/d/e/c.txt"_s, "charlie");
        QDir().mkpath(Src + u"/d/e/empty"_s);
    }

    static QString TrashDir()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Trash"_s;
    }

    QTemporaryDir FDir;
    QString Src;
    QString Dst;
};

const QMap<QString, QByteArray> Tree = {{u"a.txt"_s, "alpha"},       {u"d"_s, "<dir>"},
                                        {u"d/b.txt"_s, "bravo"},     {u"d/e"_s, "<dir>"},
                                        {u"d/e/c.txt"_s, "charlie"}, {u"d/e/empty"_s, "<dir>"}};

} // namespace

TEST_F(FileOp, CopiesAndMovesFilesAndNestedFolders)
{
    MakeTree();
    const QDateTime stamp(QDate(2021, 3, 4), QTime(5, 6, 7), QTimeZone::utc());
    {
        QFile file(Src + u"/d/e/c.txt"_s);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime(stamp, QFileDevice::FileModificationTime);
    }
    QFile::setPermissions(Src + u"/a.txt"_s, QFileDevice::ReadOwner | QFileDevice::ReadUser);

    TFakeUi ui;
    EXPECT_TRUE(ShellFileOp({Src + u"/a.txt"_s, Src + u"/d"_s}, Dst, TzqFileOp::Copy, 0, &ui));
    EXPECT_EQ(Snapshot(Dst), Tree);
    EXPECT_EQ(Snapshot(Src), Tree);
    EXPECT_TRUE(ui.Questions.isEmpty());
    EXPECT_TRUE(ui.Finished);
    EXPECT_EQ(ui.LastTotal, 3);
    EXPECT_EQ(ui.Steps, 3);
    EXPECT_EQ(QFileInfo(Dst + u"/d/e/c.txt"_s).lastModified(), stamp);
    EXPECT_EQ(QFileInfo(Dst + u"/a.txt"_s).permissions(),
              QFileInfo(Src + u"/a.txt"_s).permissions());

    const QString moved = FDir.filePath(u"moved"_s);
    QDir().mkpath(moved);
    TFakeUi moveUi;
    EXPECT_TRUE(
        ShellFileOp({Src + u"/a.txt"_s, Src + u"/d"_s}, moved, TzqFileOp::Move, 0, &moveUi));
    EXPECT_EQ(Snapshot(moved), Tree);
    EXPECT_TRUE(Snapshot(Src).isEmpty());

    // Rename: a file and a folder under new full paths.
    EXPECT_TRUE(
        ShellFileOp({moved + u"/d"_s}, moved + u"/__새 이름"_s, TzqFileOp::Rename, 0x10, nullptr));
    EXPECT_EQ(ReadFile(moved + u"/__새 이름/e/c.txt"_s), "charlie");
    EXPECT_TRUE(
        ShellFileOp({moved + u"/a.txt"_s}, moved + u"/b.txt"_s, TzqFileOp::Rename, 0, nullptr));
    EXPECT_EQ(ReadFile(moved + u"/b.txt"_s), "alpha");
    // Renaming never replaces.
    TFakeUi renameUi;
    EXPECT_FALSE(ShellFileOp({moved + u"/b.txt"_s}, moved + u"/__새 이름"_s, TzqFileOp::Rename, 0,
                             &renameUi));
    EXPECT_EQ(renameUi.Errors.size(), 1);
    EXPECT_TRUE(QFileInfo::exists(moved + u"/b.txt"_s));
}

TEST_F(FileOp, CopiesUnderANewNameOrIntoAFolder)
{
    MakeTree();
    // A target that is no folder is the new full path of a single source.
    EXPECT_TRUE(ShellFileOp({Src + u"/a.txt"_s}, Dst + u"/new.txt"_s, TzqFileOp::Copy, 0, nullptr));
    EXPECT_EQ(ReadFile(Dst + u"/new.txt"_s), "alpha");
    EXPECT_TRUE(ShellFileOp({Src + u"/d"_s}, Dst + u"/d2"_s, TzqFileOp::Copy, 0, nullptr));
    EXPECT_EQ(ReadFile(Dst + u"/d2/e/c.txt"_s), "charlie");
    EXPECT_TRUE(QFileInfo(Dst + u"/d2/e/empty"_s).isDir());
    // Missing parents of a new path are made.
    EXPECT_TRUE(
        ShellFileOp({Src + u"/a.txt"_s}, Dst + u"/x/y/a.txt"_s, TzqFileOp::Copy, 0, nullptr));
    EXPECT_EQ(ReadFile(Dst + u"/x/y/a.txt"_s), "alpha");
    // Several sources into a folder that does not exist yet.
    EXPECT_TRUE(ShellFileOp({Src + u"/a.txt"_s, Src + u"/d/b.txt"_s}, Dst + u"/several"_s,
                            TzqFileOp::Copy, 0, nullptr));
    EXPECT_EQ(ReadFile(Dst + u"/several/b.txt"_s), "bravo");

    // A folder reached through a link is still a folder to copy into.
    ASSERT_TRUE(QFile::link(Dst, FDir.filePath(u"link"_s)));
    EXPECT_TRUE(
        ShellFileOp({Src + u"/a.txt"_s}, FDir.filePath(u"link"_s), TzqFileOp::Copy, 0, nullptr));
    EXPECT_EQ(ReadFile(Dst + u"/a.txt"_s), "alpha");

    // A copy onto itself is refused.
    TFakeUi ui;
    EXPECT_FALSE(ShellFileOp({Src + u"/a.txt"_s}, Src, TzqFileOp::Copy, 0, &ui));
    EXPECT_FALSE(ShellFileOp({Src + u"/a.txt"_s}, Src + u"/d/../a.txt"_s, TzqFileOp::Copy, 0, &ui));
    EXPECT_EQ(ui.Errors.size(), 2);
    EXPECT_EQ(Snapshot(Src), Tree);

    // A missing source fails before anything is done.
    const auto before = Snapshot(Dst);
    EXPECT_FALSE(ShellFileOp({Src + u"/a.txt"_s, Src + u"/gone.txt"_s}, Dst + u"/z"_s,
                             TzqFileOp::Copy, 0, &ui));
    EXPECT_EQ(Snapshot(Dst), before);
}

TEST_F(FileOp, ReplaceAnswersDecideFileByFile)
{
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        WriteFile(Src + u'/' + QString::fromLatin1(name), "new");
    const QStringList sources = {Src + u"/a.txt"_s, Src + u"/b.txt"_s, Src + u"/c.txt"_s};
    const auto resetTarget = [this] {
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            WriteFile(Dst + u'/' + QString::fromLatin1(name), "old");
    };

    resetTarget();
    TFakeUi ui;
    ui.ReplaceAnswers = {TzqReplaceAnswer::Skip, TzqReplaceAnswer::Replace,
                         TzqReplaceAnswer::Replace};
    EXPECT_TRUE(ShellFileOp(sources, Dst, TzqFileOp::Copy, 0, &ui));
    EXPECT_EQ(ui.Questions, (QStringList{u"file a.txt"_s, u"file b.txt"_s, u"file c.txt"_s}));
    EXPECT_EQ(ReadFile(Dst + u"/a.txt"_s), "old");
    EXPECT_EQ(ReadFile(Dst + u"/b.txt"_s), "new");
    EXPECT_EQ(Snapshot(Dst).size(), 3); // no backup or partial file left behind

    resetTarget();
    TFakeUi all;
    all.ReplaceAnswers = {TzqReplaceAnswer::ReplaceAll};
    EXPECT_TRUE(ShellFileOp(sources, Dst, TzqFileOp::Copy, 0, &all));
    EXPECT_EQ(all.Questions.size(), 1);
    EXPECT_EQ(Snapshot(Dst), (QMap<QString, QByteArray>{
                                 {u"a.txt"_s, "new"}, {u"b.txt"_s, "new"}, {u"c.txt"_s, "new"}}));

    // Cancel at the second question: the first replacement is undone as well.
    resetTarget();
    const auto oldTarget = Snapshot(Dst);
    TFakeUi cancel;
    cancel.ReplaceAnswers = {TzqReplaceAnswer::Replace, TzqReplaceAnswer::Cancel};
    EXPECT_FALSE(ShellFileOp(sources, Dst, TzqFileOp::Copy, 0, &cancel));
    EXPECT_EQ(Snapshot(Dst), oldTarget);
    TFakeUi cancelMove;
    cancelMove.ReplaceAnswers = {TzqReplaceAnswer::Replace, TzqReplaceAnswer::Cancel};
    EXPECT_FALSE(ShellFileOp(sources, Dst, TzqFileOp::Move, 0, &cancelMove));
    EXPECT_EQ(Snapshot(Dst), oldTarget);
    EXPECT_EQ(Snapshot(Src).size(), 3);
    EXPECT_TRUE(cancel.Errors.isEmpty());

    // No confirmation, or no one to ask: replaced without a question.
    TFakeUi silent;
    EXPECT_TRUE(ShellFileOp({Src + u"/a.txt"_s}, Dst, TzqFileOp::Copy, 0x14, &silent));
    EXPECT_TRUE(silent.Questions.isEmpty());
    EXPECT_EQ(silent.Steps, 0); // silent: no progress
    EXPECT_TRUE(ShellFileOp({Src + u"/b.txt"_s}, Dst, TzqFileOp::Move, 0, nullptr));
    EXPECT_EQ(ReadFile(Dst + u"/b.txt"_s), "new");
    EXPECT_FALSE(QFileInfo::exists(Src + u"/b.txt"_s));

    // A folder of the same name is merged after one question; its files are asked for again.
    WriteFile(Src + u"/f/x.txt"_s, "new x");
    WriteFile(Src + u"/f/y.txt"_s, "new y");
    WriteFile(Dst + u"/f/x.txt"_s, "old x");
    TFakeUi merge;
    merge.ReplaceAnswers = {TzqReplaceAnswer::Replace, TzqReplaceAnswer::Skip};
    EXPECT_TRUE(ShellFileOp({Src + u"/f"_s}, Dst, TzqFileOp::Move, 0, &merge));
    EXPECT_EQ(merge.Questions, (QStringList{u"folder f"_s, u"file x.txt"_s}));
    EXPECT_EQ(ReadFile(Dst + u"/f/x.txt"_s), "old x");
    EXPECT_EQ(ReadFile(Dst + u"/f/y.txt"_s), "new y");
    // The skipped file stays where it was, with its folder.
    EXPECT_EQ(Snapshot(Src + u"/f"_s), (QMap<QString, QByteArray>{{u"x.txt"_s, "new x"}}));

    // A file cannot replace a folder.
    WriteFile(Src + u"/g"_s, "file");
    QDir().mkpath(Dst + u"/g"_s);
    TFakeUi clash;
    EXPECT_FALSE(ShellFileOp({Src + u"/g"_s}, Dst, TzqFileOp::Copy, 0x10, &clash));
    EXPECT_EQ(clash.Errors.size(), 1);
}

TEST_F(FileOp, CancelMidwayLeavesBothSidesWhole)
{
    MakeTree();
    WriteFile(Dst + u"/d/b.txt"_s, "old bravo");
    const auto oldTarget = Snapshot(Dst);

    // Copy: cancelled at the third file, after a replacement.
    TFakeUi copy;
    copy.CancelAtStep = 3;
    EXPECT_FALSE(
        ShellFileOp({Src + u"/a.txt"_s, Src + u"/d"_s}, Dst, TzqFileOp::Copy, 0x10, &copy));
    EXPECT_EQ(copy.Steps, 3);
    EXPECT_TRUE(copy.Finished);
    EXPECT_EQ(Snapshot(Dst), oldTarget);
    EXPECT_EQ(Snapshot(Src), Tree);

    // Move within one file system: what was renamed comes back.
    TFakeUi move;
    move.CancelAtStep = 3;
    EXPECT_FALSE(
        ShellFileOp({Src + u"/a.txt"_s, Src + u"/d"_s}, Dst, TzqFileOp::Move, 0x10, &move));
    EXPECT_EQ(Snapshot(Dst), oldTarget);
    EXPECT_EQ(Snapshot(Src), Tree);

    // Move across file systems: nothing of the source is given up before the end.
    TTwoDevices devices(FDir.path());
    TFakeUi across;
    across.CancelAtStep = 3;
    EXPECT_FALSE(
        ShellFileOp({Src + u"/a.txt"_s, Src + u"/d"_s}, Dst, TzqFileOp::Move, 0x10, &across));
    EXPECT_EQ(Snapshot(Dst), oldTarget);
    EXPECT_EQ(Snapshot(Src), Tree);
}

TEST_F(FileOp, MovesAcrossFileSystemsByCopyThenDelete)
{
    MakeTree();
    const QDateTime stamp(QDate(2019, 8, 9), QTime(10, 11, 12), QTimeZone::utc());
    {
        QFile file(Src + u"/a.txt"_s);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime(stamp, QFileDevice::FileModificationTime);
    }
    TTwoDevices devices(FDir.path());

    // A failure while the second file is put in place undoes the first one too.
    devices.FailOn = {u"c.txt"_s};
    TFakeUi failing;
    EXPECT_FALSE(
        ShellFileOp({Src + u"/a.txt"_s, Src + u"/d"_s}, Dst, TzqFileOp::Move, 0, &failing));
    EXPECT_EQ(failing.Errors.size(), 1);
    EXPECT_TRUE(Snapshot(Dst).isEmpty());
    EXPECT_EQ(Snapshot(Src), Tree);

    devices.FailOn.clear();
    TFakeUi ui;
    EXPECT_TRUE(ShellFileOp({Src + u"/a.txt"_s, Src + u"/d"_s}, Dst, TzqFileOp::Move, 0, &ui));
    EXPECT_EQ(Snapshot(Dst), Tree);
    EXPECT_TRUE(Snapshot(Src).isEmpty());
    EXPECT_EQ(ui.LastTotal, 3);
    EXPECT_EQ(QFileInfo(Dst + u"/a.txt"_s).lastModified(), stamp);
}

TEST_F(FileOp, RefusesAFolderIntoItself)
{
    MakeTree();
    TFakeUi ui;
    EXPECT_FALSE(ShellFileOp({Src + u"/d"_s}, Src + u"/d/e"_s, TzqFileOp::Move, 0, &ui));
    EXPECT_FALSE(ShellFileOp({Src + u"/d"_s}, Src + u"/d"_s, TzqFileOp::Copy, 0, &ui));
    EXPECT_FALSE(ShellFileOp({Src + u"/d"_s}, Src + u"/d/new"_s, TzqFileOp::Copy, 0, &ui));
    EXPECT_FALSE(ShellFileOp({Src + u"/d"_s}, Src + u"/d/e/f"_s, TzqFileOp::Rename, 0, &ui));
    // Moving a folder where it already is.
    EXPECT_FALSE(ShellFileOp({Src + u"/d"_s}, Src, TzqFileOp::Move, 0, &ui));
    EXPECT_EQ(ui.Errors.size(), 5);
    EXPECT_EQ(Snapshot(Src), Tree);
    // A sibling whose name merely begins like the folder's is another folder.
    EXPECT_TRUE(ShellFileOp({Src + u"/d"_s}, Src + u"/d2"_s, TzqFileOp::Copy, 0, &ui));
}

TEST_F(FileOp, DeletesToTheTrashWithoutAsking)
{
    MakeTree();
    TFakeUi ui;
    EXPECT_TRUE(
        ShellFileOp({Src + u"/a.txt"_s, Src + u"/d"_s}, QString(), TzqFileOp::Delete, 0x50, &ui));
    EXPECT_TRUE(ui.Questions.isEmpty());
    EXPECT_TRUE(Snapshot(Src).isEmpty());
    const QString trash = TrashDir();
    EXPECT_TRUE(trash.startsWith(Home->path())) << qPrintable(trash);
    EXPECT_EQ(ReadFile(trash + u"/files/a.txt"_s), "alpha");
    EXPECT_EQ(ReadFile(trash + u"/files/d/e/c.txt"_s), "charlie");
    EXPECT_TRUE(QFileInfo::exists(trash + u"/info/a.txt.trashinfo"_s));
    EXPECT_TRUE(QFileInfo::exists(trash + u"/info/d.trashinfo"_s));

    // Cancelled after the first item: it comes back out of the Trash.
    WriteFile(Src + u"/n.htm"_s, "note");
    QDir().mkpath(Src + u"/__n"_s);
    TFakeUi cancel;
    cancel.CancelAtStep = 2;
    EXPECT_FALSE(ShellFileOp({Src + u"/__n"_s, Src + u"/n.htm"_s}, QString(), TzqFileOp::Delete,
                             0x50, &cancel));
    EXPECT_TRUE(QFileInfo(Src + u"/__n"_s).isDir());
    EXPECT_EQ(ReadFile(Src + u"/n.htm"_s), "note");
    EXPECT_FALSE(QFileInfo::exists(trash + u"/files/__n"_s));
    EXPECT_FALSE(QFileInfo::exists(trash + u"/info/__n.trashinfo"_s));

    // Without the Trash, with no confirmation: gone at once.
    EXPECT_TRUE(ShellFileOp({Src + u"/n.htm"_s}, QString(), TzqFileOp::Delete, 0x10, nullptr));
    EXPECT_FALSE(QFileInfo::exists(Src + u"/n.htm"_s));
    // Without the Trash but with confirmation: asked first.
    TFakeUi ask;
    ask.DeleteAnswers = {TzqDeleteAnswer::No};
    EXPECT_FALSE(ShellFileOp({Src + u"/__n"_s}, QString(), TzqFileOp::Delete, 0, &ask));
    EXPECT_EQ(ask.Questions, QStringList{u"for good __n"_s});
    EXPECT_TRUE(QFileInfo::exists(Src + u"/__n"_s));
}

TEST_F(FileOp, NeverDeletesForGoodWhatTheTrashRefusesWithoutAYes)
{
    // A file where the Trash folder should be: nothing can go to the Trash.
    const QString trash = TrashDir();
    QDir().mkpath(QFileInfo(trash).absolutePath());
    QDir(trash).removeRecursively();
    WriteFile(trash, "in the way");
    WriteFile(Src + u"/a.txt"_s, "alpha");
    WriteFile(Src + u"/b.txt"_s, "bravo");

    EXPECT_FALSE(ShellFileOp({Src + u"/a.txt"_s}, QString(), TzqFileOp::Delete, 0x50, nullptr));
    EXPECT_EQ(ReadFile(Src + u"/a.txt"_s), "alpha");
    // Nothing was left in the working folder, where Qt puts what it cannot trash.
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath(u"files/a.txt"_s)));
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath(u"info/a.txt.trashinfo"_s)));

    TFakeUi no;
    no.DeleteAnswers = {TzqDeleteAnswer::No, TzqDeleteAnswer::Yes};
    EXPECT_FALSE(ShellFileOp({Src + u"/a.txt"_s, Src + u"/b.txt"_s}, QString(), TzqFileOp::Delete,
                             0x50, &no));
    EXPECT_EQ(no.Questions, (QStringList{u"no trash a.txt"_s, u"no trash b.txt"_s}));
    EXPECT_EQ(ReadFile(Src + u"/a.txt"_s), "alpha");
    EXPECT_FALSE(QFileInfo::exists(Src + u"/b.txt"_s));

    TFakeUi yes;
    yes.DeleteAnswers = {TzqDeleteAnswer::Yes};
    EXPECT_TRUE(ShellFileOp({Src + u"/a.txt"_s}, QString(), TzqFileOp::Delete, 0x50, &yes));
    EXPECT_FALSE(QFileInfo::exists(Src + u"/a.txt"_s));
    QFile::remove(trash);
}
