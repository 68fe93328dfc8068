// Where two commands meet in the real window, offscreen: work still under way (a paste whose
// pictures are coming, a folder search) against what the user does meanwhile, and the command
// states that must follow every page and mode.
#include "editingtest.h"
#include "editor/frmattachedfiles.h"
#include "editor/zqnoteeditor.h"
#include "editor/zqnotepage.h"
#include "editor/zqpaste.h"
#include "editor/zqsourceedit.h"
#include "localhttpserver.h"
#include "store/notestore.h"
#include "widgets/frmbluedialog.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTreeWidget>

#include <functional>

using testutil::ReadFile;
using testutil::WriteFile;

namespace {

class CommandsMeetTest : public TEditingTest {
protected:
    // Puts an HTML fragment copied from the server's page /img/page.html on the clipboard.
    void CopyFragment(const QString& html)
    {
        auto* mime = new QMimeData;
        mime->setHtml(html);
        mime->setData(u"chromium/x-source-url"_s, Server.Url("/img/page.html").toEncoded());
        QApplication::clipboard()->setMimeData(mime);
    }
    void Serve(const QByteArray& path, const QColor& color, int delayMs = 0)
    {
        TLocalHttpServer::TAnswer png;
        png.Body = PngBytes(color);
        png.Headers = "Content-Type: image/png\r\n";
        png.DelayMs = delayMs;
        Server.Answer(path, png);
    }
    QString NoteText() const { return cp949::ToUnicode(ReadFile(Note)); }
    QString Folder() const { return Store + u"/__메모"_s; }

    TLocalHttpServer Server;
};

// Presses the OK button of the next dialog of its kind once prepare has set it up.
template <class TDialog> void ConfirmNextDialog(std::function<void(TDialog*)> prepare)
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, prepare] {
        auto* dialog = qobject_cast<TDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        prepare(dialog);
        dialog->ConfirmButton()->click();
    });
    timer->start(30);
}

} // namespace

TEST_F(CommandsMeetTest, LeavingTheNoteSettlesAPasteWhosePicturesAreStillComing)
{
    Serve("/img/slow.png", Qt::red, 20000);
    const QByteArray other = ReadFile(Store + u"/다른.htm"_s);
    const struct {
        const char* Name;
        std::function<void(TfrmMainQL&)> Leave;
    } steps[] = {
        {"F6", [](TfrmMainQL& w) { QTest::keyClick(&w, Qt::Key_F6); }},
        {"another note", [](TfrmMainQL& w) { w.Tree()->SelectByRelativePath(u"다른.htm"_s); }},
        {"F5", [](TfrmMainQL& w) { w.Actions().actReload->trigger(); }},
        {"another data directory",
         [](TfrmMainQL& w) {
             QComboBox* dirs = w.MenuAndTree()->DataDirBox();
             dirs->setCurrentIndex(1);
             Q_EMIT dirs->activated(1);
         }},
        {"closing", [](TfrmMainQL& w) { EXPECT_TRUE(w.close()); }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Name);
        WriteFile(Note, Original);
        Prj->Ini().WriteString(u"PROGRAM"_s, u"LstDir"_s, u"S"_s);
        auto w = OpenOnNote();
        w->activateWindow();
        ASSERT_TRUE(EnterMode(*w, 1));
        QWidget* input = EditInput(*w);
        CopyFragment(u"<p id=\"late\">late words <img src=\"slow.png\"></p>"_s);
        QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
        ASSERT_TRUE(w->DhtmlEditor()->Paster()->Busy());

        step.Leave(*w);
        // The text went in with the picture's web address, and the save took it along.
        EXPECT_FALSE(w->DhtmlEditor()->Paster()->Busy());
        const QString text = NoteText();
        EXPECT_EQ(text.count(u"late words"_s), 1) << text.toStdString();
        EXPECT_TRUE(text.contains(Server.Url("/img/slow.png").toString())) << text.toStdString();
        // The download stopped: no picture is left that nothing refers to.
        EXPECT_FALSE(QFileInfo::exists(Folder() + u"/slow.png"_s));
        EXPECT_EQ(ReadFile(Store + u"/다른.htm"_s), other);
    }
}

