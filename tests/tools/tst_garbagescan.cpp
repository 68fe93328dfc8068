#include "tools/garbagescan.h"

#include "platform/cp949.h"
#include "platform/fileoperation.h"
#include "platform/zqerror.h"
#include "privatehome.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

QByteArray Cp949(const QString& text)
{
    return cp949::FromUnicode(text);
}

// Every file below dir with its bytes, to tell that nothing changed.
QMap<QString, QByteArray> Snapshot(const QString& dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, it.fileInfo().isFile() ? ReadFile(path) : QByteArray("<dir>"));
    }
    return files;
}

} // namespace

class GarbageScan : public TPrivateHomeSuite {
protected:
    QString Path(const QString& relative) const { return FDir.filePath(relative); }
    void Note(const QString& name, const QByteArray& bytes) { WriteFile(Path(name), bytes); }
    void File(const QString& relative) { WriteFile(Path(relative), "data"); }

    QStringList Scan(const QString& user = u"me"_s)
    {
        Scanner = std::make_unique<TGarbageScan>(user);
        EXPECT_TRUE(Scanner->ScanFolder(FDir.path()));
        return Scanner->Candidates();
    }

    static QString TrashDir()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Trash"_s;
    }

    QTemporaryDir FDir;
    std::unique_ptr<TGarbageScan> Scanner;
};

TEST_F(GarbageScan, EveryWayANoteSpellsAReferenceKeepsTheFile)
{
    // One file per spelling, one unreferenced file, and files only similar to a reference.
    const QStringList kept = {
        u"__a\\back.jpg"_s,        u"__a\\forward.jpg"_s, u"__a\\with space.jpg"_s,
        u"__a\\한글.png"_s,        u"__a\\똘.gif"_s,      u"__a\\똠.gif"_s,
        u"__a\\R&D.jpg"_s,         u"__a\\Abs.jpg"_s,     u"__a\\lower.JPG"_s,
        u"__b\\other.jpg"_s,       u"__a\\a%20b.jpg"_s,   u"__a\\c%20d.jpg"_s,
        u"__a\\slash%5Cesc.jpg"_s, u"__UP\\x.jpg"_s,      u"__a\\u8.jpg"_s,
        u"__a\\u16.jpg"_s,         u"__a\\q&amp;r.jpg"_s};
    for (const QString& f : kept)
        File(QString(f).replace(u'\\', u'/'));
    File(u"__a/unused.jpg"_s);
    File(u"__a/D.jpg.bak"_s);
    File(u"__b/x.jpg"_s);
    File(u"__a/inner/deep.jpg"_s); // never a candidate

    Note(u"a.htm"_s,
         Cp949(u"<img src=\"__a\\back.jpg\"><img src='__a/forward.jpg'>\r\n"
               "<img src=\"__a/with%20space.jpg\"><IMG SRC=\"__a/%ED%95%9C%EA%B8%80.png\">\r\n"
               "<img src=\"__a\\&#xB618;.gif\"><img src=\"__a\\&#46624;.gif\">\n"
               "<a href=\"__a\\R&amp;D.jpg\">x</a> <img "
               "src=\"zqnote:///home/u/Book/Trip/__a/Abs.jpg\">\r"
               "<img src=\"__A\\LOWER.jpg\"> __a\\a%20b.jpg and __a/c%2520d.jpg "
               "__a%5Cslash%255Cesc.jpg"
               " __up/X.JPG <!-- __a/q&amp;amp;r.jpg -->\r\n"_s));
    // Korean text and names, as most notes are.
    for (const QString& f :
         {u"__k/사진 01.jpg"_s, u"__k/사진 02.jpg"_s, u"__k/사진 03.jpg"_s, u"__k/사진 04.jpg"_s})
        File(f);
    Note(u"k.htm"_s, Cp949(u"<p>똠방각하 회의</p><img src=\"__k/사진%2001.jpg\">\r\n"
                           u"<img src=\"zqnote:///tmp/x/__k/사진 02.jpg\"><p>뷁</p>"
                           u"<img src=\"__K\\&#49324;&#51652; 03.jpg\">"_s));
    // Another note of the folder refers to the file folder of a note that does not exist.
    Note(u"other.HTM"_s, Cp949(u"<p>see __b\\other.jpg and D.jpg</p>"_s));
    Note(u"utf8.html"_s, "<meta charset=\"utf-8\"><img src=\"__a/u8.jpg\">");
    QString utf16 = u"<img src=\"__a\\u16.jpg\">"_s;
    QByteArray u16("\xFF\xFE", 2);
    u16.append(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2);
    Note(u"utf16.htm"_s, u16);
    // Neither a note of this folder nor a note at all.
    Note(u"sub/n.htm"_s, "__a/unused.jpg __b/x.jpg");
    Note(u"notes.txt"_s, "__a/unused.jpg __b/x.jpg");

    const QStringList candidates = Scan();
    EXPECT_EQ(QSet<QString>(candidates.begin(), candidates.end()),
              (QSet<QString>{u"__a\\unused.jpg"_s, u"__a\\D.jpg.bak"_s, u"__b\\x.jpg"_s,
                             u"__k\\사진 04.jpg"_s}));
    EXPECT_TRUE(Scanner->FileFolders().contains(u"__UP"_s));
}

