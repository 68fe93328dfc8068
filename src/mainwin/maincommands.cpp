#include "mainwin/maincommands.h"

#include "app/zqprjinfo.h"
#include "editor/zqedittoolbars.h"
#include "editor/zqinsertitems.h"
#include "mainwin/commandstate.h"
#include "mainwin/frmmainql.h"
#include "mainwin/travlist.h"
#include "mainwin/zqkeytable.h"
#include "platform/guiutil.h"
#include "store/notestore.h"
#include "store/pagepath.h"
#include "store/zqtreecommands.h"
#include "tools/frmconfig.h"
#include "tools/frmnotepad.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QWebEngineView>

using namespace Qt::Literals::StringLiterals;

namespace {

// The zoom steps of the browser engine.
constexpr qreal ZoomSteps[] = {0.25, 0.33, 0.5,  0.67, 0.75, 0.8, 0.9, 1.0, 1.1,
                               1.25, 1.5,  1.75, 2.0,  2.5,  3.0, 4.0, 5.0};

// The key of a command the window's key table does: shown in the menu's key column, never a
// shortcut of its own, so the key acts once.
void ShowKeyInMenu(QAction* a, const QKeySequence& key)
{
    a->setShortcut({});
    const QString caption = a->text().section(u'\t', 0, 0);
    a->setIconText(QString(caption).remove(u'&'));
    a->setText(caption + u'\t' + key.toString(QKeySequence::NativeText));
}

} // namespace

TzqMainCommands::TzqMainCommands(TfrmMainQL* window) : QObject(window), W(window) {}

QAction* TzqMainCommands::NewCommand(const QString& name, const QString& caption,
                                     const QString& icon, const QString& hint,
                                     const QKeySequence& key)
{
    auto* a = new QAction(caption, W);
    a->setObjectName(name);
    if (!icon.isEmpty())
        a->setIcon(QIcon(u":/icons/"_s + icon + u".png"_s));
    QString tip = hint.isEmpty() ? QString(caption).remove(u'&') : hint;
    if (!key.isEmpty()) {
        // The window's key table does the key; the menu only shows it.
        ShowKeyInMenu(a, key);
        tip += u" ("_s + key.toString(QKeySequence::NativeText) + u')';
    }
    a->setToolTip(tip);
    a->setStatusTip(tip);
    W->addAction(a);
    return a;
}

