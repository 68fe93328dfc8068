#include "editor/notecontent.h"
#include "store/notestore.h"
#include "testutil.h"

#include <gtest/gtest.h>

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
    const QString note = dir.filePath(u"n.htm"_s);
    testutil::WriteFile(note, "<META charset=euc-kr>\xC7\xD1 \x8C\x63 \x94\xEE");
    TzqServedFile served = ServeFile(note);
    ASSERT_TRUE(served.Found);
    EXPECT_EQ(served.MimeType, QByteArray("text/html;charset=utf-8"));
    EXPECT_EQ(QString::fromUtf8(served.Body), u"<META charset=euc-kr>한 똠 뷁"_s);

    const QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    testutil::WriteFile(dir.filePath(u"__n/pic.png"_s), png);
    served = ServeFile(dir.filePath(u"__n/pic.png"_s));
    EXPECT_EQ(served.MimeType, QByteArray("image/png"));
    EXPECT_EQ(served.Body, png);
    EXPECT_FALSE(ServeFile(dir.filePath(u"missing.htm"_s)).Found);
    EXPECT_FALSE(ServeFile(dir.path()).Found); // a directory is no file
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
