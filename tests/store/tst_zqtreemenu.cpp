#include "fakecommandhost.h"
#include "store/pagepath.h"
#include "store/zqtreemenu.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

TEST(TreeMenu, ItemsInOrderEnabledForTheNodeUnderTheMouse)
{
    QTemporaryDir dir;
    testutil::WriteFile(dir.filePath(u"F/A.htm"_s), "a");
    TFakeHost host;
    TzqTree tree(static_cast<IzqTreeHost*>(&host));
    TzqTreeCommands commands(&tree, &host);
    TzqTreeMenu menu(&commands);
    tree.LoadRoot(dir.path());

    QStringList captions;
    for (QAction* action : menu.actions())
        captions.append(action->isSeparator() ? u"-"_s : action->text());
    EXPECT_EQ(captions,
              (QStringList{u"잘라내기"_s, u"복사하기"_s, u"붙여넣기"_s, u"-"_s, u"이름 바꾸기"_s,
                           u"삭제"_s, u"-"_s, u"새 폴더 만들기"_s, u"새 노트 만들기"_s, u"-"_s,
                           u"브라우저로 열기"_s, u"탐색기로 열기"_s, u"mht 파일로 저장"_s,
                           u"zip 파일 만들기"_s, u"불필요 파일 삭제"_s, u"-"_s, u"트리 갱신"_s,
                           u"루트로 이동"_s}));
    EXPECT_EQ(menu.objectName(), u"popTree"_s);

    const QModelIndex folder = tree.Model()->FindChild({}, u"f"_s);
    tree.LoadChildren(folder);
    const QModelIndex note = tree.Model()->FindChild(folder, u"a"_s);
    menu.Prepare(note);
    EXPECT_EQ(tree.ContextNode(), note);
    // The exports and the clean-up are always offered.
    for (QAction* on :
         {menu.tbiCut, menu.tbiRename, menu.tbiDelete, menu.tbiBrowser, menu.tbiToRoot,
          menu.tbiExplorer, menu.tbiSaveNoteToMht, menu.tbiMakeZipfile, menu.tbiGarbage})
        EXPECT_TRUE(on->isEnabled()) << qPrintable(on->objectName());
    EXPECT_FALSE(menu.tbiPaste->isEnabled());

    // Copied: Paste is offered until the node leaves the tree.
    menu.tbiCopy->trigger();
    menu.Prepare(folder);
    EXPECT_TRUE(menu.tbiPaste->isEnabled());
    EXPECT_FALSE(menu.tbiBrowser->isEnabled());
    EXPECT_FALSE(menu.tbiToRoot->isEnabled());
    tree.RefreshTree();
    menu.Prepare(QModelIndex());
    EXPECT_FALSE(menu.tbiPaste->isEnabled());
    EXPECT_FALSE(menu.tbiCut->isEnabled());
    EXPECT_FALSE(menu.tbiDelete->isEnabled());
    EXPECT_TRUE(menu.tbiCopy->isEnabled());
}