void TzqMainCommands::CreateActions()
{
    const QString title = TzqPrjInfo::TitleText();
    A.actFileRename =
        NewCommand(u"actFileRename"_s, u"이름 변경(&A)"_s, {}, u"이름 바꾸기"_s, Qt::Key_F2);
    connect(A.actFileRename, &QAction::triggered, this, [this] {
        if (W->TreeMode())
            W->Commands()->RenameNode(W->Tree()->SelectedNode());
    });
    A.actFileNewFolder = W->MenuAndTree()->NewFolderAction();
    A.actFileNewNote = W->MenuAndTree()->NewNoteAction();
    A.actFileDelete = W->MenuAndTree()->DeleteAction();
    int fileTag = 0;
    for (QAction* a : {A.actFileNewFolder, A.actFileNewNote, A.actFileDelete}) {
        // The window's key table does their keys.
        ShowKeyInMenu(a, a->shortcut());
        W->addAction(a);
        connect(a, &QAction::triggered, this, [this, fileTag] { actFileExecute(fileTag); });
        ++fileTag;
    }
    A.actFileSave = NewCommand(u"actFileSave"_s, u"저장(&S)"_s, u"save"_s, u"노트 저장"_s,
                               QKeySequence(u"Ctrl+S"_s));
    connect(A.actFileSave, &QAction::triggered, this, [this] { W->DhtmlEditor()->SaveNote(); });
    A.actFilePrint = NewCommand(u"actFilePrint"_s, u"인쇄(&P)"_s, u"print"_s, u"노트 인쇄"_s,
                                QKeySequence(u"Ctrl+P"_s));
    connect(A.actFilePrint, &QAction::triggered, this, [this] { W->DhtmlEditor()->PrintNote(); });
    QAction* reload = A.actReload =
        NewCommand(u"actReload"_s, u"다시 읽기(&R)"_s, u"reload"_s, u"다시 읽기 (F5)"_s, {});
    reload->setShortcut(Qt::Key_F5);
    reload->setShortcutContext(Qt::WindowShortcut);
    // Reading the note again never drops what was typed into it: it is saved first.
    connect(reload, &QAction::triggered, this, [this] {
        if (W->Modes()->SaveIfEditing())
            W->LoadCurrentNote();
    });
    // The tool bar's button reads the note again in tree mode only; the menu item and F5 always.
    A.tbiReload = new QAction(reload->icon(), reload->iconText(), W);
    A.tbiReload->setObjectName(u"tbiReload"_s);
    A.tbiReload->setToolTip(reload->toolTip());
    A.tbiReload->setStatusTip(reload->statusTip());
    connect(A.tbiReload, &QAction::triggered, reload, &QAction::trigger);
    A.actToolFind = NewCommand(u"actToolFind"_s, u"찾기"_s, u"find"_s, {}, {});
    ShowKeyInMenu(A.actToolFind, QKeySequence(u"Ctrl+F"_s));
    connect(A.actToolFind, &QAction::triggered, this, [this] { W->DhtmlEditor()->FindInNote(); });
    A.actReplace = NewCommand(u"actReplace"_s, u"찾아 바꾸기"_s, u"replace"_s, {}, {});
    ShowKeyInMenu(A.actReplace, QKeySequence(u"Ctrl+R"_s));
    connect(A.actReplace, &QAction::triggered, this, [this] { W->DhtmlEditor()->ReplaceInNote(); });
    A.actFindInTree =
        NewCommand(u"actFindInTree"_s, u"폴더 안에서 찾기"_s, u"find-in-folder"_s, {}, {});
    ShowKeyInMenu(A.actFindInTree, QKeySequence(u"Ctrl+Shift+F"_s));
    connect(A.actFindInTree, &QAction::triggered, this,
            [this] { W->MenuAndTree()->FindInFolder(); });
    A.actGoBack = NewCommand(u"actGoBack"_s, u"뒤로"_s, u"go-back"_s, {}, QKeySequence(u"Alt+Q"_s));
    connect(A.actGoBack, &QAction::triggered, this, [this] { GoHistory(-1); });
    A.actGoFrwr =
        NewCommand(u"actGoFrwr"_s, u"앞으로"_s, u"go-forward"_s, {}, QKeySequence(u"Alt+W"_s));
    connect(A.actGoFrwr, &QAction::triggered, this, [this] { GoHistory(1); });
    A.actNoteToMail = NewCommand(u"actNoteToMail"_s, u"메일로 전송(&M)"_s, u"mail"_s, {}, {});
    connect(A.actNoteToMail, &QAction::triggered, this,
            [this] { W->Exports()->MailCurrentNote(); });
    A.actSaveMht = NewCommand(u"actSaveMht"_s, u"mht 파일로 저장"_s, u"save-mht"_s, {}, {});
    connect(A.actSaveMht, &QAction::triggered, this,
            [this] { W->Exports()->SaveMhtOf(W->CurrentPage()); });
    A.actMakeZip = NewCommand(u"actMakeZip"_s, u"zip 파일 만들기"_s, u"make-zip"_s, {}, {});
    connect(A.actMakeZip, &QAction::triggered, this,
            [this] { W->Exports()->MakeZipOf(W->CurrentPage()); });
    A.tbiExecAnother =
        NewCommand(u"tbiExecAnother"_s, u"zqQuillet  또 하나 실행"_s, {}, {}, Qt::Key_F9);
    connect(A.tbiExecAnother, &QAction::triggered, this, &TzqMainCommands::tbiExecAnotherClick);
    A.actToolConfig = NewCommand(u"actToolConfig"_s, u"환경설정(&C)"_s, u"settings"_s, {}, {});
    connect(A.actToolConfig, &QAction::triggered, this, &TzqMainCommands::actToolConfigExecute);
    // The program has no web site: its help page is shipped with it.
    A.tbiGotoHome = NewCommand(u"tbiGotoHome"_s, u"zqQuillet 홈페이지(&H)"_s, {}, {}, {});
    connect(A.tbiGotoHome, &QAction::triggered, this, [this] {
        const QString help = PrjInfo ? PrjInfo->HelpFileName() : QString();
        if (!QFileInfo::exists(help) || !::OpenWithShell(help))
            W->Dialogs()->ShowError(u"도움말 페이지를 열 수 없습니다: "_s +
                                    QDir::toNativeSeparators(help));
    });
    A.tbiClose = NewCommand(u"tbiClose"_s, title + u" 종료(&X)"_s, u"exit"_s, {}, {});
    A.tbiClose->setShortcut(QKeySequence(u"Alt+F4"_s));
    connect(A.tbiClose, &QAction::triggered, W, &QWidget::close);

    A.actStayOnTop = NewCommand(u"actStayOnTop"_s, u"항상 위"_s, u"stay-on-top"_s, {}, {});
    A.actStayOnTop->setCheckable(true);
    connect(A.actStayOnTop, &QAction::toggled, this, [this](bool on) {
        // Position and size stay as they are.
        const QRect g = W->geometry();
        W->setWindowFlag(Qt::WindowStaysOnTopHint, on);
        W->setGeometry(g);
        W->show();
    });

    A.FModeItems = new QActionGroup(W);
    A.FModeItems->setExclusive(true);
    A.tbiBrowse =
        NewCommand(u"tbiBrowse"_s, u"브라우즈"_s, u"mode-browse"_s, u"브라우즈 모드(F6)"_s, {});
    A.tbiEdit = NewCommand(u"tbiEdit"_s, u"수정"_s, u"mode-edit"_s, u"수정모드(F7)"_s, {});
    A.tbiSource = NewCommand(u"tbiSource"_s, u"소스"_s, u"mode-source"_s, u"소스 보기(F8)"_s, {});
    int tag = 0;
    for (QAction* a : {A.tbiBrowse, A.tbiEdit, A.tbiSource}) {
        a->setCheckable(true);
        A.FModeItems->addAction(a);
        connect(a, &QAction::triggered, this, [this, tag] { W->Modes()->tbiBrowseClick(tag); });
        ++tag;
    }
    A.tbiBrowse->setChecked(true);

    A.tbiNotePad = NewCommand(u"tbiNotePad"_s, u"메모장"_s, u"notepad"_s, {}, {});
    connect(A.tbiNotePad, &QAction::triggered, this,
            [this] { ToggleNotePad(FNotePad, W, *PrjInfo); });
    A.actZoomIn = NewCommand(u"actZoomIn"_s, u"Zoom In"_s, u"zoom-in"_s, {}, {});
    A.actZoomReset = NewCommand(u"actZoomReset"_s, u"Zoom Reset"_s, u"zoom-reset"_s, {}, {});
    A.actZoomOut = NewCommand(u"actZoomOut"_s, u"Zoom Out"_s, u"zoom-out"_s, {}, {});
    connect(A.actZoomIn, &QAction::triggered, this, [this] { Zoom(1); });
    connect(A.actZoomReset, &QAction::triggered, this, [this] { Zoom(0); });
    connect(A.actZoomOut, &QAction::triggered, this, [this] { Zoom(-1); });

    A.actTreeSplitter = NewCommand(u"actTreeSplitter"_s, {}, u"tree-hide"_s, u"트리 감추기"_s, {});
}

