// What the editor inserts: time stamps, file links and media, linked pictures, links,
// snippets, layers, and the copies of files into a note's file folder.
#include "editor/insertmarkup.h"

#include "app/zqinifile.h"
#include "platform/cp949.h"
#include "platform/zqerror.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

QDateTime At(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms));
}

TEST(FormatDateTime, DefaultPatternAndWeekdays)
{
    const QString def = u"yyyy-mm-dd hh:nn:ss dddd"_s;
    EXPECT_EQ(FormatDateTime(def, At(2024, 3, 5, 7, 8, 9)), u"2024-03-05 07:08:09 화요일"_s);
    EXPECT_EQ(FormatDateTime(def, At(2023, 12, 31, 23, 59, 0)), u"2023-12-31 23:59:00 일요일"_s);
    const QStringList week{u"월요일"_s, u"화요일"_s, u"수요일"_s, u"목요일"_s,
                           u"금요일"_s, u"토요일"_s, u"일요일"_s};
    // 2024-01-01 was a Monday.
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(FormatDateTime(u"dddd"_s, At(2024, 1, 1 + i, 0, 0, 0)), week[i]);
    EXPECT_EQ(FormatDateTime(u"ddd"_s, At(2024, 1, 6, 0, 0, 0)), u"토"_s);
}

TEST(FormatDateTime, OtherPatterns)
{
    const QDateTime t = At(2009, 7, 4, 0, 5, 6, 42);
    EXPECT_EQ(FormatDateTime(u"YYYY/M/D H:N:S"_s, t), u"2009/7/4 0:5:6"_s);
    EXPECT_EQ(FormatDateTime(u"yy.mm.dd zzz z"_s, t), u"09.07.04 042 42"_s);
    EXPECT_EQ(FormatDateTime(u"mmmm dd"_s, t), u"7월 04"_s);
    // Quoted text is copied without its quotes, even pattern letters; an open quote runs to
    // the end.
    EXPECT_EQ(FormatDateTime(u"yyyy\"년 dd\" '[mm]' \"hh"_s, t), u"2009년 dd [mm] hh"_s);
    // Letters that are no pattern stay.
    EXPECT_EQ(FormatDateTime(u"Week: xtr! 한글"_s, t), u"Week: xtr! 한글"_s);
    EXPECT_EQ(FormatDateTime(QString(), t), QString());
    // ampm switches the hours to 1 to 12.
    EXPECT_EQ(FormatDateTime(u"ampm h:nn"_s, t), u"오전 12:05"_s);
    EXPECT_EQ(FormatDateTime(u"AMPM hh:nn"_s, At(2009, 7, 4, 13, 0, 0)), u"오후 01:00"_s);
    EXPECT_EQ(FormatDateTime(u"hh:nn"_s, At(2009, 7, 4, 13, 0, 0)), u"13:00"_s);
}

TEST(Markup, FileLinksByExtension)
{
    EXPECT_EQ(FileLinkMarkup(u"__n\\report.pdf"_s),
              u"<a href=\"__n\\report.pdf\">report.pdf</a> "_s);
    // Sound: the name without its extension, then the player; letter case of the extension
    // does not matter.
    EXPECT_EQ(FileLinkMarkup(u"__n\\Song.MP3"_s),
              u"<a href=\"__n\\Song.MP3\">Song</a><br><EMBED style=\"WIDTH: 300px; HEIGHT: "
              u"45px;\" src=\"__n\\Song.MP3\" type=\"text/plain; charset=EUC-KR\" "
              u"AllowScriptAccess =\"never\" autostart =\"false\" invokeURLs=\"false\"><br>"_s);
    for (const QString& ext : {u".asf"_s, u".wma"_s, u".wav"_s})
        EXPECT_TRUE(FileLinkMarkup(u"__n\\a"_s + ext).contains(u"<EMBED"_s)) << qPrintable(ext);
    const QString flash = FileLinkMarkup(u"__n\\movie.swf"_s);
    EXPECT_TRUE(flash.startsWith(u"<embed src=\"__n\\movie.swf\" pluginspage=\""_s));
    EXPECT_TRUE(flash.endsWith(u"/go/getflashplayer\" type=\"application/x-shockwave-flash\" "
                               u"width=\"450\" height=\"300\" quality=\"high\"></embed>"_s));
    EXPECT_EQ(FileLinkMarkup(u"__n\\mp3"_s), u"<a href=\"__n\\mp3\">mp3</a> "_s);
}

