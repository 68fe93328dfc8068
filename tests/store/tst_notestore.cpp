#include "app/pagedefaults.h"
#include "platform/zqerror.h"
#include "store/notestore.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

// The expected files, spelled out byte for byte (CP949: 돋움 B5B8 BFF2, 굴림 B1BC B8B2,
// 돋움체 B5B8 BFF2 C3BC, the black square A1E1).
const QByteArray SkeletonBytes =
    "<HTML><HEAD><META http-equiv=Content-Type content=\"text/html; charset=euc-kr\">\r\n"
    "<style type=\"text/css\"><!--\r\n"
    "BODY,TD,SELECT,input,DIV,form,TEXTAREA,option {font-size:9pt; "
    "font-family:\xB5\xB8\xBF\xF2,\xB1\xBC\xB8\xB2,verdana,tahoma;line-height:180%;"
    "color:333333}\r\n"
    "A:link {color:#4077a0;text-decoration:none;font-weight: bold}\r\n"
    "A:visited {color:#4077a0;text-decoration:none;font-weight: bold}\r\n"
    "A:hover{color:#990000;text-decoration:none;font-weight: bold}\r\n"
    ".title {BORDER-BOTTOM: #ccc 1px solid; MARGIN-BOTTOM: 5px; COLOR: #4070aa; TEXT-ALIGN: "
    "left; font-weight: bold;}\r\n"
    ".subttl {BORDER-BOTTOM: #f7d9a2 1px solid; MARGIN-BOTTOM: 5px; TEXT-ALIGN: left; "
    "font-weight: bold;}\r\n"
    ".zqsource {TEXT-ALIGN: left; font-family:\"\xB5\xB8\xBF\xF2\xC3\xBC\", Seoul;"
    "line-height:120%; font-size:12px}\r\n"
    "--></style>\r\n"
    "</HEAD><BODY bgcolor=\"#f4f4ec\">\r\n"
    "<DIV class=\"title\"> \xA1\xE1 </DIV>\r\n"
    "<table width=\"620\" border=\"0\" align=\"center\">\r\n"
    "  <tr>\r\n"
    "    <td>\r\n"
    "      <p>&nbsp;</p>\r\n"
    "      <p>&nbsp;</p>\r\n"
    "\t  </td>\r\n"
    "  </tr>\r\n"
    "</table>\r\n"
    "<p>&nbsp;</p>\r\n"
    "</BODY></HTML>\r\n";

const QByteArray FolderNoteBytes =
    "<HTML><HEAD><META http-equiv=Content-Type content=\"text/html; charset=euc-kr\">\r\n"
    "<style type=\"text/css\"><!--\r\n"
    "BODY,TD,SELECT,input,DIV,form,TEXTAREA,option {font-size:9pt; "
    "font-family:\xB5\xB8\xBF\xF2,\xB1\xBC\xB8\xB2,verdana,tahoma;line-height:180%;"
    "color:333333}\r\n"
    "A:link {color:#4077a0;text-decoration:none;font-weight: bold}\r\n"
    "A:visited {color:#4077a0;text-decoration:none;font-weight: bold}\r\n"
    "A:hover{color:#990000;text-decoration:none;font-weight: bold}\r\n"
    "--></style></HEAD><BODY bgcolor=\"#f4f4ec\">\r\n"
    "<TABLE cellSpacing=1 cellPadding=0 width=\"100%\" border=0> <TR bgColor=#eaeadc>\r\n"
    "<TD><DIV><font color=\"#6d9ecf\">&nbsp;\xA1\xE1</font><STRONG><FONT color=#376193> "
    "title</FONT></STRONG></DIV>\r\n"
    "</TD></TR></TABLE>\r\n"
    "<DIV></DIV>\r\n"
    "<DIV></DIV>\r\n"
    "</BODY></HTML>\r\n";

class NoteStore : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(FTemp.isValid()); }
    QString Path(const QString& name) const { return FTemp.path() + u'/' + name; }
    void Touch(const QString& name) const { WriteFile(Path(name), "x"); }
    void MakeDir(const QString& name) const { ASSERT_TRUE(QDir().mkpath(Path(name))); }

    QTemporaryDir FTemp;
};

} // namespace