TfrmNotePad* TzqMainCommands::NotePad() const
{
    return FNotePad;
}

void TzqMainCommands::UpdateActions()
{
    // Nothing to update while the window is still being made.
    if (!A.tbiEdit)
        return;
    TzqCommandInput in;
    in.ViewMode = W->ViewMode();
    in.TreeMode = W->TreeMode();
    in.LockedByOther = !FEditItemsEnabled;
    in.CanGoBack = W->History() && W->History()->CanGoBack();
    in.CanGoForward = W->History() && W->History()->CanGoForward();
    const TzqCommandState s = ComputeCommandState(in);
    A.actGoBack->setEnabled(s.GoBack);
    A.actGoFrwr->setEnabled(s.GoForward);
    A.actFileSave->setEnabled(s.Save);
    A.actReplace->setEnabled(s.Replace);
    for (QAction* a : {A.actZoomIn, A.actZoomOut, A.actZoomReset})
        a->setEnabled(s.Zoom);
    A.tbiReload->setEnabled(s.Reload);
    for (QAction* a : {A.actMakeZip, A.actSaveMht, A.actNoteToMail})
        a->setEnabled(s.Send);
    A.tbiBrowse->setEnabled(s.BrowseItem);
    A.tbiEdit->setEnabled(s.EditItems);
    A.tbiSource->setEnabled(s.EditItems);
    // A click checks its item before the mode is decided: the mode the window is really in
    // stays checked when the switch was refused.
    CheckModeItem(W->ViewMode());
    // The tree show/hide button shows where a click takes the tree.
    const bool treeOpen = W->MenuAndTree()->width() >= 30;
    A.actTreeSplitter->setIcon(
        QIcon(treeOpen ? u":/icons/tree-hide.png"_s : u":/icons/tree-show.png"_s));
}