TEST(Markup, EscapesReferencesAndTexts)
{
    EXPECT_EQ(FileLinkMarkup(u"__n\\a\"b<c&d.txt"_s),
              u"<a href=\"__n\\a&quot;b&lt;c&amp;d.txt\">a&quot;b&lt;c&amp;d.txt</a> "_s);
    EXPECT_EQ(FileLinkMarkup(u"__n\\<x>.wav"_s).count(u"&lt;x&gt;"_s), 3);
    EXPECT_FALSE(PictureLinkMarkup(u"__n\\\"><script>.png"_s, 0).contains(u"<script>"_s));
    EXPECT_EQ(LinkMarkup(u"https://a.example/?x=1&y=\"2\""_s, u"<b>"_s),
              u"<a href=\"https://a.example/?x=1&amp;y=&quot;2&quot;\">&lt;b&gt;</a>"_s);
    EXPECT_EQ(LinkMarkup(u"https://a.example/"_s, QString()),
              u"<a href=\"https://a.example/\">https://a.example/</a>"_s);
}

TEST(Markup, LocalFilesAndPictures)
{
    // A file of this computer: a file: URL that a browser reads back as the same path, and
    // its own name as the link text.
    const QString ref = LocalFileReference(u"/home/u/My #1 100%.mp3"_s);
    EXPECT_EQ(ref, u"file:///home/u/My%20%231%20100%25.mp3"_s);
    EXPECT_EQ(ReferenceFileName(ref), u"My #1 100%.mp3"_s);
    EXPECT_TRUE(FileLinkMarkup(ref).startsWith(u"<a href=\""_s + ref + u"\">My #1 100%</a>"_s));
    EXPECT_EQ(FileFolderReference(u"/n/Work/__My_plan/"_s, u"a.png"_s), u"__My_plan\\a.png"_s);
    EXPECT_EQ(FileFolderReference(u"__x"_s, u"b.gif"_s), u"__x\\b.gif"_s);

    const QString r = u"__n\\p.png"_s;
    EXPECT_EQ(PictureLinkMarkup(r, 1),
              u"<a href=\"__n\\p.png\"><img alt=\"__n\\p.png\" "
              u"src=\"__n\\p.png\" border=\"0\" align=\"left\"></a><br>"_s);
    EXPECT_EQ(PictureLinkMarkup(r, 2), u"<a href=\"__n\\p.png\"><img alt=\"__n\\p.png\" "
                                       u"src=\"__n\\p.png\" border=\"0\" align=\"right\"></a>"_s);
    EXPECT_EQ(PictureLinkMarkup(r, 0), u"<a href=\"__n\\p.png\"><img alt=\"__n\\p.png\" "
                                       u"src=\"__n\\p.png\" border=\"0\"></a>"_s);
    EXPECT_EQ(PictureLinkMarkup(r, 7), PictureLinkMarkup(r, 0));
}

TEST(Snippets, CaptionsSlotsAndValues)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"zqQuillet.ini"_s);
    QByteArray ini = "[PROGRAM]\r\nLBC=0\r\n[IHTMLS]\r\n" +
                     cp949::FromUnicode(u"구분선=<hr>\r\n"_s) + "Empty=\r\n";
    for (int i = 3; i <= 11; ++i)
        ini += "S" + QByteArray::number(i) + "=<b>" + QByteArray::number(i) + "</b>\r\n";
    WriteFile(file, ini);
    const TzqIniFile f(file);
    const QStringList captions = SnippetCaptions(f);
    ASSERT_EQ(captions.size(), 11);
    EXPECT_EQ(captions[0], u"구분선"_s);
    EXPECT_EQ(captions[1], u"Empty"_s);
    EXPECT_EQ(SnippetHtml(f, u"구분선"_s), u"<hr>"_s);
    EXPECT_EQ(SnippetHtml(f, u"Missing"_s), QString());
    EXPECT_EQ(SnippetSlotHtml(f, 1), u"<hr>"_s);
    EXPECT_EQ(SnippetSlotHtml(f, 2), QString());
    EXPECT_EQ(SnippetSlotHtml(f, 9), u"<b>9</b>"_s);
    // Only the first nine are slots.
    EXPECT_EQ(SnippetSlotHtml(f, 10), QString());
    EXPECT_EQ(SnippetSlotHtml(f, 0), QString());

    const TzqIniFile none(dir.filePath(u"missing.ini"_s));
    EXPECT_TRUE(SnippetCaptions(none).isEmpty());
    EXPECT_EQ(SnippetSlotHtml(none, 1), QString());
}

