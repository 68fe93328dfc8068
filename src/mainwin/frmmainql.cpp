#include "mainwin/frmmainql.h"

#include "app/zqprjinfo.h"
#include "editor/notecontent.h"
#include "editor/zqinsertitems.h"
#include "editor/zqnoteeditor.h"
#include "editor/zqwebarchive.h"
#include "mainwin/caption.h"
#include "mainwin/commandstate.h"
#include "mainwin/placement.h"
#include "mainwin/travlist.h"
#include "mainwin/zqhistorymenus.h"
#include "mainwin/zqmessageboxquestions.h"
#include "platform/filemanager.h"
#include "platform/fileopdialogs.h"
#include "platform/guiutil.h"
#include "platform/zqerror.h"
#include "store/izqtreecommandhost.h"
#include "store/namedialogs.h"
#include "store/notestore.h"
#include "store/util.h"
#include "store/zqtreecommands.h"
#include "store/zqtreemenu.h"
#include "store/zqtreeview.h"
#include "tools/exporttarget.h"
#include "tools/frmconfig.h"
#include "tools/frmmakezipfile.h"
#include "tools/frmmsgbox.h"
#include "tools/frmnotepad.h"
#include "tools/frmremovegarbage.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWebEngineView>

using namespace Qt::Literals::StringLiterals;

namespace {

// The zoom steps of the browser engine.
constexpr qreal ZoomSteps[] = {0.25, 0.33, 0.5,  0.67, 0.75, 0.8, 0.9, 1.0, 1.1,
                               1.25, 1.5,  1.75, 2.0,  2.5,  3.0, 4.0, 5.0};

// Hands the events of the whole application to a function first.
class TzqEventFilter : public QObject {
public:
    TzqEventFilter(QObject* parent, std::function<bool(QObject*, QEvent*)> filter)
        : QObject(parent), FFilter(std::move(filter))
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override { return FFilter(watched, event); }

private:
    std::function<bool(QObject*, QEvent*)> FFilter;
};

} // namespace

