// Editing through the main window with the real browser engine, offscreen: what reaches the
// disk when a note is edited and saved, outside changes, and a note another user edits.
#include "app/zqprjinfo.h"
#include "editingtest.h"
#include "editor/frmfindreplace.h"
#include "editor/zqbrowseview.h"
#include "editor/zqedittoolbars.h"
#include "editor/zqnoteeditor.h"
#include "editor/zqnotepage.h"
#include "editor/zqpaste.h"
#include "editor/zqsourceedit.h"
#include "editor/zqwebeditview.h"
#include "filesizelimit.h"
#include "localhttpserver.h"
#include "mainwin/frmmainql.h"
#include "mainwin/travlist.h"
#include "platform/cp949.h"
#include "store/notestore.h"
#include "store/zqtreecommands.h"
#include "store/zqtreemenu.h"
#include "store/zqtreeview.h"
#include "testutil.h"
#include "tools/exporttarget.h"
#include "tools/frmmsgbox.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

// Counts the export questions; a command that should have stopped before asking is caught.
class TNoExportUi : public IzqExportUi {
public:
    QString AskSaveFileName(const QString&, const QString&, const QString&) override
    {
        ++Asked;
        return {};
    }
    bool Confirm(const QString&) override
    {
        ++Asked;
        return false;
    }
    void ShowError(const QString&) override { ++Asked; }

    int Asked = 0;
};

class EditingTest : public TEditingTest {};

} // namespace

TEST_F(EditingTest, BoldWordSavedAsCp949WithEveryOtherCharacterKept)
{
    auto w = OpenOnNote();
    ASSERT_TRUE(EnterMode(*w, 1));
    EXPECT_TRUE(QFileInfo::exists(Store + u"/메모.qzmod"_s)); // the store is shared
    TzqWebEditView* view = w->DhtmlEditor()->EditView();
    ASSERT_TRUE(view->NotePage()->RunScript(
        u"var t = document.getElementById('w').firstChild; var r = document.createRange();"
        u"r.setStart(t, 6); r.setEnd(t, 10); var s = window.getSelection();"
        u"s.removeAllRanges(); s.addRange(r); true"_s));
    TzqNoteEditor* logic = w->DhtmlEditor()->Logic();
    ASSERT_TRUE(logic->ExecIfEnabled(DECMD_BOLD));
    EXPECT_EQ(view->QueryStatus(DECMD_BOLD), int(DECMDF_LATCHED));
    // A character CP949 lacks goes in too.
    ASSERT_TRUE(view->NotePage()->RunScript(
        u"var p = document.getElementById('w'); var r = document.createRange();"
        u"r.selectNodeContents(p); r.collapse(false); var s = window.getSelection();"
        u"s.removeAllRanges(); s.addRange(r); true"_s));
    ASSERT_TRUE(logic->InsertHtml(u"😀"_s));
    w->Modes()->SaveIfEditing();

    const QByteArray saved = ReadFile(Note);
    EXPECT_TRUE(saved.contains("<b>beta</b>")) << saved.constData();
    EXPECT_TRUE(saved.contains("&#x1F600;"));
    EXPECT_TRUE(saved.contains("charset=ksc5601"));
    EXPECT_FALSE(saved.contains("charset=unicode"));
    EXPECT_TRUE(saved.contains(cp949::FromUnicode(u"<p>한글 똠방각하 ■ 돋움 뷁</p>"_s)));
    EXPECT_TRUE(saved.contains("\x8C\x63") && saved.contains("\x94\xEE"));
    EXPECT_FALSE(saved.contains('?'));

    // Back to browse mode: the marker goes.
    ASSERT_TRUE(EnterMode(*w, 0));
    EXPECT_FALSE(QFileInfo::exists(Store + u"/메모.qzmod"_s));
}

