#include "tools/frmremovegarbage.h"

#include "privatehome.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QListWidget>
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
    TTestDialog() : TfrmRemoveGarbage(u"me"_s) {}
    QStringList Warnings;

protected:
    void ShowWarning(const QString& text) override { Warnings.append(text); }
};

} // namespace

class RemoveGarbageDialog : public TPrivateHomeSuite {
protected:
    void SetUp() override
    {
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QDir().mkpath(Path(u"__a"_s));
        ASSERT_TRUE(picture.save(Path(u"__a/x.png"_s)));
        ASSERT_TRUE(picture.save(Path(u"__a/y.png"_s)));
        WriteFile(Path(u"__a/z.txt"_s), "text");
        WriteFile(Path(u"a.htm"_s), Note);
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
