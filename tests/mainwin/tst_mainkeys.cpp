// The main window's keys, gestures, wheel and input-mode mark with the real browser engine,
// offscreen: keys typed into the views' input widgets, right-button drags over the note.
#include "app/zqprjinfo.h"
#include "editor/frmcharsgrid.h"
#include "editor/zqbrowseview.h"
#include "editor/zqedittoolbars.h"
#include "editor/zqnotepage.h"
#include "editor/zqsourceedit.h"
#include "editor/zqwebeditview.h"
#include "mainwin/frmmainql.h"
#include "mainwin/izqinputmodesource.h"
#include "mainwin/zqinputmodewatcher.h"
#include "platform/cp949.h"
#include "store/zqtreeview.h"
#include "testutil.h"
#include "tools/frmnotepad.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;
using testutil::WriteFile;

namespace {

class TScriptedInputMode : public IzqInputModeSource {
public:
    std::optional<bool> IsHangul() override { return Hangul; }
    std::optional<bool> Hangul;
};

class MainKeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Store = Program.filePath(u"store"_s);
        QString body;
        for (int i = 0; i < 400; ++i)
            body += u"<p>줄 %1 한글</p>"_s.arg(i);
        body += u"<p id=\"last\">끝</p>"_s;
        WriteFile(
            Store + u"/메모.htm"_s,
            cp949::FromUnicode(QString(u"<html><head><meta http-equiv=\"Content-Type\" "
                                       u"content=\"text/html; charset=euc-kr\"></head><body>"_s +
                                       body + u"</body></html>"_s)));
        for (int i = 0; i < 80; ++i)
            WriteFile(Store + u"/n%1.htm"_s.arg(i, 2, 10, QChar(u'0')), "x");
        WriteFile(Program.filePath(u"zqQuillet.ini"_s),
                  QByteArray("[PROGRAM]\r\nMyName=alpha\r\n[DataDir1]\r\nName=S\r\ndir=" +
                             Store.toUtf8() + "\r\nIsShare=0\r\n"));
        Prj = std::make_unique<TzqPrjInfo>(Program.path());
        PrjInfo = Prj.get();
    }
    void TearDown() override { PrjInfo = nullptr; }

    std::unique_ptr<TfrmMainQL> OpenOnNote()
    {
        auto w = std::make_unique<TfrmMainQL>();
        w->FormActivate();
        w->resize(900, 600);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        QSignalSpy loaded(w->DhtmlEditor(), &TfrmDhtmlEditor::BrowseLoadFinished);
        EXPECT_TRUE(w->Tree()->SelectByRelativePath(u"메모.htm"_s));
        EXPECT_TRUE(loaded.wait(20000));
        return w;
    }

    // The browser engine's input widget of a view, once it has the keyboard.
    static QWidget* Input(QWebEngineView* view)
    {
        view->setFocus();
        QWidget* input = view->focusProxy();
        EXPECT_TRUE(input);
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == input; }, 5000));
        return input;
    }

    static bool EnterEdit(TfrmMainQL& w, QWidget* keyTarget, int key = Qt::Key_F7)
    {
        QSignalSpy ready(w.DhtmlEditor()->EditView(), &TzqWebEditView::DocumentComplete);
        QTest::keyClick(keyTarget, Qt::Key(key));
        return w.ViewMode() == 1 && ready.wait(20000);
    }

    static double Script(TzqNotePage* page, const QString& script)
    {
        return page->RunScript(script).value_or(QVariant(-1)).toDouble();
    }

    // Presses the right button at from, moves, releases it at to (points of widget).
    static void RightDrag(QWidget* widget, QPoint from, QPoint to)
    {
        QTest::mousePress(widget, Qt::RightButton, {}, from);
        QTest::mouseMove(widget, to);
        QTest::mouseRelease(widget, Qt::RightButton, {}, to);
    }

    QTemporaryDir Program;
    QString Store;
    std::unique_ptr<TzqPrjInfo> Prj;
};

} // namespace