TEST_F(EditingTest, SourceModeWithoutAChangeWritesNothing)
{
    auto w = OpenOnNote();
    ASSERT_TRUE(EnterMode(*w, 2));
    EXPECT_EQ(w->DhtmlEditor()->SourceView()->Text(), cp949::ToUnicode(Original));
    const QDateTime before = QFileInfo(Note).lastModified();
    QTest::qWait(20);
    w->Modes()->SaveIfEditing();
    EXPECT_EQ(ReadFile(Note), Original);
    EXPECT_EQ(QFileInfo(Note).lastModified(), before);

    // A change is written with CR LF line ends.
    w->DhtmlEditor()->SourceView()->SetText(u"<p>똠</p>\n<p>뷁</p>"_s);
    w->DhtmlEditor()->SourceView()->SetModified(true);
    w->Modes()->SaveIfEditing();
    EXPECT_EQ(ReadFile(Note), QByteArray("<p>\x8C\x63</p>\r\n<p>\x94\xEE</p>"));
}

TEST_F(EditingTest, AnOutsideChangeIsAskedAboutOnce)
{
    auto w = OpenOnNote();
    QTest::qWait(20);
    WriteFile(Note, QByteArray(Original + "<!-- changed -->"));
    QFile(Note).setFileTime(QDateTime::currentDateTime().addSecs(5),
                            QFileDevice::FileModificationTime);
    TBoxAnswerer answerer(QMessageBox::Cancel);
    w->DhtmlEditor()->CheckExternalChange();
    w->DhtmlEditor()->CheckExternalChange();
    EXPECT_EQ(answerer.Count, 1);
    ASSERT_FALSE(answerer.Texts.isEmpty());
    EXPECT_EQ(answerer.Texts.front(), u"노트가 변경되었습니다.\r\n다시 읽어 들일까요?"_s);
}

TEST_F(EditingTest, ANoteAnotherUserEditsCannotBeEdited)
{
    auto first = OpenOnNote();
    ASSERT_TRUE(EnterMode(*first, 1));
    ASSERT_EQ(ReadEditMarker(Note), u"alpha"_s);

    // A colleague on the same shared store.
    Prj->Ini().WriteString(u"PROGRAM"_s, u"MyName"_s, u"베타"_s);
    Prj->ReadMyName();
    auto second = OpenOnNote();
    EXPECT_EQ(second->windowTitle(), u"-alpha"_s + Store + u"/메모"_s);
    EXPECT_FALSE(second->Actions().tbiEdit->isEnabled());
    EXPECT_FALSE(second->Actions().tbiSource->isEnabled());
    second->activateWindow();
    QTest::keyClick(second.get(), Qt::Key_F7);
    EXPECT_EQ(second->ViewMode(), 0);
    bool shown = false;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<TfrmMsgBox*>(top))
            shown = shown || box->Message() == u"alpha이가 수정 중입니다."_s;
    }
    EXPECT_TRUE(shown);
    EXPECT_EQ(ReadEditMarker(Note), u"alpha"_s); // the holder's marker is untouched
}