TEST(Layer, Markup)
{
    const QString open = u"<div style=\"position:absolute; width:200px; z-index:100\">"_s;
    const QString close = u"<div>더블클릭으로 내용 입력</div></TD></TR></TABLE></div>"_s;
    TzqLayerOptions o;
    o.BorderWidth = 2;
    o.Margin = 3;
    EXPECT_EQ(LayerMarkup(o), open +
                                  u" <TABLE WIDTH=\"100%\" border=0 cellPadding=3 cellSpacing=2 "
                                  u"bgColor=#FFE0B3><TR><TD valign=\"top\" bgColor=#FFFDF4>"_s +
                                  close);
    o.Fill = false;
    o.BorderColor = 0x0A0B0C;
    EXPECT_EQ(LayerMarkup(o), open +
                                  u" <TABLE WIDTH=\"100%\" border=0 cellPadding=3 cellSpacing=2 "
                                  u"bgColor=#0A0B0C><TR><TD valign=\"top\">"_s +
                                  close);
    o.Fill = true;
    o.Border = false;
    o.Margin = 0;
    EXPECT_EQ(LayerMarkup(o), open +
                                  u"<TABLE WIDTH=\"100%\" border=0 cellPadding=0 cellSpacing=2>"
                                  u"<TR><TD valign=\"top\" bgColor=#FFFDF4>"_s +
                                  close);
    o.Fill = false;
    EXPECT_EQ(LayerMarkup(o), open + u"<div>더블클릭으로 내용 입력</div></div>"_s);

    EXPECT_EQ(ColorToHex(0xFFE0B3), u"FFE0B3"_s);
    EXPECT_EQ(ColorToHex(0x00000F), u"00000F"_s);
    EXPECT_EQ(ColorToHex(0xFF123456), u"123456"_s);
}

TEST(Layer, SettingsRoundTripAndRanges)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"zqQuillet.ini"_s);
    TzqIniFile ini(file);
    EXPECT_EQ(ReadLayerOptions(ini), TzqLayerOptions());

    TzqLayerOptions o;
    o.Border = false;
    o.BorderWidth = 4;
    o.Margin = 0;
    WriteLayerOptions(ini, o);
    EXPECT_EQ(ReadFile(file), "[PROGRAM]\r\nLBC=0\r\nLFC=1\r\nLBW=4\r\nLMW=0\r\n");
    EXPECT_EQ(ReadLayerOptions(ini), o);

    // Hand-edited widths come back within the dialog's ranges.
    WriteFile(file, "[PROGRAM]\r\nLBW=500\r\nLMW=-3\r\nLBC=yes\r\n");
    const TzqLayerOptions read = ReadLayerOptions(ini);
    EXPECT_EQ(read.BorderWidth, 10);
    EXPECT_EQ(read.Margin, 0);
    EXPECT_TRUE(read.Border);
}

TEST(FileFolderNames, SafeNames)
{
    EXPECT_EQ(SafeFileName(u"a%20b.png"_s), u"ab.png"_s);
    EXPECT_EQ(SafeFileName(u"[1].png"_s), u"zqzq.png"_s);
    EXPECT_EQ(SafeFileName(u"photo.JPG"_s), u"photo.JPG"_s);
    EXPECT_EQ(SafeFileName(u"사진 1.png"_s), u"사진 1.png"_s);
    // Directories go, and nothing can climb out of the folder or hide.
    EXPECT_EQ(SafeFileName(u"../../etc/passwd"_s), u"passwd"_s);
    EXPECT_EQ(SafeFileName(u".."_s), u"_"_s);
    EXPECT_EQ(SafeFileName(u"..png"_s), u"_.png"_s);
    EXPECT_EQ(SafeFileName(u".bashrc"_s), u"zqzq.bashrc"_s);
    EXPECT_EQ(SafeFileName(u"dir\\a.txt"_s), u"a.txt"_s);
    // Reserved characters are dropped; what a reference would misread becomes "_".
    EXPECT_EQ(SafeFileName(u"a\"b<c>|*?:d&e.txt"_s), u"abcd&e.txt"_s);
    EXPECT_EQ(SafeFileName(u"a#b\tc.txt"_s), u"a_b_c.txt"_s);
    EXPECT_EQ(SafeFileName(u"x. ."_s), u"x"_s);
    // Characters CP949 cannot write.
    EXPECT_EQ(SafeFileName(u"a\U0001F600b\u0E01.png"_s), u"a_b_.png"_s);
    EXPECT_EQ(SafeFileName(u"a.\U0001F600"_s), u"a._"_s);
    // Very long names still fit a file name of 255 bytes once numbered.
    const QString longName = SafeFileName(QString(300, u'가') + u".png"_s);
    EXPECT_LE(longName.toUtf8().size() + 3, 255);
    EXPECT_TRUE(longName.endsWith(u".png"_s));
}

