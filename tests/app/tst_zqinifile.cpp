#include "app/zqinifile.h"
#include "filesizelimit.h"
#include "platform/cp949.h"
#include "platform/zqerror.h"
#include "platform/zqfilelock.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QTemporaryDir FDir;
    QString FPath = FDir.filePath(u"zqQuillet.ini"_s);
    TzqIniFile FIni{FPath};

    void Given(QByteArrayView bytes) { testutil::WriteFile(FPath, bytes); }
    QByteArray Contents() const { return testutil::ReadFile(FPath); }
};

} // namespace

TEST_F(IniFileTest, ReadsWithProfileRules)
{
    Given("; comment=not a key\r\n"
          "orphan=before any section\r\n"
          "[PROGRAM]\r\n"
          "  MyName  =  \xB1\xE8 \xC3\xB6\xBC\xF6  \r\n"
          "Quoted=\"  spaced  \"\r\n"
          "Single='x'\r\n"
          "Mixed=\"x'\r\n"
          "Lonely=\"\r\n"
          "Empty=\r\n"
          "odd line without equals\n"
          "dup=first\n"
          "DUP=second\n"
          "tab\t=\tvalue\t\r\n"
          "[program]\r\n"
          "dup=third\r\n"
          "later=only in the second\r\n");
    EXPECT_EQ(FIni.ReadBytes(u"program"_s, u"MYNAME"_s, "d"),
              QByteArray("\xB1\xE8 \xC3\xB6\xBC\xF6"));
    EXPECT_EQ(FIni.ReadString(u"PROGRAM"_s, u"myname"_s), u"김 철수"_s);
    EXPECT_EQ(FIni.ReadString(u"PROGRAM"_s, u"Quoted"_s), u"  spaced  "_s);
    EXPECT_EQ(FIni.ReadString(u"PROGRAM"_s, u"Single"_s), u"x"_s);
    EXPECT_EQ(FIni.ReadString(u"PROGRAM"_s, u"Mixed"_s), u"\"x'"_s);
    EXPECT_EQ(FIni.ReadString(u"PROGRAM"_s, u"Lonely"_s), u"\""_s);
    EXPECT_EQ(FIni.ReadString(u"PROGRAM"_s, u"Empty"_s, u"def"_s), QString());
    EXPECT_EQ(FIni.ReadString(u"PROGRAM"_s, u"tab"_s), u"value"_s);
    // The first key of the first section wins; a later section of the name adds its own keys.
    EXPECT_EQ(FIni.ReadString(u"PROGRAM"_s, u"dup"_s), u"first"_s);
    EXPECT_EQ(FIni.ReadString(u"PROGRAM"_s, u"later"_s), u"only in the second"_s);
    // Comments, lines without "=" and keys outside any section are no keys.
    EXPECT_EQ(FIni.ReadString(u"PROGRAM"_s, u"odd line without equals"_s, u"d"_s), u"d"_s);
    EXPECT_EQ(FIni.ReadString(u""_s, u"orphan"_s, u"d"_s), u"d"_s);
    EXPECT_EQ(FIni.ReadString(u"PROGRAM"_s, u"; comment"_s, u"d"_s), u"d"_s);
    EXPECT_EQ(FIni.ReadString(u"PROGRAM"_s, u"missing"_s, u"d"_s), u"d"_s);
    EXPECT_EQ(FIni.ReadString(u"Other"_s, u"MyName"_s, u"d"_s), u"d"_s);

    EXPECT_EQ(FIni.ReadSection(u"Program"_s),
              (QStringList{u"MyName"_s, u"Quoted"_s, u"Single"_s, u"Mixed"_s, u"Lonely"_s,
                           u"Empty"_s, u"dup"_s, u"tab"_s, u"later"_s}));
    EXPECT_TRUE(FIni.SectionExists(u"program"_s));
    EXPECT_FALSE(FIni.SectionExists(u"Other"_s));

    TzqIniFile missing(FDir.filePath(u"none.ini"_s));
    EXPECT_EQ(missing.ReadString(u"PROGRAM"_s, u"MyName"_s, u"d"_s), u"d"_s);
    EXPECT_EQ(missing.ReadInteger(u"PROGRAM"_s, u"tmAuto"_s, 1), 1);
    EXPECT_FALSE(missing.SectionExists(u"PROGRAM"_s));
    EXPECT_TRUE(missing.ReadSection(u"PROGRAM"_s).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(missing.FileName()));
}

