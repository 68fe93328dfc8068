#include "store/frmmenuandtree.h"

#include "app/datadirs.h"
#include "app/zqprjinfo.h"
#include "platform/util.h"
#include "platform/zqerror.h"
#include "store/frmfindintree.h"
#include "store/searchindex.h"
#include "store/zqtree.h"
#include "store/zqtreeview.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <optional>
#include <utility>

using namespace Qt::Literals::StringLiterals;

TfrmMenuAndTree::TfrmMenuAndTree(IzqTreePanelHost* host, TzqTree* tree, QWidget* parent)
    : QWidget(parent), FHost(host), FTree(tree)
{
    setObjectName(u"MenuAndTree"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Tree mode: tool bar over the tree.
    pnlTreeMode = new QWidget(this);
    pnlTreeMode->setObjectName(u"pnlTreeMode"_s);
    auto* treeLayout = new QVBoxLayout(pnlTreeMode);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    treeLayout->setSpacing(0);
    tbtFolder = new QToolBar(pnlTreeMode);
    tbtFolder->setObjectName(u"tbtFolder"_s);
    tbtFolder->setIconSize(QSize(16, 16));
    tbtFolder->setMovable(false);
    actFileNewFolder = new QAction(QIcon(u":/icons/new-folder.png"_s), u"폴더 만들기(&C)"_s, this);
    actFileNewFolder->setObjectName(u"actFileNewFolder"_s);
    actFileNewFolder->setShortcut(QKeySequence(u"Shift+Ctrl+Ins"_s));
    actFileNewNote = new QAction(QIcon(u":/icons/new-note.png"_s), u"노트 만들기(&N)"_s, this);
    actFileNewNote->setObjectName(u"actFileNewNote"_s);
    actFileNewNote->setShortcut(QKeySequence(u"Ctrl+Ins"_s));
    actFileDelete = new QAction(QIcon(u":/icons/delete.png"_s), u"폴더 노트 삭제(&D)"_s, this);
    actFileDelete->setObjectName(u"actFileDelete"_s);
    actFileDelete->setShortcut(QKeySequence(u"Shift+Ctrl+Del"_s));
    for (QAction* a : {actFileNewFolder, actFileNewNote, actFileDelete}) {
        a->setShortcutContext(Qt::WindowShortcut);
        a->setToolTip(a->text().remove(u'&'));
    }
    cmbDataDir = new QComboBox(tbtFolder);
    cmbDataDir->setObjectName(u"cmbDataDir"_s);
    cmbDataDir->setMaxVisibleItems(20);
    cmbDataDir->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbDataDir->setMinimumContentsLength(6);
    // The box takes what the tool bar's buttons leave.
    cmbDataDir->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    cmbDataDir->setToolTip(u"데이터 폴더"_s);
    auto* spacer = new QWidget(tbtFolder);
    spacer->setFixedSize(10, 7);
    tbtFolder->addAction(actFileNewFolder);
    tbtFolder->addAction(actFileNewNote);
    tbtFolder->addWidget(cmbDataDir);
    tbtFolder->addWidget(spacer);
    tbtFolder->addAction(actFileDelete);
    treeLayout->addWidget(tbtFolder);
    FTreeView = new TzqTreeView(tree, pnlTreeMode);
    treeLayout->addWidget(FTreeView, 1);
    layout->addWidget(pnlTreeMode);

    // Search mode: search box over the result list.
    pnlSearchMode = new QWidget(this);
    pnlSearchMode->setObjectName(u"pnlSearchMode"_s);
    auto* searchLayout = new QVBoxLayout(pnlSearchMode);
    searchLayout->setContentsMargins(0, 0, 0, 0);
    searchLayout->setSpacing(2);
    auto* pnlSearchCap = new QWidget(pnlSearchMode);
    pnlSearchCap->setObjectName(u"pnlSearchCap"_s);
    // The search box has a line of its own: a narrow panel leaves it room to read the words.
    auto* capLayout = new QVBoxLayout(pnlSearchCap);
    capLayout->setContentsMargins(2, 2, 2, 2);
    capLayout->setSpacing(2);
    edtSearch = new QLineEdit(pnlSearchCap);
    edtSearch->setObjectName(u"edtSearch"_s);
    chkSearchRoot = new QCheckBox(u"Root 에서 검색"_s, pnlSearchCap);
    chkSearchRoot->setObjectName(u"chkSearchRoot"_s);
    btnSearch = new QPushButton(u"찾기"_s, pnlSearchCap);
    btnSearch->setObjectName(u"btnSearch"_s);
    auto* options = new QHBoxLayout;
    options->addWidget(chkSearchRoot, 1);
    options->addWidget(btnSearch);
    capLayout->addWidget(edtSearch);
    capLayout->addLayout(options);
    searchLayout->addWidget(pnlSearchCap);
    treeSearch = new QTreeWidget(pnlSearchMode);
    treeSearch->setObjectName(u"treeSearch"_s);
    treeSearch->setHeaderHidden(true);
    treeSearch->setRootIsDecorated(false);
    treeSearch->setIndentation(15);
    treeSearch->setEditTriggers(QAbstractItemView::NoEditTriggers);
    searchLayout->addWidget(treeSearch, 1);
    layout->addWidget(pnlSearchMode);
    pnlSearchMode->hide();

    connect(cmbDataDir, &QComboBox::activated, this, &TfrmMenuAndTree::cmbDataDirSelect);
    qRegisterMetaType<TSearchOutcome>();
    qRegisterMetaType<QList<TSearchHit>>();
    connect(btnSearch, &QPushButton::clicked, this, &TfrmMenuAndTree::btnSearchClick);
    // Each data directory opened gets its index built, or brought up to date, in the background.
    FIndex = new TSearchIndex(PrjInfo->TempDir() + u"index"_s, this);
    connect(FTree, &TzqTree::RootLoaded, this, [this](const QString& root) {
        if (root != FIndex->Root())
            FIndex->Open(root);
    });
    connect(edtSearch, &QLineEdit::returnPressed, this, &TfrmMenuAndTree::btnSearchClick);
    connect(treeSearch, &QTreeWidget::itemClicked, this, &TfrmMenuAndTree::treeSearchClick);
    connect(treeSearch, &QTreeWidget::itemActivated, this, &TfrmMenuAndTree::treeSearchClick);
    edtSearch->clear();

    LoadDataDirList();
    OpenLastDataDir();
}

void TfrmMenuAndTree::LoadDataDirList()
{
    FFillingList = true;
    cmbDataDir->clear();
    cmbDataDir->addItems(::LoadDataDirList(*PrjInfo));
    FFillingList = false;
}

void TfrmMenuAndTree::OpenLastDataDir()
{
    TzqDataDir target{PrjInfo->DefaultDataDir(), false};
    const QStringList names = [this] {
        QStringList n;
        for (int i = 0; i < cmbDataDir->count(); ++i)
            n.append(cmbDataDir->itemText(i));
        return n;
    }();
    const int index =
        IndexOfLastDataDir(names, PrjInfo->Ini().ReadString(ProgramSection, u"LstDir"_s));
    if (index >= 0) {
        FFillingList = true;
        cmbDataDir->setCurrentIndex(index);
        FFillingList = false;
        FDataDirIndex = index;
        target = ResolveDataDir(*PrjInfo, names[index], target);
    }
    AbandonSearch();
    FTree->LoadRoot(target.Dir);
    FTree->SetShared(target.Shared);
}

void TfrmMenuAndTree::cmbDataDirSelect(int index)
{
    if (FFillingList || index < 0)
        return;
    const QString name = cmbDataDir->itemText(index);
    if (!FHost->SaveCurrentPage()) {
        // The note being edited stays open, in the data directory it belongs to.
        FFillingList = true;
        cmbDataDir->setCurrentIndex(FDataDirIndex);
        FFillingList = false;
        return;
    }
    FDataDirIndex = index;
    const TzqDataDir target = ResolveDataDir(*PrjInfo, name, TzqDataDir{});
    SwitchDataDir(target.Dir, target.Shared);
    PrjInfo->Ini().WriteString(ProgramSection, u"LstDir"_s, name);
}

void TfrmMenuAndTree::SwitchDataDir(const QString& dir, bool shared)
{
    AbandonSearch();
    FTree->LoadRoot(dir);
    FTree->SetShared(shared);
    if (FTree->Model()->rowCount() > 0)
        FTree->SelectNode(FTree->Model()->index(0, 0));
    FHost->ClearHistory();
}

void TfrmMenuAndTree::SaveTreeState()
{
    PrjInfo->Ini().WriteInteger(ProgramSection, u"TreeWidth"_s, width());
    PrjInfo->Ini().WriteString(ProgramSection, u"lstPage"_s, FTree->CurrentRelativePage());
}

void TfrmMenuAndTree::RestoreTreeState()
{
    FTree->SelectByRelativePath(PrjInfo->Ini().ReadString(ProgramSection, u"lstPage"_s));
}

int TfrmMenuAndTree::StoredWidth() const
{
    const int w = PrjInfo->Ini().ReadInteger(ProgramSection, u"TreeWidth"_s, 250);
    return w <= 1 ? 2 : w;
}

TfrmMenuAndTree::~TfrmMenuAndTree()
{
    if (FSearchThread) {
        FSearch->Cancel();
        FSearchThread->wait();
        qApp->removeEventFilter(this);
    }
}

void TfrmMenuAndTree::SetPanelMode(TPanelMode mode)
{
    FPanelMode = mode;
    const bool tree = mode == TPanelMode::Tree;
    if (tree)
        AbandonSearch();
    pnlTreeMode->setVisible(tree);
    pnlSearchMode->setVisible(!tree);
    if (!tree)
        edtSearch->setFocus();
}

bool TfrmMenuAndTree::HasSearchResults() const
{
    return treeSearch->topLevelItemCount() > 0;
}

void TfrmMenuAndTree::btnSearchClick()
{
    if (FSearchThread)
        return;
    const QString text = FoldSearchText(edtSearch->text());
    if (text.isEmpty())
        return;
    FSearchText = text;
    btnSearch->setEnabled(false);
    // Without a page shown the search starts at the root: it never leaves the data directory.
    const QString rootDir = FTree->RootDir();
    QString root = ExtractFilePath(FTree->CurrentPage());
    if (chkSearchRoot->isChecked() || root.isEmpty() || !root.startsWith(rootDir))
        root = rootDir;
    FSearch = std::make_unique<TFolderSearch>(FSearchText, root);
    // The search object stays in this thread; its signals come from the worker, so they are
    // queued here in order.
    connect(FSearch.get(), &TFolderSearch::FilesCollected, this,
            &TfrmMenuAndTree::SearchFilesCollected);
    connect(FSearch.get(), &TFolderSearch::Progress, this,
            [this](int done, int total) { FHost->SearchProgress(done, total); });
    connect(FSearch.get(), &TFolderSearch::HitsFound, this, &TfrmMenuAndTree::SearchHitsFound);
    connect(FSearch.get(), &TFolderSearch::Finished, this, &TfrmMenuAndTree::SearchFinished);
    FSearchTotal = 0;
    FSearchAbandoned = false;
    FHitOpenedWhileSearching = false;
    qApp->installEventFilter(this);
    // The index names the notes to read when it can; otherwise every note is read. Changes the
    // kernel told are taken in first, so that the index answers for the notes as they are now.
    FIndex->Sync();
    FSearchThread =
        QThread::create([search = FSearch.get(), ask = FIndex->Asker(), root, text = FSearchText] {
            if (const std::optional<TIndexAnswer> answer = ask(root, text))
                search->SetCandidates(answer->Candidates());
            search->Run();
        });
    FSearchThread->start();
}

void TfrmMenuAndTree::CancelSearch()
{
    if (FSearch)
        FSearch->Cancel();
}

void TfrmMenuAndTree::AbandonSearch()
{
    if (!FSearch)
        return;
    FSearchAbandoned = true;
    FSearch->Cancel();
}

bool TfrmMenuAndTree::eventFilter(QObject* watched, QEvent* event)
{
    // Esc cancels a running search, before any shortcut of the window sees it.
    if (FSearchThread &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        event->accept();
        if (event->type() == QEvent::KeyPress)
            CancelSearch();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmMenuAndTree::SearchFilesCollected(int total)
{
    if (FSearchAbandoned)
        return;
    FSearchTotal = total;
    FHost->SearchProgress(0, total);
    // A search without files keeps the results of the one before.
    if (total > 0)
        ClearResults();
}

void TfrmMenuAndTree::ClearResults()
{
    treeSearch->clear();
    FResultPaths.clear();
}

void TfrmMenuAndTree::AddResults(const QList<TSearchHit>& hits)
{
    for (const TSearchHit& hit : hits) {
        treeSearch->addTopLevelItem(new QTreeWidgetItem(QStringList{hit.Text}));
        FResultPaths.append(hit.Path);
    }
}

QString TfrmMenuAndTree::CurrentResultPath() const
{
    const int at = treeSearch->indexOfTopLevelItem(treeSearch->currentItem());
    return at >= 0 && at < FResultPaths.size() ? FResultPaths[at] : QString();
}

void TfrmMenuAndTree::SearchHitsFound(const QList<TSearchHit>& hits)
{
    // Listed as they are found; the list is put in the tree's order when the search ends.
    if (!FSearchAbandoned)
        AddResults(hits);
}

void TfrmMenuAndTree::SearchFinished(const TSearchOutcome& outcome)
{
    FSearchThread->wait();
    delete FSearchThread;
    FSearchThread = nullptr;
    FSearch.reset();
    qApp->removeEventFilter(this);
    btnSearch->setEnabled(true);
    // The user went back to the tree, or to another data directory, meanwhile: whatever the
    // search found belongs to a panel that is no longer shown.
    if (std::exchange(FSearchAbandoned, false))
        return;

    if (outcome.Kind == TSearchOutcome::NoFiles) {
        FHost->ShowWarning(u"검색할 파일이 없습니다."_s);
    } else {
        // The hits in the tree's order, the user's place in the list kept.
        const QString current = CurrentResultPath();
        ClearResults();
        AddResults(outcome.Hits);
        if (const qsizetype at = FResultPaths.indexOf(current); at >= 0)
            treeSearch->setCurrentItem(treeSearch->topLevelItem(int(at)));
        if (outcome.Kind == TSearchOutcome::Failed) {
            // The entries found so far stay listed; none is opened.
            FHost->ShowError(outcome.Error);
        } else if (outcome.Kind == TSearchOutcome::Done) {
            if (std::exchange(FHitOpenedWhileSearching, false)) {
                // The user opened a hit while the list was filling: it stays shown.
            } else if (treeSearch->topLevelItemCount() > 0) {
                treeSearch->setCurrentItem(treeSearch->topLevelItem(0));
                treeSearchClick(treeSearch->topLevelItem(0));
            } else {
                FHost->ShowWarning(u"찾는 파일이 없습니다."_s);
            }
        }
    }
    FHost->SearchProgress(0, FSearchTotal);
}

void TfrmMenuAndTree::treeSearchClick(QTreeWidgetItem* item)
{
    if (!item || FPanelMode != TPanelMode::Search || treeSearch->topLevelItemCount() == 0)
        return;
    const int index = treeSearch->indexOfTopLevelItem(item);
    if (index < 0 || index >= FResultPaths.size())
        return;
    // A page change as any other: what is shown is saved first, and a failed save stops it.
    if (!FHost->SaveCurrentPage())
        return;
    const QString& path = FResultPaths[index];
    const QString display = PrjInfo->SearchTempFileName();
    try {
        WriteSearchDisplay(path, display, FSearchText);
    } catch (const EzqError& e) {
        FHost->ShowError(e.Message());
        return;
    }
    FHost->AddToHistory(path);
    FHost->ShowSearchResult(display);
    if (FSearchThread)
        FHitOpenedWhileSearching = true;
}

void TfrmMenuAndTree::FindInFolder()
{
    TfrmFindInTree dialog(edtSearch->text(), chkSearchRoot->isChecked(), window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (FPanelMode == TPanelMode::Tree && !FHost->SwitchToSearchMode())
        return;
    edtSearch->setText(dialog.InputText());
    chkSearchRoot->setChecked(dialog.SearchRoot());
    btnSearch->click();
}