// Only the stretches after "__" or an escaped underscore are decoded: references written
// wholly in escapes, long ones, and ones among many other underscores are still found.
TEST_F(GarbageScan, ReferencesWrittenWhollyInEscapesOrAmongUnderscores)
{
    const QString longName = u"한글로 된 아주 긴 사진 이름입니다 여행 첫째 날 바닷가에서.jpg"_s;
    for (const QString& f : QStringList{u"__e/one.jpg"_s, u"__e/two.jpg"_s, u"__e/three.jpg"_s,
                                        u"__e/four.jpg"_s, u"__e/"_s + longName, u"__e/gone.jpg"_s})
        File(f);
    QByteArray escaped;
    for (const char c : longName.toUtf8())
        escaped += '%' + QByteArray::number(uchar(c), 16).toUpper().rightJustified(2, '0');
    Note(u"e.htm"_s, "<img src=\"%5F%5Fe%2Fone.jpg\"> &#95;&#95;e\\two.jpg "
                     "_%5fe/three.jpg &#x5F;_e/four.jpg\r\n"
                     "________________________________________________________________ "
                     "<img src=\"__e/" +
                         escaped + "\">\r\n");
    EXPECT_EQ(Scan(), QStringList{u"__e\\gone.jpg"_s});
}

TEST_F(GarbageScan, ListsOnlyPlainFilesOfRealFileFoldersAndChangesNothing)
{
    File(u"__a/.hidden"_s);
    File(u"__a/sub/inner.jpg"_s);
    File(u"outside.jpg"_s);
    File(u"notfilefolder/x.jpg"_s);
    File(u"_single/x.jpg"_s);
    QFile::link(Path(u"outside.jpg"_s), Path(u"__a/link.jpg"_s));
    QDir().mkpath(Path(u"elsewhere"_s));
    File(u"elsewhere/y.jpg"_s);
    QFile::link(Path(u"elsewhere"_s), Path(u"__linked"_s));
    QDir().mkpath(Path(u"__empty"_s));
    Note(u"a.htm"_s, "<a name=top></a>text");
    const auto before = Snapshot(FDir.path());

    EXPECT_EQ(Scan(), QStringList{u"__a\\.hidden"_s});
    EXPECT_EQ(QSet<QString>(Scanner->FileFolders().begin(), Scanner->FileFolders().end()),
              (QSet<QString>{u"__a"_s, u"__empty"_s}));
    EXPECT_EQ(Scanner->AnchorNotes(), QStringList{u"a.htm"_s});
    EXPECT_EQ(Snapshot(FDir.path()), before);

    // Cancelled: nothing listed, nothing changed.
    TGarbageScan cancelled(u"me"_s);
    EXPECT_FALSE(cancelled.ScanFolder(FDir.path(), [](int done, int) { return done < 1; }));
    EXPECT_TRUE(cancelled.Candidates().isEmpty());
    EXPECT_EQ(Snapshot(FDir.path()), before);
}

TEST_F(GarbageScan, UnreadableNoteStopsTheScanWithoutAnyChange)
{
    File(u"__a/x.jpg"_s);
    Note(u"a.htm"_s, "<a name=x></a>");
    // A note whose bytes cannot be read, whoever runs the test.
    ASSERT_TRUE(QFile::link(u"/proc/self/mem"_s, Path(u"bad.htm"_s)));
    const auto before = Snapshot(FDir.path());
    TGarbageScan scan(u"me"_s);
    try {
        scan.ScanFolder(FDir.path());
        FAIL() << "no error";
    } catch (const EzqError& e) {
        EXPECT_TRUE(e.Message().contains(u"bad.htm"_s));
        EXPECT_TRUE(e.Message().contains(u"폴더 정리를 멈췄습니다"_s));
    }
    EXPECT_TRUE(scan.Candidates().isEmpty());
    EXPECT_EQ(Snapshot(FDir.path()), before);
}