TEST_F(MainKeysTest, KeysTypedIntoTheViewsInputWidgetsActOnce)
{
    auto w = OpenOnNote();
    QWidget* browseInput = Input(w->DhtmlEditor()->Browser());
    // F7 in the browse view's input widget: edit mode.
    ASSERT_TRUE(EnterEdit(*w, browseInput));
    QWidget* editInput = Input(w->DhtmlEditor()->EditView());
    // Ctrl+W there: browse again; Ctrl+E: edit again (each once, or the mode would flip back).
    QTest::keyClick(editInput, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(w->ViewMode(), 0);
    ASSERT_TRUE(EnterEdit(*w, Input(w->DhtmlEditor()->Browser())));
    editInput = Input(w->DhtmlEditor()->EditView());

    // Tab indents the paragraph at the caret (the engine would move the focus away).
    TzqNotePage* page = w->DhtmlEditor()->EditView()->NotePage();
    ASSERT_TRUE(page->RunScript(u"var p = document.getElementById('last');"
                                u"window.getSelection().collapse(p.firstChild, 0); true"_s));
    QTest::keyClick(editInput, Qt::Key_Tab);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return page
                ->RunScript(u"!!document.getElementById('last').closest('blockquote') || "
                            u"document.body.innerHTML.indexOf('margin') >= 0"_s)
                ->toBool();
        },
        5000));
    EXPECT_EQ(QApplication::focusWidget(), editInput);

    // F12 opens the notepad (twice would close it again); Esc closes it, not the window.
    QTest::keyClick(editInput, Qt::Key_F12);
    TfrmNotePad* notePad = w->findChild<TfrmNotePad*>();
    ASSERT_TRUE(notePad);
    EXPECT_TRUE(notePad->isVisible());
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QTest::keyClick(Input(w->DhtmlEditor()->EditView()), Qt::Key_Escape);
    EXPECT_FALSE(notePad->isVisible());
    EXPECT_FALSE(w->isMinimized());

    // F8 in the edit view: source mode; Ctrl+Home/End stay the source view's.
    QTest::keyClick(Input(w->DhtmlEditor()->EditView()), Qt::Key_F8);
    EXPECT_EQ(w->ViewMode(), 2);
    // The second Esc minimizes the window.
    QTest::keyClick(w->DhtmlEditor()->SourceView(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->isMinimized() || !w->isVisible(); }, 2000));
}

TEST_F(MainKeysTest, KeysDoNothingWhileTheFileMenuIsOpen)
{
    auto w = OpenOnNote();
    QWidget* input = Input(w->DhtmlEditor()->Browser());
    QTest::keyClick(input, Qt::Key_F, Qt::AltModifier);
    auto* menu = w->findChild<QMenu*>(u"tbiFile"_s);
    ASSERT_TRUE(menu);
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000));
    EXPECT_EQ(QApplication::activePopupWidget(), menu);
    // Keys go to the menu: no notepad, no edit mode; Esc closes the menu only.
    QTest::keyClick(menu, Qt::Key_F12);
    QTest::keyClick(menu, Qt::Key_F7);
    EXPECT_EQ(w->findChild<TfrmNotePad*>(), nullptr);
    EXPECT_EQ(w->ViewMode(), 0);
    QTest::keyClick(menu, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !menu->isVisible(); }, 2000));
    EXPECT_FALSE(w->isMinimized());
    EXPECT_TRUE(w->isVisible());
}