// What the tree commands need, answered by the main window, its editor, its history and the
// naming dialogs.
class TfrmMainQL::TCommandHost : public IzqTreeCommandHost {
public:
    explicit TCommandHost(TfrmMainQL* w) : W(w) {}
    bool SaveFile(const QString& page) override { return W->SaveFile(page); }
    bool SaveIfEditing() override { return W->SaveIfEditing(); }
    void LoadCurrentNote() override { W->LoadCurrentNote(); }
    int ViewMode() const override { return W->ViewMode(); }
    void SetViewMode(int mode) override { W->SetViewMode(mode); }
    bool TreeMode() const override { return W->TreeMode(); }
    void UpdateCaption(const QString& page) override { W->UpdateCaption(page); }
    bool IsEnglishWindows() const override { return W->IsEnglishWindows(); }
    bool Browse() override
    {
        W->tbiBrowseClick(TzqViewModes::vmBrowse);
        return W->ViewMode() == TzqViewModes::vmBrowse;
    }
    void SetTreeEnabled(bool enabled) override { W->FMenuAndTree->TreeView()->setEnabled(enabled); }
    void RenameEntries(const QString& oldPage, const QString& newPage) override
    {
        W->FHistory->RenameEntries(oldPage, newPage);
    }
    void Validate() override { W->FHistory->Validate(); }
    void ShowMsgBox(const QString& text) override { W->ShowMsgBox(text); }
    void ShowMessage(const QString& text) override { W->ShowMessage(text); }
    void ShowError(const QString& text) override { W->ShowError(text); }
    bool Confirm(const QString& text) override
    {
        return QMessageBox::question(W, TzqPrjInfo::TitleText(), text,
                                     QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    }
    std::optional<TzqNewNameAnswer> AskNewName(TzqItemKind kind, const QString& dir) override
    {
        return ::AskNewName(W, kind, dir, W->FTree->RootDir());
    }
    std::optional<QString> AskUserFileName(TzqItemKind kind, const QString& dir,
                                           const QString& currentName,
                                           const QString& caption) override
    {
        return ::AskUserFileName(W, kind, dir, currentName, caption);
    }
    IzqFileOpUi* FileOpUi() override { return W->FFileOpUi.get(); }
    bool OpenWithShell(const QString& path) override { return ::OpenWithShell(path); }
    void ShowInFileManager(const QString& path) override { ::ShowInFileManager(path); }
    QString MyName() const override { return W->MyName(); }
    QString TemplateDir() const override { return PrjInfo->TemplateDir(); }
    void MakeZipOf(const QString& page) override { W->MakeZipOf(page); }
    void SaveMhtOf(const QString& page) override { W->SaveMhtOf(page); }
    void CleanFolder(const QString& folder) override { W->CleanFolder(folder); }

private:
    TfrmMainQL* W;
};

TfrmMainQL::TfrmMainQL(bool furtherInstance, QWidget* parent)
    : TfrmZqThreeButtons(furtherInstance, parent)
{
    setObjectName(u"frmMainQL"_s);
    FormCreate();
}

TfrmMainQL::~TfrmMainQL()
{
    delete FCommands;
    FCommands = nullptr;
    // The views go before the tree they read.
    delete FEditor;
    FEditor = nullptr;
}

QAction* TfrmMainQL::NewAction(const QString& name, const QString& caption, const QString& icon,
                               const QString& hint, const QKeySequence& key)
{
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    if (!icon.isEmpty())
        a->setIcon(QIcon(u":/icons/"_s + icon + u".png"_s));
    QString tip = hint.isEmpty() ? QString(caption).remove(u'&') : hint;
    if (!key.isEmpty()) {
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        tip += u" ("_s + key.toString(QKeySequence::NativeText) + u')';
    }
    a->setToolTip(tip);
    a->setStatusTip(tip);
    addAction(a);
    return a;
}

void TfrmMainQL::FormCreate()
{
    setWindowTitle(TzqPrjInfo::TitleText());
    setWindowIconText(TzqPrjInfo::TitleText());
    // The main window is white where the frame is grey.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);

    FTree = new TzqTree(this, this);
    // The views reach the files of the open data directory, the templates and the program's
    // own temporary files, nothing else.
    connect(FTree, &TzqTree::RootLoaded, this, [](const QString& root) {
        NoteScope().SetPlaces({root, PrjInfo->TemplateDir(), PrjInfo->TempDir()},
                              {PrjInfo->SearchTempFileName()});
    });
    FHistory = std::make_unique<TTravList>([this] { return FTree->RootDir(); });
    FFileOpUi = std::make_unique<TzqFileOpDialogs>(this);
    FOwnExportUi = std::make_unique<TzqMessageBoxQuestions>(this);
    FExportUi = FOwnExportUi.get();
    FCommandHost = std::make_unique<TCommandHost>(this);
    splMenuAndTree = new QSplitter(Qt::Horizontal, this);
    splMenuAndTree->setObjectName(u"splMenuAndTree"_s);
    splMenuAndTree->setChildrenCollapsible(false);
    splMenuAndTree->setHandleWidth(6);
    FEditor = new TfrmDhtmlEditor(this, this, nullptr);
    FMenuAndTree = new TfrmMenuAndTree(this, FTree, splMenuAndTree);
    FMenuAndTree->setMinimumWidth(1);
    splMenuAndTree->addWidget(FMenuAndTree);
    splMenuAndTree->addWidget(FEditor);
    splMenuAndTree->setStretchFactor(0, 0);
    splMenuAndTree->setStretchFactor(1, 1);
    setCentralWidget(splMenuAndTree);
    connect(splMenuAndTree, &QSplitter::splitterMoved, this, [this] {
        PlaceTreeSplitterButton();
        UpdateActions();
    });

    FCommands = new TzqTreeCommands(FTree, FCommandHost.get());
    popTree = new TzqTreeMenu(FCommands, this);
    TzqTreeView* treeView = FMenuAndTree->TreeView();
    treeView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(treeView, &QWidget::customContextMenuRequested, this, [this, treeView](QPoint pos) {
        popTree->PopupAt(treeView->indexAt(pos), treeView->viewport()->mapToGlobal(pos));
    });

    CreateActions();
    CreateToolBar();
    CreateStatusBar();

    btnTreeSplitter = new QToolButton(this);
    btnTreeSplitter->setObjectName(u"btnTreeSplitter"_s);
    btnTreeSplitter->setDefaultAction(Action(u"actTreeSplitter"_s));
    btnTreeSplitter->setFixedSize(9, 60);
    btnTreeSplitter->setIconSize(QSize(9, 16));
    btnTreeSplitter->setAutoRaise(true);
    btnTreeSplitter->setStyleSheet(
        u"QToolButton { border: 1px solid #c9c9bd; border-radius: 2px; background: "
        u"qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #fdfdf8, stop:1 #dcdccc); }"
        u"QToolButton:hover { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, "
        u"stop:0 #ffffff, stop:1 #c8d8ec); }"_s);
    btnTreeSplitter->setVisible(!PrjInfo->SplitterHidden());

    connect(FEditor, &TfrmDhtmlEditor::BrowseLoadFinished, this,
            [this](bool) { labStatus->clear(); });
    connect(FTree->Selection(), &QItemSelectionModel::currentChanged, this,
            [this] { UpdateActions(); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            &TfrmMainQL::ApplicationStateChanged);

    SetViewMode(TzqViewModes::vmBrowse);
    UpdateActions();
    // The window's own keys come before the views' (the browser engine claims most keys while
    // a document is edited).
    qApp->installEventFilter(new TzqEventFilter(
        this, [this](QObject* watched, QEvent* event) { return ClaimsShortcut(watched, event); }));
}

bool TfrmMainQL::ClaimsShortcut(QObject* watched, QEvent* event) const
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    auto ours = [&pressed](const QKeySequence& seq) {
        return !seq.isEmpty() && seq.matches(pressed) == QKeySequence::ExactMatch;
    };
    // Editing keys stay with the views; Esc only where no text widget wants it.
    if (key->key() == Qt::Key_Escape)
        return false;
    for (const QAction* a : actions()) {
        if (a->isEnabled() && ours(a->shortcut()))
            return true;
    }
    for (const QShortcut* s : findChildren<QShortcut*>(Qt::FindDirectChildrenOnly)) {
        if (s->isEnabled() && ours(s->key()))
            return true;
    }
    return false;
}

void TfrmMainQL::CreateActions()
{
    const QString title = TzqPrjInfo::TitleText();
    QAction* rename =
        NewAction(u"actFileRename"_s, u"이름 변경(&A)"_s, {}, u"이름 바꾸기"_s, Qt::Key_F2);
    connect(rename, &QAction::triggered, this, [this] {
        if (TreeMode())
            FCommands->RenameNode(FTree->SelectedNode());
    });
    int fileTag = 0;
    for (QAction* a : {FMenuAndTree->NewFolderAction(), FMenuAndTree->NewNoteAction(),
                       FMenuAndTree->DeleteAction()}) {
        addAction(a);
        connect(a, &QAction::triggered, this, [this, fileTag] { actFileExecute(fileTag); });
        ++fileTag;
    }
    QAction* save = NewAction(u"actFileSave"_s, u"저장(&S)"_s, u"save"_s, u"노트 저장"_s,
                              QKeySequence(u"Ctrl+S"_s));
    connect(save, &QAction::triggered, this, [this] { SaveIfEditing(); });
    QAction* print = NewAction(u"actFilePrint"_s, u"인쇄(&P)"_s, u"print"_s, u"노트 인쇄"_s,
                               QKeySequence(u"Ctrl+P"_s));
    connect(print, &QAction::triggered, this, [this] { FEditor->PrintNote(); });
    QAction* reload = NewAction(u"actReload"_s, u"다시 읽기(&R)"_s, u"reload"_s, {}, Qt::Key_F5);
    // Reading the note again never drops what was typed into it: it is saved first.
    connect(reload, &QAction::triggered, this, [this] {
        if (SaveIfEditing())
            LoadCurrentNote();
    });
    QAction* find = NewAction(u"actToolFind"_s, u"찾기"_s, u"find"_s);
    connect(find, &QAction::triggered, this, [this] { FEditor->FindInNote(); });
    QAction* replace = NewAction(u"actReplace"_s, u"찾아 바꾸기"_s, u"replace"_s);
    connect(replace, &QAction::triggered, this, [this] { FEditor->ReplaceInNote(); });
    QAction* findInTree = NewAction(u"actFindInTree"_s, u"폴더 안에서 찾기"_s, u"find-in-folder"_s);
    connect(findInTree, &QAction::triggered, this, [this] { FMenuAndTree->FindInFolder(); });
    QAction* back =
        NewAction(u"actGoBack"_s, u"뒤로"_s, u"go-back"_s, {}, QKeySequence(u"Alt+Q"_s));
    connect(back, &QAction::triggered, this, [this] { GoHistory(-1); });
    QAction* forward =
        NewAction(u"actGoFrwr"_s, u"앞으로"_s, u"go-forward"_s, {}, QKeySequence(u"Alt+W"_s));
    connect(forward, &QAction::triggered, this, [this] { GoHistory(1); });
    QAction* mail = NewAction(u"actNoteToMail"_s, u"메일로 전송(&M)"_s, u"mail"_s);
    connect(mail, &QAction::triggered, this, &TfrmMainQL::MailCurrentNote);
    QAction* saveMht = NewAction(u"actSaveMht"_s, u"mht 파일로 저장"_s, u"save-mht"_s);
    connect(saveMht, &QAction::triggered, this, [this] { SaveMhtOf(CurrentPage()); });
    QAction* makeZip = NewAction(u"actMakeZip"_s, u"zip 파일 만들기"_s, u"make-zip"_s);
    connect(makeZip, &QAction::triggered, this, [this] { MakeZipOf(CurrentPage()); });
    QAction* another =
        NewAction(u"tbiExecAnother"_s, u"zqQuillet  또 하나 실행"_s, {}, {}, Qt::Key_F9);
    connect(another, &QAction::triggered, this, &TfrmMainQL::tbiExecAnotherClick);
    QAction* config = NewAction(u"actToolConfig"_s, u"환경설정(&C)"_s, u"settings"_s);
    connect(config, &QAction::triggered, this, &TfrmMainQL::actToolConfigExecute);
    // The program has no web site: its help page is shipped with it.
    QAction* home = NewAction(u"tbiGotoHome"_s, u"zqQuillet 홈페이지(&H)"_s, {});
    connect(home, &QAction::triggered, this, [this] {
        const QString help = PrjInfo ? PrjInfo->HelpFileName() : QString();
        if (!QFileInfo::exists(help) || !::OpenWithShell(help))
            ShowError(u"도움말 페이지를 열 수 없습니다: "_s + QDir::toNativeSeparators(help));
    });
    QAction* close = NewAction(u"tbiClose"_s, title + u" 종료(&X)"_s, u"exit"_s);
    close->setShortcut(QKeySequence(u"Alt+F4"_s));
    connect(close, &QAction::triggered, this, &QWidget::close);

    QAction* onTop = NewAction(u"actStayOnTop"_s, u"항상 위"_s, u"stay-on-top"_s);
    onTop->setCheckable(true);
    connect(onTop, &QAction::toggled, this, [this](bool on) {
        // Position and size stay as they are.
        const QRect g = geometry();
        setWindowFlag(Qt::WindowStaysOnTopHint, on);
        setGeometry(g);
        show();
    });

    FModeItems = new QActionGroup(this);
    FModeItems->setExclusive(true);
    tbiBrowse = NewAction(u"tbiBrowse"_s, u"브라우즈"_s, u"mode-browse"_s, u"브라우즈 모드(F6)"_s);
    tbiEdit = NewAction(u"tbiEdit"_s, u"수정"_s, u"mode-edit"_s, u"수정모드(F7)"_s);
    tbiSource = NewAction(u"tbiSource"_s, u"소스"_s, u"mode-source"_s, u"소스 보기(F8)"_s);
    int tag = 0;
    for (QAction* a : {tbiBrowse, tbiEdit, tbiSource}) {
        a->setCheckable(true);
        FModeItems->addAction(a);
        connect(a, &QAction::triggered, this, [this, tag] { tbiBrowseClick(tag); });
        ++tag;
    }
    tbiBrowse->setChecked(true);

    QAction* notePad = NewAction(u"tbiNotePad"_s, u"메모장"_s, u"notepad"_s);
    connect(notePad, &QAction::triggered, this,
            [this] { ToggleNotePad(FNotePad, this, *PrjInfo); });
    QAction* zoomIn = NewAction(u"actZoomIn"_s, u"Zoom In"_s, u"zoom-in"_s);
    QAction* zoomReset = NewAction(u"actZoomReset"_s, u"Zoom Reset"_s, u"zoom-reset"_s);
    QAction* zoomOut = NewAction(u"actZoomOut"_s, u"Zoom Out"_s, u"zoom-out"_s);
    connect(zoomIn, &QAction::triggered, this, [this] { Zoom(1); });
    connect(zoomReset, &QAction::triggered, this, [this] { Zoom(0); });
    connect(zoomOut, &QAction::triggered, this, [this] { Zoom(-1); });

    QAction* splitter = NewAction(u"actTreeSplitter"_s, {}, u"tree-hide"_s, u"트리 감추기"_s);
    connect(splitter, &QAction::triggered, this, &TfrmMainQL::actTreeSplitterExecute);

    // Keys of the mode items.
    auto key = [this](const QString& seq, auto&& handler) {
        auto* s = new QShortcut(QKeySequence(seq), this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, handler);
    };
    key(u"F6"_s, [this] {
        if (tbiBrowse->isEnabled())
            tbiBrowseClick(TzqViewModes::vmBrowse);
    });
    key(u"F7"_s, [this] { EditKey(TzqViewModes::vmEdit); });
    key(u"F8"_s, [this] { EditKey(TzqViewModes::vmSource); });
    key(u"Ctrl+E"_s, [this] {
        if (TreeMode())
            tbiBrowseClick(TzqViewModes::vmEdit);
    });
    key(u"Ctrl+W"_s, [this] {
        if (TreeMode())
            tbiBrowseClick(TzqViewModes::vmBrowse);
    });
    key(u"Ctrl+R"_s, [this] {
        if (!TreeMode())
            return;
        if (ViewMode() == TzqViewModes::vmSource)
            FEditor->ReplaceInNote();
        else
            tbiBrowseClick(TzqViewModes::vmSource);
    });
    key(u"Ctrl+F"_s, [this] { FEditor->FindInNote(); });
    key(u"Alt+E"_s, [this] {
        if (!TreeMode())
            return;
        if (ViewMode() == TzqViewModes::vmEdit)
            tbiBrowseClick(TzqViewModes::vmBrowse);
        else
            EditKey(TzqViewModes::vmEdit);
    });
    key(u"Ctrl+Shift+F"_s, [this] { FMenuAndTree->FindInFolder(); });
    // The time and the snippets, in edit mode while the tree is shown.
    key(u"Ctrl+D"_s, [this] {
        if (TreeMode() && ViewMode() == TzqViewModes::vmEdit)
            FEditor->InsertItems()->tbiInsertTimeClick();
    });
    for (int n = 1; n <= 9; ++n) {
        key(u"Alt+%1"_s.arg(n), [this, n] {
            if (TreeMode() && ViewMode() == TzqViewModes::vmEdit)
                FEditor->InsertItems()->ClickSnippetItem(n);
        });
    }
    // The format presets, in edit mode while the tree is shown; elsewhere the keys do nothing.
    for (int n = 1; n <= 9; ++n) {
        key(u"Ctrl+%1"_s.arg(n), [this, n] {
            if (TreeMode() && ViewMode() == TzqViewModes::vmEdit)
                FEditor->ApplyFormatPreset(n);
        });
    }
    key(u"F12"_s, [this] { ToggleNotePad(FNotePad, this, *PrjInfo); });
    // Esc closes the notepad first, otherwise it minimizes the window.
    key(u"Esc"_s, [this] {
        if (FNotePad && FNotePad->CloseIfVisible())
            return;
        if (FMenuAndTree->Searching()) {
            FMenuAndTree->CancelSearch();
            return;
        }
        if (isActiveWindow())
            showMinimized();
    });
    key(u"Alt+D"_s, [this] { btnToTreeModeClick(); });
    key(u"Alt+S"_s, [this] { btnToSearchModeClick(); });
}

void TfrmMainQL::CreateToolBar()
{
    tbtMainMenu = new QToolBar(this);
    tbtMainMenu->setObjectName(u"tbtMainMenu"_s);
    tbtMainMenu->setMovable(false);
    tbtMainMenu->setFloatable(false);
    tbtMainMenu->setIconSize(QSize(16, 16));
    tbtMainMenu->setContextMenuPolicy(Qt::PreventContextMenu);
    tbtMainMenu->setStyleSheet(u"QToolBar { background: white; border: none; "
                               u"border-bottom: 3px solid #ecece4; spacing: 1px; }"_s);
    addToolBar(Qt::TopToolBarArea, tbtMainMenu);

    // The File menu heads the tool bar.
    auto* tbiFile = new QMenu(u"파일(&F)"_s, this);
    tbiFile->setObjectName(u"tbiFile"_s);
    const QStringList items = {u"actFileNewFolder"_s,
                               u"actFileNewNote"_s,
                               u"actFileDelete"_s,
                               u"actFileRename"_s,
                               {},
                               u"actFileSave"_s,
                               u"actFilePrint"_s,
                               u"actReload"_s,
                               {},
                               u"actToolFind"_s,
                               u"actReplace"_s,
                               u"actFindInTree"_s,
                               {},
                               u"actGoBack"_s,
                               u"actGoFrwr"_s,
                               {},
                               u"actNoteToMail"_s,
                               u"actSaveMht"_s,
                               u"actMakeZip"_s,
                               {},
                               u"tbiExecAnother"_s,
                               u"actToolConfig"_s,
                               u"tbiGotoHome"_s,
                               {},
                               u"tbiClose"_s};
    for (const QString& name : items) {
        if (name.isEmpty()) {
            tbiFile->addSeparator();
        } else if (name.startsWith(u"actFileNew"_s) || name == u"actFileDelete"_s) {
            QAction* a = name == u"actFileNewFolder"_s ? FMenuAndTree->NewFolderAction()
                         : name == u"actFileNewNote"_s ? FMenuAndTree->NewNoteAction()
                                                       : FMenuAndTree->DeleteAction();
            tbiFile->addAction(a);
        } else {
            tbiFile->addAction(Action(name));
        }
    }
    auto* fileButton = new QToolButton(tbtMainMenu);
    fileButton->setObjectName(u"btnFileMenu"_s);
    fileButton->setText(u"파일(&F)"_s);
    fileButton->setMenu(tbiFile);
    fileButton->setPopupMode(QToolButton::InstantPopup);
    fileButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    fileButton->setStyleSheet(u"QToolButton::menu-indicator { image: none; width: 0; }"_s);
    tbtMainMenu->addWidget(fileButton);
    tbtMainMenu->addSeparator();

    auto add = [this](const QString& name) { tbtMainMenu->addAction(Action(name)); };
    add(u"actStayOnTop"_s);
    FHistoryMenus = new TzqHistoryMenus(FHistory.get(), tbtMainMenu, this);
    FHistoryMenus->FollowActions(Action(u"actGoBack"_s), Action(u"actGoFrwr"_s));
    connect(FHistoryMenus, &TzqHistoryMenus::EntryChosen, this, [this](int index) {
        if (!SaveIfEditing())
            return;
        FHistory->GoTo(index, [this](const QString& e) { return FTree->SelectByRelativePath(e); });
        UpdateActions();
    });
    add(u"actGoBack"_s);
    tbtMainMenu->addWidget(FHistoryMenus->BackListButton());
    add(u"actGoFrwr"_s);
    tbtMainMenu->addWidget(FHistoryMenus->FrwrListButton());
    add(u"actReload"_s);
    tbtMainMenu->addSeparator();
    add(u"actToolFind"_s);
    add(u"actReplace"_s);
    add(u"actFindInTree"_s);
    add(u"actFileSave"_s);
    add(u"actFilePrint"_s);
    tbtMainMenu->addSeparator();
    tbtMainMenu->addAction(tbiBrowse);
    tbtMainMenu->addAction(tbiEdit);
    tbtMainMenu->addAction(tbiSource);
    tbtMainMenu->addSeparator();
    add(u"actNoteToMail"_s);
    add(u"actSaveMht"_s);
    add(u"actMakeZip"_s);
    add(u"tbiNotePad"_s);
    tbtMainMenu->addSeparator();
    add(u"actZoomIn"_s);
    add(u"actZoomReset"_s);
    add(u"actZoomOut"_s);
}

void TfrmMainQL::CreateStatusBar()
{
    QStatusBar* pnlStatusBar = statusBar();
    pnlStatusBar->setObjectName(u"pnlStatusBar"_s);
    pnlStatusBar->setStyleSheet(u"QStatusBar::item { border: none; }"_s);
    auto makeButton = [this](const QString& name, const QString& text, const QString& hint) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setText(text);
        b->setToolTip(hint);
        b->setCheckable(true);
        b->setAutoExclusive(true);
        b->setFixedSize(60, 21);
        return b;
    };
    btnToTreeMode = makeButton(u"btnToTreeMode"_s, u"Tree"_s, u"트리모드(Alt-D)"_s);
    btnToSearchMode = makeButton(u"btnToSearchMode"_s, u"Search"_s, u"폴더 안 검색(Alt-S)"_s);
    btnToTreeMode->setChecked(true);
    connect(btnToTreeMode, &QToolButton::clicked, this, &TfrmMainQL::btnToTreeModeClick);
    connect(btnToSearchMode, &QToolButton::clicked, this, &TfrmMainQL::btnToSearchModeClick);
    labStatus = new QLabel(this);
    labStatus->setObjectName(u"labStatus"_s);
    bar = new QProgressBar(this);
    bar->setObjectName(u"bar"_s);
    bar->setFixedSize(226, 16);
    bar->setTextVisible(false);
    bar->hide();
    pnlStatusBar->addWidget(btnToTreeMode);
    pnlStatusBar->addWidget(btnToSearchMode);
    pnlStatusBar->addWidget(labStatus, 1);
    pnlStatusBar->addWidget(bar);
}

