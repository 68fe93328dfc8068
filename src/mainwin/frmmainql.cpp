#include "mainwin/frmmainql.h"

#include "app/zqprjinfo.h"
#include "editor/notecontent.h"
#include "editor/zqsourceedit.h"
#include "editor/zqwebeditview.h"
#include "mainwin/caption.h"
#include "mainwin/maintreecommandhost.h"
#include "mainwin/travlist.h"
#include "mainwin/zqhistorymenus.h"
#include "platform/guiutil.h"
#include "platform/util.h"
#include "platform/zqerror.h"
#include "store/notestore.h"
#include "store/pagepath.h"
#include "store/zqtreecommands.h"
#include "store/zqtreemenu.h"
#include "store/zqtreeview.h"
#include "tools/frmnotepad.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

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

void TfrmMainQL::FormCreate()
{
    setWindowTitle(TzqPrjInfo::TitleText());
    setWindowIconText(TzqPrjInfo::TitleText());
    // The main window is white where the frame is grey.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);

    // The tree, the editor and the panel consult the modes and the commands from the start.
    FDialogs = new TzqMainDialogs(this);
    FModes = new TzqMainModes(this);
    FMainCommands = new TzqMainCommands(this);
    FExports = new TzqMainExports(this);

    FTree = new TzqTree(this, this);
    // The views reach the files of the open data directory, the templates and the program's
    // own temporary files, nothing else.
    connect(FTree, &TzqTree::RootLoaded, this, [](const QString& root) {
        NoteScope().SetPlaces({root, PrjInfo->TemplateDir(), PrjInfo->TempDir()},
                              {PrjInfo->SearchTempFileName()});
    });
    FHistory = std::make_unique<TTravList>([this] { return FTree->RootDir(); });
    FCommandHost = std::make_unique<TzqMainTreeCommandHost>(this);
    splMenuAndTree = new QSplitter(Qt::Horizontal, this);
    splMenuAndTree->setObjectName(u"splMenuAndTree"_s);
    splMenuAndTree->setChildrenCollapsible(false);
    splMenuAndTree->setHandleWidth(6);
    FEditor = new TfrmDhtmlEditor(this, FDialogs, nullptr);
    FMenuAndTree = new TfrmMenuAndTree(FModes, FTree, splMenuAndTree);
    FMenuAndTree->setMinimumWidth(1);
    splMenuAndTree->addWidget(FMenuAndTree);
    splMenuAndTree->addWidget(FEditor);
    splMenuAndTree->setStretchFactor(0, 0);
    splMenuAndTree->setStretchFactor(1, 1);
    setCentralWidget(splMenuAndTree);
    connect(splMenuAndTree, &QSplitter::splitterMoved, this, [this] {
        PlaceTreeSplitterButton();
        FMainCommands->UpdateActions();
    });

    FCommands = new TzqTreeCommands(FTree, FCommandHost.get());
    popTree = new TzqTreeMenu(FCommands, this);
    TzqTreeView* treeView = FMenuAndTree->TreeView();
    treeView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(treeView, &QWidget::customContextMenuRequested, this, [this, treeView](QPoint pos) {
        popTree->PopupAt(treeView->indexAt(pos), treeView->viewport()->mapToGlobal(pos));
    });

    FMainCommands->CreateActions();
    connect(Actions().actTreeSplitter, &QAction::triggered, this,
            &TfrmMainQL::actTreeSplitterExecute);
    connect(FMainCommands, &TzqMainCommands::FileMenuRequested, this, &TfrmMainQL::OpenFileMenu);
    CreateToolBar();
    CreateStatusBar();

    btnTreeSplitter = new QToolButton(this);
    btnTreeSplitter->setObjectName(u"btnTreeSplitter"_s);
    btnTreeSplitter->setDefaultAction(Actions().actTreeSplitter);
    btnTreeSplitter->setFixedSize(9, 60);
    btnTreeSplitter->setIconSize(QSize(9, 16));
    btnTreeSplitter->setAutoRaise(true);
    btnTreeSplitter->setStyleSheet(
        u"QToolButton { border: 1px solid #c9c9bd; border-radius: 2px; background: "
        u"qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #fdfdf8, stop:1 #dcdccc); }"
        u"QToolButton:hover { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, "
        u"stop:0 #ffffff, stop:1 #c8d8ec); }"_s);
    btnTreeSplitter->setVisible(!PrjInfo->SplitterHidden());
    connect(FMainCommands, &TzqMainCommands::SettingsChanged, this,
            [this] { btnTreeSplitter->setVisible(!PrjInfo->SplitterHidden()); });

    connect(FEditor, &TfrmDhtmlEditor::BrowseLoadFinished, this,
            [this](bool) { labStatus->clear(); });
    connect(FTree->Selection(), &QItemSelectionModel::currentChanged, this,
            [this] { FMainCommands->UpdateActions(); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            &TfrmMainQL::ApplicationStateChanged);

    SetViewMode(TzqViewModes::vmBrowse);
    FMainCommands->UpdateActions();
    // The keys, gestures and wheel, with the input-mode mark.
    FInput = new TzqMainInput(this);
}

void TfrmMainQL::CreateToolBar()
{
    const TzqMainActions& a = Actions();
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
    QAction* const sep = nullptr;
    tbiFile = new QMenu(u"파일(&F)"_s, this);
    tbiFile->setObjectName(u"tbiFile"_s);
    for (QAction* item : {a.actFileNewFolder,
                          a.actFileNewNote,
                          a.actFileDelete,
                          a.actFileRename,
                          sep,
                          a.actFileSave,
                          a.actFilePrint,
                          a.actReload,
                          sep,
                          a.actToolFind,
                          a.actReplace,
                          a.actFindInTree,
                          sep,
                          a.actGoBack,
                          a.actGoFrwr,
                          sep,
                          a.actNoteToMail,
                          a.actSaveMht,
                          a.actMakeZip,
                          sep,
                          a.tbiExecAnother,
                          a.actToolConfig,
                          a.tbiGotoHome,
                          sep,
                          a.tbiClose}) {
        if (item)
            tbiFile->addAction(item);
        else
            tbiFile->addSeparator();
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

    tbtMainMenu->addAction(a.actStayOnTop);
    FHistoryMenus = new TzqHistoryMenus(FHistory.get(), tbtMainMenu, this);
    FHistoryMenus->FollowActions(a.actGoBack, a.actGoFrwr);
    connect(FHistoryMenus, &TzqHistoryMenus::EntryChosen, this, [this](int index) {
        if (!TreeMode() || !FModes->SaveIfEditing())
            return;
        FHistory->GoTo(index, [this](const QString& e) { return FTree->SelectByRelativePath(e); });
        FMainCommands->UpdateActions();
    });
    tbtMainMenu->addAction(a.actGoBack);
    tbtMainMenu->addWidget(FHistoryMenus->BackListButton());
    tbtMainMenu->addAction(a.actGoFrwr);
    tbtMainMenu->addWidget(FHistoryMenus->FrwrListButton());
    tbtMainMenu->addAction(a.tbiReload);
    tbtMainMenu->addSeparator();
    tbtMainMenu->addActions(
        {a.actToolFind, a.actReplace, a.actFindInTree, a.actFileSave, a.actFilePrint});
    tbtMainMenu->addSeparator();
    tbtMainMenu->addActions({a.tbiBrowse, a.tbiEdit, a.tbiSource});
    tbtMainMenu->addSeparator();
    tbtMainMenu->addActions({a.actNoteToMail, a.actSaveMht, a.actMakeZip, a.tbiNotePad});
    tbtMainMenu->addSeparator();
    tbtMainMenu->addActions({a.actZoomIn, a.actZoomReset, a.actZoomOut});
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
    QToolButton* btnToTreeMode = makeButton(u"btnToTreeMode"_s, u"Tree"_s, u"트리모드(Alt-D)"_s);
    QToolButton* btnToSearchMode =
        makeButton(u"btnToSearchMode"_s, u"Search"_s, u"폴더 안 검색(Alt-S)"_s);
    btnToTreeMode->setChecked(true);
    connect(btnToTreeMode, &QToolButton::clicked, FModes, &TzqMainModes::btnToTreeModeClick);
    connect(btnToSearchMode, &QToolButton::clicked, FModes, &TzqMainModes::btnToSearchModeClick);
    labStatus = new QLabel(this);
    labStatus->setObjectName(u"labStatus"_s);
    auto* bar = new QProgressBar(this);
    bar->setObjectName(u"bar"_s);
    bar->setFixedSize(226, 16);
    bar->setTextVisible(false);
    bar->hide();
    pnlStatusBar->addWidget(btnToTreeMode);
    pnlStatusBar->addWidget(btnToSearchMode);
    pnlStatusBar->addWidget(labStatus, 1);
    pnlStatusBar->addWidget(bar);
    FModes->SetStatusWidgets(btnToTreeMode, btnToSearchMode, labStatus, bar);
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
    FMainCommands->UpdateActions();
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
            FDialogs->ShowError(e.Message());
        }
    };
    FMenuAndTree->AbandonSearch();
    step([this] {
        if (TfrmNotePad* notePad = FMainCommands->NotePad())
            notePad->SaveState();
    });
    step([this] { FEditor->CloseEditor(); });
    step([this] { SaveTreeState(); });
    step([this] { FModes->ReleaseEditMarker(); });
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
    FModes->SetViewMode(mode);
}

void TfrmMainQL::UpdateCaption(const QString& page)
{
    // Every page shown, in every mode: the edit items follow whether another user edits it.
    const bool locked = FModes->IsLockedByOther(page);
    QString holder;
    if (ViewMode() == TzqViewModes::vmBrowse && locked)
        holder = ::ReadEditMarker(page);
    const TzqCaption caption = CaptionForPage(page, holder);
    setWindowTitle(caption.Window);
    setWindowIconText(caption.TaskBar);
}

void TfrmMainQL::ShowMsgBox(const QString& text)
{
    FDialogs->ShowMsgBox(text);
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

// IzqEditorHost

QString TfrmMainQL::CurrentPage() const
{
    return FTree->CurrentPage();
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
    FMainCommands->UpdateActions();
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
    FMainCommands->SetEditItemsEnabled(enabled);
}

void TfrmMainQL::ShowStatusText(const QString& text)
{
    if (labStatus)
        labStatus->setText(text);
}
