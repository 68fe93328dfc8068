// The attached files panel: listing a note's file folder, previews, attaching, inserting and
// deleting to the Trash.
#include "editor/attachedfiles.h"
#include "editor/frmattachedfiles.h"
#include "editor/izqattachedfilesui.h"
#include "privatehome.h"
#include "testutil.h"
#include "widgets/zqgradibutton.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

class TFakeUi : public IzqAttachedFilesUi {
public:
    bool ConfirmDelete(const QString& question) override
    {
        Questions.append(question);
        return DeleteAnswer;
    }
    TzqReplaceAnswer AskReplace(const QString& existing, bool) override
    {
        Questions.append(u"replace "_s + QFileInfo(existing).fileName());
        return ReplaceAnswer;
    }
    TzqDeleteAnswer AskDeleteForGood(const QString&, bool, bool) override
    {
        Questions.append(u"for good"_s);
        return TzqDeleteAnswer::No;
    }
    bool Progress(int, int, const QString&) override { return true; }
    void ProgressDone() override {}
    void ShowError(const QString& text) override { Errors.append(text); }

    bool DeleteAnswer = true;
    TzqReplaceAnswer ReplaceAnswer = TzqReplaceAnswer::Skip;
    QStringList Questions;
    QStringList Errors;
};

bool SavePicture(const QString& path, int w, int h, const char* format)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::red);
    return image.save(path, format);
}

quint32 Crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray Chunk(const QByteArray& type, const QByteArray& data)
{
    QByteArray out(4, '\0');
    qToBigEndian(quint32(data.size()), out.data());
    const QByteArray body = type + data;
    QByteArray crc(4, '\0');
    qToBigEndian(Crc32(body), crc.data());
    return out + body + crc;
}

// A small PNG that declares 20000 × 20000 RGBA pixels and really holds its first rows, so a
// reader without a limit would allocate and fill gigabytes.
QByteArray HugePng(int rows)
{
    QByteArray ihdr(13, '\0');
    qToBigEndian(quint32(20000), ihdr.data());
    qToBigEndian(quint32(20000), ihdr.data() + 4);
    ihdr[8] = 8; // bit depth
    ihdr[9] = 6; // RGBA
    const QByteArray raw(qsizetype(rows) * (20000 * 4 + 1), '\0');
    const QByteArray zlib = qCompress(raw, 9).mid(4); // qCompress prefixes the length
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr) + Chunk("IDAT", zlib) +
           Chunk("IEND", {});
}

long MaxRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

class AttachedFiles : public TPrivateHomeSuite {
protected:
    void SetUp() override
    {
        Folder = FDir.filePath(u"__note"_s);
        Panel.SetFileFolder(Folder, u"__note"_s);
        Panel.SetUi(&Ui);
        Panel.resize(600, 150);
        Panel.show();
        QApplication::processEvents();
    }

    QListWidget* List() { return Panel.findChild<QListWidget*>(u"lstFiles"_s); }
    QLabel* Picture() { return Panel.findChild<QLabel*>(u"imgPreView32"_s); }
    QWidget* PreviewPanel() { return Panel.findChild<QWidget*>(u"pnlPreView"_s); }
    QStringList Items()
    {
        QStringList items;
        for (int row = 0; row < List()->count(); ++row)
            items.append(List()->item(row)->text());
        return items;
    }
    // Pictures are decoded on a thread of their own: waits for the current item's one.
    void WaitForPreview()
    {
        if (!Panel.PreviewPending())
            return;
        QSignalSpy shown(&Panel, &TfrmAttachedFiles::PreviewShown);
        ASSERT_TRUE(shown.wait(20000));
    }
    void ShowItem(const QString& name)
    {
        List()->setCurrentRow(int(Items().indexOf(name)));
        WaitForPreview();
    }
    QStringList SelectedItems()
    {
        QStringList names;
        for (const QListWidgetItem* item : List()->selectedItems())
            names.append(item->text());
        names.sort();
        return names;
    }
    void Select(const QStringList& names)
    {
        for (int row = 0; row < List()->count(); ++row)
            List()->item(row)->setSelected(names.contains(List()->item(row)->text()));
    }
    bool PreviewIsGrey()
    {
        const QImage shown = Picture()->pixmap().toImage();
        return !Panel.PreviewIsImage() && !shown.isNull() &&
               shown.pixel(0, 0) == qRgb(0x7F, 0x7F, 0x7F) &&
               Picture()->size() == PreviewPanel()->size();
    }
    static QString TrashDir()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Trash"_s;
    }

    QTemporaryDir FDir;
    QString Folder;
    TFakeUi Ui;
    TfrmAttachedFiles Panel;
};

