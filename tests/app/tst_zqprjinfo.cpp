#include "app/datadirs.h"
#include "app/welcomenote.h"
#include "app/zqprjinfo.h"
#include "platform/cp949.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

class PrjInfoTest : public ::testing::Test {
protected:
    QString Ini() const { return Dir.filePath(u"zqQuillet.ini"_s); }
    QTemporaryDir Dir;
};

} // namespace

TEST_F(PrjInfoTest, FixedPathsAndVersion)
{
    TzqPrjInfo prj(Dir.path());
    EXPECT_EQ(prj.ProgramDir(), Dir.path() + u'/');
    EXPECT_EQ(prj.IniFileName(), Ini());
    EXPECT_EQ(prj.TemplateDir(), Dir.path() + u"/zqTemplate/"_s);
    EXPECT_EQ(prj.SearchTempFileName(), Dir.path() + u"/zqtmp.zq"_s);
    EXPECT_EQ(prj.NotePadFileName(), Dir.path() + u"/tmpzqq.txt"_s);
    EXPECT_EQ(prj.CharsFileName(), Dir.path() + u"/zqqchars.txt"_s);
    EXPECT_FALSE(QFileInfo::exists(Dir.filePath(u"temp"_s)));
    EXPECT_EQ(prj.TempDir(), Dir.path() + u"/temp/"_s);
    EXPECT_TRUE(QFileInfo(Dir.filePath(u"temp"_s)).isDir());
    EXPECT_EQ(prj.DefaultDataDir(), Dir.path() + u"/BookData"_s);
    EXPECT_TRUE(QFileInfo(Dir.filePath(u"BookData"_s)).isDir());
    EXPECT_TRUE(TzqPrjInfo::TitleText().startsWith(u"zqQuillet "_s));
    EXPECT_TRUE(TzqPrjInfo::VersionText().contains(u" release "_s));
    // Construction writes nothing.
    EXPECT_FALSE(QFileInfo::exists(Ini()));
}

TEST_F(PrjInfoTest, SettingsReadTheirDefaultsAndTheirForms)
{
    WriteFile(Ini(), "[PROGRAM]\r\ntmAuto=0x0A\r\nLBW=ten\r\nCMsg=0\r\nCDrag=2\r\n"
                     "FPanel=yes\r\nMyName=  \"\xB1\xE8\xC3\xB6\xBC\xF6\"  \r\n");
    TzqPrjInfo prj(Dir.path());
    EXPECT_EQ(prj.ReadIntSetting(TzqPrjInfo::idAutoSave), 10);
    EXPECT_EQ(prj.ReadIntSetting(TzqPrjInfo::idLayerBorderWidth), 1); // "ten": the default
    EXPECT_EQ(prj.ReadIntSetting(TzqPrjInfo::idTemplate), 0);
    EXPECT_FALSE(prj.ReadFlag(TzqPrjInfo::idChangeMsg));
    EXPECT_TRUE(prj.ReadFlag(TzqPrjInfo::idCtrlDrag));  // 2 is true
    EXPECT_TRUE(prj.ReadFlag(TzqPrjInfo::idFilePanel)); // "yes": the default
    EXPECT_FALSE(prj.ReadFlag(TzqPrjInfo::idDex));
    EXPECT_EQ(prj.MyName(), u"김철수"_s);
    EXPECT_EQ(prj.ReadDateFormat(), u"yyyy-mm-dd hh:nn:ss dddd"_s);
    EXPECT_EQ(prj.CharSet(), u"ksc5601"_s);

    // Ids outside the table neither read nor write.
    prj.WriteIntSetting(4711, 5);
    prj.WriteFlag(TzqPrjInfo::idAutoSave, true);
    prj.WriteIntSetting(TzqPrjInfo::idFolderTemplate, 3);
    prj.WriteFlag(TzqPrjInfo::idMiniTray, true);
    EXPECT_EQ(ReadFile(Ini()), QByteArray("[PROGRAM]\r\ntmAuto=0x0A\r\nLBW=ten\r\nCMsg=0\r\n"
                                          "CDrag=2\r\nFPanel=yes\r\nMyName=  \"\xB1\xE8\xC3\xB6"
                                          "\xBC\xF6\"  \r\nfld_temp=3\r\nMiniTray=1\r\n"));
}