TEST_F(IniFileTest, NamesFoldAsciiOnlyOutsideDoubleByteCharacters)
{
    // "똠" is 8C 63: its trail byte is "c". 8C 43 ("C") is another character.
    Given("[\x8C\x63]\r\nk\x8C\x63=a\r\n[\x8C\x43]\r\nK\x8C\x43=b\r\n");
    EXPECT_EQ(FIni.ReadString(u"똠"_s, u"K똠"_s), u"a"_s);
    EXPECT_EQ(FIni.ReadBytes(u"똠"_s, u"k\uFFFD"_s, "none"), QByteArray("none"));
    EXPECT_EQ(FIni.ReadBytes(u"똠"_s, u"k\u00E9"_s, "none"), QByteArray("none"));
    EXPECT_EQ(FIni.ReadSection(u"똠"_s), QStringList{u"k똠"_s});
    EXPECT_FALSE(FIni.SectionExists(u"똠C"_s));
}

TEST_F(IniFileTest, HeaderWithoutClosingBracketRunsToTheLineEnd)
{
    Given("[ PROGRAM \r\nMyName=x\r\n[ Format ] trailing text\r\na=1\r\n[a]b]\r\nc=2\r\n");
    EXPECT_EQ(FIni.ReadString(u"PROGRAM"_s, u"MyName"_s), u"x"_s);
    EXPECT_EQ(FIni.ReadString(u"Format"_s, u"a"_s), u"1"_s);
    EXPECT_EQ(FIni.ReadString(u"a]b"_s, u"c"_s), u"2"_s);
    FIni.WriteString(u"program"_s, u"new"_s, u"y"_s);
    EXPECT_EQ(Contents(), QByteArray("[ PROGRAM \r\nMyName=x\r\nnew=y\r\n[ Format ] trailing "
                                     "text\r\na=1\r\n[a]b]\r\nc=2\r\n"));
}

TEST_F(IniFileTest, LongValuesAreCutWithoutSplittingACharacter)
{
    const QByteArray ascii(3000, 'a');
    // 2,046 bytes of ASCII then a double-byte character: the whole character would end at 2,048.
    const QByteArray mixed = QByteArray(2046, 'b') + "\xB0\xA1" + "tail";
    const QByteArray hangul = QByteArray("\xB0\xA1").repeated(1500);
    const QByteArray huge(100 * 1024, 'h');
    Given(QByteArray("[s]\r\nascii=" + ascii + "\r\nmixed=" + mixed + "\r\nhangul=" + hangul +
                     "\r\nquoted=\"" + ascii + "\"\r\nhuge=" + huge + "\r\n"));
    EXPECT_EQ(FIni.ReadBytes(u"s"_s, u"ascii"_s, {}), ascii.first(2047));
    EXPECT_EQ(FIni.ReadBytes(u"s"_s, u"mixed"_s, {}), mixed.first(2046));
    EXPECT_EQ(FIni.ReadBytes(u"s"_s, u"hangul"_s, {}), hangul.first(2046));
    EXPECT_EQ(FIni.ReadBytes(u"s"_s, u"quoted"_s, {}), ascii.first(2047));
    EXPECT_EQ(FIni.ReadString(u"s"_s, u"hangul"_s).size(), 1023);

    // Writing next to the huge value leaves it whole.
    const QByteArray before = Contents();
    FIni.WriteString(u"s"_s, u"ascii"_s, u"short"_s);
    QByteArray expected = before;
    expected.replace(QByteArray("ascii=" + ascii + "\r\n"), "ascii=short\r\n");
    EXPECT_EQ(Contents(), expected);
}