TEST_F(GarbageScan, DropEmptyAnchorsRemovesOnlyTheirBytes)
{
    bool changed = false;
    // Lines are neither joined nor split; the last line counts too.
    EXPECT_EQ(DropEmptyAnchors("<p><a name=top></a>Text\r\nMore\nx\ry<A\tNAME=\"e\"></A>",
                               TzqNoteEncoding::Cp949, &changed),
              QByteArray("<p>Text\r\nMore\nx\ry"));
    EXPECT_TRUE(changed);
    // Not anchors, or not empty.
    for (const char* kept : {"<abbr></abbr>", "<a href=x>t</a>", "<a></ a>", "<a name=x> </a>",
                             "<area></a>", "<a title=\"1>2\"", "<a\r\n"}) {
        EXPECT_EQ(DropEmptyAnchors(kept, TzqNoteEncoding::Cp949, &changed), QByteArray(kept));
        EXPECT_FALSE(changed) << kept;
    }
    EXPECT_EQ(DropEmptyAnchors("<a title=\"1>2\" x='<'></a>.<a\n\nname=n></a>",
                               TzqNoteEncoding::Cp949, &changed),
              QByteArray("."));
    // CP949 characters whose second byte is a Latin letter stay whole.
    const QByteArray korean = Cp949(u"똠<a></a>똠방각하"_s);
    EXPECT_EQ(DropEmptyAnchors(korean, TzqNoteEncoding::Cp949, &changed), Cp949(u"똠똠방각하"_s));
    // UTF-16, byte-order mark kept.
    const auto utf16 = [](const QString& text) {
        QByteArray b("\xFF\xFE", 2);
        b.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        return b;
    };
    EXPECT_EQ(DropEmptyAnchors(utf16(u"x<a id=1></a>\r\ny"_s), TzqNoteEncoding::Utf16LE, &changed),
              utf16(u"x\r\ny"_s));
    EXPECT_TRUE(changed);
}

TEST_F(GarbageScan, DeleteTrashesItemByItemAndEmptyFileFoldersAfter)
{
    File(u"__a/x.jpg"_s);
    File(u"__a/y.jpg"_s);
    File(u"__old/1.jpg"_s);
    File(u"__old/2.jpg"_s);
    File(u"__sub/dir/z.jpg"_s);
    File(u"__busy/fail.jpg"_s);
    QDir().mkpath(Path(u"__none"_s));
    const QByteArray a = "<p><a name=top></a>Text\r\nMore\r\n<img src=\"__a\\x.jpg\">\r\n";
    Note(u"a.htm"_s, a);
    const QStringList candidates = Scan();
    EXPECT_EQ(QSet<QString>(candidates.begin(), candidates.end()),
              (QSet<QString>{u"__a\\y.jpg"_s, u"__old\\1.jpg"_s, u"__old\\2.jpg"_s,
                             u"__busy\\fail.jpg"_s}));
    ASSERT_EQ(Scanner->AnchorNotes(), QStringList{u"a.htm"_s});
    EXPECT_EQ(ReadFile(Path(u"a.htm"_s)), a);

    // One file the Trash refuses stays and is reported; the others still go.
    TGarbageScan scan(u"me"_s, [](const QStringList& paths) {
        return paths[0].endsWith(u"fail.jpg"_s) ? QStringList{paths[0] + u" (refused)"_s}
                                                : TrashFilesOneByOne(paths);
    });
    ASSERT_TRUE(scan.ScanFolder(FDir.path()));
    const TGarbageDeleteResult result = scan.DeleteGarbage();

    EXPECT_EQ(ReadFile(Path(u"a.htm"_s)),
              QByteArray("<p>Text\r\nMore\r\n<img src=\"__a\\x.jpg\">\r\n"));
    EXPECT_EQ(result.NotesWritten, QStringList{u"a.htm"_s});
    EXPECT_TRUE(QFile::exists(Path(u"__a/x.jpg"_s)));
    EXPECT_FALSE(QFile::exists(Path(u"__a/y.jpg"_s)));
    EXPECT_FALSE(QFile::exists(Path(u"__old"_s)));
    EXPECT_FALSE(QFile::exists(Path(u"__none"_s)));
    EXPECT_TRUE(QFile::exists(Path(u"__sub/dir/z.jpg"_s)));
    EXPECT_TRUE(QFile::exists(TrashDir() + u"/files/y.jpg"_s));
    EXPECT_EQ(QSet<QString>(result.FoldersTrashed.begin(), result.FoldersTrashed.end()),
              (QSet<QString>{u"__old"_s, u"__none"_s}));
    EXPECT_TRUE(QFile::exists(Path(u"__busy/fail.jpg"_s)));
    EXPECT_EQ(result.Left, QStringList{Path(u"__busy/fail.jpg"_s) + u" (refused)"_s});
    EXPECT_TRUE(QFile::exists(Path(u"__busy"_s)));
}