TEST(AttachedFilesLogic, FitsPicturesWithoutEnlarging)
{
    EXPECT_EQ(FitPictureSize({20, 10}, {185, 120}), QSize(20, 10));
    EXPECT_EQ(FitPictureSize({400, 200}, {185, 120}), QSize(185, 93)); // width decides
    EXPECT_EQ(FitPictureSize({200, 400}, {185, 120}), QSize(60, 120)); // height decides
    EXPECT_EQ(FitPictureSize({185, 50}, {185, 120}), QSize(185, 50));  // as wide: unchanged
    EXPECT_EQ(FitPictureSize({100, 300}, {185, 120}), QSize(40, 120)); // only too high
    EXPECT_EQ(FitPictureSize({5000, 1}, {185, 120}), QSize(185, 1));   // never zero high
    EXPECT_EQ(FitPictureSize({0, 0}, {185, 120}), QSize());
}

TEST(AttachedFilesLogic, ListsFilesLikeTheTreeAndPicksRowsFromTheEnd)
{
    QTemporaryDir dir;
    for (const char* name : {"b.txt", "A.png", "c.gif", "a2.txt", ".hidden", "가.txt"})
        WriteFile(dir.filePath(QString::fromUtf8(name)), "x");
    QDir(dir.path()).mkdir(u"sub"_s);
    EXPECT_EQ(ListAttachedFiles(dir.path()),
              QStringList({u"A.png"_s, u"a2.txt"_s, u"b.txt"_s, u"c.gif"_s, u"가.txt"_s}));
    EXPECT_TRUE(ListAttachedFiles(dir.filePath(u"missing"_s)).isEmpty());

    EXPECT_EQ(SelectedFilePaths(u"/f"_s, {u"a"_s, u"b"_s, u"c"_s}, {0, 2, 7, 2}),
              QStringList({u"/f/c"_s, u"/f/a"_s}));
    EXPECT_EQ(AttachedNames({u"a.txt"_s, u"b.jpg"_s, u"old.png"_s}, {u"/x/b.jpg"_s, u"/y/a.txt"_s}),
              QStringList({u"a.txt"_s, u"b.jpg"_s}));
    EXPECT_EQ(AttachedFileReference(u"__note"_s, u"a b.png"_s), u"__note\\a b.png"_s);
}

TEST_F(AttachedFiles, FirstAttachCreatesTheFolderAndInsertsEachFileByItsOwnKind)
{
    Panel.LoadFileList();
    EXPECT_EQ(List()->count(), 0);
    EXPECT_TRUE(PreviewIsGrey());

    QTemporaryDir source;
    WriteFile(source.filePath(u"a.txt"_s), "alpha");
    ASSERT_TRUE(SavePicture(source.filePath(u"b.jpg"_s), 30, 20, "JPG"));
    // A text file whose name says picture.
    WriteFile(source.filePath(u"fake.png"_s), "not a picture");
    QSignalSpy inserts(&Panel, &TfrmAttachedFiles::InsertRequested);
    Panel.SetFileChooser([&] {
        return QStringList{source.filePath(u"b.jpg"_s), source.filePath(u"a.txt"_s),
                           source.filePath(u"fake.png"_s)};
    });
    Panel.SetMoveQuery([] { return false; });
    Panel.AttachFiles();

    EXPECT_TRUE(QFileInfo(Folder).isDir());
    EXPECT_EQ(Items(), QStringList({u"a.txt"_s, u"b.jpg"_s, u"fake.png"_s}));
    EXPECT_EQ(ReadFile(Folder + u"/a.txt"_s), "alpha");
    EXPECT_TRUE(QFileInfo::exists(source.filePath(u"a.txt"_s))); // copied, not moved
    ASSERT_EQ(inserts.count(), 1);
    EXPECT_EQ(inserts[0][0].toStringList(),
              QStringList({u"__note\\a.txt"_s, u"__note\\b.jpg"_s, u"__note\\fake.png"_s}));
    EXPECT_EQ(inserts[0][1].value<QList<bool>>(), QList<bool>({false, true, false}));
    EXPECT_EQ(inserts[0][2].toInt(), 0);

    // The current item being a picture changes nothing for the others.
    List()->setCurrentRow(1);
    WaitForPreview();
    EXPECT_TRUE(Panel.PreviewIsImage());
    Select({u"a.txt"_s, u"b.jpg"_s});
    Panel.findChild<TzqGradiButton*>(u"zqGradiButton3"_s)->click();
    ASSERT_EQ(inserts.count(), 2);
    EXPECT_EQ(inserts[1][1].value<QList<bool>>(), QList<bool>({false, true}));
    EXPECT_EQ(inserts[1][2].toInt(), 2);

    // A file of the same name is replaced only after a question; Skip keeps the old one.
    WriteFile(source.filePath(u"a.txt"_s), "new alpha");
    Panel.SetFileChooser([&] { return QStringList{source.filePath(u"a.txt"_s)}; });
    Panel.SetInsertNoteAppend(false);
    Panel.AttachFiles();
    EXPECT_EQ(Ui.Questions, QStringList{u"replace a.txt"_s});
    EXPECT_EQ(ReadFile(Folder + u"/a.txt"_s), "alpha");
    EXPECT_EQ(inserts.count(), 2);

    // With Shift or Ctrl held the files are moved.
    WriteFile(source.filePath(u"m.txt"_s), "moved");
    Panel.SetFileChooser([&] { return QStringList{source.filePath(u"m.txt"_s)}; });
    Panel.SetMoveQuery([] { return true; });
    Panel.AttachFiles();
    EXPECT_FALSE(QFileInfo::exists(source.filePath(u"m.txt"_s)));
    EXPECT_EQ(ReadFile(Folder + u"/m.txt"_s), "moved");
    EXPECT_TRUE(Items().contains(u"m.txt"_s));
}

