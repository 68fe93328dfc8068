// The zip export: which files of a note or a folder go in, under which names, how the target
// is chosen, and the archives as independent readers (Python's zipfile, 7z) see them.
#include "filesizelimit.h"
#include "platform/cp949.h"
#include "platform/zqerror.h"
#include "testutil.h"
#include "tools/exporttarget.h"
#include "tools/zipexport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

QStringList Entries(const QList<TzqZipItem>& items)
{
    QStringList names;
    for (const TzqZipItem& item : items)
        names.append(item.Entry);
    return names;
}

class TScriptedExportUi : public IzqExportUi {
public:
    QString AskSaveFileName(const QString& caption, const QString& suggested,
                            const QString& filter) override
    {
        Suggested = suggested;
        Filter = filter;
        return Chosen;
    }
    bool Confirm(const QString& text) override
    {
        Asked.append(text);
        return Answer;
    }
    void ShowError(const QString& text) override { Errors.append(text); }

    QString Chosen;
    bool Answer = true;
    QString Suggested;
    QString Filter;
    QStringList Asked;
    QStringList Errors;
};

// Python's zipfile reading the archive with CP949 names: "name|size|attr|crc-ok" per entry.
QStringList PythonListing(const QString& archive)
{
    const QString python = QStandardPaths::findExecutable(u"python3"_s);
    if (python.isEmpty())
        return {u"(no python3)"_s};
    const char* script = R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], metadata_encoding='cp949') as z:
    assert z.testzip() is None
    for i in z.infolist():
        sys.stdout.buffer.write(('%s|%d|%x|%d\n' % (i.filename, i.file_size,
            i.external_attr & 0xffff, i.compress_type)).encode('utf-8'))
)";
    QProcess p;
    p.start(python, {u"-c"_s, QString::fromUtf8(script), archive});
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    return QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

class ZipExportTest : public ::testing::Test {
protected:
    QString Path(const QString& relative) const { return Dir.filePath(relative); }
    QTemporaryDir Dir;
};

} // namespace

TEST_F(ZipExportTest, ANoteComesWithItsFileFoldersInTreeOrder)
{
    WriteFile(Path(u"Notes/My trip.htm"_s), "<p>trip</p>");
    WriteFile(Path(u"Notes/__My_trip/b.jpg"_s), "b");
    WriteFile(Path(u"Notes/__My_trip/a.jpg"_s), "a");
    WriteFile(Path(u"Notes/__My_trip/raw/c.png"_s), "c");
    WriteFile(Path(u"Notes/__My_trip/.hidden"_s), "h");
    WriteFile(Path(u"Notes/__My_trip/.git/objects"_s), "never");
    // The older file folder that kept the space goes in as well.
    WriteFile(Path(u"Notes/__My trip/old.gif"_s), "o");
    // Other notes of the folder and their file folders stay out.
    WriteFile(Path(u"Notes/Other.htm"_s), "x");
    WriteFile(Path(u"Notes/__Other/x.jpg"_s), "x");

    const QList<TzqZipItem> items = CollectZipItems(Path(u"Notes/My trip.htm"_s));
    EXPECT_EQ(Entries(items), (QStringList{u"My trip.htm"_s, u"__My_trip/.hidden"_s,
                                           u"__My_trip/a.jpg"_s, u"__My_trip/b.jpg"_s,
                                           u"__My_trip/raw/c.png"_s, u"__My trip/old.gif"_s}));
    EXPECT_EQ(items.first().Size, 11);
    EXPECT_EQ(items.first().Path, QFileInfo(Path(u"Notes/My trip.htm"_s)).absoluteFilePath());
}