void TzqMainCommands::CheckModeItem(int mode)
{
    QAction* item = mode == TzqViewModes::vmEdit     ? A.tbiEdit
                    : mode == TzqViewModes::vmSource ? A.tbiSource
                                                     : A.tbiBrowse;
    if (item)
        item->setChecked(true);
}

void TzqMainCommands::SetEditItemsEnabled(bool enabled)
{
    FEditItemsEnabled = enabled;
    UpdateActions();
}

void TzqMainCommands::ShowWhoEdits()
{
    W->ShowMsgBox(::ReadEditMarker(W->Tree()->CurrentPage()) + u"이가 수정 중입니다."_s);
}

void TzqMainCommands::GoHistory(int step)
{
    // The cursor moves only when the page being left is saved.
    if (!W->TreeMode() || !W->Modes()->SaveIfEditing())
        return;
    const auto show = [this](const QString& e) { return W->Tree()->SelectByRelativePath(e); };
    if (step < 0)
        W->History()->GoBack(show);
    else
        W->History()->GoForward(show);
    UpdateActions();
}

void TzqMainCommands::actFileExecute(int tag)
{
    if (!W->TreeMode())
        return;
    switch (tag) {
    case 0:
        W->Commands()->CreateFolder(false);
        break;
    case 1:
        W->Commands()->CreateNote(false);
        break;
    default:
        W->Commands()->DeleteNode(W->Tree()->SelectedNode());
        break;
    }
    UpdateActions();
}

void TzqMainCommands::tbiExecAnotherClick()
{
    W->SaveTreeState();
    if (!W->isMaximized()) {
        TzqIniFile& ini = PrjInfo->Ini();
        ini.WriteInteger(ProgramSection, u"Left"_s, W->pos().x());
        ini.WriteInteger(ProgramSection, u"Top"_s, W->pos().y());
        ini.WriteInteger(ProgramSection, u"Width"_s, W->width());
        ini.WriteInteger(ProgramSection, u"Height"_s, W->height());
    }
    QProcess::startDetached(QApplication::applicationFilePath(), {u"zqzq"_s});
}

void TzqMainCommands::Zoom(int step)
{
    QWebEngineView* view = W->DhtmlEditor()->CurrentWebView();
    if (!view)
        return;
    if (step == 0) {
        view->setZoomFactor(1.0);
        return;
    }
    const qreal current = view->zoomFactor();
    qreal next = current;
    if (step > 0) {
        for (qreal z : ZoomSteps) {
            if (z > current + 0.001) {
                next = z;
                break;
            }
        }
    } else {
        for (qreal z : ZoomSteps) {
            if (z < current - 0.001)
                next = z;
        }
    }
    view->setZoomFactor(next);
}

