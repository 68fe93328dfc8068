// Finding in the three views, the source view's find-and-replace dialog and the special
// characters grid, offscreen with the real browser engine.
#include "editor/frmcharsgrid.h"
#include "editor/frmfindinrich.h"
#include "editor/frmfindreplace.h"
#include "editor/izqviews.h"
#include "editor/notecontent.h"
#include "editor/zqbrowsefindtarget.h"
#include "editor/zqbrowseview.h"
#include "editor/zqeditfindtarget.h"
#include "editor/zqnotepage.h"
#include "editor/zqsourcefindtarget.h"
#include "editor/zqwebeditview.h"
#include "platform/cp949.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// Readable failures.
void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

template <typename T> T* Child(QObject* parent, const QString& name)
{
    T* child = parent->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name.toStdString();
    return child;
}

void Select(QPlainTextEdit& edit, int start, int length)
{
    QTextCursor c(edit.document());
    c.setPosition(start);
    c.setPosition(start + length, QTextCursor::KeepAnchor);
    edit.setTextCursor(c);
}

QString Selection(TzqNotePage* page)
{
    const std::optional<QVariant> v = page->RunScript(u"window.getSelection().toString()"_s);
    return v ? v->toString() : u"<no answer>"_s;
}

// The number of characters before the selection's start within the body's text.
int SelectionOffset(TzqNotePage* page)
{
    const std::optional<QVariant> v = page->RunScript(
        u"(function () { var s = window.getSelection(); if (!s.rangeCount) return -1;"
        u" var r = document.createRange(); r.setStart(document.body, 0);"
        u" var a = s.getRangeAt(0); r.setEnd(a.startContainer, a.startOffset);"
        u" return r.toString().length; })()"_s);
    return v ? v->toInt() : -2;
}

class WebFindTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        NoteScope().SetPlaces({Dir.path()}, {});
        testutil::WriteFile(
            Dir.filePath(u"n.htm"_s),
            cp949::FromUnicode(QString(u"<html><body><p>"_s + Text + u"</p></body></html>"_s)));
    }
    void TearDown() override { NoteScope().SetPlaces({}, {}); }

    QTemporaryDir Dir;
    //                          0         1         2         3
    //                          0123456789012345678901234567890123
    const QString Text = u"한글날 한글 Note note 똠방각하 한글"_s;
};

} // namespace