TEST_F(ZipExportTest, AFolderIsExportedRelativeToItselfWithoutLinksOrItsOwnArchive)
{
    const QString trip = Path(u"Notes/Trip"_s);
    WriteFile(trip + u"/___zq_quillet__folder.htm"_s, "folder");
    WriteFile(trip + u"/Day1.htm"_s, "day");
    WriteFile(trip + u"/__Day1/p.jpg"_s, "p");
    WriteFile(trip + u"/Sub/x.htm"_s, "x");
    WriteFile(trip + u"/backup.zip"_s, "the archive being replaced");
    QDir().mkpath(trip + u"/Empty"_s);
    WriteFile(Path(u"Elsewhere/secret.txt"_s), "s");
    ASSERT_TRUE(QFile::link(Path(u"Elsewhere"_s), trip + u"/Linked"_s));

    const QList<TzqZipItem> items =
        CollectZipItems(trip + u"/___zq_quillet__folder.htm"_s, trip + u"/backup.zip"_s);
    EXPECT_EQ(Entries(items), (QStringList{u"___zq_quillet__folder.htm"_s, u"__Day1/p.jpg"_s,
                                           u"Day1.htm"_s, u"Sub/x.htm"_s}));

    // A folder whose page was never written and that holds nothing: an empty archive.
    QDir().mkpath(Path(u"Bare"_s));
    EXPECT_TRUE(CollectZipItems(Path(u"Bare/___zq_quillet__folder.htm"_s)).isEmpty());
    TzqZipExport zip;
    ASSERT_TRUE(zip.Run({}, Path(u"bare.zip"_s)));
    EXPECT_EQ(ReadFile(Path(u"bare.zip"_s)), QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
}

TEST_F(ZipExportTest, IndependentReadersSeeTheNamesSizesAndAttributes)
{
    const QString folder = Path(u"여행"_s);
    WriteFile(folder + u"/___zq_quillet__folder.htm"_s, cp949::FromUnicode(u"<p>똠방각하</p>"_s));
    WriteFile(folder + u"/빈 노트.htm"_s, "");
    WriteFile(folder + u"/__빈_노트/사진.jpg"_s, QByteArray(5000, 'j'));
    WriteFile(folder + u"/__빈_노트/.숨김"_s, "h");
    // A name CP949 has no code for, and two names that differ only in letter case.
    WriteFile(folder + u"/__빈_노트/emoji😀.png"_s, "e");
    WriteFile(folder + u"/Case.txt"_s, "1");
    WriteFile(folder + u"/case.txt"_s, "2");
    const QString target = Path(u"out/여행.zip"_s);
    QDir().mkpath(Path(u"out"_s));

    qint64 lastDone = -1;
    qint64 lastTotal = 0;
    TzqZipExport zip;
    zip.SetProgress([&](qint64 done, qint64 total, const QString&) {
        EXPECT_GE(done, lastDone);
        lastDone = done;
        lastTotal = total;
    });
    ASSERT_TRUE(zip.Run(CollectZipItems(folder + u"/___zq_quillet__folder.htm"_s), target));
    EXPECT_EQ(lastDone, lastTotal);
    EXPECT_EQ(lastTotal, 15 + 0 + 5000 + 1 + 1 + 1 + 1);

    // Hidden files carry their attribute bit; the file folder gets a folder entry of its own;
    // an empty note is stored, everything else deflated.
    EXPECT_EQ(PythonListing(target).join(u'\n').toStdString(),
              QStringList({u"___zq_quillet__folder.htm|15|20|8"_s, u"__빈_노트/|0|10|0"_s,
                           u"__빈_노트/.숨김|1|22|8"_s, u"__빈_노트/emoji😀.png|1|20|8"_s,
                           u"__빈_노트/사진.jpg|5000|20|8"_s, u"Case.txt|1|20|8"_s,
                           u"case.txt|1|20|8"_s, u"빈 노트.htm|0|20|0"_s})
                  .join(u'\n')
                  .toStdString());

    if (const QString sevenZip = QStandardPaths::findExecutable(u"7z"_s); !sevenZip.isEmpty()) {
        QProcess p;
        p.start(sevenZip, {u"t"_s, target});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardOutput().constData();
    }
}

TEST_F(ZipExportTest, ACancelledOrFailedExportKeepsTheOldArchiveAndLeavesNoTemporaryFile)
{
    WriteFile(Path(u"src/Big.htm"_s), QByteArray(4 << 20, 'x'));
    WriteFile(Path(u"src/__Big/a.bin"_s), QByteArray(1 << 20, 'y'));
    const QString target = Path(u"out/old.zip"_s);
    WriteFile(target, "old archive");
    const auto items = CollectZipItems(Path(u"src/Big.htm"_s));
    ASSERT_EQ(items.size(), 2);

    TzqZipExport zip;
    zip.SetProgress([&](qint64 done, qint64, const QString&) {
        if (done > 0)
            zip.Cancel();
    });
    EXPECT_FALSE(zip.Run(items, target));
    EXPECT_EQ(ReadFile(target), QByteArray("old archive"));
    EXPECT_EQ(QDir(Path(u"out"_s)).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"old.zip"_s});

    // A disk that fills up: an error, and the old archive as it was.
    {
        const TFileSizeLimit limit(1 << 20);
        TzqZipExport failing;
        failing.SetLevel(0);
        EXPECT_THROW(failing.Run(items, target), EzqError);
    }
    EXPECT_EQ(ReadFile(target), QByteArray("old archive"));
    EXPECT_EQ(QDir(Path(u"out"_s)).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"old.zip"_s});
}

