#include "app/pagedefaults.h"
#include "editor/notecontent.h"
#include "store/notestore.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

TEST(NoteContent, SchemeUrlsMapBackToFiles)
{
    const QString path = u"/home/u/BookData/일기 #1/100% 똠.htm"_s;
    const QUrl url = NoteUrl(path);
    EXPECT_EQ(url.scheme(), u"zqnote"_s);
    EXPECT_EQ(NotePathFromUrl(url), path);
    // A reference written with a backslash resolves into the note's file folder.
    const QUrl pic = url.resolved(QUrl(u"__100%25_똠\\pic.png"_s));
    EXPECT_EQ(NotePathFromUrl(pic), u"/home/u/BookData/일기 #1/__100%_똠/pic.png"_s);
    EXPECT_EQ(NotePathFromUrl(QUrl(u"https://example.org/a.htm"_s)), QString());
}

TEST(NoteContent, NotesAreServedAsUtf8AndOtherFilesAsTheirBytes)
{
    QTemporaryDir dir;
    TzqNoteScope scope;
    scope.SetPlaces({dir.path()}, {});
    const QString note = dir.filePath(u"n.htm"_s);
    testutil::WriteFile(note, "<META charset=euc-kr>\xC7\xD1 \x8C\x63 \x94\xEE");
    TzqServedFile served = ServeFile(note, scope);
    ASSERT_TRUE(served.Found);
    EXPECT_EQ(served.MimeType, QByteArray("text/html;charset=utf-8"));
    EXPECT_EQ(QString::fromUtf8(served.Body), u"<META charset=euc-kr>한 똠 뷁"_s);
    // Notes of other editors are read as what they are.
    testutil::WriteFile(note, QByteArray("\xFF\xFE\x5C\xD5", 4));
    EXPECT_EQ(QString::fromUtf8(ServeFile(note, scope).Body), u"한"_s);
    testutil::WriteFile(note, "<meta charset=utf-8>\xEB\x98\xA0");
    EXPECT_EQ(QString::fromUtf8(ServeFile(note, scope).Body), u"<meta charset=utf-8>똠"_s);

    // Other files are handed over to be read as needed, never read whole here.
    const QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    testutil::WriteFile(dir.filePath(u"__n/pic.png"_s), png);
    served = ServeFile(dir.filePath(u"__n/pic.png"_s), scope);
    EXPECT_EQ(served.MimeType, QByteArray("image/png"));
    EXPECT_TRUE(served.Body.isEmpty());
    ASSERT_TRUE(served.Device && served.Device->isOpen());
    EXPECT_EQ(served.Device->pos(), 0);
    EXPECT_EQ(served.Device->readAll(), png);
    EXPECT_FALSE(ServeFile(dir.filePath(u"missing.htm"_s), scope).Found);
    EXPECT_FALSE(ServeFile(dir.path(), scope).Found); // a directory is no file
}

