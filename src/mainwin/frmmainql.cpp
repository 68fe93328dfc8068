#include "mainwin/frmmainql.h"

#include "app/zqprjinfo.h"
#include "editor/frmcharsgrid.h"
#include "editor/notecontent.h"
#include "editor/zqbrowseview.h"
#include "editor/zqedittoolbars.h"
#include "editor/zqinsertitems.h"
#include "editor/zqnoteeditor.h"
#include "editor/zqnotepage.h"
#include "editor/zqsourceedit.h"
#include "editor/zqwebeditview.h"
#include "mainwin/caption.h"
#include "mainwin/commandstate.h"
#include "mainwin/hangulmark.h"
#include "mainwin/placement.h"
#include "mainwin/travlist.h"
#include "mainwin/zqhistorymenus.h"
#include "mainwin/zqinputmodewatcher.h"
#include "mainwin/zqmessageboxquestions.h"
#include "platform/filemanager.h"
#include "platform/fileopdialogs.h"
#include "platform/guiutil.h"
#include "platform/util.h"
#include "platform/zqerror.h"
#include "store/izqtreecommandhost.h"
#include "store/namedialogs.h"
#include "store/notestore.h"
#include "store/pagepath.h"
#include "store/zqtreecommands.h"
#include "store/zqtreemenu.h"
#include "store/zqtreeview.h"
#include "tools/exporttarget.h"
#include "tools/frmconfig.h"
#include "tools/frmmakezipfile.h"
#include "tools/frmmsgbox.h"
#include "tools/frmnotepad.h"
#include "tools/frmremovegarbage.h"
#include "tools/zqwebarchive.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWebEngineView>
#include <QWheelEvent>

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

// The key of a command the window's key table does: shown in the menu's key column, never a
// shortcut of its own, so the key acts once.
void ShowKeyInMenu(QAction* a, const QKeySequence& key)
{
    a->setShortcut({});
    const QString caption = a->text().section(u'\t', 0, 0);
    a->setIconText(QString(caption).remove(u'&'));
    a->setText(caption + u'\t' + key.toString(QKeySequence::NativeText));
}