TEST_F(PrjInfoTest, EmptyNameFallsBackToTheComputerNameWithoutWritingIt)
{
    TzqPrjInfo prj(Dir.path());
    EXPECT_FALSE(prj.MyName().isEmpty());
    EXPECT_LE(prj.MyName().size(), 15);
    EXPECT_FALSE(QFileInfo::exists(Ini()));
}

TEST_F(PrjInfoTest, TextEditorCacheForgetsAMissingProgramButTheFileKeepsIt)
{
    const QString missing = Dir.filePath(u"gone/editor"_s);
    WriteFile(Ini(), QByteArray("[PROGRAM]\r\nTextEditor=" + missing.toUtf8() + "\r\n"));
    TzqPrjInfo prj(Dir.path());
    EXPECT_TRUE(prj.TextEditor().isEmpty());
    const QByteArray before = ReadFile(Ini());
    prj.SetTextEditor(missing); // the cache differs, so it is written again
    EXPECT_TRUE(prj.TextEditor().isEmpty());
    EXPECT_EQ(ReadFile(Ini()), before);

    const QString real = Dir.filePath(u"editor"_s);
    WriteFile(real, "#!/bin/sh\n");
    prj.SetTextEditor(real);
    EXPECT_EQ(prj.TextEditor(), real);
    const QByteArray after = ReadFile(Ini());
    prj.SetTextEditor(real); // the same path again writes nothing
    EXPECT_EQ(ReadFile(Ini()), after);
}

TEST_F(PrjInfoTest, DataDirectoryRecords)
{
    const QString a = Dir.filePath(u"a"_s);
    const QString b = Dir.filePath(u"b"_s);
    QDir().mkpath(a);
    QDir().mkpath(b);
    WriteFile(Ini(), QByteArray("[DataDir2]\r\nName=Notes\r\ndir=" + a.toUtf8() +
                                "\r\n[DataDir7]\r\nName=Notes\r\nIsShare=0\r\ndir=" + b.toUtf8() +
                                "\r\n[DataDir9]\r\nName=Gone\r\ndir=/no/such/dir\r\n"
                                "[DataDir10]\r\nName=\r\ndir=" +
                                a.toUtf8() +
                                "\r\n"
                                "[DataDir11]\r\nName=\xB0\xF8\xBF\xEB\r\ndir=" +
                                b.toUtf8() + "\r\n"));
    TzqPrjInfo prj(Dir.path());
    QString dir = u"unchanged"_s;
    bool shared = true;
    EXPECT_TRUE(prj.FindDataDir(u"Notes"_s, dir, shared));
    EXPECT_EQ(dir, b); // the higher number wins
    EXPECT_FALSE(shared);
    EXPECT_TRUE(prj.FindDataDir(u"공용"_s, dir, shared));
    EXPECT_TRUE(shared); // IsShare absent: shared
    dir = u"unchanged"_s;
    EXPECT_FALSE(prj.FindDataDir(u"notes"_s, dir, shared)); // letter case counts
    EXPECT_EQ(dir, u"unchanged"_s);

    // Records without a name, a directory or an existing directory are not offered.
    const QStringList names = LoadDataDirList(prj);
    EXPECT_EQ(names, (QStringList{u"Notes"_s, u"Notes"_s, u"공용"_s}));
    EXPECT_EQ(IndexOfLastDataDir(names, u"공용"_s), 2);
    EXPECT_EQ(IndexOfLastDataDir(names, u"NOTES"_s), 0);
    EXPECT_EQ(IndexOfLastDataDir(names, u"Other"_s), 0);
    EXPECT_EQ(IndexOfLastDataDir({}, u"Other"_s), -1);
}

TEST_F(PrjInfoTest, FirstStartWritesTheDefaultDataDirectory)
{
    TzqPrjInfo prj(Dir.path());
    EXPECT_EQ(LoadDataDirList(prj), QStringList{u"기본 폴더"_s});
    EXPECT_EQ(ReadFile(Ini()),
              QByteArray("[DataDir1]\r\nName=\xB1\xE2\xBA\xBB \xC6\xFA\xB4\xF5\r\ndir=" +
                         (Dir.path() + u"/BookData"_s).toUtf8() + "\r\n"));
    const TzqDataDir d = ResolveDataDir(prj, u"기본 폴더"_s, TzqDataDir{});
    EXPECT_EQ(d.Dir, Dir.path() + u"/BookData"_s);
    EXPECT_TRUE(d.Shared);
}

