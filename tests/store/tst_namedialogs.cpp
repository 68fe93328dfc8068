// The naming dialogs offscreen: the template list, the keys that choose a template, the
// refusals in the caption line, the answers on OK, and the plain name dialog.
#include "app/zqprjinfo.h"
#include "store/frmnewfoldername.h"
#include "store/frmnewnotename.h"
#include "store/frmuserfilename.h"
#include "store/namedialogs.h"
#include "store/templates.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

class NameDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Prj = std::make_unique<TzqPrjInfo>(Program.path());
        PrjInfo = Prj.get();
        Data = Program.filePath(u"data/"_s);
        QDir().mkpath(Data);
    }
    void TearDown() override { PrjInfo = nullptr; }

    QString TemplateDir() const { return Prj->TemplateDir(); }
    void AddTemplate(const QString& name, bool icon = false)
    {
        WriteFile(TemplateDir() + name + u".htm"_s, "<html><!--title--></html>\r\n");
        if (icon) {
            QImage picture(32, 32, QImage::Format_ARGB32);
            picture.fill(Qt::red);
            ASSERT_TRUE(picture.save(TemplateDir() + name + u".ico"_s, "ICO"));
        }
    }
    void SetIni(const QByteArray& bytes) { WriteFile(Prj->IniFileName(), bytes); }

    template <typename T> static T* Child(QWidget* d, const QString& name)
    {
        T* w = d->findChild<T*>(name);
        EXPECT_TRUE(w) << qPrintable(name);
        return w;
    }
    static void ShowActive(QDialog& d)
    {
        d.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        d.activateWindow();
        QTRY_VERIFY(d.isActiveWindow());
    }
    // OK pressed with the name typed; the name box must come out focused and selected on a
    // refusal, with the message in the caption.
    static void ExpectRefusal(QDialog& d, const QString& typed, const QString& message)
    {
        auto* edit = Child<QLineEdit>(&d, u"edtName"_s);
        edit->setText(typed);
        d.findChild<QPushButton*>(u"btnConfirm"_s)->click();
        EXPECT_EQ(d.windowTitle(), message) << qPrintable(typed);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.result(), 0);
        EXPECT_TRUE(edit->hasFocus());
        EXPECT_EQ(edit->selectedText(), edit->text());
    }

    QTemporaryDir Program;
    std::unique_ptr<TzqPrjInfo> Prj;
    QString Data;
};

} // namespace

TEST_F(NameDialogsTest, TemplateListing)
{
    AddTemplate(u"b"_s);
    AddTemplate(u"A"_s, true);
    AddTemplate(u"일기"_s);
    WriteFile(TemplateDir() + u"일기.ICO"_s, "not a picture");
    WriteFile(TemplateDir() + u"C.HTM"_s, "x");
    WriteFile(TemplateDir() + u"notes.html"_s, "x");
    QDir().mkpath(TemplateDir() + u"D.htm"_s);

    const QList<TzqTemplate> list = ListTemplates(TemplateDir());
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list[0].Name, u"A"_s);
    EXPECT_EQ(list[0].IconPath, TemplateDir() + u"A.ico"_s);
    EXPECT_EQ(list[1].Name, u"b"_s);
    EXPECT_TRUE(list[1].IconPath.isEmpty());
    EXPECT_EQ(list[2].FileName, u"C.HTM"_s);
    EXPECT_EQ(list[3].IconPath, TemplateDir() + u"일기.ICO"_s);
    EXPECT_TRUE(ListTemplates(Program.filePath(u"none"_s)).isEmpty());

    // In the dialog: A with its picture, b without; the unreadable picture leaves the
    // template usable and without one.
    SetIni("[PROGRAM]\r\ntemplate=3\r\n");
    TfrmNewNoteName d;
    d.Init(Data);
    auto* list0 = Child<QListWidget>(&d, u"lstTemplate"_s);
    ASSERT_EQ(list0->count(), 4);
    EXPECT_EQ(list0->viewMode(), QListView::IconMode);
    EXPECT_EQ(list0->iconSize(), QSize(32, 32));
    EXPECT_EQ(d.size(), QSize(426, 284));
    EXPECT_EQ(d.windowTitle(), u"새 노트 생성"_s);
    ASSERT_TRUE(d.SelectedTemplate());
    EXPECT_EQ(d.SelectedTemplate()->Name, u"일기"_s);
    EXPECT_EQ(Child<QLabel>(&d, u"labTemplate"_s)->text(), u"일기"_s);
    EXPECT_TRUE(Child<QLabel>(&d, u"imgIcon"_s)->pixmap().isNull());
    list0->setCurrentRow(0);
    EXPECT_FALSE(Child<QLabel>(&d, u"imgIcon"_s)->pixmap().isNull());
    EXPECT_EQ(Child<QLabel>(&d, u"labTemplate"_s)->text(), u"A"_s);
}