TEST_F(AttachedFiles, PreviewsScaleDownKeepSmallPicturesAndAnimateLowerCaseGifs)
{
    QDir().mkpath(Folder);
    // Red on the left, blue on the right.
    QImage halves(2400, 1200, QImage::Format_RGB32);
    halves.fill(Qt::red);
    QPainter(&halves).fillRect(1200, 0, 1200, 1200, Qt::blue);
    ASSERT_TRUE(halves.save(Folder + u"/big.png"_s, "PNG"));
    ASSERT_TRUE(SavePicture(Folder + u"/small.png"_s, 20, 10, "PNG"));
    // Qt writes no GIF; a one-pixel one by hand.
    const QByteArray gifBytes("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff"
                              "\x21\xf9\x04\x01\x00\x00\x00\x00\x2c\x00\x00\x00\x00\x01\x00"
                              "\x01\x00\x00\x02\x02\x44\x01\x00\x3b",
                              43);
    WriteFile(Folder + u"/x.GIF"_s, gifBytes);
    WriteFile(Folder + u"/y.gif"_s, gifBytes);
    WriteFile(Folder + u"/z.txt"_s, "text");
    Panel.LoadFileList();
    const QSize area = PreviewPanel()->size();
    ASSERT_GT(area.width(), 40);
    ASSERT_GT(area.height(), 40);
    auto* gif = Panel.findChild<QLabel*>(u"pnlWebGif"_s);

    ShowItem(u"big.png"_s);
    EXPECT_TRUE(Panel.PreviewIsImage());
    const QSize fitted = FitPictureSize({2400, 1200}, area);
    EXPECT_EQ(Picture()->size(), fitted);
    EXPECT_EQ(Picture()->width(), area.width());
    // Decoded at the preview's size, not at its own.
    const QImage shown = Picture()->pixmap().toImage();
    ASSERT_EQ(shown.size(), fitted);
    EXPECT_EQ(shown.pixelColor(2, fitted.height() / 2), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(fitted.width() - 3, fitted.height() / 2), QColor(Qt::blue));

    ShowItem(u"small.png"_s);
    EXPECT_EQ(Picture()->size(), QSize(20, 10));

    ShowItem(u"x.GIF"_s);
    EXPECT_TRUE(Panel.PreviewIsImage());
    EXPECT_TRUE(gif->isHidden());
    EXPECT_EQ(Picture()->size(), QSize(1, 1));

    ShowItem(u"y.gif"_s);
    EXPECT_TRUE(Panel.PreviewIsImage());
    EXPECT_FALSE(gif->isHidden());
    EXPECT_NE(gif->movie(), nullptr);

    ShowItem(u"z.txt"_s);
    EXPECT_TRUE(gif->isHidden());
    EXPECT_TRUE(PreviewIsGrey());

    // A file gone meanwhile leaves the list when it becomes current.
    QFile::remove(Folder + u"/small.png"_s);
    List()->setCurrentRow(int(Items().indexOf(u"small.png"_s)));
    EXPECT_FALSE(Items().contains(u"small.png"_s));
}