bool IsHangulMarkMode(int viewMode)
{
    return viewMode == TzqViewModes::vmEdit || viewMode == TzqViewModes::vmSource;
}

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
        // The window's key table does the key; the menu only shows it.
        ShowKeyInMenu(a, key);
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
    CreateHangulMark();
    // The window's own keys and gestures come before the widgets' (the browser engine claims
    // most keys while a document is edited).
    qApp->installEventFilter(new TzqEventFilter(this, [this](QObject* watched, QEvent* event) {
        try {
            return AppMessage(watched, event);
        } catch (const EzqError&) {
            // An error while an event is handled is dropped with the event.
            return true;
        }
    }));
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
        // The window's key table does their keys.
        ShowKeyInMenu(a, a->shortcut());
        addAction(a);
        connect(a, &QAction::triggered, this, [this, fileTag] { actFileExecute(fileTag); });
        ++fileTag;
    }
    QAction* save = NewAction(u"actFileSave"_s, u"저장(&S)"_s, u"save"_s, u"노트 저장"_s,
                              QKeySequence(u"Ctrl+S"_s));
    connect(save, &QAction::triggered, this, [this] { FEditor->SaveNote(); });
    QAction* print = NewAction(u"actFilePrint"_s, u"인쇄(&P)"_s, u"print"_s, u"노트 인쇄"_s,
                               QKeySequence(u"Ctrl+P"_s));
    connect(print, &QAction::triggered, this, [this] { FEditor->PrintNote(); });
    QAction* reload =
        NewAction(u"actReload"_s, u"다시 읽기(&R)"_s, u"reload"_s, u"다시 읽기 (F5)"_s);
    reload->setShortcut(Qt::Key_F5);
    reload->setShortcutContext(Qt::WindowShortcut);
    // Reading the note again never drops what was typed into it: it is saved first.
    connect(reload, &QAction::triggered, this, [this] {
        if (SaveIfEditing())
            LoadCurrentNote();
    });
    // The tool bar's button reads the note again in tree mode only; the menu item and F5 always.
    tbiReload = new QAction(reload->icon(), reload->iconText(), this);
    tbiReload->setObjectName(u"tbiReload"_s);
    tbiReload->setToolTip(reload->toolTip());
    tbiReload->setStatusTip(reload->statusTip());
    connect(tbiReload, &QAction::triggered, reload, &QAction::trigger);
    QAction* find = NewAction(u"actToolFind"_s, u"찾기"_s, u"find"_s);
    ShowKeyInMenu(find, QKeySequence(u"Ctrl+F"_s));
    connect(find, &QAction::triggered, this, [this] { FEditor->FindInNote(); });
    QAction* replace = NewAction(u"actReplace"_s, u"찾아 바꾸기"_s, u"replace"_s);
    ShowKeyInMenu(replace, QKeySequence(u"Ctrl+R"_s));
    connect(replace, &QAction::triggered, this, [this] { FEditor->ReplaceInNote(); });
    QAction* findInTree = NewAction(u"actFindInTree"_s, u"폴더 안에서 찾기"_s, u"find-in-folder"_s);
    ShowKeyInMenu(findInTree, QKeySequence(u"Ctrl+Shift+F"_s));
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
    tbiFile = new QMenu(u"파일(&F)"_s, this);
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
    btnFileMenu = fileButton;
    fileButton->setObjectName(u"btnFileMenu"_s);
    fileButton->setText(u"파일(&F)"_s);
    // Alt+F is the key table's: the mnemonic shows it, no shortcut of the button's own.
    fileButton->setShortcut({});
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
        if (!TreeMode() || !SaveIfEditing())
            return;
        FHistory->GoTo(index, [this](const QString& e) { return FTree->SelectByRelativePath(e); });
        UpdateActions();
    });
    add(u"actGoBack"_s);
    tbtMainMenu->addWidget(FHistoryMenus->BackListButton());
    add(u"actGoFrwr"_s);
    tbtMainMenu->addWidget(FHistoryMenus->FrwrListButton());
    tbtMainMenu->addAction(tbiReload);
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
    tbiReload->setEnabled(s.Reload);
    for (const QString& name : {u"actMakeZip"_s, u"actSaveMht"_s, u"actNoteToMail"_s})
        Action(name)->setEnabled(s.Send);
    tbiBrowse->setEnabled(s.BrowseItem);
    tbiEdit->setEnabled(s.EditItems);
    tbiSource->setEnabled(s.EditItems);
    // A click checks its item before the mode is decided: the mode the window is really in
    // stays checked when the switch was refused.
    CheckModeItem(ViewMode());
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
    FMenuAndTree->AbandonSearch();
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
    // Every page shown, in every mode: the edit items follow whether another user edits it.
    const bool locked = IsLockedByOther(page);
    QString holder;
    if (ViewMode() == TzqViewModes::vmBrowse && locked)
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
    const QString root = RootDir();
    const QString page = CurrentPage();
    FMenuAndTree->LoadDataDirList();
    FMenuAndTree->OpenLastDataDir();
    // The page shown before stays shown when the same data directory opened again.
    if (!page.isEmpty() && RootDir() == root && QFileInfo::exists(page))
        SelectByRelativePath(RelativePagePath(root, page));
    LoadCurrentNote();
    FEditor->UpdateAutoSaveInterval();
    FEditor->ApplySettings();
    btnTreeSplitter->setVisible(!PrjInfo->SplitterHidden());
    ShowHangulMark(PrjInfo->ReadFlag(TzqPrjInfo::idViewHangulMark));
    PrjInfo->ReadMyName();
}

void TfrmMainQL::SetExportUi(IzqExportUi* ui)
{
    FExportUi = ui ? ui : FOwnExportUi.get();
}