TEST_F(IniFileTest, IntegersAndBooleans)
{
    const struct {
        const char* text;
        bool ok;
        int value;
    } cases[] = {
        {"0", true, 0},
        {"-17", true, -17},
        {"+5", true, 5},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999", false, 0},
        {"0x0A", true, 10},
        {"0XfF", true, 255},
        {"$1f", true, 31},
        {"$FFFFFFFF", true, -1},
        {"0x7fffffff", true, 2147483647},
        {"0x100000000", false, 0},
        {"$0000000000000001", true, 1},
        {"0x", false, 0},
        {"0x1", true, 1},
        {"$", false, 0},
        {"0xG", false, 0},
        {"-0x1", false, 0},
        {"ten", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"1 ", false, 0},
        {"1.5", false, 0},
    };
    for (const auto& c : cases) {
        int value = 12345;
        EXPECT_EQ(TzqIniFile::ParseInteger(c.text, value), c.ok) << c.text;
        EXPECT_EQ(value, c.ok ? c.value : 12345) << c.text;
    }

    Given("[PROGRAM]\r\ntmAuto=0x0A\r\nten=ten\r\nquoted=\" 7 \"\r\nspaced=  42  \r\n"
          "two=2\r\nyes=yes\r\nzero=0\r\n");
    EXPECT_EQ(FIni.ReadInteger(u"PROGRAM"_s, u"tmAuto"_s, 1), 10);
    EXPECT_EQ(FIni.ReadInteger(u"PROGRAM"_s, u"ten"_s, 1), 1);
    EXPECT_EQ(FIni.ReadInteger(u"PROGRAM"_s, u"quoted"_s, 1), 1);
    EXPECT_EQ(FIni.ReadInteger(u"PROGRAM"_s, u"spaced"_s, 1), 42);
    EXPECT_TRUE(FIni.ReadBool(u"PROGRAM"_s, u"two"_s, false));
    EXPECT_FALSE(FIni.ReadBool(u"PROGRAM"_s, u"yes"_s, false));
    EXPECT_TRUE(FIni.ReadBool(u"PROGRAM"_s, u"yes"_s, true));
    EXPECT_FALSE(FIni.ReadBool(u"PROGRAM"_s, u"zero"_s, true));

    FIni.WriteBool(u"PROGRAM"_s, u"two"_s, false);
    FIni.WriteBool(u"PROGRAM"_s, u"yes"_s, true);
    FIni.WriteInteger(u"PROGRAM"_s, u"tmAuto"_s, -2147483647 - 1);
    EXPECT_EQ(Contents(), QByteArray("[PROGRAM]\r\ntmAuto=-2147483648\r\nten=ten\r\nquoted=\" 7 "
                                     "\"\r\nspaced=  42  \r\ntwo=0\r\nyes=1\r\nzero=0\r\n"));
}

TEST_F(IniFileTest, WritesCreateTheFileAndAddKeysAndSections)
{
    FIni.WriteString(u"DataDir1"_s, u"Name"_s, u"기본 폴더"_s);
    EXPECT_EQ(Contents(), QByteArray("[DataDir1]\r\nName=\xB1\xE2\xBA\xBB \xC6\xFA\xB4\xF5\r\n"));
    FIni.WriteString(u"DataDir1"_s, u"dir"_s, u"/home/u/BookData"_s);
    FIni.WriteString(u"PROGRAM"_s, u"lstPage"_s, u"Work\\My plan.htm"_s);
    FIni.WriteString(u"datadir1"_s, u"NAME"_s, u"x"_s);
    EXPECT_EQ(Contents(), QByteArray("[DataDir1]\r\nName=x\r\ndir=/home/u/BookData\r\n"
                                     "[PROGRAM]\r\nlstPage=Work\\My plan.htm\r\n"));
    EXPECT_EQ(FIni.ReadString(u"DataDir1"_s, u"name"_s), u"x"_s);
    EXPECT_EQ(FIni.ReadBool(u"DataDir1"_s, u"IsShare"_s, true), true);
}

