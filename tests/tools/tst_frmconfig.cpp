// The settings dialog and the data directory dialog offscreen: what they show, what keys and
// the mouse do, what they refuse, and what reaches the settings file.
#include "app/frmgetdatadir.h"
#include "app/zqprjinfo.h"
#include "filesizelimit.h"
#include "testutil.h"
#include "tools/frmconfig.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

template <class T> T* Child(QWidget* parent, const QString& name)
{
    T* w = parent->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name.toStdString();
    return w;
}

void CtrlWheel(QWidget* viewport, int delta)
{
    const QPointF pos(viewport->width() / 2.0, viewport->height() / 2.0);
    QWheelEvent wheel(pos, viewport->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
}

class DialogTest : public ::testing::Test {
protected:
    QString Ini() const { return Dir.filePath(u"zqQuillet.ini"_s); }
    // Records 1 to 5 (3 shared), record 7 without IsShare, record 50 used.
    QByteArray Records() const
    {
        QByteArray s = "[PROGRAM]\r\nMyName=me\r\n";
        for (int n : {1, 2, 3, 4, 5, 7, 50}) {
            const QByteArray k = QByteArray::number(n);
            s += "[DataDir" + k + "]\r\nName=N" + k + "\r\ndir=/d/" + k + "\r\n";
            if (n <= 5)
                s += n == 3 ? "IsShare=1\r\n" : "IsShare=0\r\n";
        }
        return s;
    }
    std::unique_ptr<TfrmConfig> Open()
    {
        Prj = std::make_unique<TzqPrjInfo>(Dir.path());
        auto dlg = std::make_unique<TfrmConfig>(*Prj);
        dlg->FShowError = [this](const QString& text) { Errors.append(text); };
        dlg->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
        return dlg;
    }

    QTemporaryDir Dir;
    std::unique_ptr<TzqPrjInfo> Prj;
    QStringList Errors;
};

} // namespace

TEST_F(DialogTest, DataDirDialogRefusesWhatCannotBeStoredAndBrowsesFromTheRightPlace)
{
    TfrmGetDataDir dlg;
    QStringList errors;
    QStringList starts;
    QString answer;
    dlg.FShowError = [&](const QString& text) { errors.append(text); };
    dlg.FBrowseForFolder = [&](const QString& title, const QString& start) {
        EXPECT_EQ(title, u"데이터 폴더"_s);
        starts.append(start);
        return answer;
    };
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(Child<QLabel>(&dlg, u"Label1"_s)->text(), u"이름:"_s);
    EXPECT_EQ(Child<QCheckBox>(&dlg, u"chkIsShare"_s)->text(), u"다른 사용자와 공유"_s);
    auto* edtName = Child<QLineEdit>(&dlg, u"edtName"_s);
    auto* btnDirData = Child<QAbstractButton>(&dlg, u"btnDirData"_s);

    // Enter presses OK: a name of spaces only is refused, then a missing directory.
    edtName->setFocus();
    QTest::keyClicks(edtName, u"   "_s);
    QTest::keyClick(edtName, Qt::Key_Return);
    edtName->insert(u"자료"_s);
    QTest::keyClick(edtName, Qt::Key_Return);
    EXPECT_EQ(errors, (QStringList{u"데이터 경로에 대한 이름을 반드시 입력하셔야 합니다."_s,
                                   u"데이터 경로를 지정하여 주십시오."_s}));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(edtName->hasFocus());

    // The browser starts at the start directory, at the chosen one once there is one, and
    // without a preselection when that was deleted. Cancelling keeps the directory.
    QTemporaryDir data;
    const QString chosen = data.filePath(
        u"여러/단계의아주긴폴더/길고긴폴더이름/폴더이름들이/계속이어지는/긴경로의끝"_s);
    QDir().mkpath(chosen);
    dlg.SetStartDir(data.path());
    answer = chosen;
    QTest::mouseClick(btnDirData, Qt::LeftButton);
    EXPECT_EQ(dlg.DirData(), chosen);
    const QString shown = Child<QLabel>(&dlg, u"pnlDirData"_s)->text();
    EXPECT_TRUE(shown.contains(u"..."_s)) << shown.toStdString();
    answer.clear();
    QTest::mouseClick(btnDirData, Qt::LeftButton);
    EXPECT_EQ(dlg.DirData(), chosen);
    QDir(data.filePath(u"여러"_s)).removeRecursively();
    QTest::mouseClick(btnDirData, Qt::LeftButton);
    EXPECT_EQ(starts, (QStringList{data.path(), chosen, QString()}));

    // A name or a directory CP949 lacks characters for would be stored as "?".
    errors.clear();
    edtName->setText(u"자료😀"_s);
    QTest::keyClick(edtName, Qt::Key_Return);
    dlg.SetDirData(u"/d/😀"_s);
    edtName->setText(u"자료"_s);
    QTest::keyClick(edtName, Qt::Key_Return);
    ASSERT_EQ(errors.size(), 2);
    EXPECT_TRUE(errors[0].startsWith(u"데이터 경로의 이름에 설정 파일에 저장할 수 없는"_s));
    EXPECT_TRUE(errors[1].startsWith(u"데이터 경로에 설정 파일에 저장할 수 없는"_s));
    EXPECT_TRUE(dlg.isVisible());

    dlg.SetDirData(u"/d/똠"_s);
    QTest::keyClick(edtName, Qt::Key_Return);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(errors.size(), 2);
}