QAction* TfrmMainQL::Action(const QString& objectName) const
{
    return findChild<QAction*>(objectName, Qt::FindDirectChildrenOnly);
}

void TfrmMainQL::UpdateActions()
{
    TzqCommandInput in;
    in.ViewMode = ViewMode();
    in.TreeMode = TreeMode();
    in.LockedByOther = !FEditItemsEnabled;
    in.CanGoBack = FHistory && FHistory->CanGoBack();
    in.CanGoForward = FHistory && FHistory->CanGoForward();
    const TzqCommandState s = ComputeCommandState(in);
    Action(u"actGoBack"_s)->setEnabled(s.GoBack);
    Action(u"actGoFrwr"_s)->setEnabled(s.GoForward);
    Action(u"actFileSave"_s)->setEnabled(s.Save);
    Action(u"actReplace"_s)->setEnabled(s.Replace);
    for (const QString& name : {u"actZoomIn"_s, u"actZoomOut"_s, u"actZoomReset"_s})
        Action(name)->setEnabled(s.Zoom);
    Action(u"actReload"_s)->setEnabled(s.Reload);
    for (const QString& name : {u"actMakeZip"_s, u"actSaveMht"_s, u"actNoteToMail"_s})
        Action(name)->setEnabled(s.Send);
    tbiBrowse->setEnabled(s.BrowseItem);
    tbiEdit->setEnabled(s.EditItems);
    tbiSource->setEnabled(s.EditItems);
    // The tree show/hide button shows where a click takes the tree.
    const bool treeOpen = FMenuAndTree->width() >= 30;
    Action(u"actTreeSplitter"_s)
        ->setIcon(QIcon(treeOpen ? u":/icons/tree-hide.png"_s : u":/icons/tree-show.png"_s));
}