TEST_F(NoteStore, FileFoldersBesideThePage)
{
    EXPECT_EQ(NoteFileFolder(u"/n/Work/My plan.htm"_s), u"/n/Work/__My_plan"_s);
    EXPECT_EQ(LegacyNoteFileFolder(u"/n/Work/My plan.htm"_s), u"/n/Work/__My plan"_s);
    EXPECT_EQ(NoteFileFolder(u"/n/Work/___zq_quillet__folder.htm"_s),
              u"/n/Work/_____zq_quillet__folder"_s);
    // Only the last extension goes; dots in the name stay.
    EXPECT_EQ(NoteFileFolder(u"/n/Plan 2.1.htm"_s), u"/n/__Plan_2.1"_s);
    EXPECT_EQ(NoteFileFolder(u"/n/Plan.HTM"_s), u"/n/__Plan"_s);
    EXPECT_FALSE(QFileInfo::exists(NoteFileFolder(Path(u"a b.htm"_s))));

    const QString page = Path(u"Deep/er/My plan.htm"_s);
    EXPECT_EQ(EnsureFileFolder(page), Path(u"Deep/er/__My_plan/"_s));
    EXPECT_TRUE(QFileInfo(Path(u"Deep/er/__My_plan"_s)).isDir());
    EXPECT_EQ(EnsureFileFolder(page), Path(u"Deep/er/__My_plan/"_s)); // already there

    Touch(u"file"_s);
    EXPECT_THROW(EnsureFileFolder(Path(u"file/x.htm"_s)), EzqError);
}

TEST(NoteNames, MakeValidFileNameReplacesTheNineReservedCharacters)
{
    EXPECT_EQ(MakeValidFileName(u"a:b*c?.htm"_s), u"a_b_c_.htm"_s);
    EXPECT_EQ(MakeValidFileName(u"\\/:*?<>|\""_s), u"_________"_s);
    EXPECT_EQ(MakeValidFileName(u"계획 'x' (1)."_s), u"계획 'x' (1)."_s);
    EXPECT_EQ(TrimBlanks(u"\t \x01 a b \r\n"_s), u"a b"_s);
}

TEST_F(NoteStore, NewNameRefusalsInOrder)
{
    const QString dir = FTemp.path() + u'/';
    const QString listed = u"이름 끝에 .\\/:*?\"<>|를 사용할 수 없습니다."_s;

    TzqNameCheck c = CheckNewName(u" \t "_s, dir, TzqItemKind::Note, true);
    EXPECT_FALSE(c.Accepted);
    EXPECT_EQ(c.Message, u"이름을 반드시 입력하여 주십시오."_s);
    EXPECT_FALSE(c.WriteBack);

    for (const QString& typed : {u"..."_s, u"_._"_s, u"?*|"_s, u" \\/ "_s}) {
        c = CheckNewName(typed, dir, TzqItemKind::Folder, true);
        EXPECT_EQ(c.Message, listed) << qPrintable(typed);
        EXPECT_FALSE(c.WriteBack);
    }

    // Trimmed, cleaned, trailing underscores gone; the title keeps what was typed.
    c = CheckNewName(u"  a?b*  "_s, dir, TzqItemKind::Note, true);
    EXPECT_TRUE(c.Accepted);
    EXPECT_TRUE(c.Message.isEmpty());
    EXPECT_EQ(c.Name, u"a_b"_s);
    EXPECT_EQ(c.Title, u"a?b*"_s);
    EXPECT_TRUE(c.WriteBack);

    c = CheckNewName(u"Plan."_s, dir, TzqItemKind::Note, true);
    EXPECT_TRUE(c.Accepted);
    EXPECT_EQ(c.Name, u"Plan"_s);

    // The template check comes before the existence check, and the name is written back.
    Touch(u"Plan.htm"_s);
    c = CheckNewName(u"Plan"_s, dir, TzqItemKind::Note, false);
    EXPECT_FALSE(c.Accepted);
    EXPECT_EQ(c.Message, u"노트 양식을 선택하여 주십시오."_s);
    EXPECT_TRUE(c.WriteBack);
    EXPECT_EQ(c.Name, u"Plan"_s);

    EXPECT_EQ(CheckNewName(u"Plan_"_s, dir, TzqItemKind::Note, true).Message,
              u"같은 이름의 파일이 이미 존재합니다."_s);
    // The file Plan.htm does not take the folder name Plan, nor the directory the note name.
    EXPECT_TRUE(CheckNewName(u"Plan"_s, dir, TzqItemKind::Folder, true).Accepted);
    MakeDir(u"Work"_s);
    EXPECT_TRUE(CheckNewName(u"Work"_s, dir, TzqItemKind::Note, true).Accepted);
    // No trailing separator on the directory works the same.
    EXPECT_EQ(CheckNewName(u"Work"_s, FTemp.path(), TzqItemKind::Folder, true).Message,
              u"같은 이름의 폴더가 이미 존재합니다."_s);

    // Names the tree would hide or take for a folder's own page.
    const QString hidden = u"폴더 이름은 . 이나 __ 로 시작할 수 없습니다."_s;
    EXPECT_EQ(CheckNewName(u"__x"_s, dir, TzqItemKind::Folder, true).Message, hidden);
    EXPECT_EQ(CheckNewName(u".x"_s, dir, TzqItemKind::Folder, true).Message, hidden);
    EXPECT_TRUE(CheckNewName(u"__x"_s, dir, TzqItemKind::Note, true).Accepted);
    EXPECT_TRUE(CheckNewName(u"_x"_s, dir, TzqItemKind::Folder, true).Accepted);
    EXPECT_EQ(CheckNewName(u"___zq_quillet__folder"_s, dir, TzqItemKind::Note, true).Message,
              u"이 이름은 노트 이름으로 사용할 수 없습니다."_s);
}