TEST_F(NameDialogsTest, KeysChooseTheTemplateAndTheIndexIsRemembered)
{
    AddTemplate(u"A"_s);
    AddTemplate(u"B"_s);
    AddTemplate(u"C"_s);
    SetIni("[PROGRAM]\r\ntemplate=5\r\nfld_temp=1\r\n");
    {
        TfrmNewNoteName d;
        d.Init(Data);
        ShowActive(d);
        auto* edit = Child<QLineEdit>(&d, u"edtName"_s);
        EXPECT_EQ(edit->text(), u"data_01"_s);
        EXPECT_TRUE(edit->hasFocus());
        EXPECT_FALSE(d.SelectedTemplate());
        ExpectRefusal(d, u"Plan"_s, u"노트 양식을 선택하여 주십시오."_s);

        auto* list = Child<QListWidget>(&d, u"lstTemplate"_s);
        QTest::keyClick(edit, Qt::Key_Down);
        EXPECT_EQ(d.SelectedTemplate()->Name, u"A"_s);
        QTest::keyClick(edit, Qt::Key_Up);
        EXPECT_EQ(d.SelectedTemplate()->Name, u"A"_s);
        QTest::keyClick(edit, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(d.findChild<QPushButton*>(u"btnDate"_s), Qt::Key_Down);
        EXPECT_EQ(d.SelectedTemplate()->Name, u"C"_s);
        EXPECT_EQ(edit->text(), u"Plan"_s);
        EXPECT_TRUE(edit->hasFocus());
        d.reject();
    }
    // Cancel wrote nothing; OK stores the chosen index in the dialog's own key.
    EXPECT_EQ(ReadFile(Prj->IniFileName()), "[PROGRAM]\r\ntemplate=5\r\nfld_temp=1\r\n");
    TfrmNewFolderName d;
    d.Init(Data);
    EXPECT_EQ(d.windowTitle(), u"새 폴더 생성"_s);
    EXPECT_EQ(d.SelectedTemplate()->Name, u"B"_s);
    ShowActive(d);
    QTest::keyClick(Child<QLineEdit>(&d, u"edtName"_s), Qt::Key_Up);
    d.findChild<QPushButton*>(u"btnConfirm"_s)->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(ReadFile(Prj->IniFileName()), "[PROGRAM]\r\ntemplate=5\r\nfld_temp=0\r\n");
}

TEST_F(NameDialogsTest, RefusalsAndAnswersOfTheNewNameDialogs)
{
    AddTemplate(u"A"_s);
    WriteFile(Data + u"Sub/Taken.htm"_s, "x");
    WriteFile(Data + u"Top.htm"_s, "x");
    QDir().mkpath(Data + u"Sub/Dir"_s);
    {
        TfrmNewNoteName d;
        d.SetRootDir(Data);
        d.Init(Data + u"Sub/"_s);
        ShowActive(d);
        ExpectRefusal(d, u"  \t "_s, u"이름을 반드시 입력하여 주십시오."_s);
        ExpectRefusal(d, u"._?*_."_s, u"이름 끝에 .\\/:*?\"<>|를 사용할 수 없습니다."_s);
        ExpectRefusal(d, u" Taken. "_s, u"같은 이름의 파일이 이미 존재합니다."_s);
        EXPECT_EQ(Child<QLineEdit>(&d, u"edtName"_s)->text(), u"Taken"_s);
        // At the root the root's names count, not the folder's.
        Child<QCheckBox>(&d, u"chkIsRoot"_s)->setChecked(true);
        ExpectRefusal(d, u"Top"_s, u"같은 이름의 파일이 이미 존재합니다."_s);

        Child<QLineEdit>(&d, u"edtName"_s)->setText(u"  a?b*  "_s);
        d.findChild<QPushButton*>(u"btnConfirm"_s)->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(d.Name(), u"a_b"_s);
        EXPECT_EQ(d.RawName(), u"a?b*"_s);
        EXPECT_TRUE(d.AtRoot());
    }
    TfrmNewFolderName d;
    d.Init(Data + u"Sub"_s);
    // Without a store root there is nothing to create at.
    EXPECT_FALSE(Child<QCheckBox>(&d, u"chkIsRoot"_s)->isEnabled());
    ShowActive(d);
    ExpectRefusal(d, u"Dir"_s, u"같은 이름의 폴더가 이미 존재합니다."_s);
}

TEST_F(NameDialogsTest, DateAndTimeGoInAtTheCaret)
{
    TfrmNewNoteName d;
    d.Init(Data);
    ShowActive(d);
    auto* edit = Child<QLineEdit>(&d, u"edtName"_s);
    edit->setText(u"Meeting"_s);
    edit->selectAll();
    Child<QPushButton>(&d, u"btnDate"_s)->click();
    EXPECT_EQ(edit->text(), u"Meeting"_s + NameDateText(QDate::currentDate()));
    EXPECT_TRUE(
        QRegularExpression(u"^Meeting \\d{4}-\\d\\d-\\d\\d$"_s).match(edit->text()).hasMatch());
    EXPECT_TRUE(edit->hasFocus());

    edit->setText(u"ab"_s);
    edit->setCursorPosition(1);
    QTest::mouseClick(Child<QPushButton>(&d, u"btnTime"_s), Qt::LeftButton);
    EXPECT_TRUE(
        QRegularExpression(u"^a \\d\\d\\.\\d\\d\\.\\d\\db$"_s).match(edit->text()).hasMatch())
        << qPrintable(edit->text());
    EXPECT_EQ(NameTimeText(QTime(7, 5, 9)), u" 07.05.09"_s);
    EXPECT_EQ(NameDateText(QDate(2024, 3, 5)), u" 2024-03-05"_s);
}

TEST_F(NameDialogsTest, PlainNameDialog)
{
    WriteFile(Data + u"Plan.htm"_s, "x");
    QDir().mkpath(Data + u"Work"_s);
    TfrmUserFileName d;
    d.SetTargetDir(Data);
    EXPECT_EQ(d.windowTitle(), u"새 노트 이름 입력"_s);
    EXPECT_EQ(d.size(), QSize(327, 108));
    ShowActive(d);
    EXPECT_FALSE(Child<QCheckBox>(&d, u"chkIsRoot"_s)->isVisible());
    ExpectRefusal(d, u"   "_s, u"이름을 반드시 입력하여 주십시오."_s);
    ExpectRefusal(d, u"Plan."_s, u"이름 끝에 . 을 사용하실 수 없습니다."_s);
    ExpectRefusal(d, u" Plan "_s, u"같은 이름의 파일이 존재합니다."_s);
    EXPECT_EQ(Child<QLineEdit>(&d, u"edtName"_s)->text(), u"Plan"_s);
    // The note name Work is free although a folder has it; in folder mode it is not.
    d.SetIsFolder(true);
    EXPECT_EQ(d.windowTitle(), u"새 폴더 이름 입력"_s);
    ExpectRefusal(d, u"Work"_s, u"같은 이름의 디렉토리가 존재합니다."_s);
    Child<QLineEdit>(&d, u"edtName"_s)->setText(u" a?b_ "_s);
    d.findChild<QPushButton*>(u"btnConfirm"_s)->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.Name(), u"a_b_"_s);
}