TEST_F(IniFileTest, WritesKeepEveryOtherLineByteForByte)
{
    // Mixed line ends, a comment, an odd line, garbage and NUL bytes, trailing blank lines and
    // a last line without a line end.
    const QByteArray garbage("\x00\xFF\x01[=\x80\x80", 8);
    Given(QByteArray("; settings\n"
                     "[PROGRAM]\r"
                     "  MyName = old  \n"
                     "odd\r\n" +
                     garbage +
                     "\r\n"
                     "last=1\n"
                     "\r\n"
                     "\r\n"
                     "[Format]\n"
                     "1=x"));
    FIni.WriteString(u"PROGRAM"_s, u"myname"_s, u"new"_s);
    EXPECT_EQ(Contents(), "; settings\n[PROGRAM]\rMyName=new\r\nodd\r\n" + garbage +
                              "\r\nlast=1\n\r\n\r\n[Format]\n1=x");

    // The new key follows the last key of its section, before the blank lines.
    FIni.WriteString(u"PROGRAM"_s, u"Added"_s, u"a"_s);
    EXPECT_EQ(Contents(), "; settings\n[PROGRAM]\rMyName=new\r\nodd\r\n" + garbage +
                              "\r\nlast=1\nAdded=a\r\n\r\n\r\n[Format]\n1=x");

    // The last line gets the line end it lacked before anything follows it.
    FIni.WriteString(u"Format"_s, u"2"_s, u"y"_s);
    FIni.WriteString(u"IHTMLS"_s, u"b1"_s, u"<b>"_s);
    const QByteArray expected = "; settings\n[PROGRAM]\rMyName=new\r\nodd\r\n" + garbage +
                                "\r\nlast=1\nAdded=a\r\n\r\n\r\n[Format]\n1=x\r\n2=y\r\n"
                                "[IHTMLS]\r\nb1=<b>\r\n";
    EXPECT_EQ(Contents(), expected);
    EXPECT_EQ(FIni.ReadBytes(u"PROGRAM"_s, u"MyName"_s, {}), QByteArray("new"));

    // A last key line without a line end is replaced whole.
    Given("[s]\r\nk=1");
    FIni.WriteInteger(u"s"_s, u"k"_s, 2);
    EXPECT_EQ(Contents(), QByteArray("[s]\r\nk=2\r\n"));

    // A section without keys takes the key right after its header.
    Given("[s]\n; nothing yet\n[t]\nk=1\n");
    FIni.WriteInteger(u"s"_s, u"k"_s, 2);
    EXPECT_EQ(Contents(), QByteArray("[s]\nk=2\r\n; nothing yet\n[t]\nk=1\n"));
}

TEST_F(IniFileTest, WritesChangeTheOccurrenceReadsSee)
{
    Given("[a]\r\nk=1\r\nk=2\r\n[b]\r\n[A]\r\nk=3\r\nonly=4\r\n[a]\r\n");
    FIni.WriteInteger(u"a"_s, u"k"_s, 9);
    FIni.WriteInteger(u"a"_s, u"only"_s, 8);
    FIni.WriteInteger(u"a"_s, u"new"_s, 7);
    EXPECT_EQ(Contents(),
              QByteArray("[a]\r\nk=9\r\nk=2\r\nnew=7\r\n[b]\r\n[A]\r\nk=3\r\nonly=8\r\n[a]\r\n"));
    EXPECT_EQ(FIni.ReadInteger(u"a"_s, u"k"_s, 0), 9);
    EXPECT_EQ(FIni.ReadInteger(u"a"_s, u"only"_s, 0), 8);
    EXPECT_EQ(FIni.ReadSection(u"A"_s), (QStringList{u"k"_s, u"new"_s, u"only"_s}));
    EXPECT_FALSE(FIni.SectionExists(u"b"_s));
}