TEST_F(NoteStore, PlainNameRefusals)
{
    const QString dir = FTemp.path();
    TzqNameCheck c = CheckUserFileName(u"  "_s, dir, TzqItemKind::Note);
    EXPECT_EQ(c.Message, u"이름을 반드시 입력하여 주십시오."_s);
    EXPECT_TRUE(c.WriteBack);
    EXPECT_TRUE(c.Name.isEmpty());

    c = CheckUserFileName(u" Plan. "_s, dir, TzqItemKind::Note);
    EXPECT_EQ(c.Message, u"이름 끝에 . 을 사용하실 수 없습니다."_s);
    EXPECT_EQ(c.Name, u"Plan."_s);

    // Trailing underscores stay here; the cleaned name is written back.
    c = CheckUserFileName(u" a?b_ "_s, dir, TzqItemKind::Note);
    EXPECT_TRUE(c.Accepted);
    EXPECT_EQ(c.Name, u"a_b_"_s);

    Touch(u"Plan.htm"_s);
    MakeDir(u"Work"_s);
    EXPECT_EQ(CheckUserFileName(u"Plan"_s, dir, TzqItemKind::Note).Message,
              u"같은 이름의 파일이 존재합니다."_s);
    EXPECT_EQ(CheckUserFileName(u"Work"_s, dir + u'/', TzqItemKind::Folder).Message,
              u"같은 이름의 디렉토리가 존재합니다."_s);
    EXPECT_TRUE(CheckUserFileName(u"Work"_s, dir, TzqItemKind::Note).Accepted);
    EXPECT_TRUE(CheckUserFileName(u"Plan"_s, dir, TzqItemKind::Folder).Accepted);
    EXPECT_EQ(CheckUserFileName(u"__Work"_s, dir, TzqItemKind::Folder).Message,
              u"폴더 이름은 . 이나 __ 로 시작할 수 없습니다."_s);
}

TEST_F(NoteStore, DefaultNewNames)
{
    MakeDir(u"Recipes"_s);
    const QString recipes = Path(u"Recipes/"_s);
    EXPECT_EQ(DefaultNewName(recipes, TzqItemKind::Note), u"Recipes_01"_s);
    Touch(u"Recipes/Recipes_01.htm"_s);
    EXPECT_EQ(DefaultNewName(recipes, TzqItemKind::Note), u"Recipes_02"_s);
    EXPECT_EQ(DefaultNewName(recipes, TzqItemKind::Folder), u"Recipes_01"_s);
    for (int n = 2; n <= 99; ++n)
        Touch(u"Recipes/Recipes_%1.htm"_s.arg(n, 2, 10, QChar(u'0')));
    EXPECT_EQ(DefaultNewName(recipes, TzqItemKind::Note), u"Recipes_100"_s);

    MakeDir(u"Work/Work_01"_s);
    EXPECT_EQ(DefaultNewName(Path(u"Work/"_s), TzqItemKind::Note), u"Work_01"_s);
    EXPECT_EQ(DefaultNewName(Path(u"Work/"_s), TzqItemKind::Folder), u"Work_02"_s);
    EXPECT_EQ(DefaultNewName(Path(u"Work"_s), TzqItemKind::Folder), u"Work_02"_s);

    // A directory without a name of its own.
    EXPECT_TRUE(DefaultNewName(u"/"_s, TzqItemKind::Note).startsWith(u"새 노트_"_s));
    EXPECT_TRUE(DefaultNewName(u"/"_s, TzqItemKind::Folder).startsWith(u"새 폴더_"_s));
}