TEST_F(MainKeysTest, DragsOverTheNoteScrollToItsRealEndAndTop)
{
    auto w = OpenOnNote();
    TzqBrowseView* browser = w->DhtmlEditor()->Browser();
    QWidget* input = Input(browser);
    TzqNotePage* page = browser->NotePage();
    const QString atEnd = u"(function () { var e = document.scrollingElement;"
                          u" return e.scrollHeight - window.innerHeight - window.scrollY; })()"_s;
    ASSERT_GT(Script(page, atEnd), 1000); // a long note, shown from its top

    // 30 pixels down is no vertical move: the context menu comes back instead.
    const QPoint from(100, 100);
    RightDrag(input, from, from + QPoint(0, 30));
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget(); }, 5000));
    EXPECT_GT(Script(page, atEnd), 1000);
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();

    RightDrag(input, from, from + QPoint(0, 31));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Script(page, atEnd) <= 1; }, 5000))
        << Script(page, atEnd);
    RightDrag(input, from, from + QPoint(5, -31));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Script(page, u"window.scrollY"_s) == 0; }, 5000));
    EXPECT_EQ(w->Input()->Gesture().State(), TzqGesture::TState::None);

    // The source view: the caret goes to the end and back to the top.
    w->Modes()->tbiBrowseClick(2);
    ASSERT_EQ(w->ViewMode(), 2);
    TzqSourceEdit* source = w->DhtmlEditor()->SourceView();
    source->setFocus();
    RightDrag(source->viewport(), from, from + QPoint(0, 40));
    EXPECT_TRUE(QTest::qWaitFor([&] { return source->textCursor().atEnd(); }, 2000));
    RightDrag(source->viewport(), from, from + QPoint(0, -40));
    EXPECT_TRUE(QTest::qWaitFor([&] { return source->textCursor().atStart(); }, 2000));

    // A click without a move opens the editor's menu there; a right press on the tree is
    // the tree's.
    QSignalSpy menu(source, &TzqSourceEdit::ShowContextMenu);
    RightDrag(source->viewport(), from, from + QPoint(3, 3));
    EXPECT_TRUE(menu.wait(2000));
    EXPECT_EQ(menu.count(), 1);
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    QWidget* tree = w->MenuAndTree()->TreeView()->viewport();
    QTest::mousePress(tree, Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_EQ(w->Input()->Gesture().State(), TzqGesture::TState::None);
    QTest::mouseRelease(tree, Qt::RightButton, {}, QPoint(20, 20));
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
}

TEST_F(MainKeysTest, GesturesWorkOnAScreenLeftOfAndAboveThePrimary)
{
    auto w = OpenOnNote();
    w->move(-1200, -700);
    QTest::qWait(50);
    w->Modes()->tbiBrowseClick(2);
    TzqSourceEdit* source = w->DhtmlEditor()->SourceView();
    source->setFocus();
    const QPoint from(60, 60);
    const QPoint global = source->viewport()->mapToGlobal(from);
    if (global.x() >= 0 || global.y() >= 0)
        GTEST_SKIP() << "the platform keeps windows on its screen";
    ASSERT_TRUE(w->Input()->NoteViewRect().contains(global));
    RightDrag(source->viewport(), from, from + QPoint(0, 40));
    EXPECT_TRUE(QTest::qWaitFor([&] { return source->textCursor().atEnd(); }, 2000));
    RightDrag(source->viewport(), from + QPoint(0, 40), from);
    EXPECT_TRUE(QTest::qWaitFor([&] { return source->textCursor().atStart(); }, 2000));
}