TEST_F(EditingTest, ASaveThatFailsStopsEveryCommandAndLosesNothing)
{
    auto w = OpenOnNote();
    // History: 메모, 다른, 메모.
    ASSERT_TRUE(w->Tree()->SelectByRelativePath(u"다른.htm"_s));
    ASSERT_TRUE(w->Tree()->SelectByRelativePath(u"메모.htm"_s));
    ASSERT_TRUE(EnterMode(*w, 1));
    const int cursor = w->History()->Cursor();
    TzqWebEditView* view = w->DhtmlEditor()->EditView();
    ASSERT_TRUE(view->NotePage()->RunScript(
        u"var t = document.getElementById('w').firstChild; var r = document.createRange();"
        u"r.setStart(t, 0); r.collapse(true); var s = window.getSelection();"
        u"s.removeAllRanges(); s.addRange(r); document.execCommand('insertText', false, 'NEW ');"
        u"true"_s));
    const QString marker = Store + u"/메모.qzmod"_s;
    const auto unchanged = [&] {
        EXPECT_EQ(w->ViewMode(), 1);
        EXPECT_TRUE(w->Actions().tbiEdit->isChecked());
        EXPECT_EQ(w->Tree()->CurrentPage(), Note);
        EXPECT_EQ(w->Tree()->Model()->Text(w->Tree()->SelectedNode()), u"메모"_s);
        EXPECT_TRUE(w->TreeMode());
        EXPECT_EQ(w->Tree()->RootDir(), Store);
        EXPECT_TRUE(QFileInfo::exists(marker));
        EXPECT_EQ(ReadFile(Note), Original);
        EXPECT_TRUE(w->DhtmlEditor()->EditView()->DocumentHTML()->contains(u"NEW alpha"_s));
    };
    const QString failed = u"파일 저장에 실패했습니다. 다시 저장하여 주십시오."_s;
    {
        // The disk is full.
        TBoxAnswerer answerer(QMessageBox::Ok);
        TFileSizeLimit full(16);
        w->Modes()->tbiBrowseClick(0); // F6
        unchanged();
        w->Tree()->SelectByRelativePath(u"다른.htm"_s); // a click in the tree
        unchanged();
        w->Actions().actGoBack->trigger();
        unchanged();
        EXPECT_EQ(w->History()->Cursor(), cursor);
        w->Commands()->RenameNode(w->Tree()->SelectedNode()); // no name is asked for
        w->Commands()->DeleteNode(w->Tree()->SelectedNode()); // no question either
        w->Commands()->MoveNode(QModelIndex(), w->Tree()->Model()->index(1, 0));
        unchanged();
        QComboBox* dirs = w->MenuAndTree()->DataDirBox();
        dirs->setCurrentIndex(1);
        Q_EMIT dirs->activated(1);
        EXPECT_EQ(dirs->currentIndex(), 0);
        unchanged();
        EXPECT_FALSE(w->Modes()->btnToSearchModeClick());
        unchanged();
        w->Actions().actReload->trigger();
        unchanged();
        // The exports, the clean-up and the settings save first too; none asks for anything.
        TNoExportUi exports;
        w->Exports()->SetExportUi(&exports);
        const TzqMainActions& a = w->Actions();
        for (QAction* action : {a.actMakeZip, a.actSaveMht, a.actNoteToMail, a.actToolConfig})
            action->trigger();
        w->TreeMenu()->Prepare(w->Tree()->SelectedNode());
        w->TreeMenu()->tbiGarbage->trigger();
        w->TreeMenu()->tbiMakeZipfile->trigger();
        w->Exports()->SetExportUi(nullptr);
        EXPECT_EQ(exports.Asked, 0);
        unchanged();
        EXPECT_FALSE(w->close());
        EXPECT_TRUE(w->isVisible());
        unchanged();
        EXPECT_EQ(answerer.Dialogs, 0);
        EXPECT_EQ(answerer.Texts, QStringList(16, failed));
    }
    {
        // Someone else saved the note meanwhile, and the user keeps it: Cancel (or Esc).
        QTest::qWait(20);
        WriteFile(Note, Original);
        QFile(Note).setFileTime(QDateTime::currentDateTime().addSecs(5),
                                QFileDevice::FileModificationTime);
        TBoxAnswerer answerer(QMessageBox::Cancel);
        w->Tree()->SelectByRelativePath(u"다른.htm"_s);
        unchanged();
        EXPECT_FALSE(w->close());
        unchanged();
        EXPECT_EQ(answerer.Count, 2);
    }
    // With room on the disk again the text reaches the note, and then the window goes.
    {
        TBoxAnswerer answerer(QMessageBox::NoButton, u"덮어쓰기"_s);
        w->Modes()->tbiBrowseClick(0);
        EXPECT_EQ(answerer.Count, 1);
    }
    EXPECT_EQ(w->ViewMode(), 0);
    EXPECT_FALSE(QFileInfo::exists(marker));
    EXPECT_TRUE(ReadFile(Note).contains("NEW alpha"));
    EXPECT_TRUE(w->close());
}