TEST_F(NameDialogsTest, TheFacadeAnswers)
{
    AddTemplate(u"일기"_s);
    // Whatever modal dialog is up next gets the name typed and OK pressed, or Esc.
    const auto answerNext = [](const QString& typed) {
        QTimer::singleShot(0, qApp, [typed] {
            QWidget* d = QApplication::activeModalWidget();
            ASSERT_TRUE(d);
            if (typed.isNull()) {
                QTest::keyClick(d, Qt::Key_Escape);
                return;
            }
            d->findChild<QLineEdit*>(u"edtName"_s)->setText(typed);
            d->findChild<QPushButton*>(u"btnConfirm"_s)->click();
        });
    };
    answerNext(u" My plan? "_s);
    const std::optional<TzqNewNameAnswer> answer =
        AskNewName(nullptr, TzqItemKind::Note, Data, Data);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->Name, u"My plan"_s);
    EXPECT_EQ(answer->Title, u"My plan?"_s);
    EXPECT_EQ(answer->TemplateFile, u"일기.htm"_s);
    EXPECT_FALSE(answer->AtRoot);

    answerNext(u"Other"_s);
    EXPECT_EQ(AskUserFileName(nullptr, TzqItemKind::Folder, Data, u"Old"_s), u"Other"_s);
    answerNext({});
    EXPECT_FALSE(AskUserFileName(nullptr, TzqItemKind::Note, Data, u"Old"_s, u"같은 이름"_s));
}

TEST_F(NameDialogsTest, AnEmptyTemplateFolderRefusesEveryName)
{
    TfrmNewFolderName d;
    d.Init(Data);
    ShowActive(d);
    EXPECT_EQ(Child<QListWidget>(&d, u"lstTemplate"_s)->count(), 0);
    QTest::keyClick(Child<QLineEdit>(&d, u"edtName"_s), Qt::Key_Down);
    ExpectRefusal(d, u"Fine"_s, u"노트 양식을 선택하여 주십시오."_s);
    ExpectRefusal(d, u"Fine"_s, u"노트 양식을 선택하여 주십시오."_s);
}
