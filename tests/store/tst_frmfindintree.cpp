#include "app/welcomenote.h"
#include "app/zqprjinfo.h"
#include "store/foldersearch.h"
#include "store/frmfindintree.h"
#include "store/frmmenuandtree.h"
#include "store/searchindex.h"
#include "store/zqtree.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

class TTreeHost : public IzqTreeHost {
public:
    bool SaveFile(const QString&) override { return true; }
    void LoadCurrentNote() override {}
    void FocusLater() override {}
    int ViewMode() const override { return 0; }
    void SetViewMode(int) override {}
    void UpdateCaption(const QString&) override {}
    void ShowMsgBox(const QString&) override {}
    bool IsEnglishWindows() const override { return false; }
    QString MyName() const override { return u"me"_s; }
    bool CtrlDrag() const override { return false; }
};

// The main window as the panel sees it; records what it was asked.
class TPanelHost : public IzqTreePanelHost {
public:
    bool SaveCurrentPage() override { return true; }
    void AddToHistory(const QString& path) override { History.append(path); }
    void ShowSearchResult(const QString& path) override { Shown.append(path); }
    void SearchProgress(int done, int total) override { Progress = {done, total}; }
    void ShowWarning(const QString& text) override { Messages.append(text); }
    void ShowError(const QString& text) override { Messages.append(text); }
    // As the window does: the panel shows the search.
    bool SwitchToSearchMode() override
    {
        ++Switches;
        if (Panel)
            Panel->SetPanelMode(TfrmMenuAndTree::TPanelMode::Search);
        return true;
    }

    TfrmMenuAndTree* Panel = nullptr;
    QStringList History, Shown, Messages;
    std::pair<int, int> Progress{-1, -1};
    int Switches = 0;
};

class FindInTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Prj = std::make_unique<TzqPrjInfo>(Program.path());
        PrjInfo = Prj.get();
    }
    void TearDown() override { PrjInfo = nullptr; }

    QTemporaryDir Program;
    std::unique_ptr<TzqPrjInfo> Prj;
};

TEST_F(FindInTreeTest, OpensWithThePanelsStateAndRefusesAnEmptyText)
{
    {
        TfrmFindInTree dialog(u"plan"_s, false);
        EXPECT_EQ(dialog.windowTitle(), u"데이터 트리에서 검색"_s);
        EXPECT_EQ(dialog.findChild<QLineEdit*>(u"edtInput"_s)->text(), u"plan"_s);
        EXPECT_FALSE(dialog.SearchRoot());
        EXPECT_TRUE(TfrmFindInTree(u"plan"_s, true).SearchRoot());
    }
    Prj->WriteFlag(TzqPrjInfo::idFindRootOption, true);
    TfrmFindInTree dialog(u""_s, false);
    EXPECT_TRUE(dialog.SearchRoot());
    dialog.show();
    auto* input = dialog.findChild<QLineEdit*>(u"edtInput"_s);
    QTest::keyClicks(input, u"   "_s);
    dialog.ConfirmButton()->click();
    EXPECT_EQ(dialog.windowTitle(), u"겸색할 문자열을 넣어 주십시오"_s);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(input->hasFocus() || !QApplication::focusWidget());
    input->insert(u"회의 "_s);
    dialog.ConfirmButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.InputText(), u"   회의 "_s);
}