TEST_F(EditingTest, F7PutsTheKeyboardIntoTheNoteAndAnUntouchedNoteIsNeverWritten)
{
    // A note spelled as the engine writes it, lines ending in CR LF.
    const QByteArray canonical = cp949::FromUnicode(
        u"<html><head>\r\n<meta charset=\"euc-kr\">\r\n</head>\r\n<body>\r\n<p id=\"w\">alpha "
        u"똠방각하</p>\r\n\r\n</body></html>"_s);
    WriteFile(Note, canonical);
    QFile(Note).setFileTime(QDateTime::currentDateTime().addDays(-1),
                            QFileDevice::FileModificationTime);
    const QDateTime time = QFileInfo(Note).lastModified();
    auto w = std::make_unique<TfrmMainQL>();
    w->FormActivate();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->activateWindow();
    TzqTreeView* tree = w->MenuAndTree()->TreeView();
    const QModelIndex node = w->Tree()->Model()->FindChild({}, u"메모"_s);
    ASSERT_TRUE(node.isValid());
    QSignalSpy loaded(w->DhtmlEditor(), &TfrmDhtmlEditor::BrowseLoadFinished);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(node).center());
    ASSERT_TRUE(loaded.wait(20000));
    ASSERT_TRUE(tree->hasFocus());

    QSignalSpy ready(w->DhtmlEditor()->EditView(), &TzqWebEditView::DocumentComplete);
    QTest::keyClick(tree, Qt::Key_F7);
    ASSERT_TRUE(ready.wait(20000));
    QWidget* input = w->DhtmlEditor()->EditView()->focusProxy();
    ASSERT_TRUE(input);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == input; }, 20000));

    // Auto-save, Ctrl+S and leaving: the untouched note keeps its bytes and its time.
    w->DhtmlEditor()->Logic()->AutoSaveTick();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadFile(Note), canonical);
    EXPECT_EQ(QFileInfo(Note).lastModified(), time);
    ASSERT_TRUE(EnterMode(*w, 0));
    EXPECT_EQ(ReadFile(Note), canonical);
    EXPECT_EQ(QFileInfo(Note).lastModified(), time);

    // Typing lands in the note, at its start: one letter more, the rest byte for byte.
    ASSERT_TRUE(EnterMode(*w, 1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == input; }, 20000));
    TzqNotePage* page = w->DhtmlEditor()->EditView()->NotePage();
    // The focus comes with a caret.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return page->RunScript(u"window.getSelection().rangeCount"_s)->toInt() == 1; },
        20000));
    QTest::keyClicks(QApplication::focusWidget(), u"Z"_s);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return page->RunScript(u"document.body.innerText"_s)->toString().contains(u"Zalpha"_s);
        },
        20000));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    QByteArray expected = canonical;
    expected.replace("\"w\">alpha", "\"w\">Zalpha");
    EXPECT_EQ(ReadFile(Note), expected);
}