std::optional<QString> TfrmMainQL::ChooseExportFile(const QString& page, const QString& action,
                                                    const QString& suffix)
{
    if (page.isEmpty() || !FEditor->SaveNote())
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
    if (!FEditor->SaveNote())
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
    // The edit and source items follow the answer (SetEditItemsEnabled), also for no page.
    return FEditor->Logic()->IsLockedByOther(page);
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
    // The mark is on while its timer runs (the setting, through ShowHangulMark).
    if (tmrHangulMark && tmrHangulMark->isActive())
        pnlHangulMark->setVisible(IsHangulMarkMode(ViewMode()));
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

// The keyboard, the gestures and the wheel

bool TfrmMainQL::AppMessage(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    switch (type) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::ContextMenu:
    case QEvent::Wheel:
        break;
    default:
        return false;
    }
    // Only while this window is the active one: a dialog, the notepad or another program in
    // front keeps its keys and clicks.
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target || target->window() != this || !isActiveWindow())
        return false;
    switch (type) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (type == QEvent::KeyPress && FOwnInputMode)
            FOwnInputMode->Observe(event);
        const TzqKeyDecision decision = DecideKey(KeyInput(key));
        if (!decision.Swallow)
            return false;
        if (type == QEvent::ShortcutOverride) {
            // Claimed before any shortcut: the key press itself follows and is done then.
            event->accept();
            return true;
        }
        RunKeyCommand(decision);
        return true;
    }
    case QEvent::InputMethod:
        if (FOwnInputMode)
            FOwnInputMode->Observe(event);
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton || QApplication::activePopupWidget())
            return false;
        return GestureEvent(target, mouse);
    }
    case QEvent::ContextMenu: {
        // The platform's own request that comes with a right press: over the note the gesture
        // decides at the release whether a menu opens; during a rocker nowhere.
        auto* menu = static_cast<QContextMenuEvent*>(event);
        if (FReplayingClick || menu->reason() != QContextMenuEvent::Mouse)
            return false;
        return FGesture.State() == TzqGesture::TState::Rocker || InNoteViews(target);
    }
    case QEvent::Wheel:
        return RouteWheel(target, static_cast<QWheelEvent*>(event));
    default:
        return false;
    }
}

TzqKeyInput TfrmMainQL::KeyInput(const QKeyEvent* key) const
{
    TzqKeyInput in;
    in.Key = key->key();
    in.Modifiers = key->modifiers();
    in.TreeMode = TreeMode();
    in.ViewMode = ViewMode();
    in.NotePadVisible = FNotePad && FNotePad->isVisible();
    in.NotePadActive = in.NotePadVisible && FNotePad->isActiveWindow();
    in.SearchBoxFocused = !TreeMode() && QApplication::focusWidget() == FMenuAndTree->SearchBox();
    in.BrowseEnabled = tbiBrowse->isEnabled();
    in.EditEnabled = tbiEdit->isEnabled();
    in.SourceEnabled = tbiSource->isEnabled();
    in.MainWindowActive = isActiveWindow();
    in.PopupOpen = QApplication::activePopupWidget() != nullptr;
    return in;
}

void TfrmMainQL::ClickEditItem(const QString& name)
{
    // A disabled item ignores the click.
    if (auto* item = FEditor->EditToolbars()->findChild<QAction*>(name); item && item->isEnabled())
        item->trigger();
}

