// The settings dialog's values without the dialog: the data directory rows and their
// operations, reading and writing the whole settings file in one change, and the refusals.
#include "app/datadirs.h"
#include "app/zqprjinfo.h"
#include "filesizelimit.h"
#include "platform/cp949.h"
#include "platform/zqerror.h"
#include "testutil.h"
#include "tools/configvalues.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

TzqDataDirRows FiveRows()
{
    TzqDataDirRows rows;
    for (int n = 1; n <= 5; ++n)
        rows.SetRow(n, u"이름%1"_s.arg(n), u"/data/%1"_s.arg(n), n == 3);
    return rows;
}

// All nine presets spelled as a save writes them, so a save without a change keeps them.
QByteArray CanonicalPresets()
{
    QByteArray s = "[Format]\r\n";
    for (int n = 1; n <= 9; ++n) {
        const QByteArray k = QByteArray::number(n);
        s += "FontName" + k + "=\xB5\xB8\xBF\xF2\r\nFontSize" + k + "=1\r\nFontColor" + k +
             "=clBlack\r\nBackColor" + k + "=clWhite\r\nbold" + k + "=0\r\nitalic" + k +
             "=1\r\nunder" + k + "=0\r\nstride" + k + "=1\r\n";
    }
    return s;
}

class ConfigValuesTest : public ::testing::Test {
protected:
    QTemporaryDir FDir;
    QString IniPath() const { return FDir.filePath(u"zqQuillet.ini"_s); }
    QString Editor() const { return FDir.filePath(u"editor"_s); }
    void MakeEditor() const
    {
        WriteFile(Editor(), "#!/bin/sh\n");
        QFile::setPermissions(Editor(), QFile::permissions(Editor()) | QFile::ExeOwner);
    }
};

} // namespace

TEST(DataDirRowsTest, RowOperationsMoveWholeRows)
{
    // Deleting row 3 of five, where only row 3 is shared, leaves four rows none of them shared.
    TzqDataDirRows rows = FiveRows();
    EXPECT_TRUE(rows.Delete(3));
    for (int n = 1; n <= 4; ++n) {
        EXPECT_FALSE(rows.Row(n).Shared) << n;
        EXPECT_EQ(rows.Row(n).Name, u"이름%1"_s.arg(n < 3 ? n : n + 1));
    }
    EXPECT_TRUE(rows.Row(5).IsEmpty());

    // Inserting moves the rows below down and leaves an empty row.
    rows = FiveRows();
    EXPECT_TRUE(rows.Insert(2));
    EXPECT_TRUE(rows.Row(2).IsEmpty());
    EXPECT_EQ(rows.Row(4).Name, u"이름3"_s);
    EXPECT_TRUE(rows.Row(4).Shared);
    EXPECT_EQ(rows.Row(6).Dir, u"/data/5"_s);

    // With row 50 used an insert would push its record out: refused, nothing moves.
    rows.SetRow(50, u"마지막"_s, u"/data/50"_s, false);
    const TzqDataDirRows before = rows;
    EXPECT_FALSE(rows.CanInsert(1));
    EXPECT_FALSE(rows.Insert(1));
    EXPECT_FALSE(rows.Insert(50));
    EXPECT_TRUE(rows == before);
    // Deleting a row frees row 50 again.
    EXPECT_TRUE(rows.Delete(10));
    EXPECT_TRUE(rows.CanInsert(1));
    EXPECT_EQ(rows.Row(49).Name, u"마지막"_s);

    // Moves stop at the ends.
    rows = FiveRows();
    EXPECT_FALSE(rows.CanMoveUp(1));
    EXPECT_FALSE(rows.MoveUp(1));
    EXPECT_FALSE(rows.CanMoveDown(50));
    EXPECT_FALSE(rows.MoveDown(50));
    EXPECT_TRUE(rows == FiveRows());
    EXPECT_TRUE(rows.MoveUp(3));
    EXPECT_EQ(rows.Row(2).Name, u"이름3"_s);
    EXPECT_TRUE(rows.Row(2).Shared);
    EXPECT_FALSE(rows.Row(3).Shared);
    EXPECT_TRUE(rows.MoveDown(2));
    EXPECT_TRUE(rows == FiveRows());
    EXPECT_FALSE(rows.Delete(0));
    EXPECT_FALSE(rows.Delete(51));
}