TEST_F(EditingTest, APresetKeyAndAToolbarButtonFormatTheSelectionAndTheSaveKeepsIt)
{
    // Preset 2: 굴림, markup size 5, red on the default white, bold, centred.
    Prj->Ini().WriteString(u"Format"_s, u"FontName2"_s, u"굴림"_s);
    Prj->Ini().WriteString(u"Format"_s, u"FontSize2"_s, u"4"_s);
    Prj->Ini().WriteString(u"Format"_s, u"FontColor2"_s, u"clRed"_s);
    Prj->Ini().WriteString(u"Format"_s, u"bold2"_s, u"1"_s);
    Prj->Ini().WriteString(u"Format"_s, u"stride2"_s, u"1"_s);
    auto w = OpenOnNote();
    w->activateWindow();
    TzqEditToolbars* bars = w->DhtmlEditor()->EditToolbars();
    EXPECT_FALSE(bars->isVisible()); // browse mode: no toolbars

    QSignalSpy ready(w->DhtmlEditor()->EditView(), &TzqWebEditView::DocumentComplete);
    QTest::keyClick(w.get(), Qt::Key_F7);
    ASSERT_TRUE(ready.wait(20000));
    ASSERT_TRUE(bars->isVisible());
    QWidget* input = w->DhtmlEditor()->EditView()->focusProxy();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == input; }, 20000));
    TzqNotePage* page = w->DhtmlEditor()->EditView()->NotePage();
    ASSERT_EQ(page->RunScript(uR"((function () {
        var t = document.getElementById('w').firstChild, r = document.createRange();
        r.setStart(t, 6); r.setEnd(t, 10);
        var s = window.getSelection(); s.removeAllRanges(); s.addRange(r);
        return s.toString(); })())"_s)
                  ->toString(),
              u"beta"_s);
    QApplication::clipboard()->setText(u"KEEP"_s);

    QTest::keyClick(input, Qt::Key_2, Qt::ControlModifier);
    // The toolbar follows: bold and centre shown pressed, the preset's font in the box.
    auto* bold = w->findChild<QAction*>(u"tbiBold"_s);
    auto* center = w->findChild<QAction*>(u"tbiAlignCenter"_s);
    ASSERT_TRUE(bold && center);
    EXPECT_TRUE(QTest::qWaitFor([&] { return bold->isChecked() && center->isChecked(); }, 20000));
    EXPECT_EQ(bars->FontNameBox()->currentText(), u"굴림"_s);

    // The italic button of the toolbar, clicked with the mouse.
    auto* italic = w->findChild<QAction*>(u"tbiItalic"_s);
    ASSERT_TRUE(italic);
    QWidget* button = bars->ToolBar()->widgetForAction(italic);
    ASSERT_TRUE(button);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return italic->isChecked(); }, 20000));
    // The keyboard is back in the note.
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == input; }, 20000));

    QTest::keyClick(input, Qt::Key_S, Qt::ControlModifier);
    const QByteArray saved = ReadFile(Note);
    const QString text = cp949::ToUnicode(saved);
    EXPECT_TRUE(text.contains(u"center"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"<b>"_s) && text.contains(u"<i>"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"face=\"굴림\""_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"size=\"5\""_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"color=\"#ff0000\""_s)) << text.toStdString();
    // Everything else stays: the Korean paragraph byte for byte, line ends CR LF.
    EXPECT_TRUE(saved.contains(cp949::FromUnicode(u"<p>한글 똠방각하 ■ 돋움 뷁</p>"_s)));
    EXPECT_FALSE(saved.contains("\n") && saved.count("\n") != saved.count("\r\n"));
    EXPECT_EQ(QApplication::clipboard()->text(), u"KEEP"_s);

    // Ctrl+1 to Ctrl+9 do nothing outside edit mode.
    ASSERT_TRUE(EnterMode(*w, 0));
    EXPECT_FALSE(bars->isVisible());
    QTest::keyClick(w.get(), Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(ReadFile(Note), saved);
}