void TfrmMainQL::RunKeyCommand(const TzqKeyDecision& decision)
{
    using C = TzqKeyCommand;
    auto clickMode = [this](QAction* item, int mode) {
        if (item->isEnabled())
            tbiBrowseClick(mode);
    };
    auto execute = [this](const QString& name) {
        if (QAction* a = Action(name); a && a->isEnabled())
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
        FEditor->ApplyFormatPreset(decision.Number);
        break;
    case C::InsertTime:
        FEditor->InsertItems()->tbiInsertTimeClick();
        break;
    case C::EditItem:
        clickMode(tbiEdit, TzqViewModes::vmEdit);
        break;
    case C::BrowseItem:
        clickMode(tbiBrowse, TzqViewModes::vmBrowse);
        break;
    case C::SourceItem:
        clickMode(tbiSource, TzqViewModes::vmSource);
        break;
    case C::Replace:
        execute(u"actReplace"_s);
        break;
    case C::Find:
        execute(u"actToolFind"_s);
        break;
    case C::FindInFolder:
        FMenuAndTree->FindInFolder();
        break;
    case C::Print:
        FEditor->PrintNote();
        break;
    case C::Save:
        FEditor->SaveNote();
        break;
    case C::Redo:
        if (QAction* redo = FEditor->PopupMenu()->findChild<QAction*>(u"actRedo"_s))
            redo->trigger();
        break;
    case C::PasteText:
        FEditor->PasteText();
        break;
    case C::NotePadCut:
        FNotePad->Memo()->cut();
        break;
    case C::NotePadPaste:
        FNotePad->Memo()->paste();
        break;
    case C::SearchBoxPaste:
        FMenuAndTree->SearchBox()->paste();
        break;
    case C::Indent:
        ClickEditItem(u"tbiIndent"_s);
        break;
    case C::Outdent:
        ClickEditItem(u"tbiOutdent"_s);
        break;
    case C::CloseNotePad:
        FNotePad->CloseIfVisible();
        break;
    case C::Minimize:
        // A running search is stopped by its own Esc first; the tray rule follows the minimize.
        if (FMenuAndTree->Searching())
            FMenuAndTree->CancelSearch();
        else
            showMinimized();
        break;
    case C::Rename:
        execute(u"actFileRename"_s);
        break;
    case C::ShowWhoEdits:
        ShowWhoEdits();
        break;
    case C::ExecAnother:
        tbiExecAnotherClick();
        break;
    case C::ToggleNotePad:
        ToggleNotePad(FNotePad, this, *PrjInfo);
        break;
    case C::Snippet:
        FEditor->InsertItems()->ClickSnippetItem(decision.Number);
        break;
    case C::ToTreeMode:
        btnToTreeModeClick();
        break;
    case C::ToSearchMode:
        btnToSearchModeClick();
        break;
    case C::FileMenu:
        OpenFileMenu();
        break;
    case C::GoBack:
        execute(u"actGoBack"_s);
        break;
    case C::GoForward:
        execute(u"actGoFrwr"_s);
        break;
    }
}

void TfrmMainQL::OpenFileMenu()
{
    // Below its button, as a click on it opens it; the key returns at once.
    btnFileMenu->setDown(true);
    tbiFile->popup(btnFileMenu->mapToGlobal(QPoint(0, btnFileMenu->height())));
    connect(
        tbiFile, &QMenu::aboutToHide, btnFileMenu, [this] { btnFileMenu->setDown(false); },
        Qt::SingleShotConnection);
}

QRect TfrmMainQL::NoteViewRect() const
{
    const QWidget* views = FEditor->findChild<QWidget*>(u"pnlViews"_s);
    if (!views)
        return {};
    return QRect(views->mapToGlobal(QPoint(0, 0)), views->size());
}

bool TfrmMainQL::InNoteViews(const QWidget* widget) const
{
    const QWidget* views = FEditor->findChild<QWidget*>(u"pnlViews"_s);
    return views && widget && (widget == views || views->isAncestorOf(widget));
}

bool TfrmMainQL::GestureEvent(QWidget* target, QMouseEvent* mouse)
{
    if (FReplayingClick)
        return false;
    const QPoint pos = mouse->globalPosition().toPoint();
    TzqGesture::TResult result;
    if (mouse->type() == QEvent::MouseButtonRelease) {
        result = FGesture.RightUp(pos);
    } else {
        const bool over = InNoteViews(target) && NoteViewRect().contains(pos);
        result = FGesture.RightDown(pos, mouse->buttons().testFlag(Qt::LeftButton), over);
        if (FGesture.State() == TzqGesture::TState::Armed)
            FGestureTarget = target;
    }
    if (result.Action != TzqGesture::TAction::None) {
        // Done after the event: a gesture may load another note into the view it came from.
        const TzqGesture::TAction action = result.Action;
        QMetaObject::invokeMethod(
            this,
            [this, action, pos] {
                try {
                    if (action == TzqGesture::TAction::ContextMenu)
                        ReplayContextMenu(pos);
                    else
                        RunGesture(action);
                } catch (const EzqError&) {
                    // As with the event it came from: dropped.
                }
            },
            Qt::QueuedConnection);
    }
    return result.Swallow;
}

