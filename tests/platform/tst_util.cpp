#include "platform/util.h"
#include "platform/zqerror.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

using namespace Qt::Literals::StringLiterals;

namespace {

// Seven pixels a character.
int SevenPixels(const QString& text)
{
    return int(text.size()) * 7;
}

quint32 Rgb(int r, int g, int b)
{
    return 0xFF000000u | quint32(r) << 16 | quint32(g) << 8 | quint32(b);
}

} // namespace

TEST(Util, ShortenPathToWidthDropsMiddleLevelsOneByOne)
{
    const QString path = u"C:\\Data\\Notes\\Work\\2024"_s; // 23 characters, 161 pixels
    EXPECT_EQ(ShortenPathToWidth(path, SevenPixels, 162), path);
    EXPECT_EQ(ShortenPathToWidth(path, SevenPixels, 161), u"C:\\Data\\Notes\\...\\2024"_s);
    EXPECT_EQ(ShortenPathToWidth(path, SevenPixels, 154), u"C:\\Data\\...\\2024"_s);
    EXPECT_EQ(ShortenPathToWidth(path, SevenPixels, 112), u"C:\\...\\2024"_s);
    EXPECT_EQ(ShortenPathToWidth(path, SevenPixels, 77), u"C\\...\\2024"_s);
    EXPECT_EQ(ShortenPathToWidth(path, SevenPixels, 70), u"2024"_s);
    EXPECT_EQ(ShortenPathToWidth(path, SevenPixels, 1), u"2024"_s);

    EXPECT_EQ(ShortenPathToWidth(u"C:\\Data\\"_s, SevenPixels, 100), u"C:\\Data"_s);
    EXPECT_EQ(ShortenPathToWidth(QString(), SevenPixels, 0), QString());
    // Paths on disk keep their own separator.
    EXPECT_EQ(ShortenPathToWidth(u"/home/u/Data/Notes/"_s, SevenPixels, 120),
              u"/home/u/.../Notes"_s);
    EXPECT_EQ(ShortenPathToWidth(u"/home/u/Data/Notes"_s, SevenPixels, 106), u"/home/.../Notes"_s);
    EXPECT_EQ(ShortenPathToWidth(u"/home/u/Data/Notes"_s, SevenPixels, 105), u"Notes"_s);
}

TEST(Util, PosFromCountsFromOneAndStopsAtTheEnd)
{
    const QString text = u"abcdefghi>j"_s;
    EXPECT_EQ(PosFrom(u">"_s, text, 2), 10);
    EXPECT_EQ(PosFrom(u">"_s, text, 10), 10);
    EXPECT_EQ(PosFrom(u">"_s, text, 11), 0);
    EXPECT_EQ(PosFrom(QString(), text, 5), 5);
    EXPECT_EQ(PosFrom(QString(), text, -3), 1);
    EXPECT_EQ(PosFrom(u"a"_s, text, 0), 1);
    EXPECT_EQ(PosFrom(u"a"_s, QString(), 1), 0);
    EXPECT_EQ(PosFrom(QString(), QString(), 1), 0);
    EXPECT_EQ(PosFrom(u"ij"_s, text, 11), 0); // does not fit
    EXPECT_EQ(PosFrom(u"J"_s, text, 1), 0);   // letter case counts
    EXPECT_EQ(PosFrom(u"i>j"_s, text, 9), 9);
}

TEST(Util, DetectImageTypeReadsTheFirstBytes)
{
    QTemporaryDir dir;
    // The literal's every byte, NULs included.
    const auto typeOf = [&dir]<size_t N>(const char(&literal)[N]) {
        const QByteArray bytes(literal, N - 1);
        const QString path = dir.filePath(u"pic"_s);
        QFile::remove(path);
        testutil::WriteFile(path, bytes);
        return DetectImageType(path);
    };
    EXPECT_EQ(typeOf("\x89PNG\r\n\x1A\n\0\0\0\rIHDR"), zqImagePng);
    EXPECT_EQ(typeOf("\xFF\xD8\xFF\xE1\x00\x18"
                     "Exif\0\0"),
              zqImageJpeg);
    EXPECT_EQ(typeOf("\xFF\xD8\xFF\xE1\x00\x18"
                     "exif"),
              zqImageJpeg);
    EXPECT_EQ(typeOf("\xFF\xD8\xFF\xE0\x00\x10"
                     "JFIF\0"),
              zqImageJpeg);
    EXPECT_EQ(typeOf("\xFF\xD8\xFF\xE0\x00\x10"
                     "JFI"),
              zqImageNone); // too short
    EXPECT_EQ(typeOf("GIF89a"), zqImageGif);
    EXPECT_EQ(typeOf("BM"), zqImageBmp);
    EXPECT_EQ(typeOf("bm"), zqImageBmp);
    EXPECT_EQ(typeOf("PT.."), zqImageBmp);
    EXPECT_EQ(typeOf("BM\0\0\0\0JFIF"), zqImageBmp); // the bitmap test comes first
    EXPECT_EQ(typeOf("<html>"), zqImageNone);
    EXPECT_EQ(typeOf(""), zqImageNone);
    EXPECT_EQ(DetectImageType(dir.filePath(u"missing.png"_s)), zqImageNone);
    EXPECT_EQ(DetectImageType(dir.path()), zqImageNone);
}