TEST_F(IniFileTest, LineBreaksInWrittenTextCannotPlantLines)
{
    Given("[s]\r\nk=1\r\n");
    FIni.WriteString(u"s"_s, u"k"_s, u"a\r\n[evil]\r\nx=1"_s);
    FIni.WriteString(u"s\n[t]"_s, u"k\r\nz"_s, u"v"_s);
    EXPECT_EQ(Contents(), QByteArray("[s]\r\nk=a  [evil]  x=1\r\n[s [t]]\r\nk  z=v\r\n"));
    EXPECT_FALSE(FIni.SectionExists(u"evil"_s));
    EXPECT_EQ(FIni.ReadString(u"s\n[t]"_s, u"k\r\nz"_s), u"v"_s);
}

TEST_F(IniFileTest, FailedWriteThrowsAndLosesNothing)
{
    TzqIniFile noFolder(FDir.filePath(u"missing/zqQuillet.ini"_s));
    try {
        noFolder.WriteString(u"PROGRAM"_s, u"MyName"_s, u"x"_s);
        FAIL() << "no error";
    } catch (const EzqError& e) {
        EXPECT_EQ(e.Message(),
                  u"Unable to write to "_s + QDir::toNativeSeparators(noFolder.FileName()));
    }

    // A settings file that cannot be read is not replaced by one holding a single key.
    QDir(FDir.path()).mkdir(u"zqQuillet.ini"_s);
    EXPECT_THROW(FIni.WriteBool(u"PROGRAM"_s, u"DEX"_s, true), EzqError);
    EXPECT_TRUE(QFileInfo(FPath).isDir());
    EXPECT_TRUE(FIni.ReadBool(u"PROGRAM"_s, u"DEX"_s, true));
}

namespace {

// One run of iniprobe: another instance writing numbered keys into the settings file.
class TIniProbe {
public:
    TIniProbe(const QString& path, const QString& prefix, int count)
    {
        FProcess.setProgram(QString::fromUtf8(INIPROBE_PATH));
        FProcess.setArguments({path, u"PROGRAM"_s, prefix, QString::number(count)});
        FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FProcess.start();
    }
    ~TIniProbe()
    {
        if (FProcess.state() != QProcess::NotRunning) {
            FProcess.kill();
            FProcess.waitForFinished(5000);
        }
    }
    TIniProbe(const TIniProbe&) = delete;
    TIniProbe& operator=(const TIniProbe&) = delete;

    // True once the probe waits for Go().
    bool WaitReady()
    {
        while (!FProcess.canReadLine()) {
            if (!FProcess.waitForReadyRead(10000))
                return false;
        }
        return FProcess.readLine() == "ready\n";
    }
    void Go()
    {
        FProcess.write("go\n");
        FProcess.waitForBytesWritten(5000);
    }
    // True when the probe wrote all its keys without an error.
    bool Finish()
    {
        return FProcess.waitForFinished(30000) && FProcess.exitStatus() == QProcess::NormalExit &&
               FProcess.exitCode() == 0 && FProcess.readAll() == "done\n";
    }

private:
    QProcess FProcess;
};

// The key lines the probe with that prefix writes, in its order.
QList<QByteArray> ProbeLines(const QString& prefix, int count)
{
    QList<QByteArray> lines;
    for (int i = 0; i < count; ++i) {
        const QString key = prefix + QString::number(i);
        lines.append(cp949::FromUnicode(QString(key + u"=값"_s + key)));
    }
    return lines;
}

} // namespace