TEST_F(MainKeysTest, TheWheelOverTheTreePanelScrollsTheTreeAndStepsTheCharsGrid)
{
    auto w = OpenOnNote();
    QScrollBar* bar = w->MenuAndTree()->TreeView()->verticalScrollBar();
    bar->setValue(0);
    ASSERT_GT(bar->maximum(), 0);
    Input(w->DhtmlEditor()->Browser());
    // Over the data directory box: the tree scrolls, the box keeps its choice.
    QComboBox* box = w->MenuAndTree()->DataDirBox();
    const int chosen = box->currentIndex();
    const QPoint at = box->rect().center();
    QWheelEvent down(QPointF(at), QPointF(box->mapToGlobal(at)), {}, QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(box, &down);
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(box->currentIndex(), chosen);

    // The special characters grid in edit mode: a touchpad's small deltas add up to one row.
    ASSERT_TRUE(EnterEdit(*w, Input(w->DhtmlEditor()->Browser())));
    w->DhtmlEditor()->EditToolbars()->SpecialItem()->setChecked(true);
    QTableWidget* grid = w->DhtmlEditor()->CharsGrid()->Grid();
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid->isVisible(); }, 2000));
    ASSERT_GT(grid->rowCount(), 4);
    grid->setCurrentCell(3, 1);
    const QPoint cell = grid->visualRect(grid->model()->index(0, 0)).center();
    auto turn = [&](int delta) {
        QWheelEvent e(QPointF(cell), QPointF(grid->viewport()->mapToGlobal(cell)), {},
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid->viewport(), &e);
    };
    for (int i = 0; i < 7; ++i)
        turn(15);
    EXPECT_EQ(grid->currentRow(), 3);
    turn(15);
    EXPECT_EQ(grid->currentRow(), 2);
    turn(-120);
    turn(-120);
    EXPECT_EQ(grid->currentRow(), 4);
    EXPECT_EQ(grid->currentColumn(), 1);
}

TEST_F(MainKeysTest, TheMarkFollowsTheInputModeNearTheCaret)
{
    auto w = OpenOnNote();
    TScriptedInputMode mode;
    mode.Hangul = true;
    w->Input()->SetInputModeSource(&mode);
    w->Input()->ShowHangulMark(true);
    QLabel* mark = w->Input()->HangulMark();
    EXPECT_EQ(mark->size(), QSize(50, 10));
    EXPECT_FALSE(mark->isVisible()); // browse mode

    w->Modes()->tbiBrowseClick(2);
    TzqSourceEdit* source = w->DhtmlEditor()->SourceView();
    source->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return source->hasFocus(); }, 2000));
    EXPECT_TRUE(mark->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return mark->text() == u"Hangul"_s; }, 1000));
    EXPECT_EQ(mark->palette().color(QPalette::Window), QColor(0xFF, 0x80, 0x00));
    EXPECT_EQ(mark->palette().color(QPalette::WindowText), QColor(Qt::white));
    // Beside the caret, in the window's client area.
    const QRect caret(source->viewport()->mapTo(w.get(), source->cursorRect().topLeft()),
                      source->cursorRect().size());
    EXPECT_EQ(mark->pos(), QPoint(caret.x() + 6, caret.y() + caret.height() - 22));

    mode.Hangul = false;
    ASSERT_TRUE(QTest::qWaitFor([&] { return mark->text() == u"English"_s; }, 300));
    EXPECT_EQ(mark->palette().color(QPalette::Window), QColor(0x00, 0x00, 0xFF));
    EXPECT_EQ(mark->palette().color(QPalette::WindowText), QColor(0x00, 0xFF, 0xFF));
    // Nothing known: the mark keeps its look.
    mode.Hangul.reset();
    QTest::qWait(250);
    EXPECT_EQ(mark->text(), u"English"_s);

    w->Modes()->tbiBrowseClick(0);
    EXPECT_FALSE(mark->isVisible());
    w->Input()->ShowHangulMark(false);
    w->Modes()->tbiBrowseClick(2);
    EXPECT_FALSE(mark->isVisible());
    w->Input()->SetInputModeSource(nullptr);
}