TEST_F(CommandsMeetTest, CancellingThePasteUnderWayLeavesTheWaitingOnesTheirOwnPictures)
{
    Serve("/img/slow.png", Qt::red, 20000);
    Serve("/img/b.png", Qt::blue);
    Serve("/img/c.png", Qt::green);
    auto w = OpenOnNote();
    w->activateWindow();
    ASSERT_TRUE(EnterMode(*w, 1));
    QWidget* input = EditInput(*w);
    TzqPaste* paste = w->DhtmlEditor()->Paster();
    for (const QString& html :
         {u"<p>first <img src=\"slow.png\"></p>"_s, u"<p>second <img src=\"b.png\"></p>"_s,
          u"<p>third <img src=\"c.png\"></p>"_s}) {
        CopyFragment(html);
        QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
    }
    ASSERT_TRUE(paste->Busy());
    w->DhtmlEditor()->findChild<QAbstractButton*>(u"btnPasteCancel"_s)->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !paste->Busy(); }, 20000));
    QTest::keyClick(input, Qt::Key_S, Qt::ControlModifier);

    const QString text = NoteText();
    const qsizetype first = text.indexOf(u"first"_s);
    const qsizetype second = text.indexOf(u"second"_s);
    const qsizetype third = text.indexOf(u"third"_s);
    EXPECT_TRUE(first >= 0 && first < second && second < third) << text.toStdString();
    EXPECT_TRUE(text.contains(Server.Url("/img/slow.png").toString())) << text.toStdString();
    EXPECT_TRUE(text.contains(u"src=\"__메모\\b.png\""_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"src=\"__메모\\c.png\""_s)) << text.toStdString();
    EXPECT_EQ(ReadFile(Folder() + u"/b.png"_s), PngBytes(Qt::blue));
    EXPECT_EQ(ReadFile(Folder() + u"/c.png"_s), PngBytes(Qt::green));
    EXPECT_EQ(QDir(Folder()).entryList(QDir::Files), (QStringList{u"b.png"_s, u"c.png"_s}));
}

TEST_F(CommandsMeetTest, ASearchLeftBeforeItEndsOpensNothingInTheNoteBeingEdited)
{
    auto w = OpenOnNote();
    ASSERT_TRUE(w->Modes()->btnToSearchModeClick());
    TfrmMenuAndTree* panel = w->MenuAndTree();
    panel->SearchBox()->setText(u"alpha"_s);
    panel->SearchButton()->click();
    // Back to the tree before the search has told anything, then straight into editing.
    w->Modes()->btnToTreeModeClick();
    ASSERT_TRUE(EnterMode(*w, 1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel->Searching(); }, 10000));
    QTest::qWait(100);
    EXPECT_EQ(w->DhtmlEditor()->Logic()->DocumentPath(), Note);
    EXPECT_EQ(panel->ResultList()->topLevelItemCount(), 0);
    ASSERT_TRUE(w->DhtmlEditor()->EditView()->NotePage()->RunScript(
        u"document.getElementById('w').textContent = 'typed after'; true"_s));
    ASSERT_TRUE(w->Modes()->SaveIfEditing());
    EXPECT_TRUE(NoteText().contains(u"typed after"_s));
}

TEST_F(CommandsMeetTest, TheModeItemsFollowThePageAndTheModeShown)
{
    WriteFile(Program.filePath(u"zqTemplate/Plain.htm"_s), "<html><body></body></html>\r\n");
    auto w = OpenOnNote();
    QAction* browse = w->Actions().tbiBrowse;
    QAction* edit = w->Actions().tbiEdit;
    QAction* source = w->Actions().tbiSource;

    // A refused switch leaves the item of the real mode checked: an external editor takes the
    // source.
    Prj->SetTextEditor(QStringLiteral("/bin/true"));
    source->trigger();
    EXPECT_EQ(w->ViewMode(), 0);
    EXPECT_TRUE(browse->isChecked());
    Prj->SetTextEditor({});

    // F5 and the menu's item read the note again in search mode too; the tool bar's button not.
    ASSERT_TRUE(w->Modes()->btnToSearchModeClick());
    EXPECT_TRUE(w->Actions().actReload->isEnabled());
    EXPECT_FALSE(w->findChild<QAction*>(u"tbiReload"_s)->isEnabled());
    w->Modes()->btnToTreeModeClick();

    // Another user edits the note shown; a new note opened afterwards can be edited and left.
    WriteFile(Store + u"/메모.qzmod"_s, "beta\r\n");
    ASSERT_TRUE(w->Tree()->SelectByRelativePath(u"다른.htm"_s));
    ASSERT_TRUE(w->Tree()->SelectByRelativePath(u"메모.htm"_s));
    EXPECT_FALSE(edit->isEnabled());
    ConfirmNextDialog<TfrmBlueDialog>(
        [](TfrmBlueDialog* d) { d->findChild<QLineEdit*>(u"edtName"_s)->setText(u"새것"_s); });
    w->MenuAndTree()->NewNoteAction()->trigger();
    ASSERT_EQ(w->Tree()->CurrentPage(), Store + u"/새것.htm"_s);
    EXPECT_EQ(w->ViewMode(), 1);
    EXPECT_TRUE(edit->isEnabled() && source->isEnabled() && browse->isEnabled());
    EXPECT_TRUE(edit->isChecked());
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QTest::keyClick(w.get(), Qt::Key_F6);
    EXPECT_EQ(w->ViewMode(), 0);
    EXPECT_TRUE(browse->isChecked());
    EXPECT_FALSE(QFileInfo::exists(Store + u"/새것.qzmod"_s));
}