TEST_F(AttachedFiles, HugePictureIsNeverDecoded)
{
    QDir().mkpath(Folder);
    // Built in a child process, so its buffers do not count towards our peak memory.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QFile out(Folder + u"/huge.png"_s);
        const bool written = out.open(QIODevice::WriteOnly) && out.write(HugePng(3000)) > 0;
        out.close();
        _exit(written ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // Without Qt's own default limit only the panel's check stands between us and 1.6 GB.
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(0);
    const long before = MaxRssKb();
    Panel.LoadFileList();
    WaitForPreview();
    const long grown = MaxRssKb() - before;
    QImageReader::setAllocationLimit(limit);
    EXPECT_EQ(Items(), QStringList{u"huge.png"_s});
    EXPECT_TRUE(PreviewIsGrey());
    EXPECT_LT(grown, 100 * 1024) << grown << " kB";
    // Still a picture for the note.
    EXPECT_TRUE(TfrmAttachedFiles::IsPictureFile(Folder + u"/huge.png"_s));
}

TEST_F(AttachedFiles, ArrowingThroughPicturesShowsTheLastOneAndNeverAnOlderOne)
{
    QDir().mkpath(Folder);
    const QList<QRgb> colours{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(0, 0, 0)};
    for (qsizetype i = 0; i < colours.size(); ++i) {
        QImage picture(1600, 1200, QImage::Format_RGB32);
        picture.fill(colours[i]);
        ASSERT_TRUE(picture.save(Folder + u"/p%1.png"_s.arg(i), "PNG"));
    }
    Panel.LoadFileList();
    WaitForPreview();
    QList<QRgb> shown;
    QObject::connect(&Panel, &TfrmAttachedFiles::PreviewShown, &Panel,
                     [&] { shown.append(Picture()->pixmap().toImage().pixel(0, 0)); });
    for (qsizetype i = 1; i < colours.size(); ++i)
        QTest::keyClick(List(), Qt::Key_Down);
    // The picture of the first file stays until the last one is ready.
    EXPECT_TRUE(Panel.PreviewPending());
    EXPECT_EQ(Picture()->pixmap().toImage().pixel(0, 0), colours.first());
    WaitForPreview();
    EXPECT_EQ(shown, QList<QRgb>{colours.last()});
    EXPECT_EQ(List()->currentItem()->text(), u"p3.png"_s);
}

TEST_F(AttachedFiles, RefillingTheListKeepsTheCurrentFileAndTheSelection)
{
    QDir().mkpath(Folder);
    Panel.LoadFileList();
    // The first file in a list that was empty is made current and selected.
    WriteFile(Folder + u"/b.txt"_s, "b");
    Panel.LoadFileList();
    EXPECT_EQ(List()->currentRow(), 0);
    EXPECT_EQ(SelectedItems(), QStringList{u"b.txt"_s});

    ASSERT_TRUE(SavePicture(Folder + u"/c.png"_s, 30, 20, "PNG"));
    WriteFile(Folder + u"/d.txt"_s, "d");
    Panel.LoadFileList();
    ShowItem(u"c.png"_s);
    Select({u"b.txt"_s, u"c.png"_s});
    // A paste saves a picture that sorts before them: nothing the user chose moves.
    ASSERT_TRUE(SavePicture(Folder + u"/a.png"_s, 30, 20, "PNG"));
    Panel.LoadFileList();
    EXPECT_EQ(Items(), QStringList({u"a.png"_s, u"b.txt"_s, u"c.png"_s, u"d.txt"_s}));
    EXPECT_EQ(List()->currentItem()->text(), u"c.png"_s);
    EXPECT_EQ(SelectedItems(), QStringList({u"b.txt"_s, u"c.png"_s}));
    EXPECT_FALSE(Panel.PreviewPending());
    EXPECT_TRUE(Panel.PreviewIsImage());

    // The current file went: the one now at its place follows, the rest of the choice stays.
    QFile::remove(Folder + u"/c.png"_s);
    Panel.LoadFileList();
    WaitForPreview();
    EXPECT_EQ(List()->currentItem()->text(), u"d.txt"_s);
    EXPECT_EQ(SelectedItems(), QStringList{u"b.txt"_s});
    EXPECT_TRUE(PreviewIsGrey());

    // Another note's folder starts at its first file.
    const QString other = FDir.filePath(u"__other"_s);
    WriteFile(other + u"/x.txt"_s, "x");
    WriteFile(other + u"/d.txt"_s, "d");
    Panel.SetFileFolder(other, u"__other"_s);
    Panel.LoadFileList();
    EXPECT_EQ(List()->currentRow(), 0);
    EXPECT_EQ(SelectedItems(), QStringList{u"d.txt"_s});
}

TEST_F(AttachedFiles, DeletesToTheTrashAfterOkAndReportsWhatCouldNotGo)
{
    QDir().mkpath(Folder);
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        WriteFile(Folder + u'/' + QString::fromLatin1(name), name);
    Panel.LoadFileList();
    QSignalSpy changed(&Panel, &TfrmAttachedFiles::FilesChanged);

    Select({u"a.txt"_s, u"c.txt"_s});
    // The note could not be saved first: nothing is asked, nothing goes.
    Panel.SetSaveFirst([] { return false; });
    Panel.DeleteSelectedFiles();
    EXPECT_TRUE(Ui.Questions.isEmpty());
    EXPECT_EQ(Items().size(), 4);
    EXPECT_EQ(changed.count(), 0);
    Panel.SetSaveFirst([] { return true; });

    Ui.DeleteAnswer = false;
    Panel.DeleteSelectedFiles();
    EXPECT_EQ(Ui.Questions, QStringList{u"선택한 파일을 삭제 하시겠습니까?"_s});
    EXPECT_EQ(Items().size(), 4);
    EXPECT_EQ(changed.count(), 0);

    Ui.DeleteAnswer = true;
    Panel.DeleteSelectedFiles();
    EXPECT_EQ(Items(), QStringList({u"b.txt"_s, u"d.txt"_s}));
    EXPECT_EQ(changed.count(), 1);
    const QString trash = TrashDir();
    ASSERT_TRUE(trash.startsWith(Home->path())) << qPrintable(trash);
    EXPECT_EQ(ReadFile(trash + u"/files/a.txt"_s), "a.txt");
    EXPECT_EQ(ReadFile(trash + u"/files/c.txt"_s), "c.txt");
    EXPECT_TRUE(Ui.Errors.isEmpty());

    // One of the selected files vanished: it is reported, the other still goes.
    Select({u"b.txt"_s, u"d.txt"_s});
    QFile::remove(Folder + u"/b.txt"_s);
    Panel.DeleteSelectedFiles();
    EXPECT_TRUE(Items().isEmpty());
    EXPECT_EQ(ReadFile(trash + u"/files/d.txt"_s), "d.txt");
    ASSERT_EQ(Ui.Errors.size(), 1);
    EXPECT_TRUE(Ui.Errors[0].contains(u"b.txt"_s)) << qPrintable(Ui.Errors[0]);
    EXPECT_FALSE(Ui.Errors[0].contains(u"d.txt"_s));
    EXPECT_FALSE(Ui.Questions.contains(u"for good"_s));
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(AttachedFiles, SplitterButtonCollapsesAndOpensThePanel)
{
    auto* button = Panel.findChild<TzqGradiButton*>(u"btnSplitter"_s);
    EXPECT_FALSE(Panel.IsCollapsed());
    Panel.CollapseFilesPanel();
    EXPECT_EQ(Panel.height(), button->height() + 3);
    EXPECT_TRUE(Panel.IsCollapsed());
    EXPECT_EQ(button->ImageIndex(), 1);
    button->click();
    EXPECT_EQ(Panel.height(), 150);
    EXPECT_FALSE(Panel.IsCollapsed());
    EXPECT_EQ(button->ImageIndex(), 0);

    // Dragging the bar up by 40 pixels makes the panel 40 pixels higher; far down collapses it.
    auto* bar = Panel.findChild<QWidget*>(u"shpSplitter"_s);
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent up(QEvent::MouseMove, QPointF(5, -35), bar->mapToGlobal(QPointF(5, -35)),
                   Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(bar, &up);
    EXPECT_EQ(Panel.height(), 190);
    QMouseEvent down(QEvent::MouseMove, QPointF(5, 900), bar->mapToGlobal(QPointF(5, 900)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(bar, &down);
    EXPECT_EQ(Panel.height(), Panel.CollapsedHeight());
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(5, 900));
}