TEST_F(MainKeysTest, AltKeysAndTheRockerMoveThroughTheHistory)
{
    auto w = OpenOnNote();
    QSignalSpy loaded(w->DhtmlEditor(), &TfrmDhtmlEditor::BrowseLoadFinished);
    ASSERT_TRUE(w->Tree()->SelectByRelativePath(u"n00.htm"_s));
    ASSERT_TRUE(loaded.wait(20000));
    QWidget* input = Input(w->DhtmlEditor()->Browser());
    QTest::keyClick(input, Qt::Key_Q, Qt::AltModifier);
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_TRUE(w->Tree()->CurrentPage().endsWith(u"메모.htm"_s));

    // The left button held, the right one pressed: forward, and no menu.
    input = Input(w->DhtmlEditor()->Browser());
    const QPoint at(120, 80);
    QTest::mousePress(input, Qt::LeftButton, {}, at);
    QTest::mousePress(input, Qt::RightButton, Qt::NoModifier, at);
    EXPECT_EQ(w->Input()->Gesture().State(), TzqGesture::TState::Rocker);
    QTest::mouseRelease(input, Qt::RightButton, {}, at);
    QTest::mouseRelease(input, Qt::LeftButton, {}, at);
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_TRUE(w->Tree()->CurrentPage().endsWith(u"n00.htm"_s));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    // A right drag to the left goes back, one to the right forward.
    input = Input(w->DhtmlEditor()->Browser());
    RightDrag(input, at, at + QPoint(-25, 10));
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_TRUE(w->Tree()->CurrentPage().endsWith(u"메모.htm"_s));
    input = Input(w->DhtmlEditor()->Browser());
    RightDrag(input, at, at + QPoint(25, -10));
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_TRUE(w->Tree()->CurrentPage().endsWith(u"n00.htm"_s));
}

TEST_F(MainKeysTest, TheEditViewGetsItsMenuBackAndCtrlInsertAsksForANewNote)
{
    auto w = OpenOnNote();
    ASSERT_TRUE(EnterEdit(*w, Input(w->DhtmlEditor()->Browser())));
    QWidget* input = Input(w->DhtmlEditor()->EditView());
    QSignalSpy menu(w->DhtmlEditor()->EditView(), &TzqWebEditView::ShowContextMenu);
    QElapsedTimer clock;
    clock.start();
    RightDrag(input, QPoint(50, 50), QPoint(52, 48));
    // The menu comes at once (it reads the commands' states from the document).
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget(); }, 3000));
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(menu.count(), 1);
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();

    // Ctrl+Insert in the note (where the engine would copy): the new-note dialog comes.
    bool asked = false;
    QTimer::singleShot(300, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            asked = true;
            dialog->close();
        }
    });
    QTest::keyClick(Input(w->DhtmlEditor()->EditView()), Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return asked; }, 3000));
}

TEST(InputModeWatcher, TypingTellsHangulFromEnglish)
{
    TzqInputModeWatcher watcher;
    auto key = [&](const QString& text, Qt::KeyboardModifiers modifiers = {}) {
        QKeyEvent e(QEvent::KeyPress, Qt::Key_A, modifiers, text);
        watcher.Observe(&e);
        return watcher.IsHangul();
    };
    QInputMethodEvent composing(u"ㅎ"_s, {});
    watcher.Observe(&composing);
    EXPECT_EQ(watcher.IsHangul(), true);
    // A Latin letter let through by the input method: English.
    EXPECT_EQ(key(u"a"_s), false);
    QInputMethodEvent commit;
    commit.setCommitString(u"한"_s);
    watcher.Observe(&commit);
    EXPECT_EQ(watcher.IsHangul(), true);
    // Digits, spaces, punctuation and shortcuts pass in either mode: they tell nothing.
    EXPECT_EQ(key(u"1"_s), true);
    EXPECT_EQ(key(u" "_s), true);
    EXPECT_EQ(key(u"a"_s, Qt::ControlModifier), true);
    EXPECT_EQ(key(u"A"_s, Qt::ShiftModifier), false);
    // An input method event without Hangul (an English engine's composition) changes nothing.
    QInputMethodEvent latin(u"x"_s, {});
    watcher.Observe(&latin);
    EXPECT_EQ(watcher.IsHangul(), false);
}