void TzqMainCommands::actToolConfigExecute()
{
    // The dialog changes what the tree and the note show: the note is saved and left first.
    TzqMainModes* modes = W->Modes();
    if (!modes->SaveIfEditing())
        return;
    modes->tbiBrowseClick(TzqViewModes::vmBrowse);
    if (W->ViewMode() != TzqViewModes::vmBrowse || !PrjInfo)
        return;
    if (!TfrmConfig::Execute(*PrjInfo, W, A.actToolConfig->icon()))
        return;
    const QString root = W->RootDir();
    const QString page = W->CurrentPage();
    W->MenuAndTree()->LoadDataDirList();
    W->MenuAndTree()->OpenLastDataDir();
    // The page shown before stays shown when the same data directory opened again.
    if (!page.isEmpty() && W->RootDir() == root && QFileInfo::exists(page))
        W->SelectByRelativePath(RelativePagePath(root, page));
    W->LoadCurrentNote();
    W->DhtmlEditor()->UpdateAutoSaveInterval();
    W->DhtmlEditor()->ApplySettings();
    Q_EMIT SettingsChanged();
    W->Input()->ShowHangulMark(PrjInfo->ReadFlag(TzqPrjInfo::idViewHangulMark));
    PrjInfo->ReadMyName();
}

void TzqMainCommands::ClickEditItem(QAction* item)
{
    // A disabled item ignores the click.
    if (item && item->isEnabled())
        item->trigger();
}

void TzqMainCommands::RunKeyCommand(const TzqKeyDecision& decision)
{
    using C = TzqKeyCommand;
    TfrmDhtmlEditor* editor = W->DhtmlEditor();
    TfrmMenuAndTree* panel = W->MenuAndTree();
    TzqMainModes* modes = W->Modes();
    auto clickMode = [modes](QAction* item, int mode) {
        if (item->isEnabled())
            modes->tbiBrowseClick(mode);
    };
    auto execute = [](QAction* a) {
        if (a->isEnabled())
            a->trigger();
    };
    switch (decision.Command) {
    case C::None:
        break;
    case C::NewNote:
        actFileExecute(1);
        break;
    case C::NewFolder:
        actFileExecute(0);
        break;
    case C::DeleteNode:
        actFileExecute(2);
        break;
    case C::FormatPreset:
        editor->ApplyFormatPreset(decision.Number);
        break;
    case C::InsertTime:
        editor->InsertItems()->tbiInsertTimeClick();
        break;
    case C::EditItem:
        clickMode(A.tbiEdit, TzqViewModes::vmEdit);
        break;
    case C::BrowseItem:
        clickMode(A.tbiBrowse, TzqViewModes::vmBrowse);
        break;
    case C::SourceItem:
        clickMode(A.tbiSource, TzqViewModes::vmSource);
        break;
    case C::Replace:
        execute(A.actReplace);
        break;
    case C::Find:
        execute(A.actToolFind);
        break;
    case C::FindInFolder:
        panel->FindInFolder();
        break;
    case C::Print:
        editor->PrintNote();
        break;
    case C::Save:
        editor->SaveNote();
        break;
    case C::Redo:
        editor->Redo();
        break;
    case C::PasteText:
        editor->PasteText();
        break;
    case C::SearchBoxPaste:
        panel->SearchBox()->paste();
        break;
    case C::Indent:
        ClickEditItem(editor->EditToolbars()->IndentItem());
        break;
    case C::Outdent:
        ClickEditItem(editor->EditToolbars()->OutdentItem());
        break;
    case C::CloseNotePad:
        FNotePad->CloseIfVisible();
        break;
    case C::Minimize:
        // A running search is stopped by its own Esc first; the tray rule follows the minimize.
        if (panel->Searching())
            panel->CancelSearch();
        else
            W->showMinimized();
        break;
    case C::Rename:
        execute(A.actFileRename);
        break;
    case C::ShowWhoEdits:
        ShowWhoEdits();
        break;
    case C::ExecAnother:
        tbiExecAnotherClick();
        break;
    case C::ToggleNotePad:
        ToggleNotePad(FNotePad, W, *PrjInfo);
        break;
    case C::Snippet:
        editor->InsertItems()->ClickSnippetItem(decision.Number);
        break;
    case C::ToTreeMode:
        modes->btnToTreeModeClick();
        break;
    case C::ToSearchMode:
        modes->btnToSearchModeClick();
        break;
    case C::FileMenu:
        Q_EMIT FileMenuRequested();
        break;
    case C::GoBack:
        execute(A.actGoBack);
        break;
    case C::GoForward:
        execute(A.actGoFrwr);
        break;
    }
}