TEST(Util, CopyFileContentsCopiesBytesOrThrowsWithThePath)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(u"노트.htm"_s);
    const QString target = dir.filePath(u"copy.htm"_s);
    const QByteArray bytes("\xB0\xA1\r\n\0tail", 9);
    testutil::WriteFile(source, bytes);
    testutil::WriteFile(target, "an older and longer content");
    EXPECT_TRUE(CopyFileContents(source, target));
    EXPECT_EQ(testutil::ReadFile(target), bytes);

    // Copying a file onto itself keeps it.
    EXPECT_TRUE(CopyFileContents(source, source));
    EXPECT_EQ(testutil::ReadFile(source), bytes);

    try {
        CopyFileContents(dir.filePath(u"없음.htm"_s), target);
        ADD_FAILURE() << "no error for a missing source";
    } catch (const EzqError& error) {
        EXPECT_TRUE(error.Message().contains(u"없음.htm"_s)) << qPrintable(error.Message());
    }
    EXPECT_EQ(testutil::ReadFile(target), bytes);
    EXPECT_THROW(CopyFileContents(source, dir.filePath(u"no/such/folder/x.htm"_s)), EzqError);
}

TEST(Util, FileLastWriteTimeIsAWindowsFileTime)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"n.htm"_s);
    testutil::WriteFile(path, "x");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(
            file.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0, 0, 250), QTimeZone::utc()),
                             QFileDevice::FileModificationTime));
    }
    EXPECT_EQ(FileLastWriteTime(path), Q_INT64_C(132223104000000000) + 2500000);
    EXPECT_EQ(FileLastWriteTime(dir.filePath(u"missing.htm"_s)), 0);
    EXPECT_EQ(FileLastWriteTime(QString()), 0);

    const QString name = ComputerNameOrDefault();
    EXPECT_FALSE(name.isEmpty());
    EXPECT_LE(name.size(), 15);
    EXPECT_FALSE(name.back().isSpace());
}

TEST(Util, HueShiftRgbRotatesHueAndKeepsGreyAndAlpha)
{
    // Shift 0 gives every colour back; grey never changes.
    for (int r = 0; r < 256; r += 15) {
        for (int g = 0; g < 256; g += 17) {
            for (int b = 0; b < 256; b += 51)
                EXPECT_EQ(HueShiftRgb(Rgb(r, g, b), 0), Rgb(r, g, b)) << r << ' ' << g << ' ' << b;
        }
    }
    for (int shift : {0, 1, 88, 120, 239, 240, -88, 1000}) {
        for (int v : {0, 1, 127, 128, 200, 255})
            EXPECT_EQ(HueShiftRgb(Rgb(v, v, v), shift), Rgb(v, v, v));
    }

    // A third of a turn takes red to green, a sixth to yellow, half a turn blue to yellow.
    EXPECT_EQ(HueShiftRgb(Rgb(255, 0, 0), 80), Rgb(0, 255, 0));
    EXPECT_EQ(HueShiftRgb(Rgb(255, 0, 0), 40), Rgb(255, 255, 0));
    EXPECT_EQ(HueShiftRgb(Rgb(0, 0, 255), 120), Rgb(255, 255, 0));
    // Lightness and saturation stay: (128, 64, 64) is L = 96/255, S = 1/3.
    EXPECT_EQ(HueShiftRgb(Rgb(128, 64, 64), 80), Rgb(64, 128, 64));
    EXPECT_EQ(HueShiftRgb(Rgb(128, 64, 64), -80), Rgb(64, 64, 128));
    // Alpha is carried over untouched.
    EXPECT_EQ(HueShiftRgb(0x40FF0000u, 80), 0x4000FF00u);
    EXPECT_EQ(HueShiftRgb(0x00808080u, 88), 0x00808080u);
    // Several turns are the same as the rest of a turn.
    EXPECT_EQ(HueShiftRgb(Rgb(255, 0, 0), 2 * 240 + 80), Rgb(0, 255, 0));
    EXPECT_EQ(HueShiftRgb(Rgb(255, 0, 0), -240 - 160), Rgb(0, 255, 0));
    EXPECT_EQ(HueShiftRgb(Rgb(200, 100, 50), 240), Rgb(200, 100, 50));
}