void TfrmMainQL::DoFirstShow()
{
    const int width = FMenuAndTree->StoredWidth();
    splMenuAndTree->setSizes({width, std::max(1, splMenuAndTree->width() - width)});
    PlaceTreeSplitterButton();
}

void TfrmMainQL::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    PlaceTreeSplitterButton();
}

void TfrmMainQL::PlaceTreeSplitterButton()
{
    if (!btnTreeSplitter || !splMenuAndTree)
        return;
    const QWidget* handle = splMenuAndTree->handle(1);
    const QPoint topLeft = handle->mapTo(this, QPoint(0, 0));
    btnTreeSplitter->move(topLeft.x() - 1 + (handle->width() - btnTreeSplitter->width()) / 2 + 1,
                          topLeft.y() + (handle->height() - btnTreeSplitter->height()) / 2);
    btnTreeSplitter->raise();
}

void TfrmMainQL::actTreeSplitterExecute()
{
    const bool treeOpen = FMenuAndTree->width() >= 30;
    const int total = splMenuAndTree->width();
    const int width = treeOpen ? 1 : 250;
    splMenuAndTree->setSizes({width, std::max(1, total - width)});
    PlaceTreeSplitterButton();
    UpdateActions();
}

void TfrmMainQL::DoFirstActivate()
{
    if (FTree->Model()->rowCount() > 0)
        RestoreTreeState();
}

