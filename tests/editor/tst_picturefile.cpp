// Pictures as files: the suffix a picture's content calls for, and a picture the user chose
// copied into a note's file folder.
#include "editor/picturedownloader.h"
#include "editor/picturefile.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::Snapshot;
using testutil::WriteFile;

namespace {

QByteArray Bytes(const char* data, qsizetype size)
{
    return QByteArray(data, size);
}

} // namespace

TEST(PictureFile, EachPictureGetsTheSuffixItsContentCallsFor)
{
    QByteArray bmp("BM");
    bmp += QByteArray(12, '\0') + QByteArray::fromHex("28000000");
    const struct {
        QByteArray Head;
        QString Suffix;
    } cases[] = {
        {Bytes("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), u".png"_s},
        {Bytes("\xFF\xD8\xFF\xE0\0\x10JFIF", 10), u".jpg"_s},
        {"GIF89a\x01\x00\x01\x00", u".gif"_s},
        {"GIF87a", u".gif"_s},
        {bmp, u".bmp"_s},
        {"BM, a text that begins like a bitmap", {}},
        {Bytes("RIFF\x10\0\0\0WEBPVP8 ", 16), u".webp"_s},
        {Bytes("RIFF\x10\0\0\0WAVEfmt ", 16), {}},
        {Bytes("\0\0\1\0\1\0", 6), u".ico"_s},
        {Bytes("\0\0\2\0\1\0", 6), u".cur"_s},
        {Bytes("\0\0\1\0\0\0", 6), {}},
        {Bytes("\0\0\0\x1C"
               "ftypavif\0\0\0\0avifmif1miaf",
               28),
         u".avif"_s},
        {Bytes("\0\0\0\x18"
               "ftypheic\0\0\0\0mif1heic",
               24),
         u".heic"_s},
        // A generic still picture: the compatible brands tell which kind.
        {Bytes("\0\0\0\x1C"
               "ftypmif1\0\0\0\0mif1avifmiaf",
               28),
         u".avif"_s},
        {Bytes("\0\0\0\x18"
               "ftypmif1\0\0\0\0mif1heic",
               24),
         u".heif"_s},
        // "avif" past the end of the brand box is no brand.
        {Bytes("\0\0\0\x14"
               "ftypmif1\0\0\0\0mif1avif",
               24),
         u".heif"_s},
        {Bytes("\0\0\0\x1C"
               "ftypisom",
               12),
         {}},
        {"<svg xmlns=\"http://www.w3.org/2000/svg\"/>", u".svg"_s},
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!DOCTYPE svg>\n<svg/>", u".svg"_s},
        {"<!DOCTYPE html><html><svg/></html>", {}},
        {"", {}},
        {"\x89PN", {}},
    };
    for (const auto& c : cases) {
        const QString hex = QString::fromLatin1(c.Head.left(16).toHex(' '));
        EXPECT_EQ(PictureSuffixOfContent(c.Head), c.Suffix) << qPrintable(hex);
        // One rule decides what a picture is.
        EXPECT_EQ(TzqPictureDownloader::LooksLikePicture(c.Head), !c.Suffix.isEmpty())
            << qPrintable(hex);
    }
    EXPECT_TRUE(PictureSuffixOfFile(u"/no/such/file"_s).isEmpty());
}

TEST(PictureFile, AChosenPictureIsCopiedAndAnythingElseIsRefusedWithItsReason)
{
    QTemporaryDir dir;
    const QString note = dir.filePath(u"store/note.htm"_s);
    WriteFile(note, "<html></html>");
    const QByteArray jpeg = Bytes("\xFF\xD8\xFF\xE0\0\x10JFIF\0 picture bytes\r\n", 26);
    const QString photo = dir.filePath(u"from/사진 1.JPG"_s);
    WriteFile(photo, jpeg);
    WriteFile(dir.filePath(u"from/notes.png"_s), "plain text");
    const QString native = QDir::toNativeSeparators(dir.filePath(u"from"_s)) + QDir::separator();

    const TzqChosenPicture first = CopyChosenPicture(photo, note);
    EXPECT_EQ(first.Error, QString());
    EXPECT_EQ(first.Reference, u"__note\\사진 1.JPG"_s);
    EXPECT_EQ(first.Name, u"사진 1.JPG"_s);
    EXPECT_EQ(ReadFile(dir.filePath(u"store/__note/사진 1.JPG"_s)), jpeg);
    EXPECT_EQ(CopyChosenPicture(photo, note).Name, u"사진 101.JPG"_s);

    const auto before = Snapshot(dir.path());
    const struct {
        QString Path;
        QString Error;
    } refused[] = {
        {dir.filePath(u"from/missing.png"_s),
         u"그림 파일을 찾을 수 없습니다: "_s + native + u"missing.png"_s},
        {dir.filePath(u"from/notes.png"_s), u"그림 파일이 아닙니다: "_s + native + u"notes.png"_s},
        {dir.filePath(u"from"_s),
         u"그림 파일이 아닙니다: "_s + QDir::toNativeSeparators(dir.filePath(u"from"_s))},
    };
    for (const auto& r : refused) {
        const TzqChosenPicture picture = CopyChosenPicture(r.Path, note);
        EXPECT_EQ(picture.Error, r.Error);
        EXPECT_TRUE(picture.Reference.isEmpty());
    }
    EXPECT_EQ(Snapshot(dir.path()), before);

    // The file folder's name is taken by a file: the picture cannot go in, and that file stays.
    const QString other = dir.filePath(u"store/other.htm"_s);
    WriteFile(dir.filePath(u"store/__other"_s), "a file of the user");
    const TzqChosenPicture blocked = CopyChosenPicture(photo, other);
    EXPECT_TRUE(blocked.Error.startsWith(u"그림을 노트의 파일 폴더에 복사할 수 없습니다.\n"_s))
        << qPrintable(blocked.Error);
    EXPECT_TRUE(blocked.Reference.isEmpty());
    EXPECT_EQ(ReadFile(dir.filePath(u"store/__other"_s)), "a file of the user");
}
