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

// An ISO media file's first box: its size, "ftyp", the major brand, a version, the others.
QByteArray Ftyp(QByteArrayView brands, char boxSize)
{
    return QByteArray(3, '\0') + boxSize + "ftyp" + brands.first(4) + QByteArray(4, '\0') +
           brands.sliced(4);
}

} // namespace

TEST(PictureFile, EachPictureGetsTheSuffixItsContentCallsFor)
{
    const struct {
        QByteArray Head;
        QString Suffix;
    } cases[] = {
        {"\x89PNG\r\n\x1A\n\0\0\0\rIHDR"_ba, u".png"_s},
        {"\xFF\xD8\xFF\xE0\0\x10JFIF"_ba, u".jpg"_s},
        {"GIF89a\x01\x00\x01\x00"_ba, u".gif"_s},
        {"GIF87a"_ba, u".gif"_s},
        {"BM\0\0\0\0\0\0\0\0\0\0\0\0\x28\0\0\0"_ba, u".bmp"_s},
        {"BM, a text that begins like a bitmap"_ba, {}},
        {"RIFF\x10\0\0\0WEBPVP8 "_ba, u".webp"_s},
        {"RIFF\x10\0\0\0WAVEfmt "_ba, {}},
        {"\0\0\1\0\1\0"_ba, u".ico"_s},
        {"\0\0\2\0\1\0"_ba, u".cur"_s},
        {"\0\0\1\0\0\0"_ba, {}},
        {Ftyp("avifavifmif1miaf", 28), u".avif"_s},
        {Ftyp("heicmif1heic", 24), u".heic"_s},
        // A generic still picture: the compatible brands tell which kind; past the box's end
        // there are none.
        {Ftyp("mif1mif1avifmiaf", 28), u".avif"_s},
        {Ftyp("mif1mif1heic", 24), u".heif"_s},
        {Ftyp("mif1mif1avif", 20), u".heif"_s},
        {Ftyp("isom", 28), {}},
        {"<svg xmlns=\"http://www.w3.org/2000/svg\"/>"_ba, u".svg"_s},
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!DOCTYPE svg>\n<svg/>"_ba, u".svg"_s},
        {"<!DOCTYPE html><html><svg/></html>"_ba, {}},
        {""_ba, {}},
        {"\x89PN"_ba, {}},
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
    const QByteArray jpeg = "\xFF\xD8\xFF\xE0\0\x10JFIF\0 picture bytes\r\n"_ba;
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