TEST_F(FindInTreeTest, PanelSearchesShowsTheFirstHitAndReportsNoMatch)
{
    const QString root = Prj->DefaultDataDir();
    // The new data directory's welcome note is not part of this search.
    ASSERT_TRUE(QFile::remove(root + u'/' + QStringView(WelcomeNoteName).toString()));
    WriteFile(root + u"/___zq_quillet__folder.htm"_s, "<font>\r\n");
    WriteFile(root + u"/Work/Plan.htm"_s, "a<FONT>b\r\nc\r\n");
    TTreeHost treeHost;
    TzqTree tree(&treeHost);
    TPanelHost host;
    TfrmMenuAndTree panel(&host, &tree);
    host.Panel = &panel;

    // Opened from the find dialog in tree mode: the window switches, the search starts.
    panel.SetPanelMode(TfrmMenuAndTree::TPanelMode::Tree);
    QTimer::singleShot(0, &panel, [] {
        auto* dialog = qobject_cast<TfrmFindInTree*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        dialog->findChild<QLineEdit*>(u"edtInput"_s)->setText(u" Font"_s);
        dialog->ConfirmButton()->click();
    });
    panel.FindInFolder();
    EXPECT_EQ(host.Switches, 1);
    EXPECT_EQ(panel.SearchBox()->text(), u" Font"_s);
    EXPECT_FALSE(panel.SearchButton()->isEnabled());
    QTRY_VERIFY(!panel.Searching());
    EXPECT_TRUE(panel.SearchButton()->isEnabled());
    ASSERT_EQ(panel.ResultList()->topLevelItemCount(), 1);
    EXPECT_EQ(panel.ResultList()->topLevelItem(0)->text(0), u"Plan"_s);
    EXPECT_EQ(host.History, QStringList{root + u"/Work/Plan.htm"_s});
    EXPECT_EQ(host.Shown, QStringList{Prj->SearchTempFileName()});
    EXPECT_EQ(ReadFile(Prj->SearchTempFileName()),
              "a<<FONT style=\"BACKGROUND-COLOR: #ff6600\" color=#ffffff>FONT</FONT>>b\r\nc\r\n");
    EXPECT_EQ(host.Progress, std::make_pair(0, 2));
    EXPECT_TRUE(host.Messages.isEmpty());

    // No match empties the list; no file to search keeps it.
    panel.SearchBox()->setText(u"zzz"_s);
    QTest::keyClick(panel.SearchBox(), Qt::Key_Return);
    QTRY_VERIFY(!panel.Searching());
    EXPECT_EQ(panel.ResultList()->topLevelItemCount(), 0);
    EXPECT_EQ(host.Messages, QStringList{u"찾는 파일이 없습니다."_s});
    panel.SearchBox()->setText(u"plan"_s);
    panel.SearchButton()->click();
    QTRY_VERIFY(!panel.Searching());
    EXPECT_EQ(panel.ResultPaths(), QStringList{root + u"/Work/Plan.htm"_s});
    QFile::remove(root + u"/Work/Plan.htm"_s);
    QFile::remove(root + u"/___zq_quillet__folder.htm"_s);
    panel.SearchButton()->click();
    QTRY_VERIFY(!panel.Searching());
    EXPECT_EQ(host.Messages.last(), u"검색할 파일이 없습니다."_s);
    EXPECT_EQ(panel.ResultList()->topLevelItemCount(), 1);
}

} // namespace

namespace {

TEST_F(FindInTreeTest, AnIndexedSearchFillsTheListAsItRunsAndSeesNotesWrittenBehindItsBack)
{
    const QString root = Prj->DefaultDataDir();
    // Enough notes in enough folders that hits come in more than one report.
    for (int i = 0; i < 400; ++i) {
        WriteFile(root + u"/폴더 %1/노트 %2.htm"_s.arg(i % 9).arg(i),
                  i % 3 ? QByteArray("<P>nothing</P>\r\n").repeated(400)
                        : QByteArray("<P>zebra</P>\r\n").repeated(400));
    }
    TTreeHost treeHost;
    TzqTree tree(&treeHost);
    TPanelHost host;
    TfrmMenuAndTree panel(&host, &tree);
    host.Panel = &panel;
    tree.LoadRoot(root);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel.SearchIndex()->Ready(); }, 20000));
    panel.SetPanelMode(TfrmMenuAndTree::TPanelMode::Search);
    panel.SearchRootBox()->setChecked(true);

    const auto search = [&](const QString& text) {
        int filledWhileRunning = 0;
        const QMetaObject::Connection filling =
            QObject::connect(panel.ResultList()->model(), &QAbstractItemModel::rowsInserted, &panel,
                             [&] { filledWhileRunning += panel.Searching() ? 1 : 0; });
        panel.SearchBox()->setText(text);
        panel.SearchButton()->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !panel.Searching(); }, 20000));
        QObject::disconnect(filling);
        // The full scan's hits, in the tree's order.
        TFolderSearch scan(FoldSearchText(text), root);
        QStringList expected;
        for (const TSearchHit& hit : scan.Run().Hits)
            expected.append(hit.Path);
        EXPECT_EQ(panel.ResultPaths(), expected);
        return filledWhileRunning;
    };
    EXPECT_GT(search(u"Zebra"_s), 0);
    // A note written, one emptied and one removed behind the program's back: the next search
    // knows at once.
    WriteFile(root + u"/폴더 2/새 노트.htm"_s, "zebra\r\n");
    WriteFile(root + u"/폴더 0/노트 0.htm"_s, "\r\n");
    QFile::remove(root + u"/폴더 3/노트 3.htm"_s);
    search(u"zebra"_s);
    EXPECT_TRUE(panel.ResultPaths().contains(root + u"/폴더 2/새 노트.htm"_s));
    EXPECT_EQ(host.Shown.size(), 2);
}

} // namespace