TEST_F(CommandsMeetTest, TheFilesPanelSwitchesTakeEffectWhenTheSettingsCloseWithOk)
{
    auto w = OpenOnNote();
    TfrmAttachedFiles* files = w->DhtmlEditor()->FilesPanel();
    ASSERT_TRUE(files->InsertNoteAppend());
    ASSERT_FALSE(files->IsCollapsed());
    for (const bool on : {false, true}) {
        ConfirmNextDialog<TfrmBlueDialog>([on](TfrmBlueDialog* d) {
            d->findChild<QCheckBox*>(u"chkFilesPanel"_s)->setChecked(on);
            d->findChild<QCheckBox*>(u"chkInsertNoteAppend"_s)->setChecked(on);
        });
        w->Actions().actToolConfig->trigger();
        EXPECT_EQ(files->InsertNoteAppend(), on);
        EXPECT_EQ(files->IsCollapsed(), !on);
    }
}

TEST_F(CommandsMeetTest, TheMenusPasteItemsDoWhatTheKeysDo)
{
    auto w = OpenOnNote();
    w->activateWindow();
    ASSERT_TRUE(EnterMode(*w, 1));
    QWidget* input = EditInput(*w);
    TzqNotePage* page = w->DhtmlEditor()->EditView()->NotePage();

    // A screenshot through the context menu's item.
    QImage shot(8, 6, QImage::Format_RGB32);
    shot.fill(Qt::green);
    auto* mime = new QMimeData;
    mime->setImageData(shot);
    QApplication::clipboard()->setMimeData(mime);
    QMenu* menu = w->DhtmlEditor()->PopupMenu();
    Q_EMIT w->DhtmlEditor()->EditView()->ShowContextMenu(input->mapToGlobal(QPoint(5, 5)));
    QAction* paste = menu->findChild<QAction*>(u"actPaste"_s);
    EXPECT_TRUE(paste->isEnabled());
    EXPECT_FALSE(menu->findChild<QAction*>(u"actPasteText"_s)->isEnabled());
    menu->close();
    paste->trigger();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return page->RunScript(u"document.images.length"_s)->toInt() == 1; }, 20000));
    EXPECT_TRUE(QFileInfo::exists(Folder() + u"/capture.png"_s));

    // Shift+Ctrl+V: markup on the clipboard goes in as the text it is, in both editing modes.
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    auto* both = new QMimeData;
    both->setHtml(u"<b>bold</b>"_s);
    both->setText(u"<i>as text</i>"_s);
    QApplication::clipboard()->setMimeData(both);
    QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return page->RunScript(u"document.body.innerText"_s)
                ->toString()
                .contains(u"<i>as text</i>"_s);
        },
        20000));
    EXPECT_EQ(page->RunScript(u"document.querySelectorAll('b, i').length"_s)->toInt(), 0);
    ASSERT_TRUE(EnterMode(*w, 2));
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    TzqSourceEdit* source = w->DhtmlEditor()->SourceView();
    source->setFocus();
    source->moveCursor(QTextCursor::End);
    QTest::keyClick(source, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(source->Text().count(u"<i>as text</i>"_s), 1);
}