void TfrmMainQL::WakeUp()
{
    if (InTray())
        RestoreFromTray();
    else
        BringToForeground();
}

bool TfrmMainQL::DoCloseQuery()
{
    // A note that cannot be saved keeps the window open, with the user's text in it.
    return FEditor->SaveIfEditing();
}

void TfrmMainQL::DoClose()
{
    // Each step runs even when one before it failed: the note must be saved and its marker
    // removed whatever happened to the notepad or the settings file.
    auto step = [this](auto&& work) {
        try {
            work();
        } catch (const EzqError& e) {
            ShowError(e.Message());
        }
    };
    step([this] {
        if (FNotePad)
            FNotePad->SaveState();
    });
    step([this] { FEditor->CloseEditor(); });
    step([this] { SaveTreeState(); });
    step([this] { FModes.ReleaseEditMarker(); });
}

void TfrmMainQL::tbiBrowseClick(int wanted)
{
    FModes.tbiBrowseClick(wanted);
    UpdateActions();
}

void TfrmMainQL::EditKey(int wanted)
{
    if (!TreeMode())
        return;
    QAction* item = wanted == TzqViewModes::vmEdit ? tbiEdit : tbiSource;
    if (item->isEnabled())
        tbiBrowseClick(wanted);
    else
        ShowWhoEdits();
}

