// The exports through the real window, offscreen: the zip dialog's progress and cancel, and the
// commands of the tool bar and the tree menu with a scripted save-file dialog.
#include "app/zqprjinfo.h"
#include "fakexdgemail.h"
#include "mainwin/frmmainql.h"
#include "store/zqtreemenu.h"
#include "testutil.h"
#include "tools/exporttarget.h"
#include "tools/frmmakezipfile.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

class TScriptedExportUi : public IzqExportUi {
public:
    QString AskSaveFileName(const QString& caption, const QString& suggested,
                            const QString&) override
    {
        Captions.append(caption);
        Suggested.append(suggested);
        return Chosen;
    }
    bool Confirm(const QString& text) override { return true; }
    void ShowError(const QString& text) override { Errors.append(text); }

    QString Chosen;
    QStringList Captions;
    QStringList Suggested;
    QStringList Errors;
};

QByteArray RandomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(7);
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

QStringList ZipNames(const QByteArray& archive)
{
    // The central directory's names, read from its records.
    QStringList names;
    qsizetype at = archive.indexOf(QByteArray("PK\x01\x02", 4));
    while (at >= 0) {
        const int length = quint8(archive[at + 28]) | quint8(archive[at + 29]) << 8;
        names.append(QString::fromLatin1(archive.mid(at + 46, length)));
        at = archive.indexOf(QByteArray("PK\x01\x02", 4), at + 46 + length);
    }
    return names;
}

} // namespace

TEST(Exports, TheZipDialogCancelsWithoutTouchingTheOldArchive)
{
    QTemporaryDir dir;
    WriteFile(dir.filePath(u"Big.htm"_s), "<p>big</p>");
    // Random bytes deflate slowly: the cancel arrives while the worker is inside this file.
    WriteFile(dir.filePath(u"__Big/noise.bin"_s), RandomBytes(64 << 20));
    const QString target = dir.filePath(u"Big.zip"_s);
    WriteFile(target, "old archive");

    TfrmMakeZipFile dialog;
    dialog.SetSource(dir.filePath(u"Big.htm"_s), target);
    QTimer::singleShot(200, &dialog, [&dialog] {
        EXPECT_TRUE(dialog.isVisible());
        dialog.CancelButton()->click();
    });
    EXPECT_FALSE(dialog.Run());
    EXPECT_TRUE(dialog.ErrorText().isEmpty());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(ReadFile(target), QByteArray("old archive"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{u"Big.htm"_s, u"Big.zip"_s}));

    // Run to the end, the dialog closes itself with the new archive in place.
    WriteFile(dir.filePath(u"__Big/noise.bin"_s), "quiet now");
    TfrmMakeZipFile again;
    again.SetSource(dir.filePath(u"Big.htm"_s), target);
    EXPECT_TRUE(again.Run());
    EXPECT_EQ(ZipNames(ReadFile(target)),
              (QStringList{u"Big.htm"_s, u"__Big/"_s, u"__Big/noise.bin"_s}));
}