TEST(ExportTarget, NamesAndTheQuestionBeforeReplacingAnAppendedName)
{
    QTemporaryDir dir;
    const QString folderPage = dir.filePath(u"Trip/___zq_quillet__folder.htm"_s);
    EXPECT_TRUE(IsWholeFolderExport(folderPage));
    EXPECT_FALSE(IsWholeFolderExport(dir.filePath(u"Trip/__zq_quillet__folder.htm"_s)));
    EXPECT_EQ(ExportBaseName(folderPage), u"Trip"_s);
    EXPECT_EQ(ExportBaseName(dir.filePath(u"Trip/My plan.v2.htm"_s)), u"My plan.v2"_s);

    EXPECT_EQ(WithExportSuffix(u"/a/backup.ZIP"_s, u".zip"_s), u"/a/backup.ZIP"_s);
    EXPECT_EQ(WithExportSuffix(u"/a/backup"_s, u".zip"_s), u"/a/backup.zip"_s);
    EXPECT_EQ(WithExportSuffix(u"/a/backup.txt"_s, u".zip"_s), u"/a/backup.txt.zip"_s);
    EXPECT_EQ(WithExportSuffix(u"/a/x.MHT"_s, u".mht"_s), u"/a/x.MHT"_s);

    TScriptedExportUi ui;
    ui.Chosen = dir.filePath(u"backup"_s);
    auto target = ChooseExportTarget(ui, u"zip 파일 만들기"_s, folderPage, u".zip"_s, dir.path());
    EXPECT_EQ(ui.Suggested, dir.filePath(u"Trip.zip"_s));
    EXPECT_EQ(ui.Filter, u"*.zip"_s);
    EXPECT_EQ(target, dir.filePath(u"backup.zip"_s));
    EXPECT_TRUE(ui.Asked.isEmpty());

    // The dialog asked about "backup"; "backup.zip" exists, so we ask before replacing it.
    WriteFile(dir.filePath(u"backup.zip"_s), "keep");
    ui.Answer = false;
    EXPECT_FALSE(ChooseExportTarget(ui, u"c"_s, folderPage, u".zip"_s, dir.path()));
    ASSERT_EQ(ui.Asked.size(), 1);
    EXPECT_TRUE(ui.Asked.first().contains(u"backup.zip' 파일이 이미 있습니다."_s));
    ui.Answer = true;
    EXPECT_EQ(ChooseExportTarget(ui, u"c"_s, folderPage, u".zip"_s, dir.path()),
              dir.filePath(u"backup.zip"_s));

    // A name typed with its suffix was confirmed by the dialog itself.
    ui.Asked.clear();
    ui.Chosen = dir.filePath(u"backup.zip"_s);
    EXPECT_EQ(ChooseExportTarget(ui, u"c"_s, folderPage, u".zip"_s, dir.path()),
              dir.filePath(u"backup.zip"_s));
    EXPECT_TRUE(ui.Asked.isEmpty());

    ui.Chosen.clear();
    EXPECT_FALSE(ChooseExportTarget(ui, u"c"_s, folderPage, u".zip"_s, dir.path()));
}
