#include "store/notestore.h"
#include "store/pagepath.h"
#include "store/zqtree.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCollator>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using testutil::WriteFile;

namespace {

// The editor and the main window as the tree sees them; records what it was asked.
class TFakeHost : public IzqTreeHost {
public:
    bool SaveFile(const QString& page) override
    {
        Saved.append(page);
        return SaveOk;
    }
    void LoadCurrentNote() override { ++Loads; }
    void FocusLater() override {}
    int ViewMode() const override { return Mode; }
    void SetViewMode(int mode) override { Mode = mode; }
    void UpdateCaption(const QString& page) override { Caption = page; }
    void ShowMsgBox(const QString& text) override { Messages.append(text); }
    bool IsEnglishWindows() const override { return English; }
    QString MyName() const override { return Name; }
    bool CtrlDrag() const override { return Ctrl; }
    void MoveNode(const QModelIndex& node, const QModelIndex& target) override
    {
        Moves.append({node, target});
    }

    int Mode = 0;
    int Loads = 0;
    bool English = false;
    bool Ctrl = false;
    bool SaveOk = true;
    QString Name = u"alpha"_s;
    QString Caption;
    QStringList Saved;
    QStringList Messages;
    QList<std::pair<QPersistentModelIndex, QPersistentModelIndex>> Moves;
};

class TreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Root = Dir.path();
        Tree = std::make_unique<TzqTree>(&Host);
        Tree->SetClock([this] { return Clock; });
    }
    void Touch(const QString& rel, QByteArrayView bytes = "x")
    {
        WriteFile(Root + u'/' + rel, bytes);
    }
    void MakeDir(const QString& rel) { QDir().mkpath(Root + u'/' + rel); }
    QStringList Children(const QModelIndex& parent = {}) const
    {
        QStringList names;
        for (int r = 0; r < Tree->Model()->rowCount(parent); ++r)
            names.append(Tree->Model()->Text(Tree->Model()->index(r, 0, parent)));
        return names;
    }
    QModelIndex Top(const QString& name) const
    {
        return Tree->Model()->FindChild({}, LowerAscii(name));
    }

    QTemporaryDir Dir;
    QString Root;
    TFakeHost Host;
    std::unique_ptr<TzqTree> Tree;
    qint64 Clock = 10000;
};

} // namespace