TEST_F(DialogTest, ShowsTheSettingsAndTheGridKeysMoveRows)
{
    WriteFile(Ini(), Records());
    auto dlg = Open();
    EXPECT_EQ(dlg->windowTitle(), u"환경설정"_s);
    EXPECT_LE(dlg->width(), 1280);
    EXPECT_LE(dlg->height(), 760);
    EXPECT_LE(dlg->minimumSizeHint().width(), 1280);
    EXPECT_LE(dlg->minimumSizeHint().height(), 760);
    EXPECT_EQ(Child<QCheckBox>(dlg.get(), u"chkInsertNoteAppend"_s)->text(),
              u"파임 첨부 시 노트에 삽입"_s);
    EXPECT_EQ(Child<QGroupBox>(dlg.get(), u"grpTextFormat"_s)->title(), u"텍스트 포맷"_s);
    EXPECT_EQ(Child<QAbstractButton>(dlg.get(), u"btnInsert"_s)->text(), u"행 추가"_s);
    EXPECT_EQ(Child<QLineEdit>(dlg.get(), u"edtMyName"_s)->text(), u"me"_s);
    EXPECT_EQ(Child<QSpinBox>(dlg.get(), u"spnAutoInterval"_s)->maximum(), 60);
    EXPECT_EQ(Child<QLabel>(dlg->findChild<QWidget*>(u"frm9"_s), u"labCtrl"_s)->text(),
              u"Ctrl-9"_s);

    auto* grd = Child<QTableWidget>(dlg.get(), u"grd"_s);
    EXPECT_EQ(grd->horizontalHeaderItem(2)->text(), u"공유"_s);
    EXPECT_EQ(grd->verticalHeaderItem(49)->text(), u"50"_s);
    EXPECT_EQ(grd->item(6, 0)->text(), u"N7"_s);
    EXPECT_EQ(grd->item(6, 2)->text(), u"공유"_s); // no IsShare: shared
    EXPECT_EQ(grd->item(2, 2)->text(), u"공유"_s);
    EXPECT_EQ(grd->item(3, 2)->text(), QString());

    // Row 50 is used: "행 추가" is disabled rather than pushing it out.
    auto* btnInsert = Child<QAbstractButton>(dlg.get(), u"btnInsert"_s);
    EXPECT_EQ(dlg->CurrentRow(), 1);
    EXPECT_FALSE(btnInsert->isEnabled());
    auto* actMoveUp = Child<QAction>(dlg.get(), u"actMoveUp"_s);
    auto* actMoveDown = Child<QAction>(dlg.get(), u"actMoveDown"_s);
    EXPECT_FALSE(actMoveUp->isEnabled());
    EXPECT_TRUE(actMoveDown->isEnabled());

    // Ctrl+wheel moves the row, and does nothing at the ends.
    CtrlWheel(grd->viewport(), 120);
    EXPECT_EQ(grd->item(0, 0)->text(), u"N1"_s);
    CtrlWheel(grd->viewport(), -120);
    EXPECT_EQ(dlg->CurrentRow(), 2);
    EXPECT_EQ(grd->item(1, 0)->text(), u"N1"_s);
    EXPECT_EQ(grd->item(0, 0)->text(), u"N2"_s);
    dlg->SelectRow(50);
    EXPECT_FALSE(actMoveDown->isEnabled());
    CtrlWheel(grd->viewport(), -120);
    EXPECT_EQ(dlg->CurrentRow(), 50);
    // Ctrl+Up in the grid moves too.
    grd->setFocus();
    QTest::keyClick(grd, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(dlg->CurrentRow(), 49);
    EXPECT_EQ(grd->item(48, 0)->text(), u"N50"_s);
    EXPECT_TRUE(btnInsert->isEnabled());

    // Deleting row 3 of rows 1 to 5 where only row 3 is shared leaves none shared.
    dlg->SelectRow(1);
    QTest::keyClick(grd, Qt::Key_Down, Qt::ControlModifier); // back to N1, N2
    dlg->SelectRow(3);
    QTest::mouseClick(Child<QAbstractButton>(dlg.get(), u"btnDelDir"_s), Qt::LeftButton);
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(grd->item(r, 2)->text(), QString()) << r;
    EXPECT_EQ(grd->item(2, 0)->text(), u"N4"_s);
    EXPECT_EQ(grd->item(5, 0)->text(), u"N7"_s);
}

TEST_F(DialogTest, CancelAndEscWriteNothingEvenAfterEdits)
{
    WriteFile(Ini(), Records());
    for (const bool esc : {true, false}) {
        auto dlg = Open();
        dlg->FEditDataDir = [](const QString&, TzqDataDirRow& row, const QString&) {
            row.Name = u"바뀜"_s;
            return true;
        };
        dlg->SelectRow(2);
        QTest::mouseClick(Child<QAbstractButton>(dlg.get(), u"btnDelDir"_s), Qt::LeftButton);
        QTest::mouseClick(Child<QAbstractButton>(dlg.get(), u"btnModifyDir"_s), Qt::LeftButton);
        Child<QCheckBox>(dlg.get(), u"chkDupEx"_s)->setChecked(true);
        QTest::mouseClick(Child<QAbstractButton>(dlg.get(), u"btnEraseEdito"_s), Qt::LeftButton);
        if (esc)
            QTest::keyClick(Child<QLineEdit>(dlg.get(), u"edtMyName"_s), Qt::Key_Escape);
        else
            QTest::mouseClick(Child<QAbstractButton>(dlg.get(), u"btnCancel"_s), Qt::LeftButton);
        EXPECT_EQ(dlg->result(), QDialog::Rejected);
        EXPECT_FALSE(dlg->isVisible());
        EXPECT_EQ(ReadFile(Ini()), Records());
        EXPECT_EQ(Prj->Ini().WriteCount(), 0);
    }
}

TEST_F(DialogTest, OkWritesOnceAndAFailedWriteKeepsTheDialogOpen)
{
    QTemporaryDir tools;
    const QString text = tools.filePath(u"notes.txt"_s);
    const QString program = tools.filePath(u"edit"_s);
    WriteFile(text, "x");
    WriteFile(program, "#!/bin/sh\n");
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
    WriteFile(Ini(), Records());

    auto dlg = Open();
    QString nextChoice;
    dlg->FChooseTextEditor = [&](const QString&) { return nextChoice; };
    auto* btnTextEditor = Child<QAbstractButton>(dlg.get(), u"btnTextEditor"_s);
    // A plain file is no editor; a program is.
    nextChoice = text;
    QTest::mouseClick(btnTextEditor, Qt::LeftButton);
    EXPECT_EQ(Errors, QStringList{u"실행할 수 있는 파일이 아닙니다: "_s + text});
    EXPECT_EQ(Child<QLabel>(dlg.get(), u"pnlTextEditor"_s)->text(), QString());
    nextChoice = program;
    QTest::mouseClick(btnTextEditor, Qt::LeftButton);
    EXPECT_FALSE(Child<QLabel>(dlg.get(), u"pnlTextEditor"_s)->text().isEmpty());

    // A nickname the file cannot hold is refused, the focus on it.
    auto* edtMyName = Child<QLineEdit>(dlg.get(), u"edtMyName"_s);
    edtMyName->setText(u"나😀"_s);
    Errors.clear();
    QTest::keyClick(Child<QTableWidget>(dlg.get(), u"grd"_s), Qt::Key_Return);
    ASSERT_EQ(Errors.size(), 1);
    EXPECT_TRUE(Errors[0].startsWith(u"나의 별명에"_s));
    EXPECT_TRUE(edtMyName->hasFocus());
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(ReadFile(Ini()), Records());

    // A full disk: reported, nothing written, the dialog stays.
    edtMyName->setText(u"  나 "_s);
    Errors.clear();
    {
        const TFileSizeLimit diskFull(Records().size() + 100);
        QTest::keyClick(edtMyName, Qt::Key_Return);
    }
    ASSERT_EQ(Errors.size(), 1);
    EXPECT_TRUE(Errors[0].startsWith(u"설정을 저장하지 못했습니다."_s));
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(ReadFile(Ini()), Records());
    EXPECT_TRUE(Prj->TextEditor().isEmpty());

    // Enter again: one write with everything.
    QTest::keyClick(edtMyName, Qt::Key_Return);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(Prj->Ini().WriteCount(), 1);
    EXPECT_EQ(Prj->TextEditor(), program);
    EXPECT_EQ(Prj->Ini().ReadString(ProgramSection, u"MyName"_s), u"나"_s);
    EXPECT_TRUE(Prj->Ini().ReadBool(u"DataDir7"_s, u"IsShare"_s, false));
    EXPECT_TRUE(Prj->Ini().SectionExists(u"DataDir49"_s));
    EXPECT_EQ(Prj->Ini().ReadString(u"DataDir50"_s, u"Name"_s), u"N50"_s);
}

// Not a check: draws both dialogs into PNGs for a person to look at. Run with
// --gtest_also_run_disabled_tests and QUILLET_SHOWCASE=<folder>.
TEST_F(DialogTest, DISABLED_Showcase)
{
    const QString folder = qEnvironmentVariable("QUILLET_SHOWCASE", u"."_s);
    WriteFile(Ini(), Records());
    auto dlg = Open();
    dlg->grab().save(folder + u"/frmconfig.png"_s);
    TfrmGetDataDir edit;
    edit.setWindowTitle(u"수정: 기본 폴더"_s);
    edit.SetName(u"기본 폴더"_s);
    edit.SetDirData(u"/home/user/notes/a/rather/long/path/to/the/data/directory/BookData"_s);
    edit.SetIsShare(true);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    edit.grab().save(folder + u"/frmgetdatadir.png"_s);
}
