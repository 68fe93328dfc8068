#include "store/frmmenuandtree.h"

#include "app/zqprjinfo.h"
#include "store/datadirs.h"
#include "store/zqtree.h"
#include "store/zqtreeview.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

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
    auto* capLayout = new QHBoxLayout(pnlSearchCap);
    capLayout->setContentsMargins(2, 2, 2, 2);
    edtSearch = new QLineEdit(pnlSearchCap);
    edtSearch->setObjectName(u"edtSearch"_s);
    chkSearchRoot = new QCheckBox(u"Root 에서 검색"_s, pnlSearchCap);
    chkSearchRoot->setObjectName(u"chkSearchRoot"_s);
    btnSearch = new QPushButton(u"찾기"_s, pnlSearchCap);
    btnSearch->setObjectName(u"btnSearch"_s);
    capLayout->addWidget(edtSearch, 1);
    capLayout->addWidget(chkSearchRoot);
    capLayout->addWidget(btnSearch);
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
        target = ResolveDataDir(*PrjInfo, names[index], target);
    }
    FTree->LoadRoot(target.Dir);
    FTree->SetShared(target.Shared);
}

void TfrmMenuAndTree::cmbDataDirSelect(int index)
{
    if (FFillingList || index < 0)
        return;
    const QString name = cmbDataDir->itemText(index);
    FHost->SaveCurrentPage();
    const TzqDataDir target = ResolveDataDir(*PrjInfo, name, TzqDataDir{});
    SwitchDataDir(target.Dir, target.Shared);
    PrjInfo->Ini().WriteString(ProgramSection, u"LstDir"_s, name);
}

void TfrmMenuAndTree::SwitchDataDir(const QString& dir, bool shared)
{
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

void TfrmMenuAndTree::SetPanelMode(TPanelMode mode)
{
    const bool tree = mode == TPanelMode::Tree;
    pnlTreeMode->setVisible(tree);
    pnlSearchMode->setVisible(!tree);
    if (!tree)
        edtSearch->setFocus();
}