TEST_F(IniFileTest, TwoInstancesWritingAtOnceKeepEveryKey)
{
    constexpr int Count = 200;
    const QByteArray head = cp949::FromUnicode(u"; 설정\r\n"
                                               u"[PROGRAM]\r\n"
                                               u"MyName=김철수\r\n"
                                               u"tmAuto=0x0A\r\n"_s);
    const QByteArray tail = cp949::FromUnicode(u"\r\n"
                                               u"[DataDir1]\r\n"
                                               u"Name=기본 폴더\r\n"
                                               u"dir=/home/u/BookData\r\n"_s);
    Given(QByteArray(head + tail));

    // Both are released at the same moment, as two windows closing at logout.
    std::vector<std::unique_ptr<TIniProbe>> probes;
    probes.push_back(std::make_unique<TIniProbe>(FPath, u"A"_s, Count));
    probes.push_back(std::make_unique<TIniProbe>(FPath, u"B"_s, Count));
    for (auto& probe : probes)
        ASSERT_TRUE(probe->WaitReady());
    for (auto& probe : probes)
        probe->Go();
    for (auto& probe : probes)
        EXPECT_TRUE(probe->Finish());

    // The keys of both, each in its writer's order, follow the last key of PROGRAM; every
    // line that was there before is still there byte for byte.
    const QByteArray bytes = Contents();
    ASSERT_TRUE(bytes.startsWith(head));
    ASSERT_TRUE(bytes.endsWith(tail));
    const QByteArray added = bytes.sliced(head.size(), bytes.size() - head.size() - tail.size());
    EXPECT_TRUE(added.endsWith("\r\n"));
    QList<QByteArray> lines = added.split('\n');
    lines.removeLast();
    QList<QByteArray> a;
    QList<QByteArray> b;
    for (QByteArray& line : lines) {
        ASSERT_TRUE(line.endsWith('\r')) << line.constData();
        line.chop(1);
        ASSERT_FALSE(line.contains('\r')) << line.constData();
        (line.startsWith('A') ? a : b).append(line);
    }
    const QList<QByteArray> expectedA = ProbeLines(u"A"_s, Count);
    const QList<QByteArray> expectedB = ProbeLines(u"B"_s, Count);
    const auto lost = [](const QList<QByteArray>& expected, const QList<QByteArray>& got) {
        return std::count_if(expected.begin(), expected.end(),
                             [&](const QByteArray& line) { return !got.contains(line); });
    };
    EXPECT_EQ(lost(expectedA, a) + lost(expectedB, b), 0) << "keys lost";
    EXPECT_TRUE(a == expectedA) << "A's keys lost or out of order";
    EXPECT_TRUE(b == expectedB) << "B's keys lost or out of order";

    EXPECT_EQ(FIni.ReadSection(u"PROGRAM"_s).size(), 2 + 2 * Count);
    EXPECT_EQ(FIni.ReadString(u"PROGRAM"_s, u"B199"_s), u"값B199"_s);
    EXPECT_EQ(FIni.ReadString(u"DataDir1"_s, u"Name"_s), u"기본 폴더"_s);
}