void TfrmMainQL::RunGesture(TzqGesture::TAction action)
{
    switch (action) {
    case TzqGesture::TAction::ScrollToEnd:
        ScrollNote(true);
        break;
    case TzqGesture::TAction::ScrollToTop:
        ScrollNote(false);
        break;
    case TzqGesture::TAction::GoForward:
        if (QAction* a = Action(u"actGoFrwr"_s); a->isEnabled())
            a->trigger();
        break;
    case TzqGesture::TAction::GoBack:
        if (QAction* a = Action(u"actGoBack"_s); a->isEnabled())
            a->trigger();
        break;
    case TzqGesture::TAction::ContextMenu:
    case TzqGesture::TAction::None:
        break;
    }
}

void TfrmMainQL::ScrollNote(bool toEnd)
{
    if (ViewMode() == TzqViewModes::vmSource) {
        TzqSourceEdit* source = FEditor->SourceView();
        source->moveCursor(toEnd ? QTextCursor::End : QTextCursor::Start);
        source->ensureCursorVisible();
        return;
    }
    TzqNotePage* page = nullptr;
    if (ViewMode() == TzqViewModes::vmEdit) {
        // Without a document there is nothing to scroll; the gesture still counts.
        if (!FEditor->EditView()->DocumentReady())
            return;
        page = FEditor->EditView()->NotePage();
    } else {
        page = FEditor->Browser()->NotePage();
    }
    // The whole height of the document, however long the note is.
    page->runJavaScript(
        toEnd ? u"(function () { var e = document.scrollingElement || document.documentElement;"
                u" window.scrollTo(window.scrollX, e ? e.scrollHeight : 0); })()"_s
              : u"window.scrollTo(window.scrollX, 0)"_s,
        TzqNotePage::ScriptWorld());
}

