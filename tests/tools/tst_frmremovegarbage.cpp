#include "tools/frmremovegarbage.h"

#include "platform/fileoperation.h"
#include "privatehome.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

// The dialog with its warnings kept instead of shown.
class TTestDialog : public TfrmRemoveGarbage {
public:
    explicit TTestDialog(TGarbageScan::TTrashFunc trash = {})
        : TfrmRemoveGarbage(u"me"_s, nullptr, std::move(trash))
    {
    }
    QStringList Warnings;

protected:
    void ShowWarning(const QString& text) override { Warnings.append(text); }
};

} // namespace

class RemoveGarbageDialog : public TPrivateHomeSuite {
protected:
    void SetUp() override { MakeFolder(FDir.path()); }
    void MakeFolder(const QString& dir) const
    {
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QDir().mkpath(dir + u"/__a"_s);
        ASSERT_TRUE(picture.save(dir + u"/__a/x.png"_s));
        ASSERT_TRUE(picture.save(dir + u"/__a/y.png"_s));
        WriteFile(dir + u"/__a/z.txt"_s, "text");
        WriteFile(dir + u"/a.htm"_s, Note);
    }

    QString Path(const QString& relative) const { return FDir.filePath(relative); }
    template <typename T> static T* Child(QWidget& w, const QString& name)
    {
        return w.findChild<T*>(name);
    }

    const QByteArray Note = "<p><a name=top></a>Text\r\nMore<img src=\"__a\\x.png\">\r\n";
    QTemporaryDir FDir;
};