void TfrmMainQL::ShowWhoEdits()
{
    ShowMsgBox(::ReadEditMarker(FTree->CurrentPage()) + u"이가 수정 중입니다."_s);
}

bool TfrmMainQL::SetTreeMode(bool tree)
{
    const bool done = FModes.SetTreeMode(tree);
    UpdateActions();
    return done;
}

void TfrmMainQL::btnToTreeModeClick()
{
    SetTreeMode(true);
    btnToTreeMode->setChecked(true);
    // Back to the last result shown, now selected in the tree.
    if (FMenuAndTree->HasSearchResults())
        GoHistory(-1);
}

void TfrmMainQL::GoHistory(int step)
{
    // The cursor moves only when the page being left is saved.
    if (!TreeMode() || !SaveIfEditing())
        return;
    const auto show = [this](const QString& e) { return FTree->SelectByRelativePath(e); };
    if (step < 0)
        FHistory->GoBack(show);
    else
        FHistory->GoForward(show);
    UpdateActions();
}

void TfrmMainQL::actFileExecute(int tag)
{
    if (!TreeMode())
        return;
    switch (tag) {
    case 0:
        FCommands->CreateFolder(false);
        break;
    case 1:
        FCommands->CreateNote(false);
        break;
    default:
        FCommands->DeleteNode(FTree->SelectedNode());
        break;
    }
    UpdateActions();
}

bool TfrmMainQL::btnToSearchModeClick()
{
    AddToHistory(FTree->CurrentPage());
    // The note being edited is saved first; when it cannot be, the tree stays.
    if (!SetTreeMode(false)) {
        btnToTreeMode->setChecked(true);
        return false;
    }
    btnToSearchMode->setChecked(true);
    FMenuAndTree->SetPanelMode(TfrmMenuAndTree::TPanelMode::Search);
    return true;
}

void TfrmMainQL::tbiExecAnotherClick()
{
    SaveTreeState();
    if (!isMaximized()) {
        TzqIniFile& ini = PrjInfo->Ini();
        ini.WriteInteger(ProgramSection, u"Left"_s, pos().x());
        ini.WriteInteger(ProgramSection, u"Top"_s, pos().y());
        ini.WriteInteger(ProgramSection, u"Width"_s, width());
        ini.WriteInteger(ProgramSection, u"Height"_s, height());
    }
    QProcess::startDetached(QApplication::applicationFilePath(), {u"zqzq"_s});
}