void TfrmMainQL::ReplayContextMenu(QPoint globalPos)
{
    QWidget* widget = FGestureTarget;
    if (FReplayingClick || !widget || !widget->isVisible())
        return;
    FReplayingClick = true;
    const auto done = qScopeGuard([this] { FReplayingClick = false; });
    QWidget* web = widget;
    while (web && !qobject_cast<QWebEngineView*>(web))
        web = web->parentWidget();
    if (web) {
        // The browser engine makes its context-menu request from a right click, with what lies
        // under the pointer (a link, a picture, the selection); the view takes no menu event
        // of ours. The edit view opens the editor's menu for the request.
        QWidget* input = web->focusProxy() ? web->focusProxy() : widget;
        const QPointF at = input->mapFromGlobal(QPointF(globalPos));
        QMouseEvent press(QEvent::MouseButtonPress, at, QPointF(globalPos), Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, QPointF(globalPos), Qt::RightButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(input, &press);
        QApplication::sendEvent(input, &release);
        return;
    }
    // The source view opens the editor's menu.
    QContextMenuEvent menu(QContextMenuEvent::Mouse, widget->mapFromGlobal(globalPos), globalPos);
    QApplication::sendEvent(widget, &menu);
}

bool TfrmMainQL::RouteWheel(QWidget* target, QWheelEvent* wheel)
{
    const QPoint pos = wheel->globalPosition().toPoint();
    bool handled = false;
    // The special characters grid: the wheel moves its current row, one row a step.
    TfrmCharsGrid* chars = FEditor->CharsGrid();
    QTableWidget* grid = chars ? chars->Grid() : nullptr;
    if (grid && grid->isVisible() && grid->rowCount() > 0) {
        const QPoint local = grid->viewport()->mapFromGlobal(pos);
        if (grid->viewport()->rect().contains(local) && grid->indexAt(local).isValid()) {
            const int steps = FGridWheel.Add(wheel->angleDelta().y());
            if (steps != 0) {
                // Turned away from the user: up the grid.
                const int row =
                    std::clamp(std::max(grid->currentRow(), 0) - steps, 0, grid->rowCount() - 1);
                grid->setCurrentCell(row, std::max(grid->currentColumn(), 0));
            }
            handled = true;
        }
    }
    // The tree panel: the tree, or the result list in search mode, scrolls wherever the
    // keyboard is.
    if (FMenuAndTree->isVisible() &&
        QRect(FMenuAndTree->mapToGlobal(QPoint(0, 0)), FMenuAndTree->size()).contains(pos)) {
        QAbstractScrollArea* list =
            TreeMode() ? static_cast<QAbstractScrollArea*>(FMenuAndTree->TreeView())
                       : FMenuAndTree->ResultList();
        if (list->isVisible() && target != list->viewport() && !list->isAncestorOf(target)) {
            QWheelEvent copy(list->viewport()->mapFromGlobal(wheel->globalPosition()),
                             wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(),
                             wheel->buttons(), wheel->modifiers(), wheel->phase(),
                             wheel->inverted(), wheel->source());
            QApplication::sendEvent(list->viewport(), &copy);
            handled = true;
        }
    }
    return handled;
}

// The input-mode mark

void TfrmMainQL::CreateHangulMark()
{
    pnlHangulMark = new QLabel(this);
    pnlHangulMark->setObjectName(u"pnlHangulMark"_s);
    pnlHangulMark->setFixedSize(50, 10);
    pnlHangulMark->setAlignment(Qt::AlignCenter);
    pnlHangulMark->setAutoFillBackground(true);
    pnlHangulMark->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont font(u"Arial"_s);
    font.setPixelSize(9);
    pnlHangulMark->setFont(font);
    pnlHangulMark->move(-10000, 0);
    pnlHangulMark->hide();
    tmrHangulMark = new QTimer(this);
    tmrHangulMark->setObjectName(u"tmrHangulMark"_s);
    tmrHangulMark->setInterval(100);
    connect(tmrHangulMark, &QTimer::timeout, this, &TfrmMainQL::tmrHangulMarkTimer);
    FOwnInputMode = new TzqInputModeWatcher(this);
    FInputMode = FOwnInputMode;
    ShowHangulMark(PrjInfo && PrjInfo->ReadFlag(TzqPrjInfo::idViewHangulMark));
}

void TfrmMainQL::SetInputModeSource(IzqInputModeSource* source)
{
    FInputMode = source ? source : FOwnInputMode;
}

void TfrmMainQL::ShowHangulMark(bool show)
{
    if (show)
        tmrHangulMark->start();
    else
        tmrHangulMark->stop();
    pnlHangulMark->setVisible(show && IsHangulMarkMode(ViewMode()));
}

void TfrmMainQL::tmrHangulMarkTimer()
{
    if (!isActiveWindow())
        return;
    if (!IsHangulMarkMode(ViewMode())) {
        pnlHangulMark->move(-10000, pnlHangulMark->y());
        return;
    }
    // The caret of the view that has the keyboard, on the screen.
    QWidget* focus = QApplication::focusWidget();
    QRect caret;
    QRect view;
    if (ViewMode() == TzqViewModes::vmSource) {
        TzqSourceEdit* source = FEditor->SourceView();
        if (focus != source)
            return;
        QWidget* area = source->viewport();
        caret =
            QRect(area->mapToGlobal(source->cursorRect().topLeft()), source->cursorRect().size());
        view = QRect(area->mapToGlobal(QPoint(0, 0)), area->size());
    } else {
        TzqWebEditView* edit = FEditor->EditView();
        if (!focus || (focus != edit && !edit->isAncestorOf(focus)))
            return;
        const QRect local = focus->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        caret = QRect(focus->mapToGlobal(local.topLeft()), local.size());
        view = QRect(focus->mapToGlobal(QPoint(0, 0)), focus->size());
    }
    if (const std::optional<bool> hangul = FInputMode ? FInputMode->IsHangul() : std::nullopt;
        hangul && hangul != FMarkHangul) {
        FMarkHangul = hangul;
        const TzqHangulMarkLook look = HangulMarkLook(*hangul);
        QPalette palette = pnlHangulMark->palette();
        palette.setColor(QPalette::Window, QColor::fromRgb(look.Background));
        palette.setColor(QPalette::WindowText, QColor::fromRgb(look.Text));
        pnlHangulMark->setPalette(palette);
        pnlHangulMark->setText(look.Caption);
    }
    const std::optional<QPoint> at = HangulMarkPosition(
        ViewMode(), caret, view, geometry().x() + width(), pnlHangulMark->size());
    if (!at)
        return;
    const QPoint client = mapFromGlobal(*at);
    if (client != pnlHangulMark->pos())
        pnlHangulMark->move(client);
    pnlHangulMark->raise();
}