TEST(FileFolderNames, Numbering)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    EXPECT_EQ(UniqueNameInFolder(folder, u"shot.png"_s), u"shot.png"_s);
    WriteFile(folder + u"/shot.png"_s, "x");
    EXPECT_EQ(UniqueNameInFolder(folder, u"shot.png"_s), u"shot01.png"_s);
    // Letter case aside, as on a shared folder.
    WriteFile(folder + u"/SHOT01.PNG"_s, "x");
    EXPECT_EQ(UniqueNameInFolder(folder, u"shot.png"_s), u"shot02.png"_s);
    for (int k = 2; k <= 99; ++k)
        WriteFile(folder + u"/shot%1.png"_s.arg(k, 2, 10, QChar(u'0')), "x");
    EXPECT_EQ(UniqueNameInFolder(folder, u"shot.png"_s), u"shot100.png"_s);
    EXPECT_EQ(UniqueNameInFolder(folder + u"/missing"_s, u"a%41.png"_s), u"a.png"_s);
}

class CopyIntoFolder : public ::testing::Test {
protected:
    QString Make(const QString& name, const QByteArray& bytes)
    {
        const QString path = Dir.filePath(u"src/"_s + name);
        WriteFile(path, bytes);
        return path;
    }
    QStringList AllIn(const QString& folder) const
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }
    QTemporaryDir Dir;
};

TEST_F(CopyIntoFolder, CopiesUnderNewNamesAndLeavesNoTemporaryFile)
{
    const QString folder = Dir.filePath(u"n/__a_b"_s);
    const QString shot = Make(u"shot.png"_s, "first");
    EXPECT_EQ(CopyIntoFileFolder(shot, folder), u"shot.png"_s);
    WriteFile(shot, "second");
    EXPECT_EQ(CopyIntoFileFolder(shot, folder + u'/'), u"shot01.png"_s);
    EXPECT_EQ(ReadFile(folder + u"/shot.png"_s), "first");
    EXPECT_EQ(ReadFile(folder + u"/shot01.png"_s), "second");
    const QString odd = Make(u"a<&\".png"_s, "odd");
    EXPECT_EQ(CopyIntoFileFolder(odd, folder), u"a&.png"_s);
    const QString empty = Make(u"empty.txt"_s, "");
    EXPECT_EQ(CopyIntoFileFolder(empty, folder), u"empty.txt"_s);
    EXPECT_EQ(AllIn(folder),
              (QStringList{u"a&.png"_s, u"empty.txt"_s, u"shot.png"_s, u"shot01.png"_s}));
}

TEST_F(CopyIntoFolder, FailuresThrowAndLeaveNothing)
{
    const QString folder = Dir.filePath(u"__n"_s);
    EXPECT_THROW(CopyIntoFileFolder(Dir.filePath(u"missing.png"_s), folder), EzqError);
    EXPECT_THROW(CopyIntoFileFolder(Dir.path(), folder), EzqError);
    // A folder that cannot be made: a file holds its name.
    const QString shot = Make(u"shot.png"_s, "x");
    WriteFile(folder, "a file");
    EXPECT_THROW(CopyIntoFileFolder(shot, folder), EzqError);
    EXPECT_THROW(CopyIntoFileFolder(shot, folder + u"/deeper"_s), EzqError);
    EXPECT_EQ(ReadFile(folder), "a file");
    EXPECT_EQ(AllIn(Dir.path()), (QStringList{u"__n"_s, u"src"_s}));
}

TEST_F(CopyIntoFolder, PicturesOfANote)
{
    const QString page = Dir.filePath(u"notes/a b.htm"_s);
    WriteFile(page, "<html></html>");
    const QString pic = Make(u"[x]pic%20.png"_s, "png");
    EXPECT_EQ(CopyImageToNoteFolder(pic, page), u"__a_b\\pic.png"_s);
    EXPECT_EQ(CopyImageToNoteFolder(pic, page), u"__a_b\\pic01.png"_s);
    EXPECT_EQ(ReadFile(Dir.filePath(u"notes/__a_b/pic01.png"_s)), "png");
    // A missing file keeps its path, and no folder is made for it.
    const QString missing = Dir.filePath(u"gone.png"_s);
    const QString other = Dir.filePath(u"notes/c.htm"_s);
    EXPECT_EQ(CopyImageToNoteFolder(missing, other), missing);
    EXPECT_FALSE(QFileInfo::exists(Dir.filePath(u"notes/__c"_s)));
}

} // namespace