TEST_F(TreeTest, ListsFoldersFirstThenNotesAndHidesEverythingElse)
{
    Touch(u"a.htm"_s);
    Touch(u"B.htm"_s);
    Touch(u"a.jpg"_s);
    Touch(u"___zq_quillet__folder.htm"_s);
    Touch(u"c/x.htm"_s);
    Touch(u"__a/pic.png"_s);
    Touch(u".git/config"_s);
    Touch(u"page.html"_s);
    Touch(u"a.qzmod"_s);
    Tree->LoadRoot(Root + u'/');
    QAbstractItemModelTester tester(Tree->Model(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    EXPECT_EQ(Tree->RootDir(), Root);
    EXPECT_EQ(Children(), (QStringList{u"c"_s, u"a"_s, u"B"_s}));
    // c is not listed yet: it carries the marker.
    const QModelIndex c = Top(u"c"_s);
    EXPECT_TRUE(Tree->Model()->IsNotLoaded(c));
    EXPECT_EQ(Children(c), QStringList{TzqTreeModel::MarkerText});
    Tree->LoadChildren(c);
    EXPECT_EQ(Children(c), QStringList{u"x"_s});
    EXPECT_TRUE(Tree->IsExpanded(c));
}

TEST_F(TreeTest, OrdersKoreanAndLatinNamesWithoutLetterCase)
{
    for (const QString& n : {u"하늘.htm"_s, u"가방.htm"_s, u"나무.htm"_s, u"zeta.htm"_s,
                             u"Alpha.htm"_s, u"beta.htm"_s, u"Plan 2.1.htm"_s})
        Touch(n);
    MakeDir(u"다람쥐"_s);
    MakeDir(u"Box"_s);
    MakeDir(u"apple"_s);
    Tree->LoadRoot(Root);
    const QStringList names = Children();
    ASSERT_EQ(names.size(), 10);
    // Folders first, each group in its own order.
    EXPECT_EQ(names.mid(0, 3).indexOf(u"다람쥐"_s) >= 0, true);
    EXPECT_LT(names.indexOf(u"apple"_s), names.indexOf(u"Box"_s));
    EXPECT_LT(names.indexOf(u"Alpha"_s), names.indexOf(u"beta"_s));
    EXPECT_LT(names.indexOf(u"beta"_s), names.indexOf(u"zeta"_s));
    EXPECT_LT(names.indexOf(u"가방"_s), names.indexOf(u"나무"_s));
    EXPECT_LT(names.indexOf(u"나무"_s), names.indexOf(u"하늘"_s));
    // Only the last extension is cut.
    EXPECT_TRUE(names.contains(u"Plan 2.1"_s));
}

TEST_F(TreeTest, FolderHoldingOnlyPicturesLosesItsExpandButtonWhenOpened)
{
    Touch(u"Pics/photo.jpg"_s);
    Touch(u"Empty/__Empty/x.png"_s);
    Touch(u"Empty/___zq_quillet__folder.htm"_s);
    Tree->LoadRoot(Root);
    const QModelIndex pics = Top(u"Pics"_s);
    EXPECT_EQ(Tree->Model()->rowCount(pics), 1); // a picture counts as listable
    EXPECT_EQ(Tree->Model()->rowCount(Top(u"Empty"_s)), 0);
    Tree->MousePressed(pics, false, Qt::LeftButton, {});
    EXPECT_EQ(Tree->Model()->rowCount(pics), 0);
    EXPECT_FALSE(Tree->Model()->IsNotLoaded(pics));
}

TEST_F(TreeTest, PathsOfNodes)
{
    Touch(u"Work/My plan.htm"_s);
    Touch(u"Work/Plans/a.htm"_s);
    Tree->LoadRoot(Root);
    const QModelIndex work = Top(u"Work"_s);
    Tree->LoadChildren(work);
    const QModelIndex plans = Tree->Model()->FindChild(work, u"plans"_s);
    const QModelIndex plan = Tree->Model()->FindChild(work, u"my plan"_s);
    EXPECT_EQ(Tree->Model()->NodePath(plans), Root + u"/Work/Plans"_s);
    EXPECT_EQ(Tree->Model()->NodePageFile(plans),
              Root + u"/Work/Plans/___zq_quillet__folder.htm"_s);
    EXPECT_EQ(Tree->Model()->PageKey(plans), Root + u"/Work/Plans/"_s);
    EXPECT_EQ(Tree->Model()->PageKey(plan), Root + u"/Work/My plan.htm"_s);
    EXPECT_EQ(Tree->Model()->NodePath({}), Root);
    EXPECT_EQ(Tree->Model()->NodePageFile({}), QString());

    EXPECT_EQ(RelativePagePath(Root, Root + u"/Work/Plans/___zq_quillet__folder.htm"_s),
              u"Work\\Plans\\"_s);
    EXPECT_EQ(RelativePagePath(Root, Root + u"/Work/My plan.htm"_s), u"Work\\My plan.htm"_s);
    // Three underscores in a name cut it as well.
    EXPECT_EQ(RelativePagePath(Root, Root + u"/a___b.htm"_s), u"a"_s);
}

TEST_F(TreeTest, SelectByRelativePathFindsFoldersAndNotes)
{
    Touch(u"Alpha.htm"_s);
    Touch(u"Work/Plans/My plan.htm"_s);
    Touch(u"X/y.htm"_s);
    Touch(u"X.htm"_s);
    Tree->LoadRoot(Root);

    EXPECT_TRUE(Tree->SelectByRelativePath(u"Work\\Plans\\"_s));
    const QModelIndex plans = Tree->SelectedNode();
    EXPECT_EQ(Tree->Model()->Text(plans), u"Plans"_s);
    EXPECT_FALSE(Tree->Model()->IsNotLoaded(plans)); // listed
    EXPECT_EQ(Tree->CurrentPage(), Root + u"/Work/Plans/___zq_quillet__folder.htm"_s);

    EXPECT_TRUE(Tree->SelectByRelativePath(u"work\\plans\\my plan.htm"_s));
    EXPECT_EQ(Tree->CurrentPage(), Root + u"/Work/Plans/My plan.htm"_s);
    EXPECT_TRUE(Tree->SelectByRelativePath(u"\\\\ Work\\ Plans\\___zq_quillet__folder.htm"_s));
    EXPECT_EQ(Tree->Model()->Text(Tree->SelectedNode()), u"Plans"_s);

    EXPECT_TRUE(Tree->SelectByRelativePath(u"X\\"_s));
    EXPECT_TRUE(Tree->Model()->IsFolder(Tree->SelectedNode()));
    EXPECT_TRUE(Tree->SelectByRelativePath(u"X.htm"_s));
    EXPECT_TRUE(Tree->Model()->IsNote(Tree->SelectedNode()));

    // A path that names nothing selects the first top-level node.
    EXPECT_FALSE(Tree->SelectByRelativePath(u"Work\\Missing.htm"_s));
    EXPECT_EQ(Tree->SelectedNode(), Tree->Model()->index(0, 0));
    EXPECT_FALSE(Tree->SelectByRelativePath(QString()));
    EXPECT_EQ(Tree->SelectedNode(), Tree->Model()->index(0, 0));
}

TEST_F(TreeTest, SelectionSavesTheOldPageAndShowsTheNewOneInBrowseMode)
{
    Touch(u"a.htm"_s);
    Touch(u"b.htm"_s);
    Tree->LoadRoot(Root);
    Tree->SetShared(true);
    Tree->SelectNode(Top(u"a"_s));
    EXPECT_EQ(Tree->CurrentPage(), Root + u"/a.htm"_s);
    EXPECT_EQ(Host.Caption, Root + u"/a.htm"_s);
    EXPECT_EQ(Host.Loads, 1);

    // Editing a: leaving it saves it, removes its marker and returns to browse mode.
    Host.Mode = 1;
    WriteEditMarker(Root + u"/a.htm"_s, Host.Name, true);
    Tree->SelectNode(Top(u"b"_s));
    EXPECT_EQ(Host.Saved.last(), Root + u"/a.htm"_s);
    EXPECT_FALSE(QFile::exists(Root + u"/a.qzmod"_s));
    EXPECT_EQ(Host.Mode, 0);
    EXPECT_EQ(Tree->CurrentPage(), Root + u"/b.htm"_s);
    EXPECT_EQ(Host.Loads, 2);

    // Showing the page already shown does nothing.
    Tree->ShowPage(Root + u"/b.htm"_s);
    EXPECT_EQ(Host.Loads, 2);

    // Editing b, whose save fails: the selection goes back, b stays shown, edited, marked.
    Host.Mode = 1;
    WriteEditMarker(Root + u"/b.htm"_s, Host.Name, true);
    Host.SaveOk = false;
    Tree->SelectNode(Top(u"a"_s));
    EXPECT_EQ(Host.Saved.last(), Root + u"/b.htm"_s);
    EXPECT_EQ(Tree->SelectedNode(), Top(u"b"_s));
    EXPECT_EQ(Tree->CurrentPage(), Root + u"/b.htm"_s);
    EXPECT_EQ(Host.Mode, 1);
    EXPECT_TRUE(QFile::exists(Root + u"/b.qzmod"_s));
    EXPECT_EQ(Host.Loads, 2);
    Host.SaveOk = true;
    Host.Mode = 0;
    DeleteEditMarker(Root + u"/b.htm"_s);

    // While the handler is off, selections show nothing.
    Tree->SetSelectionHandlerConnected(false);
    Tree->SelectNode(Top(u"a"_s));
    EXPECT_EQ(Tree->CurrentPage(), Root + u"/b.htm"_s);
}

TEST_F(TreeTest, PageLockedByAnotherUserFallsBackToBrowseMode)
{
    Touch(u"a.htm"_s);
    Touch(u"b.htm"_s);
    Tree->LoadRoot(Root);
    Tree->SetShared(true);
    WriteEditMarker(Root + u"/b.htm"_s, u"Alpha"_s, true); // not "alpha": letter case counts
    // A create command switches to edit mode and then shows the new page.
    Host.Mode = 1;
    Tree->ShowPage(Root + u"/b.htm"_s, false);
    EXPECT_EQ(Host.Mode, 0);
    EXPECT_EQ(Host.Messages, QStringList{u"Alpha이가 수정 중입니다."_s});
    EXPECT_EQ(ReadEditMarker(Root + u"/b.htm"_s), u"Alpha"_s);
    EXPECT_EQ(Host.Loads, 0);

    // An unlocked page opened in edit mode gets the user's marker.
    Host.Mode = 1;
    Tree->ShowPage(Root + u"/a.htm"_s, false);
    EXPECT_EQ(testutil::ReadFile(Root + u"/a.qzmod"_s), QByteArray("alpha\r\n"));
    EXPECT_EQ(Host.Loads, 1);
}

TEST_F(TreeTest, ClickExpandsAndDoubleClickCollapsesOnlyLater)
{
    Touch(u"F/a.htm"_s);
    Tree->LoadRoot(Root);
    const QModelIndex f = Top(u"F"_s);
    QSignalSpy requests(Tree.get(), &TzqTree::ExpandRequested);
    Tree->MousePressed(f, true, Qt::LeftButton, {20, 5});
    EXPECT_TRUE(Tree->IsExpanded(f));
    // The second click of the double click that expanded it.
    Clock += 150;
    Tree->DoubleClicked(f, true);
    EXPECT_TRUE(Tree->IsExpanded(f));
    Clock += 1000;
    Tree->DoubleClicked(f, false); // on the button: nothing
    EXPECT_TRUE(Tree->IsExpanded(f));
    Tree->DoubleClicked(f, true);
    EXPECT_FALSE(Tree->IsExpanded(f));
    ASSERT_FALSE(requests.isEmpty());
    EXPECT_EQ(requests.last().at(1).toBool(), false);
}

TEST_F(TreeTest, DragStartsAfterFivePixelsDownOrWithCtrlAtTheFirstMove)
{
    Touch(u"a.htm"_s);
    Tree->LoadRoot(Root);
    const QModelIndex a = Top(u"a"_s);
    Tree->MousePressed(a, true, Qt::LeftButton, {30, 10});
    EXPECT_FALSE(Tree->MouseMoved({80, 10}, false)); // sideways does not count
    EXPECT_FALSE(Tree->MouseMoved({30, 14}, false));
    EXPECT_TRUE(Tree->MouseMoved({30, 15}, false));
    EXPECT_FALSE(Tree->MouseMoved({30, 40}, false)); // once per press

    Host.Ctrl = true;
    Tree->MousePressed(a, true, Qt::LeftButton, {30, 10});
    EXPECT_FALSE(Tree->MouseMoved({30, 11}, false));
    EXPECT_FALSE(Tree->MouseMoved({30, 50}, true)); // Ctrl pressed too late
    Tree->MousePressed(a, true, Qt::LeftButton, {30, 10});
    EXPECT_TRUE(Tree->MouseMoved({31, 10}, true));

    Host.English = true;
    Host.Ctrl = false;
    Tree->MousePressed(a, true, Qt::LeftButton, {30, 10});
    EXPECT_FALSE(Tree->MouseMoved({30, 30}, false));
}

TEST_F(TreeTest, DropOnANoteMovesIntoItsFolder)
{
    Touch(u"a.htm"_s);
    Touch(u"F/b.htm"_s);
    Tree->LoadRoot(Root);
    const QModelIndex f = Top(u"F"_s);
    Tree->LoadChildren(f);
    Tree->SelectNode(Top(u"a"_s));
    Tree->Drop(Tree->Model()->FindChild(f, u"b"_s));
    Tree->Drop({});
    Tree->Drop(Top(u"a"_s));
    ASSERT_EQ(Host.Moves.size(), 3);
    EXPECT_EQ(QModelIndex(Host.Moves[0].second), f);
    EXPECT_FALSE(Host.Moves[1].second.isValid());
    EXPECT_FALSE(Host.Moves[2].second.isValid()); // a top-level note stands for the top level
}

TEST_F(TreeTest, LoadRootForgetsTheClipboardAndRefreshSelectsTheLastSameName)
{
    Touch(u"F/X/a.htm"_s);
    Tree->LoadRoot(Root);
    const QModelIndex f = Top(u"F"_s);
    Tree->SetClipNode(f);
    QSignalSpy paste(Tree.get(), &TzqTree::PasteEnabledChanged);
    Tree->LoadRoot(Root);
    EXPECT_FALSE(Tree->ClipNode().isValid());
    ASSERT_EQ(paste.size(), 1);
    EXPECT_FALSE(paste.front().front().toBool());

    Touch(u"F/X.htm"_s); // appears on disk after the listing
    const QModelIndex f2 = Top(u"F"_s);
    Tree->RefreshFolderNode(f2, u"X"_s);
    EXPECT_EQ(Children(f2), (QStringList{u"X"_s, u"X"_s}));
    EXPECT_TRUE(Tree->Model()->IsNote(Tree->SelectedNode()));
    EXPECT_TRUE(Tree->IsExpanded(f2));
}

TEST_F(TreeTest, UnreadableOrMissingDirectoriesListNothing)
{
    Tree->LoadRoot(Root + u"/missing"_s);
    EXPECT_EQ(Tree->Model()->rowCount(), 0);
    EXPECT_FALSE(Tree->SelectByRelativePath(u"a.htm"_s));
    EXPECT_FALSE(Tree->SelectedNode().isValid());
}

TEST_F(TreeTest, ListingOrderIsTheCollatorOrder)
{
    // Awkward pieces: Hangul (precomposed and as conjoining jamo), letters that differ only in
    // case or accent, digits, punctuation and spaces.
    const QStringList pieces{u"가"_s, u"각"_s, u"똠"_s, u"뷁"_s,   u"힣"_s,   u"\u1100\u1161"_s,
                             u"a"_s,  u"A"_s,  u"b"_s,  u"Z"_s,    u"é"_s,    u"E"_s,
                             u"ß"_s,  u"ss"_s, u"0"_s,  u"1"_s,    u"10"_s,   u"9"_s,
                             u" "_s,  u"-"_s,  u"_"_s,  u"."_s,    u"!"_s,    u"("_s,
                             u"~"_s,  u"+"_s,  u"'"_s,  u"Plan"_s, u"plan"_s, u"회의록 "_s};
    QStringList files;
    quint32 seed = 12345;
    auto next = [&seed](quint32 n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int i = 0; i < 400; ++i) {
        QString name;
        const quint32 parts = 1 + next(4);
        for (quint32 p = 0; p < parts; ++p)
            name += pieces[qsizetype(next(quint32(pieces.size())))];
        files.append(name + (i % 7 == 0 ? u".HTM"_s : u".htm"_s));
    }
    // Names equal but for letter case, and a name that is a prefix of others.
    files << u"Same.htm"_s << u"same.htm"_s << u"SAME.htm"_s << u"Sam.htm"_s << u"a.htm"_s;
    files.removeDuplicates();
    files.removeAll(u"___zq_quillet__folder.htm"_s);
    for (const QString& f : files)
        Touch(f);

    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    std::sort(files.begin(), files.end(), [&](const QString& a, const QString& b) {
        const int c = collator.compare(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    QStringList expected;
    for (const QString& f : files)
        expected.append(f.chopped(4));

    Tree->LoadRoot(Root);
    EXPECT_EQ(Children(), expected);
}

TEST_F(TreeTest, BackslashAndColonInANoteNameStayInItsText)
{
    // On this file system they are ordinary characters; cutting at them would give the node a
    // path that names another file.
    Touch(u"a\\b.htm"_s);
    Touch(u"b.htm"_s);
    Touch(u"C:x.htm"_s);
    Touch(u"F/d:\\e.f.HTM"_s);
    Tree->LoadRoot(Root);
    TzqTreeModel* model = Tree->Model();
    EXPECT_EQ(Children(), (QStringList{u"F"_s, u"a\\b"_s, u"b"_s, u"C:x"_s}));
    const QModelIndex ab = Top(u"a\\b"_s);
    EXPECT_EQ(model->NodePageFile(ab), Root + u"/a\\b.htm"_s);
    EXPECT_EQ(model->NodePageFile(Top(u"C:x"_s)), Root + u"/C:x.htm"_s);
    EXPECT_EQ(model->NodePageFile(Top(u"b"_s)), Root + u"/b.htm"_s);

    const QModelIndex f = Top(u"F"_s);
    model->LoadChildren(f);
    ASSERT_EQ(Children(f), QStringList{u"d:\\e.f"_s});
    const QString page = model->NodePageFile(model->index(0, 0, f));
    EXPECT_EQ(page, Root + u"/F/d:\\e.f.HTM"_s);
    EXPECT_TRUE(QFile::exists(page));
    // Its own extension is kept for the file, not shown.
    const QModelIndex de = model->FindChild(f, u"d:\\e.f"_s);
    ASSERT_TRUE(de.isValid());
    EXPECT_EQ(model->data(de).toString(), u"d:\\e.f"_s);
    EXPECT_EQ(model->PageKey(de), page);
    EXPECT_EQ(model->NodePath(de), Root + u"/F/d:\\e.f"_s);
}

TEST_F(TreeTest, ExpandButtonOnlyForFoldersWithSomethingToList)
{
    // Many long hidden names fill more than one read of the directory.
    const QString filler = QString(120, u'x');
    for (int i = 0; i < 60; ++i) {
        Touch(u"Hidden/__%1%2"_s.arg(i).arg(filler));
        Touch(u"Late/.%1%2"_s.arg(i).arg(filler));
    }
    Touch(u"Hidden/___zq_quillet__folder.htm"_s);
    MakeDir(u"Hidden/.git"_s);
    Touch(u"Late/z.txt"_s);
    MakeDir(u"Sub/Inner"_s);
    MakeDir(u"Bare"_s);
    Tree->LoadRoot(Root);
    TzqTreeModel* model = Tree->Model();
    EXPECT_FALSE(model->IsNotLoaded(Top(u"Hidden"_s)));
    EXPECT_TRUE(model->IsNotLoaded(Top(u"Late"_s)));
    EXPECT_TRUE(model->IsNotLoaded(Top(u"Sub"_s))); // a folder counts
    EXPECT_FALSE(model->IsNotLoaded(Top(u"Bare"_s)));
    EXPECT_FALSE(TzqTreeModel::HasListableEntries(Root + u"/Hidden"_s));
    EXPECT_TRUE(TzqTreeModel::HasListableEntries(Root + u"/Late"_s));
    EXPECT_FALSE(TzqTreeModel::HasListableEntries(Root + u"/missing"_s));
    // Listed inside a folder too, beside its parent.
    const QModelIndex sub = Top(u"Sub"_s);
    model->LoadChildren(sub);
    const QModelIndex inner = model->FindChild(sub, u"inner"_s);
    ASSERT_TRUE(inner.isValid());
    EXPECT_FALSE(model->IsNotLoaded(inner));
}