TEST_F(GarbageScan, NotesOfOtherUsersAndLaterReferencesAreRespected)
{
    File(u"__mine/a.jpg"_s);
    File(u"__theirs/b.jpg"_s);
    File(u"__free/c.jpg"_s);
    File(u"__free/d.jpg"_s);
    const QByteArray theirs = "<a name=t></a><p>editing</p>\r\n";
    Note(u"mine.htm"_s, "<a name=m></a>\r\n");
    Note(u"theirs.htm"_s, theirs);
    WriteFile(Path(u"theirs.qzmod"_s), "other\r\n");

    const QStringList candidates = Scan(u"me"_s);
    // The file folder of a note another user edits is left alone, and so is the note.
    EXPECT_EQ(QSet<QString>(candidates.begin(), candidates.end()),
              (QSet<QString>{u"__mine\\a.jpg"_s, u"__free\\c.jpg"_s, u"__free\\d.jpg"_s}));
    EXPECT_EQ(Scanner->AnchorNotes(), QStringList{u"mine.htm"_s});

    // Saved after the scan: a reference that keeps its file after all.
    Note(u"later.htm"_s, "<img src=\"__free/c.jpg\">");
    const TGarbageDeleteResult result =
        Scanner->DeleteGarbage({u"__mine\\a.jpg"_s, u"__free\\c.jpg"_s, u"__free\\d.jpg"_s,
                                u"__theirs\\b.jpg"_s, u"..\\outside.jpg"_s});
    EXPECT_EQ(QSet<QString>(result.Trashed.begin(), result.Trashed.end()),
              (QSet<QString>{u"__mine\\a.jpg"_s, u"__free\\d.jpg"_s}));
    EXPECT_TRUE(QFile::exists(Path(u"__free/c.jpg"_s)));
    EXPECT_TRUE(QFile::exists(Path(u"__theirs/b.jpg"_s)));
    EXPECT_EQ(ReadFile(Path(u"theirs.htm"_s)), theirs);
    EXPECT_EQ(ReadFile(Path(u"mine.htm"_s)), QByteArray("\r\n"));
    EXPECT_FALSE(QFile::exists(Path(u"__mine"_s)));
}

TEST_F(GarbageScan, StoppedDeleteLeavesEveryItemWholeAndTellsWhatStayed)
{
    const QByteArray anchored = "<a name=t></a>x\r\n";
    const struct {
        TGarbageDeleteStep Step;
        int At;
        int NotesWritten;
        int Trashed;
    } cases[] = {
        {TGarbageDeleteStep::ReadNotes, 1, 0, 0},
        {TGarbageDeleteStep::WriteNotes, 1, 1, 0},
        {TGarbageDeleteStep::TrashFiles, 1, 2, 1},
        {TGarbageDeleteStep::TrashFolders, 0, 2, 3},
    };
    for (const auto& c : cases) {
        const QString folder = Path(u"stop%1"_s.arg(int(c.Step)));
        for (const QString& note : {u"a.htm"_s, u"b.htm"_s})
            WriteFile(folder + u'/' + note, anchored);
        for (const QString& file : {u"1.jpg"_s, u"2.jpg"_s, u"3.jpg"_s})
            WriteFile(folder + u"/__a/"_s + file, "data");
        TGarbageScan scan(u"me"_s);
        ASSERT_TRUE(scan.ScanFolder(folder));
        const QStringList candidates = scan.Candidates();
        ASSERT_EQ(candidates.size(), 3);

        QString stoppedAt;
        const TGarbageDeleteResult result = scan.DeleteGarbage(
            candidates, [&](TGarbageDeleteStep step, int done, int, const QString& item) {
                if (step != c.Step || done != c.At)
                    return true;
                stoppedAt = item;
                return false;
            });
        SCOPED_TRACE(int(c.Step));
        EXPECT_TRUE(result.Stopped);
        EXPECT_EQ(result.NotesWritten.size(), c.NotesWritten);
        int rewritten = 0;
        for (const QString& note : {u"a.htm"_s, u"b.htm"_s}) {
            const QByteArray bytes = ReadFile(folder + u'/' + note);
            EXPECT_TRUE(bytes == anchored || bytes == "x\r\n") << bytes.constData();
            rewritten += bytes == "x\r\n";
        }
        EXPECT_EQ(rewritten, c.NotesWritten);
        EXPECT_EQ(result.Trashed, candidates.mid(0, c.Trashed));
        EXPECT_EQ(result.NotTried, candidates.mid(c.Trashed));
        for (int i = 0; i < 3; ++i) {
            const QString path = folder + u'/' + QString(candidates[i]).replace(u'\\', u'/');
            EXPECT_EQ(QFile::exists(path), i >= c.Trashed) << path.toStdString();
        }
        if (c.Step == TGarbageDeleteStep::TrashFiles)
            EXPECT_EQ(stoppedAt, candidates[1]);
        EXPECT_TRUE(QFileInfo(folder + u"/__a"_s).isDir()) << "the folder is never reached";
    }
}