TEST_F(EditingTest, PresetsMakeMixedSelectionsUniformAndReplaceAllReachesTheSavedBytes)
{
    // Preset 1: italic, not bold; every other value as a new settings file has it.
    Prj->Ini().WriteString(u"Format"_s, u"italic1"_s, u"1"_s);
    WriteFile(Note, cp949::FromUnicode(u"<html><body><p id=\"a\">plain 감마</p>"
                                       u"<p id=\"b\">half <b>bold</b></p>"
                                       u"<p id=\"c\"><strike>struck</strike></p></body></html>"_s));
    auto w = OpenOnNote();
    w->activateWindow();
    ASSERT_TRUE(EnterMode(*w, 1));
    QWidget* input = w->DhtmlEditor()->EditView()->focusProxy();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == input; }, 20000));
    TzqNotePage* page = w->DhtmlEditor()->EditView()->NotePage();
    for (const QString& id : {u"a"_s, u"b"_s, u"c"_s}) {
        ASSERT_TRUE(page->RunScript(u"(function () { var r = document.createRange();"
                                    " r.selectNodeContents(document.getElementById('%1'));"
                                    " var s = window.getSelection(); s.removeAllRanges();"
                                    " s.addRange(r); return true; })()"_s.arg(id)));
        QTest::keyClick(input, Qt::Key_1, Qt::ControlModifier);
    }
    QTest::keyClick(input, Qt::Key_S, Qt::ControlModifier);
    const QString text = cp949::ToUnicode(ReadFile(Note));
    // Partly bold became wholly plain, not wholly bold; the strike-through stays.
    EXPECT_FALSE(text.contains(u"<b>"_s)) << text.toStdString();
    EXPECT_EQ(text.count(u"<i>"_s), 3) << text.toStdString();
    EXPECT_TRUE(text.contains(u"<strike"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"face=\"돋움\""_s)) << text.toStdString();

    // Source mode: replace all, one step, saved as CP949.
    ASSERT_TRUE(EnterMode(*w, 2));
    w->DhtmlEditor()->ReplaceInNote();
    TfrmFindReplace* dialog = w->DhtmlEditor()->ReplaceDialog();
    ASSERT_TRUE(dialog);
    dialog->findChild<QLineEdit*>(u"edtFindText"_s)->setText(u"감마"_s);
    dialog->findChild<QLineEdit*>(u"edtReplaceText"_s)->setText(u"똠방각하"_s);
    dialog->findChild<QAbstractButton*>(u"btnReplaceAll"_s)->click();
    EXPECT_EQ(dialog->findChild<QLabel*>(u"labStatus"_s)->text(), u"1개를 바꾸었습니다."_s);
    dialog->close();
    w->Modes()->SaveIfEditing();
    const QByteArray saved = ReadFile(Note);
    EXPECT_TRUE(saved.contains(cp949::FromUnicode(u"plain 똠방각하"_s))) << saved.constData();
    EXPECT_FALSE(saved.contains(cp949::FromUnicode(u"감마"_s)));
    EXPECT_EQ(saved.count("\n"), saved.count("\r\n"));
}

TEST_F(EditingTest, APastedWebFragmentBringsItsPicturesIntoTheNotesFileFolder)
{
    TLocalHttpServer server;
    TLocalHttpServer::TAnswer png;
    png.Body = PngBytes(Qt::red);
    png.Headers = "Content-Type: image/png\r\n";
    server.Answer("/img/a.png", png);
    png.Body = PngBytes(Qt::blue);
    server.Answer("/other/a.png", png);
    TLocalHttpServer::TAnswer missing;
    missing.Status = 404;
    missing.Body = "<html>not here</html>";
    server.Answer("/img/missing.png", missing);

    auto w = OpenOnNote();
    w->activateWindow();
    ASSERT_TRUE(EnterMode(*w, 1));
    QWidget* input = w->DhtmlEditor()->EditView()->focusProxy();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == input; }, 20000));
    TzqPaste* paste = w->DhtmlEditor()->Paster();

    auto* mime = new QMimeData;
    mime->setHtml(u"<html><body><!--StartFragment--><p id=\"web\">web <img src=\"a.png\">"
                  u"<img src=\"../other/a.png\" width=4><img src=\"missing.png\">"
                  u"<a href=\"x.htm\">x</a></p><!--EndFragment--></body></html>"_s);
    mime->setData(u"chromium/x-source-url"_s, server.Url("/img/page.html").toEncoded());
    mime->setText(u"web x"_s);
    QApplication::clipboard()->setMimeData(mime);
    QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
    // The view took the key: the pictures are on their way.
    ASSERT_TRUE(paste->Busy());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !paste->Busy() && ReadFile(Note).size() > 0; }, 20000));
    TzqNotePage* page = w->DhtmlEditor()->EditView()->NotePage();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return page->RunScript(u"document.body.innerHTML"_s)->toString().contains(u"__메모"_s);
        },
        20000))
        << page->RunScript(u"document.body.innerHTML"_s)->toString().toStdString();
    QTest::keyClick(input, Qt::Key_S, Qt::ControlModifier);

    const QString folder = Store + u"/__메모"_s;
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), (QStringList{u"a.png"_s, u"a01.png"_s}));
    EXPECT_EQ(ReadFile(folder + u"/a.png"_s), PngBytes(Qt::red));
    EXPECT_EQ(ReadFile(folder + u"/a01.png"_s), PngBytes(Qt::blue));
    const QString text = cp949::ToUnicode(ReadFile(Note));
    EXPECT_TRUE(text.contains(u"src=\"__메모\\a.png\""_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"src=\"__메모\\a01.png\""_s)) << text.toStdString();
    // A picture that failed keeps its web address; links became absolute.
    EXPECT_TRUE(text.contains(server.Url("/img/missing.png").toString())) << text.toStdString();
    EXPECT_TRUE(text.contains(u"href=\""_s + server.Url("/img/x.htm").toString()))
        << text.toStdString();
    // The user's clipboard is as it was.
    EXPECT_EQ(QApplication::clipboard()->mimeData()->data(u"chromium/x-source-url"_s),
              server.Url("/img/page.html").toEncoded());
}