namespace {

// A folder where no new file can be made, writable again when the object ends.
class TReadOnlyFolder {
public:
    explicit TReadOnlyFolder(QString path) : FPath(std::move(path))
    {
        QFile::setPermissions(FPath, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    ~TReadOnlyFolder()
    {
        QFile::setPermissions(FPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                         QFileDevice::ExeOwner);
    }
    TReadOnlyFolder(const TReadOnlyFolder&) = delete;
    TReadOnlyFolder& operator=(const TReadOnlyFolder&) = delete;

private:
    QString FPath;
};

} // namespace

TEST_F(IniFileTest, WritesGoAheadWhereNoLockFileCanBeMade)
{
    // Something else stands where the lock file goes.
    Given("[PROGRAM]\r\nMyName=x\r\n");
    ASSERT_TRUE(QDir(FDir.path()).mkdir(u"zqQuillet.ini.lock"_s));
    FIni.WriteString(u"PROGRAM"_s, u"Top"_s, u"10"_s);
    EXPECT_EQ(Contents(), QByteArray("[PROGRAM]\r\nMyName=x\r\nTop=10\r\n"));
    ASSERT_TRUE(QDir(FDir.path()).rmdir(u"zqQuillet.ini.lock"_s));

    // A folder that forbids new files, holding a writable settings file: written in place.
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser makes files in read-only folders";
    {
        const TReadOnlyFolder readOnly(FDir.path());
        FIni.WriteString(u"PROGRAM"_s, u"Left"_s, u"20"_s);
    }
    EXPECT_EQ(Contents(), QByteArray("[PROGRAM]\r\nMyName=x\r\nTop=10\r\nLeft=20\r\n"));
    EXPECT_EQ(QDir(FDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{u"zqQuillet.ini"_s});
}

TEST_F(IniFileTest, FailedWriteLeavesTheOldFileAndTheLockFree)
{
    const QByteArray old = "[PROGRAM]\r\nMyName=" + QByteArray(10000, 'x') + "\r\n";
    const QString longValue(3000, u'y');
    Given(old);
    // Room for the old content, not for the new.
    {
        const TFileSizeLimit diskFull(old.size() + 1000);
        EXPECT_THROW(FIni.WriteString(u"PROGRAM"_s, u"Added"_s, longValue), EzqError);
    }
    EXPECT_TRUE(Contents() == old);
    EXPECT_EQ(QDir(FDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{u"zqQuillet.ini"_s, u"zqQuillet.ini.lock"_s}));
    EXPECT_TRUE(TzqFileLock(FPath, 0ms, 0ms).IsHeld());

    // Written in place, where the folder forbids new files, the file gets its old content back.
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser makes files in read-only folders";
    {
        const TReadOnlyFolder readOnly(FDir.path());
        const TFileSizeLimit diskFull(old.size() + 1000);
        EXPECT_THROW(FIni.WriteString(u"PROGRAM"_s, u"Added"_s, longValue), EzqError);
    }
    EXPECT_TRUE(Contents() == old);
    EXPECT_TRUE(TzqFileLock(FPath, 0ms, 0ms).IsHeld());
}

TEST_F(IniFileTest, AnUpdateWritesItsKeysInOneGoOrNotAtAll)
{
    const QByteArray old = "[PROGRAM]\r\nA=1\r\n; kept\r\n[Other]\r\nX=y\r\n";
    Given(old);
    {
        TzqIniFile::TUpdate update(FIni);
        FIni.WriteString(u"PROGRAM"_s, u"A"_s, u"2"_s);
        FIni.WriteString(u"PROGRAM"_s, u"B"_s, u"값"_s);
        FIni.WriteBool(u"New"_s, u"C"_s, true);
        // Reads see the writes; the file does not yet.
        EXPECT_EQ(FIni.ReadString(u"program"_s, u"b"_s), u"값"_s);
        EXPECT_TRUE(FIni.SectionExists(u"New"_s));
        EXPECT_EQ(Contents(), old);
        update.Commit();
    }
    EXPECT_EQ(FIni.WriteCount(), 1);
    EXPECT_EQ(Contents(),
              QByteArray("[PROGRAM]\r\nA=2\r\nB=\xB0\xAA\r\n; kept\r\n[Other]\r\nX=y\r\n"
                         "[New]\r\nC=1\r\n"));

    // An update left without Commit writes nothing; nor does one that changes no byte.
    const QByteArray now = Contents();
    {
        TzqIniFile::TUpdate update(FIni);
        FIni.WriteString(u"PROGRAM"_s, u"A"_s, u"3"_s);
    }
    EXPECT_FALSE(FIni.Updating());
    EXPECT_EQ(FIni.ReadString(u"PROGRAM"_s, u"A"_s), u"2"_s);
    FIni.BeginUpdate();
    FIni.WriteString(u"PROGRAM"_s, u"A"_s, u"2"_s);
    FIni.EndUpdate();
    EXPECT_EQ(FIni.WriteCount(), 1);
    EXPECT_EQ(Contents(), now);

    // A failing update leaves the file as it was, not half of the keys.
    {
        const TFileSizeLimit diskFull(now.size() + 20);
        FIni.BeginUpdate();
        FIni.WriteString(u"PROGRAM"_s, u"A"_s, u"4"_s);
        FIni.WriteString(u"PROGRAM"_s, u"Long"_s, QString(100, u'z'));
        EXPECT_THROW(FIni.EndUpdate(), EzqError);
    }
    EXPECT_FALSE(FIni.Updating());
    EXPECT_EQ(Contents(), now);
}