TEST(FindInRich, DialogSearchesTheSourceViewFromItsSelection)
{
    QPlainTextEdit edit;
    //                  0         1         2
    //                  01234567890123456789012345
    edit.setPlainText(u"한글날 한글\r\n<P>한글</p> 한글"_s.replace(u"\r\n"_s, u"\n"_s));
    Select(edit, 4, 2);
    TzqSourceFindTarget target(&edit);
    TfrmFindInRich dialog(&target);
    EXPECT_EQ(dialog.windowTitle(), u"문자열 찾기"_s);
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(Child<QLabel>(&dialog, u"labFindText"_s)->text(), u"찾을 내용(&T):"_s);
    auto* edtFindText = Child<QLineEdit>(&dialog, u"edtFindText"_s);
    auto* chkWholeWord = Child<QCheckBox>(&dialog, u"chkWholeWord"_s);
    auto* chkCaseSensitive = Child<QCheckBox>(&dialog, u"chkCaseSensitive"_s);
    auto* grpDirection = Child<QGroupBox>(&dialog, u"grpDirection"_s);
    auto* radForward = Child<QRadioButton>(&dialog, u"radForward"_s);
    auto* radBackward = Child<QRadioButton>(&dialog, u"radBackward"_s);
    auto* actFindNext = Child<QAction>(&dialog, u"actFindNext"_s);
    auto* btnFindNext = Child<QPushButton>(&dialog, u"btnFindNext"_s);
    auto* btnCancel = Child<QPushButton>(&dialog, u"btnCancel"_s);
    EXPECT_EQ(chkWholeWord->text(), u"단어 단위로(&W)"_s);
    EXPECT_EQ(chkCaseSensitive->text(), u"대·소문자 구분(&C)"_s);
    EXPECT_EQ(grpDirection->title(), u"방향(&D)"_s);
    EXPECT_EQ(radForward->text(), u"앞으로"_s);
    EXPECT_EQ(radBackward->text(), u"뒤로"_s);
    EXPECT_EQ(actFindNext->text(), u"다음 찾기"_s);
    EXPECT_EQ(btnCancel->text(), u"취소"_s);
    EXPECT_FALSE(chkWholeWord->isChecked() || chkCaseSensitive->isChecked());
    EXPECT_TRUE(radForward->isChecked());

    // Opening takes the selection as the search text.
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(edtFindText->text(), u"한글"_s);
    EXPECT_TRUE(btnFindNext->isEnabled());

    // Forward from the selection's end; the dialog stays open.
    QTest::mouseClick(btnFindNext, Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(edit.textCursor().selectionStart(), 10);
    EXPECT_EQ(edit.textCursor().selectedText(), u"한글"_s);
    // Enter in the box searches again.
    QTest::keyClick(edtFindText, Qt::Key_Return);
    EXPECT_EQ(edit.textCursor().selectionStart(), 17);
    // Nothing further: nothing changes.
    QTest::mouseClick(btnFindNext, Qt::LeftButton);
    EXPECT_EQ(edit.textCursor().selectionStart(), 17);
    EXPECT_EQ(edit.textCursor().selectionEnd(), 19);

    // Backward with whole words skips "한글날".
    radBackward->setChecked(true);
    chkWholeWord->setChecked(true);
    EXPECT_EQ(dialog.Options(), zqFindSelect | zqFindWholeWord | zqFindBackward);
    QTest::mouseClick(btnFindNext, Qt::LeftButton);
    EXPECT_EQ(edit.textCursor().selectionStart(), 10);
    QTest::mouseClick(btnFindNext, Qt::LeftButton);
    EXPECT_EQ(edit.textCursor().selectionStart(), 4);
    QTest::mouseClick(btnFindNext, Qt::LeftButton);
    EXPECT_EQ(edit.textCursor().selectionStart(), 4);

    // Match case: "</P>" is not "</p>"; 11 = select, whole word and match case.
    edtFindText->setText(u"</P>"_s);
    radForward->setChecked(true);
    chkCaseSensitive->setChecked(true);
    EXPECT_EQ(dialog.Options(), 11);
    Select(edit, 0, 0);
    QTest::mouseClick(btnFindNext, Qt::LeftButton);
    EXPECT_FALSE(edit.textCursor().hasSelection());
    chkCaseSensitive->setChecked(false);
    chkWholeWord->setChecked(false);
    QTest::mouseClick(btnFindNext, Qt::LeftButton);
    EXPECT_EQ(edit.textCursor().selectedText(), u"</p>"_s);

    QTest::mouseClick(btnCancel, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());

    // Without a selection the box is empty and the search waits for text.
    Select(edit, 3, 0);
    dialog.show();
    EXPECT_TRUE(edtFindText->text().isEmpty());
    EXPECT_FALSE(actFindNext->isEnabled());
    EXPECT_FALSE(btnFindNext->isEnabled());
    QTest::keyClicks(edtFindText, u"Note"_s);
    EXPECT_TRUE(actFindNext->isEnabled());
    EXPECT_TRUE(btnFindNext->isEnabled());
    QTest::keyClick(edtFindText, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(FindReplace, ReplaceAllIsOneUndoStepAndSaysHowMany)
{
    const QString original = u"사과 사과나무\n사과, 배\n사과"_s;
    QPlainTextEdit edit;
    edit.setPlainText(original);
    TfrmFindReplace dialog(&edit);
    EXPECT_EQ(dialog.windowTitle(), u"찾아 바꾸기"_s);
    EXPECT_EQ(Child<QLabel>(&dialog, u"labFindText"_s)->text(), u"찾을 내용(&T):"_s);
    EXPECT_EQ(Child<QLabel>(&dialog, u"labReplaceText"_s)->text(), u"바꿀 내용(&P):"_s);
    auto* edtFindText = Child<QLineEdit>(&dialog, u"edtFindText"_s);
    auto* edtReplaceText = Child<QLineEdit>(&dialog, u"edtReplaceText"_s);
    auto* chkWholeWord = Child<QCheckBox>(&dialog, u"chkWholeWord"_s);
    auto* btnFindNext = Child<QPushButton>(&dialog, u"btnFindNext"_s);
    auto* btnReplace = Child<QPushButton>(&dialog, u"btnReplace"_s);
    auto* btnReplaceAll = Child<QPushButton>(&dialog, u"btnReplaceAll"_s);
    auto* labStatus = Child<QLabel>(&dialog, u"labStatus"_s);
    EXPECT_EQ(chkWholeWord->text(), u"단어 단위로(&W)"_s);
    EXPECT_EQ(Child<QCheckBox>(&dialog, u"chkCaseSensitive"_s)->text(), u"대·소문자 구분(&C)"_s);
    EXPECT_EQ(btnFindNext->text(), u"다음 찾기(&F)"_s);
    EXPECT_EQ(btnReplace->text(), u"바꾸기(&R)"_s);
    EXPECT_EQ(btnReplaceAll->text(), u"모두 바꾸기(&A)"_s);
    EXPECT_EQ(Child<QPushButton>(&dialog, u"btnCancel"_s)->text(), u"취소"_s);
    dialog.show();
    EXPECT_FALSE(btnReplaceAll->isEnabled());

    edtFindText->setText(u"사과"_s);
    edtReplaceText->setText(u"능금"_s);
    chkWholeWord->setChecked(true);
    edit.document()->clearUndoRedoStacks();
    QTest::mouseClick(btnReplaceAll, Qt::LeftButton);
    EXPECT_EQ(edit.toPlainText(), u"능금 사과나무\n능금, 배\n능금"_s);
    EXPECT_EQ(labStatus->text(), u"3개를 바꾸었습니다."_s);
    EXPECT_TRUE(dialog.isVisible());

    edit.undo();
    EXPECT_EQ(edit.toPlainText(), original);
    EXPECT_FALSE(edit.document()->isUndoAvailable());
    edit.redo();
    EXPECT_EQ(edit.toPlainText(), u"능금 사과나무\n능금, 배\n능금"_s);

    // Nothing left to replace.
    QTest::mouseClick(btnReplaceAll, Qt::LeftButton);
    EXPECT_EQ(labStatus->text(), u"0개를 바꾸었습니다."_s);

    // Replace: a selection that is no match is only moved on; a match is replaced and the next
    // one selected.
    edit.setPlainText(original);
    Select(edit, 0, 1);
    QTest::mouseClick(btnReplace, Qt::LeftButton);
    EXPECT_EQ(edit.toPlainText(), original);
    EXPECT_EQ(edit.textCursor().selectionStart(), 8);
    QTest::mouseClick(btnReplace, Qt::LeftButton);
    EXPECT_EQ(edit.toPlainText(), u"사과 사과나무\n능금, 배\n사과"_s);
    EXPECT_EQ(edit.textCursor().selectionStart(), 14);
    EXPECT_EQ(edit.textCursor().selectedText(), u"사과"_s);

    // A replacement beyond the text's limit is refused.
    dialog.SetMaxLength(edit.toPlainText().size());
    edtReplaceText->setText(u"능금나무"_s);
    QTest::mouseClick(btnReplaceAll, Qt::LeftButton);
    EXPECT_EQ(edit.toPlainText(), u"사과 사과나무\n능금, 배\n사과"_s);
    EXPECT_FALSE(labStatus->text().isEmpty());
}

TEST(CharsGridFrame, BuiltInCharactersFillFiveColumnsAndClicksHandThemOn)
{
    TfrmCharsGrid frame;
    QTemporaryDir dir;
    frame.LoadCharsGrid(dir.filePath(u"zqqchars.txt"_s));
    frame.resize(95, 500);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    auto* grd = Child<QTableWidget>(&frame, u"grd"_s);
    EXPECT_EQ(frame.width(), 95);
    EXPECT_EQ(grd->columnCount(), 5);
    EXPECT_EQ(grd->rowCount(), 24);
    EXPECT_EQ(grd->item(0, 0)->text(), u"■"_s);
    EXPECT_EQ(grd->item(23, 0)->text(), u"＼"_s);
    EXPECT_EQ(grd->item(23, 1), nullptr);
    EXPECT_EQ(grd->columnWidth(0), 19);
    EXPECT_EQ(grd->rowHeight(0), 19);
    EXPECT_EQ(grd->font().family(), u"굴림체"_s);
    EXPECT_EQ(grd->font().pixelSize(), 12);
    EXPECT_EQ(grd->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(grd->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    QSignalSpy clicked(&frame, &TfrmCharsGrid::CharClicked);
    QTest::mouseClick(grd->viewport(), Qt::LeftButton, {},
                      grd->visualItemRect(grd->item(0, 1)).center());
    ASSERT_EQ(clicked.size(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toString(), u"□"_s);
    QTest::mouseClick(grd->viewport(), Qt::LeftButton, {},
                      grd->visualRect(grd->model()->index(0, 4)).center());
    EXPECT_EQ(clicked.size(), 2);
    EXPECT_EQ(clicked.at(1).at(0).toString(), u"●"_s);

    // The user's characters, one cell each; an empty cell hands on nothing.
    testutil::WriteFile(dir.filePath(u"mine.txt"_s), "\xA1\xDA@\xB0\xA1\r\n");
    frame.LoadCharsGrid(dir.filePath(u"mine.txt"_s));
    EXPECT_EQ(grd->rowCount(), 1);
    EXPECT_EQ(grd->item(0, 1)->text(), u"@"_s);
    QTest::mouseClick(grd->viewport(), Qt::LeftButton, {},
                      grd->visualRect(grd->model()->index(0, 4)).center());
    EXPECT_EQ(clicked.size(), 2);
}

TEST_F(WebFindTest, EditViewFindMakesTheMatchTheDocumentsSelection)
{
    TzqWebEditView view;
    view.resize(640, 480);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QSignalSpy complete(&view, &TzqWebEditView::DocumentComplete);
    view.LoadDocument(Dir.filePath(u"n.htm"_s));
    ASSERT_TRUE(complete.wait(20000));

    auto* target = new TzqEditFindTarget(&view);
    QSignalSpy finished(target, &TzqEditFindTarget::FindFinished);
    const auto find = [&](const QString& text, int options) {
        const qsizetype before = finished.size();
        target->FindNext(text, options);
        EXPECT_TRUE(QTest::qWaitFor([&] { return finished.size() > before; }, 10000));
        return finished.size() > before && finished.last().at(0).toBool();
    };

    EXPECT_TRUE(find(u"한글"_s, zqFindSelect));
    EXPECT_EQ(Selection(view.NotePage()), u"한글"_s);
    EXPECT_EQ(SelectionOffset(view.NotePage()), 0);
    EXPECT_TRUE(find(u"한글"_s, zqFindSelect | zqFindWholeWord));
    EXPECT_EQ(SelectionOffset(view.NotePage()), 4);
    EXPECT_TRUE(find(u"note"_s, zqFindSelect | zqFindMatchCase));
    EXPECT_EQ(Selection(view.NotePage()), u"note"_s);
    EXPECT_EQ(SelectionOffset(view.NotePage()), 12);
    EXPECT_TRUE(find(u"NOTE"_s, zqFindSelect | zqFindBackward));
    EXPECT_EQ(Selection(view.NotePage()), u"Note"_s);
    EXPECT_EQ(SelectionOffset(view.NotePage()), 7);
    EXPECT_TRUE(find(u"똠방각하"_s, zqFindSelect));
    EXPECT_EQ(Selection(view.NotePage()), u"똠방각하"_s);
    EXPECT_EQ(target->SelectedText(), u"똠방각하"_s);

    // No match: the selection stays.
    EXPECT_FALSE(find(u"없는 말"_s, zqFindSelect));
    EXPECT_EQ(Selection(view.NotePage()), u"똠방각하"_s);
    EXPECT_EQ(SelectionOffset(view.NotePage()), 17);
    // The document was not changed by searching.
    EXPECT_EQ(view.EditCount(), 0);

    // Through the dialog.
    TfrmFindInRich dialog(target);
    dialog.show();
    EXPECT_EQ(Child<QLineEdit>(&dialog, u"edtFindText"_s)->text(), u"똠방각하"_s);
    Child<QLineEdit>(&dialog, u"edtFindText"_s)->setText(u"한글"_s);
    QTest::mouseClick(Child<QPushButton>(&dialog, u"btnFindNext"_s), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Selection(view.NotePage()) == u"한글"_s; }, 10000));
    EXPECT_EQ(SelectionOffset(view.NotePage()), 22);
}

TEST_F(WebFindTest, BrowseViewFindHighlightsAndEmulatesWholeWords)
{
    TzqBrowseView view;
    view.resize(640, 480);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QSignalSpy complete(&view, &TzqBrowseView::DocumentComplete);
    view.Navigate(Dir.filePath(u"n.htm"_s));
    ASSERT_TRUE(complete.wait(20000));

    auto* target = new TzqBrowseFindTarget(&view);
    QSignalSpy finished(target, &TzqBrowseFindTarget::FindFinished);
    const auto find = [&](const QString& text, int options) {
        const qsizetype before = finished.size();
        target->FindNext(text, options);
        EXPECT_TRUE(QTest::qWaitFor([&] { return finished.size() > before; }, 10000))
            << text.toStdString() << options;
        return finished.size() > before && finished.last().at(0).toBool();
    };
    EXPECT_TRUE(find(u"똠방각하"_s, zqFindSelect));
    EXPECT_TRUE(find(u"NOTE"_s, zqFindSelect));
    EXPECT_FALSE(find(u"NOTE"_s, zqFindSelect | zqFindMatchCase));
    EXPECT_FALSE(find(u"없는 말"_s, zqFindSelect | zqFindBackward));

    // Whole words go through the document's find, which selects the match; the engine's find
    // leaves its last match selected.
    view.NotePage()->RunScript(u"window.getSelection().removeAllRanges(), true"_s);
    EXPECT_TRUE(find(u"한글"_s, zqFindSelect | zqFindWholeWord));
    EXPECT_EQ(Selection(view.NotePage()), u"한글"_s);
    EXPECT_EQ(SelectionOffset(view.NotePage()), 4);
    EXPECT_FALSE(find(u"한"_s, zqFindSelect | zqFindWholeWord));
    EXPECT_EQ(SelectionOffset(view.NotePage()), 4);
    target->StopFinding();
}