TEST_F(EditingTest, APastedScreenshotBecomesAPictureOfTheNote)
{
    auto w = OpenOnNote();
    w->activateWindow();
    ASSERT_TRUE(EnterMode(*w, 1));
    QWidget* input = w->DhtmlEditor()->EditView()->focusProxy();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == input; }, 20000));
    const QString folder = Store + u"/__메모"_s;
    WriteFile(folder + u"/capture.png"_s, "older");
    QImage shot(8, 6, QImage::Format_RGB32);
    shot.fill(Qt::green);
    auto* mime = new QMimeData;
    mime->setImageData(shot);
    QApplication::clipboard()->setMimeData(mime);
    QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
    TzqNotePage* page = w->DhtmlEditor()->EditView()->NotePage();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return page->RunScript(u"document.images.length"_s)->toInt() == 1; }, 20000));
    QTest::keyClick(input, Qt::Key_S, Qt::ControlModifier);
    // The older capture stays; the new one takes the next name.
    EXPECT_EQ(ReadFile(folder + u"/capture.png"_s), "older");
    EXPECT_EQ(QImage(folder + u"/capture01.png"_s).pixelColor(0, 0), QColor(Qt::green));
    const QString text = cp949::ToUnicode(ReadFile(Note));
    EXPECT_TRUE(
        text.contains(u"<a href=\"__메모\\capture01.png\"><img alt=\"__메모\\capture01.png\" "
                      u"src=\"__메모\\capture01.png\" border=\"0\"></a>"_s))
        << text.toStdString();
}

TEST_F(EditingTest, HtmlDroppedFromAnotherProgramIsPastedWhereItFalls)
{
    auto w = OpenOnNote();
    w->activateWindow();
    ASSERT_TRUE(EnterMode(*w, 1));
    QWidget* input = w->DhtmlEditor()->EditView()->focusProxy();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == input; }, 20000));
    QMimeData mime;
    mime.setHtml(u"<b id=\"dropped\">dropped</b>"_s);
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(input, &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(input, &drop);
    EXPECT_TRUE(drop.isAccepted());
    TzqNotePage* page = w->DhtmlEditor()->EditView()->NotePage();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return page->RunScript(u"!!document.getElementById('dropped')"_s)->toBool(); },
        20000));
    // Only once: the engine did not drop it as well.
    EXPECT_EQ(page->RunScript(u"document.querySelectorAll('b').length"_s)->toInt(), 1);
}