TEST_F(NoteStore, FixedPagesByteForByte)
{
    EXPECT_EQ(NewPageSkeleton().size(), 22);
    EXPECT_EQ(FolderNoteDefault().size(), 13);

    // Writing truncates what was there.
    const QString page = Path(u"p.htm"_s);
    WriteFile(page, QByteArray(5000, 'z'));
    WritePageLines(page, NewPageSkeleton());
    EXPECT_EQ(ReadFile(page), SkeletonBytes);
    WritePageLines(page, FolderNoteDefault());
    EXPECT_EQ(ReadFile(page), FolderNoteBytes);
}

TEST_F(NoteStore, TemplatesGetTheTitleOncePerLine)
{
    const QString tpl = Path(u"tpl.htm"_s);
    const QString target = Path(u"new.htm"_s);
    // LF and CR line ends on reading, Korean bytes kept.
    WriteFile(tpl, "<title><!--title--></title>\n"
                   "<h1><!--title--> and <!--title--></h1>\r"
                   "\xC7\xD1 no title\r\n"
                   "<!--title--");
    InstantiateTemplate(tpl, u"a?b* <&>"_s, target);
    EXPECT_EQ(ReadFile(target), QByteArray("<title>a?b* <&></title>\r\n"
                                           "<h1>a?b* <&> and <!--title--></h1>\r\n"
                                           "\xC7\xD1 no title\r\n"
                                           "<!--title--\r\n"));

    InstantiateTemplate(tpl, u"계획"_s, target);
    EXPECT_TRUE(ReadFile(target).startsWith("<title>\xB0\xE8\xC8\xB9</title>\r\n"));
    // A character CP949 lacks still reads right in the page.
    InstantiateTemplate(tpl, u"a😀"_s, target);
    EXPECT_TRUE(ReadFile(target).startsWith("<title>a&#x1F600;</title>\r\n"));

    // Missing template: the skeleton, without the title.
    InstantiateTemplate(Path(u"gone.htm"_s), u"x"_s, target);
    EXPECT_EQ(ReadFile(target), SkeletonBytes);
}

TEST_F(NoteStore, FileFolderReferencesRewritten)
{
    const QString page = Path(u"My plan.htm"_s);
    WriteFile(page, "<img src=\"__My_plan\\a.png\"><img src=\"__My_plan\\b.png\">\n"
                    "<img src='__My_plan\\c.png'> __My_plan\\d.png \"__My_plan/e.png\"\n"
                    "\"__My_plan_x\\f.png\" \"x__My_plan\\g.png\" \"__My_plan\"\n");
    RewriteFileFolderRefs(page, u"__My_plan"_s, u"__Other"_s);
    EXPECT_EQ(ReadFile(page),
              QByteArray("<img src=\"__Other\\a.png\"><img src=\"__Other\\b.png\">\n"
                         "<img src='__My_plan\\c.png'> __My_plan\\d.png \"__My_plan/e.png\"\n"
                         "\"__My_plan_x\\f.png\" \"x__My_plan\\g.png\" \"__My_plan\"\n"));

    // A new name that holds the old one, or equals it, ends; unchanged pages are not written.
    WriteFile(page, "\"__a\\1\" \"__a\\2\"");
    QFile(page).setFileTime(QDateTime::currentDateTime().addDays(-1),
                            QFileDevice::FileModificationTime);
    const QDateTime before = QFileInfo(page).lastModified();
    RewriteFileFolderRefs(page, u"__a"_s, u"__a"_s);
    RewriteFileFolderRefs(page, u"__b"_s, u"__c"_s);
    EXPECT_EQ(QFileInfo(page).lastModified(), before);
    RewriteFileFolderRefs(page, u"__a"_s, u"__ab"_s);
    EXPECT_EQ(ReadFile(page), QByteArray("\"__ab\\1\" \"__ab\\2\""));
    RewriteFileFolderRefs(page, u"__ab"_s, u"x\"__ab"_s);
    EXPECT_EQ(ReadFile(page), QByteArray("\"x\"__ab\\1\" \"x\"__ab\\2\""));

    // Korean names compare as CP949 bytes, or as text in a note of another encoding.
    WriteFile(page, "<a href=\"__\xB0\xE8\xC8\xB9\\f.txt\">\r\n");
    RewriteFileFolderRefs(page, u"__계획"_s, u"__새_계획"_s);
    EXPECT_EQ(ReadFile(page), QByteArray("<a href=\"__\xBB\xF5_\xB0\xE8\xC8\xB9\\f.txt\">\r\n"));
    WriteFile(page, "\xEF\xBB\xBF<a href=\"__\xEA\xB3\x84\xED\x9A\x8D\\f.txt\">\n");
    RewriteFileFolderRefs(page, u"__계획"_s, u"__새"_s);
    EXPECT_EQ(ReadFile(page), QByteArray("\xEF\xBB\xBF<a href=\"__\xEC\x83\x88\\f.txt\">\n"));

    EXPECT_THROW(RewriteFileFolderRefs(Path(u"gone.htm"_s), u"__a"_s, u"__b"_s), EzqError);
}