TEST_F(ConfigValuesTest, ConfirmWithoutChangesKeepsTheFileButForTheKeysAlwaysWritten)
{
    // PROGRAM's keys spelled as a save writes them; records with and without IsShare, one
    // without a directory, one whose name is not valid CP949, foreign sections and comments.
    const QByteArray program = "; settings\r\n"
                               "[PROGRAM]\r\n"
                               "MyName=\xB1\xE8\xC3\xB6\xBC\xF6\r\n"
                               "BootMode=1\r\nDEX=0\r\nMiniTray=1\r\nCGRD=0\r\n"
                               "FindRootOption=1\r\ntmAuto=5\r\n"
                               "DateFormat=yyyy-mm-dd\r\n"
                               "TextEditor=/nowhere/editor\r\n"
                               "CharSet=ksc5601\r\nFPanel=1\r\nCDrag=0\r\nCMsg=1\r\n"
                               "NoSplitter=0\r\nInsertNoteAppend=1\r\nViewHangulMark=0\r\n"
                               "Left=10\r\nlstPage=Work\\\r\n"
                               "\r\n";
    const QByteArray dataDir1 = "[DataDir1]\r\nName=\xB1\xE2\xBA\xBB\r\ndir=/data/a\r\n";
    const QByteArray dataDir2 = "[DataDir2]\r\nName=B\r\ndir=/data/b\r\nIsShare=0\r\n";
    const QByteArray dataDir7 = "[DataDir7]\r\nName=\xFF\xFE\r\ndir=/data/\xFF\r\nIsShare=1\r\n";
    const QByteArray dataDir9 = "[DataDir9]\r\nName=no directory\r\n";
    const QByteArray other = "[IHTMLS]\r\nB1=<b>\r\n";
    const QByteArray original =
        program + dataDir1 + dataDir2 + dataDir7 + dataDir9 + other + CanonicalPresets();
    WriteFile(IniPath(), original);

    TzqPrjInfo prj(FDir.path());
    const TzqConfigValues values = TzqConfigValues::Load(prj);
    EXPECT_EQ(values.MyName, u"김철수"_s);
    EXPECT_EQ(values.BootMode, 1);
    EXPECT_EQ(values.AutoInterval, 5);
    EXPECT_TRUE(values.TextEditor.isEmpty());   // the program is gone
    EXPECT_TRUE(values.DataDirs.Row(1).Shared); // IsShare absent
    EXPECT_FALSE(values.DataDirs.Row(2).Shared);
    EXPECT_TRUE(values.DataDirs.Row(9).IsEmpty()); // no directory: an empty row
    EXPECT_EQ(values.Validate().Field, TzqConfigRefusal::None);

    values.Save(prj);
    EXPECT_EQ(prj.Ini().WriteCount(), 1);
    // The only changes: IsShare written where it was absent, the empty rows written, the rows
    // without a directory written back empty. TextEditor keeps the path of the missing
    // program; the name that is no valid CP949 keeps its bytes.
    QByteArray expected = program + dataDir1 + "IsShare=1\r\n" + dataDir2 + dataDir7 +
                          "[DataDir9]\r\nName=\r\ndir=\r\nIsShare=0\r\n" + other +
                          CanonicalPresets();
    for (int n = 3; n <= 50; ++n) {
        if (n != 7 && n != 9)
            expected += "[DataDir" + QByteArray::number(n) + "]\r\nName=\r\ndir=\r\nIsShare=0\r\n";
    }
    EXPECT_EQ(ReadFile(IniPath()).toStdString(), expected.toStdString());

    // A second confirm changes nothing and does not touch the file.
    TzqConfigValues::Load(prj).Save(prj);
    EXPECT_EQ(prj.Ini().WriteCount(), 1);
    EXPECT_EQ(ReadFile(IniPath()), expected);
}

TEST_F(ConfigValuesTest, ChangesReachTheFileAndTheCachesInOneWrite)
{
    MakeEditor();
    WriteFile(IniPath(),
              QByteArray("[PROGRAM]\r\nTextEditor=" + cp949::FromUnicode(Editor()) + "\r\n"));
    TzqPrjInfo prj(FDir.path());
    TzqConfigValues values = TzqConfigValues::Load(prj);
    EXPECT_EQ(values.TextEditor, Editor());

    values.MyName = u"  별명 "_s;
    values.CharSet = u" euc-kr "_s;
    values.NoSplitter = true;
    values.AutoInterval = 0;
    values.TextEditor.clear(); // "X"
    values.DataDirs.SetRow(3, u"셋"_s, u"/data/3"_s, true);
    values.Presets[0].Bold = true;
    values.Save(prj);

    EXPECT_EQ(prj.Ini().WriteCount(), 1);
    EXPECT_EQ(prj.Ini().ReadString(ProgramSection, u"MyName"_s), u"별명"_s);
    EXPECT_EQ(prj.Ini().ReadString(ProgramSection, u"CharSet"_s), u"euc-kr"_s);
    EXPECT_EQ(prj.Ini().ReadString(ProgramSection, u"TextEditor"_s, u"unset"_s), QString());
    EXPECT_EQ(prj.ReadIntSetting(TzqPrjInfo::idAutoSave), 0);
    EXPECT_EQ(prj.CharSet(), u"euc-kr"_s);
    EXPECT_TRUE(prj.SplitterHidden());
    EXPECT_TRUE(prj.TextEditor().isEmpty());
    EXPECT_TRUE(prj.Ini().ReadBool(u"Format"_s, u"bold1"_s, false));
    QString dir;
    bool shared = false;
    EXPECT_TRUE(prj.FindDataDir(u"셋"_s, dir, shared));
    EXPECT_EQ(dir, u"/data/3"_s);
    EXPECT_TRUE(shared);
    // The PROGRAM keys come in the order the dialog writes them.
    const QByteArray bytes = ReadFile(IniPath());
    EXPECT_TRUE(bytes.startsWith("[PROGRAM]\r\nTextEditor=\r\nMiniTray=0\r\nDEX=0\r\nFPanel=1\r\n"
                                 "BootMode=0\r\nCGRD=0\r\ntmAuto=0\r\n"))
        << bytes.left(200).toStdString();
}