TEST_F(RemoveGarbageDialog, ListsPreviewsByKeyboardCancelsAndDeletes)
{
    {
        TTestDialog dialog;
        dialog.show();
        ASSERT_TRUE(dialog.ScanFolder(FDir.path()));
        EXPECT_EQ(dialog.windowTitle(), u"폴더 정리"_s);
        auto* list = Child<QListWidget>(dialog, u"lstFiles"_s);
        auto* preview = Child<QLabel>(dialog, u"imgPrev"_s);
        auto* confirm = Child<QAbstractButton>(dialog, u"btnConfirm"_s);
        ASSERT_TRUE(list && preview && confirm);
        EXPECT_TRUE(list->isVisible());
        EXPECT_FALSE(Child<QLabel>(dialog, u"labCaption"_s)->isVisible());
        EXPECT_EQ(Child<QLabel>(dialog, u"labCap2"_s)->text(), u"검색을 완료했습니다."_s);
        EXPECT_EQ(Child<QLabel>(dialog, u"labAnchors"_s)->text(),
                  u"빈 링크(<a></a>)를 지울 노트: 1개"_s);
        EXPECT_EQ(confirm->text(), u"삭제(&D)"_s);
        EXPECT_TRUE(confirm->isEnabled());
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(QSet<QString>({list->item(0)->text(), list->item(1)->text()}),
                  (QSet<QString>{u"__a\\y.png"_s, u"__a\\z.txt"_s}));

        // The list has the focus; the arrows move the preview along.
        QTRY_VERIFY(list->hasFocus());
        for (int step = 0; step < 3; ++step) {
            const bool isPicture = list->currentItem()->text().endsWith(u".png"_s);
            EXPECT_EQ(!preview->pixmap().isNull(), isPicture)
                << list->currentItem()->text().toStdString();
            QTest::keyClick(list, list->currentRow() == 0 ? Qt::Key_Down : Qt::Key_Up);
        }
        // Enter does not delete; Esc cancels and the note stays byte for byte.
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        QTest::keyClick(list, Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_EQ(ReadFile(Path(u"a.htm"_s)), Note);
    EXPECT_TRUE(QFile::exists(Path(u"__a/y.png"_s)));

    TTestDialog dialog;
    dialog.show();
    ASSERT_TRUE(dialog.ScanFolder(FDir.path()));
    QTest::mouseClick(Child<QAbstractButton>(dialog, u"btnConfirm"_s), Qt::LeftButton);
    QTRY_VERIFY(!dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.Warnings.isEmpty());
    EXPECT_TRUE(QFile::exists(Path(u"__a/x.png"_s)));
    EXPECT_FALSE(QFile::exists(Path(u"__a/y.png"_s)));
    EXPECT_FALSE(QFile::exists(Path(u"__a/z.txt"_s)));
    EXPECT_EQ(ReadFile(Path(u"a.htm"_s)),
              QByteArray("<p>Text\r\nMore<img src=\"__a\\x.png\">\r\n"));
}

TEST_F(RemoveGarbageDialog, NothingToDeleteEscDuringTheScanAndUnreadableNotes)
{
    WriteFile(Path(u"b.htm"_s), "__a/y.png __a/z.txt");
    {
        TTestDialog dialog;
        dialog.show();
        ASSERT_TRUE(dialog.ScanFolder(FDir.path()));
        EXPECT_EQ(Child<QLabel>(dialog, u"labCaption"_s)->text(), u"삭제할 파일이 없습니다."_s);
        EXPECT_FALSE(Child<QAbstractButton>(dialog, u"btnConfirm"_s)->isEnabled());
        EXPECT_FALSE(Child<QListWidget>(dialog, u"lstFiles"_s)->isVisible());
        EXPECT_EQ(Child<QLabel>(dialog, u"labCap2"_s)->text(),
                  u"*** 서브폴더는 검색하지 않습니다!!"_s);
    }
    QFile::remove(Path(u"b.htm"_s));
    {
        // Esc while the scan runs stops it; nothing changes.
        TTestDialog dialog;
        dialog.show();
        QTimer::singleShot(0, &dialog, [&dialog] { QTest::keyClick(&dialog, Qt::Key_Escape); });
        EXPECT_FALSE(dialog.ScanFolder(FDir.path()));
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
    }
    {
        ASSERT_TRUE(QFile::link(u"/proc/self/mem"_s, Path(u"bad.htm"_s)));
        TTestDialog dialog;
        dialog.show();
        EXPECT_FALSE(dialog.ScanFolder(FDir.path()));
        ASSERT_EQ(dialog.Warnings.size(), 1);
        EXPECT_TRUE(dialog.Warnings[0].contains(u"bad.htm"_s));
    }
    EXPECT_EQ(ReadFile(Path(u"a.htm"_s)), Note);
    EXPECT_TRUE(QFile::exists(Path(u"__a/y.png"_s)));
}

TEST_F(RemoveGarbageDialog, DeleteAnswersWhileItRunsAndStopsBeforeTheNextFile)
{
    for (const char* name : {"1", "2", "3"})
        WriteFile(Path(u"__b/%1.txt"_s.arg(QLatin1StringView(name))), "data");
    // The Trash takes the first file only when the test lets it.
    QSemaphore entered;
    QSemaphore release;
    const auto blockingTrash = [&](const QStringList& paths) {
        entered.release();
        release.acquire();
        return TrashFilesOneByOne(paths);
    };
    const auto start = [&](TTestDialog& dialog) {
        dialog.show();
        EXPECT_TRUE(dialog.ScanFolder(FDir.path()));
        QTest::mouseClick(Child<QAbstractButton>(dialog, u"btnConfirm"_s), Qt::LeftButton);
        entered.acquire();
        // What was posted before the Trash was called arrives now.
        QCoreApplication::processEvents();
    };
    const auto exists = [this](const QString& item) {
        return QFile::exists(Path(QString(item).replace(u'\\', u'/')));
    };

    TTestDialog dialog(blockingTrash);
    start(dialog);
    auto* list = Child<QListWidget>(dialog, u"lstFiles"_s);
    QStringList items;
    for (int row = 0; row < list->count(); ++row)
        items.append(list->item(row)->text());
    ASSERT_EQ(items.size(), 5);
    EXPECT_TRUE(Child<QWidget>(dialog, u"prgDelete"_s)->isVisible());
    EXPECT_EQ(Child<QLabel>(dialog, u"labCap2"_s)->text(),
              u"휴지통으로 옮기는 중입니다. (1/5) "_s + items[0]);
    EXPECT_FALSE(list->isEnabled());

    // Esc while the first file is in the Trash's hands: that one still goes, no other does.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    release.release();
    QTRY_VERIFY(!dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(exists(items[0]));
    for (const QString& item : items.mid(1))
        EXPECT_TRUE(exists(item)) << item.toStdString();
    EXPECT_EQ(dialog.DeleteResult().Trashed, items.mid(0, 1));
    EXPECT_EQ(dialog.DeleteResult().NotTried, items.mid(1));
    ASSERT_EQ(dialog.Warnings.size(), 1);
    EXPECT_EQ(dialog.Warnings[0],
              u"삭제를 멈췄습니다. 휴지통으로 옮긴 파일은 1개, 옮기지 않고 남겨 둔 파일은 "
              u"4개입니다.\n\n휴지통으로 옮긴 파일:\n"_s +
                  items[0] + u"\n\n남겨 둔 파일:\n"_s + items.mid(1).join(u'\n'));

    // A dialog destroyed while its delete ends waits for it: one more file goes, no other.
    const auto fileCount = [this] {
        return QDir(Path(u"__a"_s)).entryList(QDir::Files).size() +
               QDir(Path(u"__b"_s)).entryList(QDir::Files).size();
    };
    const qsizetype before = fileCount();
    {
        auto second = std::make_unique<TTestDialog>(blockingTrash);
        start(*second);
        // Closing the window asks the delete to stop; the window stays until it has.
        second->close();
        EXPECT_TRUE(second->isVisible());
        release.release();
    }
    EXPECT_EQ(fileCount(), before - 1);
}

TEST_F(RemoveGarbageDialog, DeleteThatRunsThroughEqualsTheDirectOne)
{
    // One file the Trash refuses, so that the report has something to say.
    const auto refusing = [](const QStringList& paths) {
        return paths[0].endsWith(u"z.txt"_s) ? QStringList{paths[0] + u" (refused)"_s}
                                             : TrashFilesOneByOne(paths);
    };
    QTemporaryDir other;
    MakeFolder(other.path());
    TGarbageScan direct(u"me"_s, refusing);
    ASSERT_TRUE(direct.ScanFolder(other.path()));
    TGarbageDeleteResult expected = direct.DeleteGarbage();
    expected.Left.replaceInStrings(other.path(), FDir.path());

    TTestDialog dialog(refusing);
    dialog.show();
    ASSERT_TRUE(dialog.ScanFolder(FDir.path()));
    QTest::mouseClick(Child<QAbstractButton>(dialog, u"btnConfirm"_s), Qt::LeftButton);
    QTRY_VERIFY(!dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.DeleteResult(), expected);
    EXPECT_EQ(testutil::Snapshot(FDir.path()), testutil::Snapshot(other.path()));
    EXPECT_EQ(dialog.Warnings,
              QStringList{u"다음 항목은 휴지통으로 옮기지 못해 그대로 남았습니다.\n"_s +
                          Path(u"__a/z.txt"_s) + u" (refused)"_s});
}