TEST_F(PrjInfoTest, WindowPlacementSections)
{
    TzqPrjInfo prj(Dir.path());
    EXPECT_FALSE(prj.LoadFormPlacement(u"TfrmNotePad"_s).has_value());
    prj.SaveFormPlacement(u"TfrmNotePad"_s, QRect(10, -20, 300, 200));
    EXPECT_EQ(prj.LoadFormPlacement(u"TfrmNotePad"_s), QRect(10, -20, 300, 200));
    WriteFile(Ini(), "[TfrmDisignLayer]\r\nWidth=50\r\n");
    EXPECT_EQ(prj.LoadFormPlacement(u"TfrmDisignLayer"_s), QRect(0, 0, 50, 0));
}

TEST_F(PrjInfoTest, FolderNoteDefaultBytes)
{
    TzqPrjInfo prj(Dir.path());
    const QList<QByteArray>& lines = prj.FolderNoteDefault();
    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[8], QByteArray("<TD><DIV><font color=\"#6d9ecf\">&nbsp;\xA1\xE1</font><STRONG>"
                                   "<FONT color=#376193> title</FONT></STRONG></DIV>"));
    EXPECT_EQ(lines[12], QByteArray("</BODY></HTML>"));
}

// An installed program keeps what it writes in the user's XDG folders and reads what it ships
// from ../share/zqquillet; a build folder with its files beside it stays portable.
TEST_F(PrjInfoTest, InstalledProgramWritesIntoTheXdgFoldersAndWelcomesANewUser)
{
    const QString prefix = Dir.filePath(u"usr"_s);
    QDir().mkpath(prefix + u"/bin"_s);
    WriteFile(prefix + u"/share/zqquillet/zqTemplate/Diary.htm"_s, "<p>diary</p>\r\n");
    const QString home = Dir.filePath(u"home"_s);
    const TzqXdgHomes homes{home + u"/config"_s, home + u"/data"_s, home + u"/cache"_s};
    {
        // Writable or not, a program whose files lie in share/zqquillet is installed.
        const TzqPlaces places = TzqPlaces::ForProgram(prefix + u"/bin"_s, homes);
        EXPECT_TRUE(places.Installed);
        EXPECT_EQ(places.ResourceDir, prefix + u"/share/zqquillet/"_s);
        TzqPrjInfo prj(places);
        EXPECT_EQ(prj.IniFileName(), home + u"/config/zqQuillet/zqQuillet.ini"_s);
        EXPECT_EQ(prj.NotePadFileName(), home + u"/config/zqQuillet/tmpzqq.txt"_s);
        EXPECT_EQ(prj.TempDir(), home + u"/cache/zqQuillet/temp/"_s);
        EXPECT_EQ(prj.HelpFileName(), prefix + u"/share/zqquillet/help/index.html"_s);
        // The shipped templates become the user's own, once.
        EXPECT_EQ(prj.TemplateDir(), home + u"/data/zqQuillet/zqTemplate/"_s);
        EXPECT_EQ(ReadFile(prj.TemplateDir() + u"Diary.htm"_s), QByteArray("<p>diary</p>\r\n"));

        const QString data = prj.DefaultDataDir();
        EXPECT_EQ(data, home + u"/data/zqQuillet/BookData"_s);
        const QByteArray welcome = ReadFile(data + u'/' + QStringView(WelcomeNoteName).toString());
        EXPECT_TRUE(
            welcome.startsWith("<html><head><meta http-equiv=\"Content-Type\" content=\"text/"
                               "html; charset=euc-kr\">\r\n"));
        EXPECT_TRUE(
            welcome.contains(cp949::FromUnicode(u"<td>Ctrl+Insert</td><td>새 노트 만들기"_s)));
        EXPECT_EQ(welcome.count("\r\n"), welcome.count('\n'));
        // A welcome note the user deleted stays deleted.
        QFile::remove(data + u'/' + QStringView(WelcomeNoteName).toString());
        prj.DefaultDataDir();
        EXPECT_TRUE(QDir(data).isEmpty());
        EXPECT_TRUE(QDir(prefix + u"/bin"_s).isEmpty());
    }

    // The build folder: the shipped files beside the program.
    QDir().mkpath(Dir.filePath(u"build/zqTemplate"_s));
    const TzqPlaces build = TzqPlaces::ForProgram(Dir.filePath(u"build"_s), homes);
    EXPECT_FALSE(build.Installed);
    EXPECT_EQ(build.StateDir, Dir.filePath(u"build/"_s));
}