void TfrmMainQL::Zoom(int step)
{
    QWebEngineView* view = FEditor->CurrentWebView();
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

void TfrmMainQL::ApplicationStateChanged(Qt::ApplicationState state)
{
    if (state != Qt::ApplicationActive || !TreeMode())
        return;
    try {
        FEditor->CheckExternalChange();
    } catch (const EzqError&) {
        // Activation must never fail on a note that vanished meanwhile.
    }
}

// IzqTreeHost

bool TfrmMainQL::SaveFile(const QString& page)
{
    return FEditor->SaveFile(page);
}

void TfrmMainQL::LoadCurrentNote()
{
    FEditor->LoadCurrentNote();
}

void TfrmMainQL::FocusLater()
{
    FEditor->FocusLater();
}

void TfrmMainQL::SetViewMode(int mode)
{
    FModes.SetViewMode(mode);
    UpdateActions();
}

void TfrmMainQL::UpdateCaption(const QString& page)
{
    QString holder;
    if (ViewMode() == TzqViewModes::vmBrowse && IsLockedByOther(page))
        holder = ::ReadEditMarker(page);
    const TzqCaption caption = CaptionForPage(page, holder);
    setWindowTitle(caption.Window);
    setWindowIconText(caption.TaskBar);
}

void TfrmMainQL::ShowMsgBox(const QString& text)
{
    ::ShowMsgBox(this, text);
}

bool TfrmMainQL::IsEnglishWindows() const
{
    return ::IsEnglishWindows();
}

QString TfrmMainQL::MyName() const
{
    return PrjInfo->MyName();
}

bool TfrmMainQL::CtrlDrag() const
{
    return PrjInfo->ReadFlag(TzqPrjInfo::idCtrlDrag);
}

void TfrmMainQL::SaveTreeState()
{
    FMenuAndTree->SaveTreeState();
}

void TfrmMainQL::RestoreTreeState()
{
    FMenuAndTree->RestoreTreeState();
}

void TfrmMainQL::actToolConfigExecute()
{
    // The dialog changes what the tree and the note show: the note is saved and left first.
    if (!SaveIfEditing())
        return;
    tbiBrowseClick(TzqViewModes::vmBrowse);
    if (ViewMode() != TzqViewModes::vmBrowse || !PrjInfo)
        return;
    if (!TfrmConfig::Execute(*PrjInfo, this, Action(u"actToolConfig"_s)->icon()))
        return;
    FMenuAndTree->LoadDataDirList();
    FMenuAndTree->OpenLastDataDir();
    LoadCurrentNote();
    FEditor->UpdateAutoSaveInterval();
    btnTreeSplitter->setVisible(!PrjInfo->SplitterHidden());
    PrjInfo->ReadMyName();
}

void TfrmMainQL::SetExportUi(IzqExportUi* ui)
{
    FExportUi = ui ? ui : FOwnExportUi.get();
}

std::optional<QString> TfrmMainQL::ChooseExportFile(const QString& page, const QString& action,
                                                    const QString& suffix)
{
    if (page.isEmpty() || !SaveIfEditing())
        return std::nullopt;
    const std::optional<QString> target =
        ChooseExportTarget(*FExportUi, Action(action)->text(), page, suffix, FExportDir);
    if (target)
        FExportDir = QFileInfo(*target).absolutePath();
    return target;
}

void TfrmMainQL::MakeZipOf(const QString& page)
{
    const std::optional<QString> target = ChooseExportFile(page, u"actMakeZip"_s, u".zip"_s);
    if (!target)
        return;
    TfrmMakeZipFile dialog(this);
    dialog.SetSource(page, *target);
    if (!dialog.Run() && !dialog.ErrorText().isEmpty())
        FExportUi->ShowError(dialog.ErrorText());
}

void TfrmMainQL::SaveMhtOf(const QString& page)
{
    const std::optional<QString> target = ChooseExportFile(page, u"actSaveMht"_s, u".mht"_s);
    if (!target)
        return;
    QString error;
    if (!SaveWebArchive(page, *target, this, &error) && !error.isEmpty())
        FExportUi->ShowError(error);
}

void TfrmMainQL::MailCurrentNote()
{
    if (!SaveIfEditing())
        return;
    const QString page = CurrentPage();
    if (page.isEmpty() || !QFileInfo(page).isFile())
        return;
    // xdg-email may end after the window has gone.
    const QPointer<TfrmMainQL> self(this);
    MailNote(page, this, [self](const QString& error) {
        if (self)
            self->FExportUi->ShowError(error);
    });
}

void TfrmMainQL::CleanFolder(const QString& folder)
{
    // The clean-up reads every note of the folder: the one being edited is saved first.
    tbiBrowseClick(TzqViewModes::vmBrowse);
    if (ViewMode() != TzqViewModes::vmBrowse || folder.isEmpty())
        return;
    TfrmRemoveGarbage::Run(this, folder, MyName());
}

void TfrmMainQL::ShowError(const QString& text)
{
    QMessageBox::critical(this, TzqPrjInfo::TitleText(), text);
}

bool TfrmMainQL::AskReload()
{
    return QMessageBox::warning(this, u"노트 파일 변경"_s,
                                u"노트가 변경되었습니다.\r\n다시 읽어 들일까요?"_s,
                                QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

TzqSaveConflictAnswer TfrmMainQL::AskSaveConflict(const QString& page)
{
    QMessageBox box(
        QMessageBox::Warning, TzqPrjInfo::TitleText(),
        u"다른 곳에서 이 노트가 바뀌었습니다: %1\n\n바뀐 노트를 지금 내용으로 덮어쓸까요, "
        u"아니면 지금 내용을 \"(내 사본)\" 노트로 따로 저장할까요?"_s.arg(FileBaseName(page)),
        QMessageBox::NoButton, this);
    QPushButton* overwrite = box.addButton(u"덮어쓰기"_s, QMessageBox::DestructiveRole);
    QPushButton* keepBoth = box.addButton(u"사본으로 저장"_s, QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(u"취소"_s, QMessageBox::RejectRole);
    box.setDefaultButton(keepBoth);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == overwrite)
        return TzqSaveConflictAnswer::Overwrite;
    if (box.clickedButton() == keepBoth)
        return TzqSaveConflictAnswer::KeepBoth;
    return TzqSaveConflictAnswer::Cancel;
}

QString TfrmMainQL::RootDir() const
{
    return FTree->RootDir();
}

bool TfrmMainQL::Shared() const
{
    return FTree->Shared();
}

QString TfrmMainQL::CharSet() const
{
    return PrjInfo->CharSet();
}

int TfrmMainQL::AutoSaveMinutes() const
{
    return PrjInfo->ReadIntSetting(TzqPrjInfo::idAutoSave);
}

bool TfrmMainQL::ChangeMsg() const
{
    return PrjInfo->ReadFlag(TzqPrjInfo::idChangeMsg);
}

QList<QByteArray> TfrmMainQL::FolderNoteDefault() const
{
    return PrjInfo->FolderNoteDefault();
}

void TfrmMainQL::AddToHistory(const QString& path)
{
    FHistory->Add(path);
    UpdateActions();
}

void TfrmMainQL::ClearHistory()
{
    FHistory->Clear();
    UpdateActions();
}

void TfrmMainQL::SkipNextHistoryRecord()
{
    FHistory->SkipNextRecord();
}

bool TfrmMainQL::SelectByRelativePath(const QString& relativePath)
{
    return FTree->SelectByRelativePath(relativePath);
}

void TfrmMainQL::OpenWithShell(const QString& target)
{
    ::OpenWithShell(target);
}

void TfrmMainQL::SetEditItemsEnabled(bool enabled)
{
    FEditItemsEnabled = enabled;
    if (tbiEdit)
        UpdateActions();
}

void TfrmMainQL::ShowStatusText(const QString& text)
{
    if (labStatus)
        labStatus->setText(text);
}

bool TfrmMainQL::SaveCurrentPage()
{
    return FEditor->SaveFile(FTree->CurrentPage());
}

void TfrmMainQL::ShowSearchResult(const QString& path)
{
    FEditor->LoadFile(path);
}

void TfrmMainQL::SearchProgress(int done, int total)
{
    bar->setMaximum(std::max(total, 1));
    bar->setValue(std::min(done, std::max(total, 1)));
}

void TfrmMainQL::ShowWarning(const QString& text)
{
    QMessageBox::warning(this, TzqPrjInfo::TitleText(), text);
}

bool TfrmMainQL::SwitchToSearchMode()
{
    return btnToSearchModeClick();
}

// IzqViewModeHost

QString TfrmMainQL::CurrentPage() const
{
    return FTree->CurrentPage();
}

bool TfrmMainQL::EditItemEnabled() const
{
    return FEditItemsEnabled;
}

void TfrmMainQL::DeleteEditMarker(const QString& page)
{
    if (!page.isEmpty())
        FEditor->Logic()->DeleteEditMarker(page);
}

bool TfrmMainQL::IsLockedByOther(const QString& page)
{
    // The edit and source items follow the answer (SetEditItemsEnabled).
    return !page.isEmpty() && FEditor->Logic()->IsLockedByOther(page);
}

void TfrmMainQL::WriteEditMarker(const QString& page)
{
    if (!page.isEmpty())
        FEditor->Logic()->WriteEditMarker(page);
}

bool TfrmMainQL::SaveIfEditing()
{
    return FEditor->SaveIfEditing();
}

void TfrmMainQL::ModeChanged()
{
    FEditor->ModeChanged();
}

bool TfrmMainQL::AutoSaveRunning() const
{
    return FEditor->AutoSaveRunning();
}

QString TfrmMainQL::TextEditor() const
{
    return PrjInfo->TextEditor();
}

void TfrmMainQL::OpenWithTextEditor(const QString& page)
{
    PrjInfo->OpenWithTextEditor(page);
}

void TfrmMainQL::ShowMessage(const QString& text)
{
    QMessageBox::information(this, TzqPrjInfo::TitleText(), text);
}

void TfrmMainQL::CheckModeItem(int mode)
{
    QAction* item = mode == TzqViewModes::vmEdit     ? tbiEdit
                    : mode == TzqViewModes::vmSource ? tbiSource
                                                     : tbiBrowse;
    if (item)
        item->setChecked(true);
}

void TfrmMainQL::SetPanelMode(bool tree)
{
    FMenuAndTree->SetPanelMode(tree ? TfrmMenuAndTree::TPanelMode::Tree
                                    : TfrmMenuAndTree::TPanelMode::Search);
}

void TfrmMainQL::TreeModeChanged(bool tree)
{
    btnToTreeMode->setChecked(tree);
    btnToSearchMode->setChecked(!tree);
    bar->setValue(0);
    bar->setVisible(!tree);
    labStatus->setVisible(tree);
    UpdateActions();
}
