// Pictures as files: the suffix a picture's content calls for.
#include "editor/picturedownloader.h"
#include "editor/picturefile.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

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