TEST(NoteContent, TheSchemeServesNothingOutsideItsPlaces)
{
    QTemporaryDir store;
    QTemporaryDir program;
    QTemporaryDir elsewhere;
    const QString secret = elsewhere.filePath(u"secret.txt"_s);
    testutil::WriteFile(secret, "key");
    testutil::WriteFile(store.filePath(u"a/n.htm"_s), "<p>n</p>");
    testutil::WriteFile(store.filePath(u"a/__n/p.png"_s), "png");
    testutil::WriteFile(program.filePath(u"zqtmp.zq"_s), "<p>hit</p>");
    testutil::WriteFile(program.filePath(u"zqQuillet.ini"_s), "[PROGRAM]");
    testutil::WriteFile(program.filePath(u"temp/t.png"_s), "png");
    TzqNoteScope scope;
    scope.SetPlaces({store.path(), program.filePath(u"temp"_s)}, {program.filePath(u"zqtmp.zq"_s)});
    const auto served = [&](const QUrl& url) {
        return ServeFile(NotePathFromUrl(url), scope).Found;
    };
    const QUrl note = NoteUrl(store.filePath(u"a/n.htm"_s));

    EXPECT_TRUE(served(note));
    EXPECT_TRUE(served(note.resolved(QUrl(u"__n\\p.png"_s))));
    EXPECT_TRUE(served(NoteUrl(program.filePath(u"temp/t.png"_s))));
    EXPECT_TRUE(served(NoteUrl(program.filePath(u"zqtmp.zq"_s))));

    // Absolute paths, "..", backslashes and escapes all end outside.
    EXPECT_FALSE(served(NoteUrl(secret)));
    EXPECT_FALSE(served(QUrl(u"zqnote:/etc/passwd"_s)));
    EXPECT_FALSE(served(NoteUrl(program.filePath(u"zqQuillet.ini"_s))));
    const QString up = QString(u"..\\"_s).repeated(20);
    EXPECT_FALSE(served(note.resolved(QUrl(up + secret.mid(1).replace(u'/', u'\\')))));
    EXPECT_FALSE(served(note.resolved(QUrl(u"../../../../../../../../.."_s + secret))));
    EXPECT_FALSE(
        served(QUrl(u"zqnote:"_s + store.path() + u"/a/..%2F..%2F..%2F..%2F..%2F..%2F.."_s +
                    QString::fromLatin1(QUrl::toPercentEncoding(secret)))));
    EXPECT_EQ(NotePathFromUrl(note.resolved(QUrl(u"..\\..\\x.htm"_s))),
              QDir::cleanPath(store.filePath(u"a/../../x.htm"_s)));

    // A link inside the store that points out of it is refused; one that stays is served.
    ASSERT_TRUE(QFile::link(secret, store.filePath(u"a/__n/link.png"_s)));
    ASSERT_TRUE(QFile::link(elsewhere.path(), store.filePath(u"a/out"_s)));
    ASSERT_TRUE(QFile::link(store.filePath(u"a/__n/p.png"_s), store.filePath(u"a/in.png"_s)));
    EXPECT_FALSE(served(NoteUrl(store.filePath(u"a/__n/link.png"_s))));
    EXPECT_FALSE(served(NoteUrl(store.filePath(u"a/out/secret.txt"_s))));
    EXPECT_TRUE(served(NoteUrl(store.filePath(u"a/in.png"_s))));

    // A folder beside the store whose name begins with the store's is not inside it.
    QDir().mkpath(store.path() + u"2"_s);
    testutil::WriteFile(store.path() + u"2/x.htm"_s, "x");
    EXPECT_FALSE(served(NoteUrl(store.path() + u"2/x.htm"_s)));
    QDir(store.path() + u"2"_s).removeRecursively();

    // Nothing is served before a data directory is open.
    EXPECT_FALSE(ServeFile(store.filePath(u"a/n.htm"_s), TzqNoteScope()).Found);
}

TEST(NoteContent, MissingFolderNoteIsWrittenBeforeItIsShown)
{
    QTemporaryDir dir;
    const QString folderNote = dir.filePath(u"Work/___zq_quillet__folder.htm"_s);
    QDir().mkpath(dir.filePath(u"Work"_s));
    EXPECT_TRUE(PreparePageForLoad(folderNote, FolderNoteDefault()));
    const QByteArray bytes = testutil::ReadFile(folderNote);
    EXPECT_TRUE(bytes.startsWith("<HTML><HEAD><META http-equiv=Content-Type content=\"text/html; "
                                 "charset=euc-kr\">\r\n"));
    EXPECT_TRUE(bytes.endsWith("</BODY></HTML>\r\n"));
    // An existing (even empty) folder note is left as it is.
    testutil::WriteFile(folderNote, "");
    EXPECT_TRUE(PreparePageForLoad(folderNote, FolderNoteDefault()));
    EXPECT_EQ(testutil::ReadFile(folderNote), QByteArray());
    // Any other missing page is not created.
    EXPECT_FALSE(PreparePageForLoad(dir.filePath(u"Work/gone.htm"_s), FolderNoteDefault()));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"Work/gone.htm"_s)));
}