TEST_F(ConfigValuesTest, AFailedWriteChangesNeitherTheFileNorTheCaches)
{
    const QByteArray original = "[PROGRAM]\r\nCharSet=ksc5601\r\n" + QByteArray(3000, ';') + "\r\n";
    WriteFile(IniPath(), original);
    TzqPrjInfo prj(FDir.path());
    TzqConfigValues values = TzqConfigValues::Load(prj);
    values.CharSet = u"utf-8"_s;
    values.NoSplitter = true;
    {
        // Room for the old file, not for the new one with fifty sections more.
        const TFileSizeLimit diskFull(original.size() + 200);
        EXPECT_THROW(values.Save(prj), EzqError);
    }
    EXPECT_EQ(ReadFile(IniPath()), original);
    EXPECT_EQ(prj.CharSet(), u"ksc5601"_s);
    EXPECT_FALSE(prj.SplitterHidden());
    EXPECT_FALSE(prj.Ini().Updating());
    // The next confirm goes through.
    values.Save(prj);
    EXPECT_EQ(prj.CharSet(), u"utf-8"_s);
    EXPECT_TRUE(prj.Ini().SectionExists(u"DataDir50"_s));
}

TEST_F(ConfigValuesTest, TextsTheFileCannotHoldAreRefused)
{
    TzqPrjInfo prj(FDir.path());
    const TzqConfigValues clean = TzqConfigValues::Load(prj);
    EXPECT_EQ(clean.Validate().Field, TzqConfigRefusal::None);

    TzqConfigValues v = clean;
    v.MyName = u"별명😀"_s;
    EXPECT_EQ(v.Validate().Field, TzqConfigRefusal::MyName);
    EXPECT_EQ(v.Validate().Message, u"나의 별명에 설정 파일에 저장할 수 없는 문자가 있습니다: 😀"_s);
    v = clean;
    v.DateFormat = u"yyyy 😀"_s;
    EXPECT_EQ(v.Validate().Field, TzqConfigRefusal::DateFormat);
    v = clean;
    v.TextEditor = u"/opt/😀/edit"_s;
    EXPECT_EQ(v.Validate().Field, TzqConfigRefusal::TextEditor);
    v = clean;
    v.CharSet = u"ksc😀"_s;
    EXPECT_EQ(v.Validate().Field, TzqConfigRefusal::CharSet);
    // Korean, including the syllables only CP949 has, is fine.
    v = clean;
    v.MyName = u"똠방각하 뷁"_s;
    EXPECT_EQ(v.Validate().Field, TzqConfigRefusal::None);

    // The editor must be a program that exists.
    EXPECT_FALSE(TzqConfigValues::CheckTextEditor(Editor()).isEmpty());
    WriteFile(Editor(), "text");
    EXPECT_EQ(TzqConfigValues::CheckTextEditor(Editor()),
              u"실행할 수 있는 파일이 아닙니다: "_s + Editor());
    MakeEditor();
    EXPECT_EQ(TzqConfigValues::CheckTextEditor(Editor()), QString());

    // A data directory record: name and directory needed, both storable.
    EXPECT_EQ(CheckDataDirEntry(u"   "_s, u"/d"_s).Message,
              u"데이터 경로에 대한 이름을 반드시 입력하셔야 합니다."_s);
    EXPECT_EQ(CheckDataDirEntry(u"이름"_s, QString()).Message,
              u"데이터 경로를 지정하여 주십시오."_s);
    EXPECT_EQ(CheckDataDirEntry(u"이름😀"_s, u"/d"_s).Field, TzqDataDirRefusal::Name);
    EXPECT_EQ(CheckDataDirEntry(u"이름"_s, u"/d/ア😀"_s).Field, TzqDataDirRefusal::Dir);
    EXPECT_EQ(CheckDataDirEntry(u" 이름 "_s, u"/d/똠"_s).Field, TzqDataDirRefusal::None);
}