TEST(Exports, ZipOfTheNoteShownAndOfATreeFolder)
{
    QTemporaryDir program;
    const QString store = program.filePath(u"store"_s);
    const QByteArray note = "<p>day one</p><img src=\"__Day1\\p.jpg\">";
    WriteFile(store + u"/Trip/Day1.htm"_s, note);
    QDir().mkpath(store + u"/Trip/__Day1"_s);
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(store + u"/Trip/__Day1/p.jpg"_s, "JPG"));
    const QByteArray pictureBytes = ReadFile(store + u"/Trip/__Day1/p.jpg"_s);
    WriteFile(program.filePath(u"zqQuillet.ini"_s),
              QByteArray("[PROGRAM]\r\nMyName=tester\r\n[DataDir1]\r\nName=S\r\ndir=" +
                         store.toUtf8() + "\r\n"));
    TzqPrjInfo prj(program.path());
    PrjInfo = &prj;
    {
        TfrmMainQL w;
        TScriptedExportUi ui;
        w.Exports()->SetExportUi(&ui);
        w.FormActivate();
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        ASSERT_TRUE(w.Tree()->SelectByRelativePath(u"Trip\\Day1.htm"_s));

        // The note shown, to a name without ".zip".
        ui.Chosen = program.filePath(u"day"_s);
        QAction* makeZip = w.Actions().actMakeZip;
        ASSERT_TRUE(makeZip->isEnabled());
        makeZip->trigger();
        EXPECT_EQ(ui.Captions, QStringList{u"zip 파일 만들기"_s});
        EXPECT_TRUE(ui.Suggested.value(0).endsWith(u"/Day1.zip"_s));
        EXPECT_EQ(ZipNames(ReadFile(program.filePath(u"day.zip"_s))),
                  (QStringList{u"Day1.htm"_s, u"__Day1/"_s, u"__Day1/p.jpg"_s}));
        EXPECT_TRUE(ui.Errors.isEmpty());

        // Not in source mode: the source view may hold text not yet saved as the note.
        w.Modes()->tbiBrowseClick(2);
        ASSERT_EQ(w.ViewMode(), 2);
        EXPECT_FALSE(makeZip->isEnabled());
        w.Modes()->tbiBrowseClick(0);
        EXPECT_TRUE(makeZip->isEnabled());

        // The tree menu's item over a folder: the whole folder under its own name.
        ASSERT_TRUE(w.Tree()->SelectByRelativePath(u"Trip\\"_s));
        w.TreeMenu()->Prepare(w.Tree()->SelectedNode());
        ui.Chosen = program.filePath(u"trip.ZIP"_s);
        w.TreeMenu()->tbiMakeZipfile->trigger();
        EXPECT_TRUE(ui.Suggested.value(1).endsWith(u"/Trip.zip"_s));
        EXPECT_EQ(ZipNames(ReadFile(program.filePath(u"trip.ZIP"_s))),
                  (QStringList{u"___zq_quillet__folder.htm"_s, u"__Day1/"_s, u"__Day1/p.jpg"_s,
                               u"Day1.htm"_s}));

        // A target that cannot be written: the error is reported, nothing pretends success.
        ui.Chosen = program.filePath(u"missing/folder/x.zip"_s);
        w.TreeMenu()->tbiMakeZipfile->trigger();
        ASSERT_EQ(ui.Errors.size(), 1);
        EXPECT_TRUE(ui.Errors.first().contains(u"만들 수 없습니다"_s))
            << ui.Errors.first().toStdString();
        ui.Errors.clear();

        // The web archive of the note shown; the note and its picture stay as they were.
        ASSERT_TRUE(w.Tree()->SelectByRelativePath(u"Trip\\Day1.htm"_s));
        ui.Chosen = program.filePath(u"day"_s);
        w.Actions().actSaveMht->trigger();
        EXPECT_EQ(ui.Captions.last(), u"mht 파일로 저장"_s);
        EXPECT_TRUE(ui.Suggested.last().endsWith(u"/Day1.mht"_s));
        const QByteArray mht = ReadFile(program.filePath(u"day.mht"_s));
        EXPECT_TRUE(mht.startsWith("From: <Saved by Blink>")) << mht.left(200).constData();
        EXPECT_TRUE(mht.contains("Content-Location: http://zqquillet.invalid/__Day1/p.jpg"));
        EXPECT_FALSE(mht.contains(store.toUtf8()));
        EXPECT_EQ(ReadFile(store + u"/Trip/Day1.htm"_s), note);
        EXPECT_EQ(ReadFile(store + u"/Trip/__Day1/p.jpg"_s), pictureBytes);
        EXPECT_TRUE(ui.Errors.isEmpty()) << ui.Errors.join(u'\n').toStdString();

        // Mail: the archive goes to the mail program with the subject of the note's name.
        {
            TFakeXdgEmail mail;
            w.Actions().actNoteToMail->trigger();
            ASSERT_TRUE(QTest::qWaitFor([&] { return mail.Arguments().size() == 7; }, 20000));
            EXPECT_EQ(mail.Arguments().mid(1, 5),
                      (QStringList{u"--subject"_s, u"zqQuillet-Day1"_s, u"--body"_s,
                                   u"저의 자료입니다."_s, u"--attach"_s}));
            EXPECT_TRUE(QFileInfo(mail.Arguments().last()).isFile());
        }
        // Without xdg-email the user is told.
        {
            TFakeXdgEmail missing(0, false);
            w.Actions().actNoteToMail->trigger();
            EXPECT_EQ(ui.Errors.size(), 1);
        }
        w.Exports()->SetExportUi(nullptr);
    }
    PrjInfo = nullptr;
}