TEST_F(NoteStore, EditMarkers)
{
    const QString page = Path(u"My plan.htm"_s);
    const QString marker = Path(u"My plan.qzmod"_s);
    EXPECT_EQ(EditMarkerPath(page), marker);
    EXPECT_EQ(EditMarkerPath(u"/n/Work/___zq_quillet__folder.htm"_s),
              u"/n/Work/___zq_quillet__folder.qzmod"_s);
    EXPECT_EQ(EditMarkerPath(u"/n/Plan 2.1.htm"_s), u"/n/Plan 2.1.qzmod"_s);

    // Unshared: nothing is written, and there is no lock.
    WriteEditMarker(page, u"Alpha"_s, false);
    EXPECT_FALSE(QFileInfo::exists(marker));
    EXPECT_EQ(ReadEditMarker(page), QString());
    EXPECT_FALSE(IsLockedByOther(page, u"alpha"_s));
    EXPECT_TRUE(DeleteEditMarker(page));

    WriteEditMarker(page, u"Alpha"_s, true);
    EXPECT_EQ(ReadFile(marker), QByteArray("Alpha\r\n"));
    EXPECT_EQ(ReadEditMarker(page), u"Alpha"_s);
    EXPECT_FALSE(IsLockedByOther(page, u"Alpha"_s));
    EXPECT_TRUE(IsLockedByOther(page, u"alpha"_s));

    // Another user's marker is overwritten; Korean names are CP949.
    WriteEditMarker(page, u"계획"_s, true);
    EXPECT_EQ(ReadFile(marker), QByteArray("\xB0\xE8\xC8\xB9\r\n"));
    EXPECT_EQ(ReadEditMarker(page), u"계획"_s);
    EXPECT_TRUE(IsLockedByOther(page, u"Alpha"_s));
    EXPECT_FALSE(IsLockedByOther(page, u"계획"_s));

    // A name CP949 lacks a character of still matches its own marker only.
    WriteEditMarker(page, u"A😀"_s, true);
    EXPECT_FALSE(IsLockedByOther(page, u"A😀"_s));
    EXPECT_TRUE(IsLockedByOther(page, u"A😁"_s));

    // Existing markers of other programs: first line only; an empty one names nobody.
    WriteFile(marker, "Beta\nsecond\r\n");
    EXPECT_EQ(ReadEditMarker(page), u"Beta"_s);
    WriteFile(marker, "");
    EXPECT_EQ(ReadEditMarker(page), QString());
    EXPECT_TRUE(IsLockedByOther(page, u"Beta"_s));
    EXPECT_FALSE(IsLockedByOther(page, QString()));

    EXPECT_TRUE(DeleteEditMarker(page));
    EXPECT_FALSE(QFileInfo::exists(marker));
    EXPECT_FALSE(IsLockedByOther(page, u"Beta"_s));

    // Markers that cannot be written or read: an error naming the file.
    try {
        WriteEditMarker(Path(u"gone/x.htm"_s), u"Alpha"_s, true);
        ADD_FAILURE() << "no error";
    } catch (const EzqError& e) {
        EXPECT_TRUE(e.Message().contains(u"x.qzmod"_s)) << e.what();
    }
    MakeDir(u"My plan.qzmod"_s);
    EXPECT_THROW(ReadEditMarker(page), EzqError);
    EXPECT_THROW(IsLockedByOther(page, u"Alpha"_s), EzqError);
}

TEST(NoteStoreKorean, EnglishWindowsWhenHangulCannotBeShown)
{
    EXPECT_FALSE(IsEnglishWindows());
    SetHangulFontAvailable(false);
    EXPECT_TRUE(IsEnglishWindows());
    SetHangulFontAvailable(true);
    EXPECT_FALSE(IsEnglishWindows());
}
