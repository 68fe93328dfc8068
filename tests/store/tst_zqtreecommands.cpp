#include "app/pagedefaults.h"
#include "fakecommandhost.h"
#include "filesizelimit.h"
#include "platform/fileoperation.h"
#include "platform/textfile.h"
#include "platform/util.h"
#include "platform/zqerror.h"
#include "privatehome.h"
#include "store/notestore.h"
#include "store/pagepath.h"
#include "store/zqtree.h"
#include "store/zqtreecommands.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

class TreeCommands : public TPrivateHomeSuite {
protected:
    void SetUp() override
    {
        Root = Dir.filePath(u"data"_s);
        Host.Templates = Dir.filePath(u"zqTemplate"_s);
        QDir().mkpath(Root);
        Tree = std::make_unique<TzqTree>(static_cast<IzqTreeHost*>(&Host));
        Commands = std::make_unique<TzqTreeCommands>(Tree.get(), &Host);
    }
    void Touch(const QString& rel, QByteArrayView bytes = "x") { WriteFile(Path(rel), bytes); }
    QString Path(const QString& rel) const { return Root + u'/' + rel; }
    QByteArray Read(const QString& rel) const { return ReadFile(Path(rel)); }
    bool Exists(const QString& rel) const { return QFileInfo::exists(Path(rel)); }
    void Load() { Tree->LoadRoot(Root); }
    QModelIndex Node(const QString& rel) const
    {
        QModelIndex node;
        for (const QString& name : rel.split(u'/')) {
            Tree->LoadChildren(node);
            node = Tree->Model()->FindChild(node, LowerAscii(name));
        }
        return node;
    }
    QStringList Children(const QModelIndex& parent = {}) const
    {
        Tree->LoadChildren(parent);
        QStringList names;
        for (int r = 0; r < Tree->Model()->rowCount(parent); ++r)
            names.append(Tree->Model()->Text(Tree->Model()->index(r, 0, parent)));
        return names;
    }
    QString Selected() const { return Tree->Model()->Text(Tree->SelectedNode()); }
    static QString TrashFiles()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               u"/Trash/files/"_s;
    }

    QTemporaryDir Dir;
    QString Root;
    TFakeHost Host;
    std::unique_ptr<TzqTree> Tree;
    std::unique_ptr<TzqTreeCommands> Commands;
};

} // namespace

TEST_F(TreeCommands, CreatesNotesAndFoldersInEditModeWithTheirMarker)
{
    WriteFile(Host.Templates + u"/Diary.htm"_s, "<p><!--title--> <!--title--></p>\r\nend\r\n");
    Touch(u"Work/old.htm"_s);
    Load();
    Tree->SetShared(true);
    Tree->SelectNode(Node(u"Work/old"_s));

    // Beside the selected note, from the template, the title as typed.
    Host.NewName = TzqNewNameAnswer{u"Plan"_s, u"Plan?"_s, u"Diary.htm"_s, false};
    Commands->CreateNote(false);
    EXPECT_EQ(Host.AskedDir, Path(u"Work/"_s));
    EXPECT_EQ(Read(u"Work/Plan.htm"_s), "<p>Plan? <!--title--></p>\r\nend\r\n");
    EXPECT_EQ(Read(u"Work/Plan.qzmod"_s), "alpha\r\n");
    EXPECT_EQ(Host.Mode, 1);
    EXPECT_EQ(Children(Node(u"Work"_s)), (QStringList{u"old"_s, u"Plan"_s}));
    EXPECT_EQ(Selected(), u"Plan"_s);
    EXPECT_EQ(Tree->CurrentPage(), Path(u"Work/Plan.htm"_s));

    // A folder at the top, its folder note from the skeleton when the template is missing; the
    // page left in edit mode loses its marker.
    Host.NewName = TzqNewNameAnswer{u"Box"_s, u"Box"_s, u"Gone.htm"_s, true};
    Commands->CreateFolder(false);
    EXPECT_EQ(Read(u"Box/___zq_quillet__folder.htm"_s), textfile::JoinLines(NewPageSkeleton()));
    EXPECT_TRUE(Exists(u"Box/___zq_quillet__folder.qzmod"_s));
    EXPECT_FALSE(Exists(u"Work/Plan.qzmod"_s));
    EXPECT_EQ(Children(), (QStringList{u"Work"_s, u"Box"_s}));
    EXPECT_EQ(Tree->CurrentPage(), Path(u"Box/___zq_quillet__folder.htm"_s));

    // An existing item is never written over, whatever the dialog said.
    Host.NewName = TzqNewNameAnswer{u"Plan"_s, u"Plan"_s, u"Diary.htm"_s, false};
    Tree->SelectNode(Node(u"Work"_s));
    EXPECT_THROW(Commands->CreateNote(false), EzqError);
    EXPECT_EQ(Read(u"Work/Plan.htm"_s), "<p>Plan? <!--title--></p>\r\nend\r\n");

    Host.English = true;
    Commands->CreateFolder(true);
    EXPECT_EQ(Host.Shown.last(), u"box: You can not make a folder in English Windows."_s);
}

TEST_F(TreeCommands, RenameTakesTheFileFolderAndItsReferencesAlong)
{
    Touch(u"A.htm"_s, "<img src=\"__A\\pic.png\"><img src='__A\\pic.png'>\r\n");
    Touch(u"__A/pic.png"_s, "png");
    Touch(u"Old note.htm"_s, "<a href=\"__Old note\\f.txt\">\r\n");
    Touch(u"__Old note/f.txt"_s, "f");
    Touch(u"F/x.htm"_s);
    Load();
    Tree->SelectNode(Node(u"A"_s));

    Host.UserName = u" B "_s;
    Commands->RenameNode(Node(u"A"_s));
    EXPECT_EQ(Host.Shown.last(), u"name: 새 노트 이름 입력 A"_s);
    EXPECT_FALSE(Exists(u"A.htm"_s));
    EXPECT_EQ(Read(u"B.htm"_s), "<img src=\"__B\\pic.png\"><img src='__A\\pic.png'>\r\n");
    EXPECT_EQ(Read(u"__B/pic.png"_s), "png");
    EXPECT_EQ(Tree->CurrentPage(), Path(u"B.htm"_s));
    EXPECT_EQ(Host.Loads, 2); // shown, then reloaded with the new references
    EXPECT_EQ(Host.History, QStringList{u"A.htm -> B.htm"_s});

    // The older file folder form with the blank.
    Host.UserName = u"New one"_s;
    Commands->RenameNode(Node(u"Old note"_s));
    EXPECT_EQ(Read(u"New one.htm"_s), "<a href=\"__New_one\\f.txt\">\r\n");
    EXPECT_EQ(Read(u"__New_one/f.txt"_s), "f");

    // A folder; the history drops what vanished.
    Host.UserName = u"G"_s;
    Commands->RenameNode(Node(u"F"_s));
    EXPECT_EQ(Read(u"G/x.htm"_s), "x");
    EXPECT_EQ(Host.History.last(), u"validate"_s);
    EXPECT_TRUE(Node(u"G/x"_s).isValid());

    // A name whose file folder belongs to another note ("H I" and "H_I" share "__H_I"):
    // refused before anything is renamed.
    Touch(u"H I.htm"_s);
    Touch(u"__H_I/h.png"_s, "h");
    Host.UserName = u"H_I"_s;
    Commands->RenameNode(Node(u"B"_s));
    EXPECT_TRUE(Host.Shown.last().startsWith(u"error: 'H_I'(으)로 이름을 바꿀 수 없습니다."_s));
    EXPECT_TRUE(Exists(u"B.htm"_s));
    EXPECT_EQ(Read(u"__B/pic.png"_s), "png");
    EXPECT_EQ(Read(u"__H_I/h.png"_s), "h");

    // The name is taken: nothing changes.
    Touch(u"C.htm"_s);
    Host.UserName = u"C"_s;
    Commands->RenameNode(Node(u"B"_s));
    EXPECT_EQ(Host.Shown.last(), u"note: 이름 변경에 실패했습니다."_s);
    EXPECT_TRUE(Exists(u"B.htm"_s));
    EXPECT_TRUE(Node(u"B"_s).isValid());
}

TEST_F(TreeCommands, CopiesUnderANewNameInTheirOwnFolder)
{
    Touch(u"A.htm"_s, "<img src=\"__A\\p.png\">\r\n");
    Touch(u"__A/p.png"_s, "png");
    Touch(u"F/x.htm"_s, "x");
    Load();
    Tree->SetContextNode(Node(u"A"_s));
    Commands->Copy();
    ASSERT_TRUE(Commands->CanPaste());
    Host.UserName = u"B"_s;
    Commands->Paste();
    EXPECT_FALSE(Commands->CanPaste());
    EXPECT_EQ(Host.Shown.last(), u"name: 같은 이름의 노트가 있습니다. A"_s);
    EXPECT_EQ(Read(u"B.htm"_s), "<img src=\"__B\\p.png\">\r\n");
    EXPECT_EQ(Read(u"__B/p.png"_s), "png");
    EXPECT_TRUE(Host.TreeEnabled);

    // A folder into its own parent.
    Host.UserName = u"G"_s;
    Commands->CopyNode(QModelIndex(), Node(u"F"_s));
    EXPECT_EQ(Host.Shown.last(), u"name: 같은 폴더 이름이 있습니다. F"_s);
    EXPECT_EQ(Read(u"G/x.htm"_s), "x");
    EXPECT_TRUE(Node(u"G"_s).isValid());

    // Under a name whose file folder would be the original's ("A B" as "A_B"): refused before
    // anything is copied.
    Touch(u"A B.htm"_s, "<img src=\"__A_B\\q.png\">\r\n");
    Touch(u"__A_B/q.png"_s, "q");
    Load();
    Host.UserName = u"A_B"_s;
    Commands->CopyNode(QModelIndex(), Node(u"A B"_s));
    EXPECT_EQ(Host.Shown.last(), u"error: 'A_B'(으)로 복사할 수 없습니다. 파일 폴더 '__A_B'을(를) "
                                 u"다른 노트가 쓰고 있습니다."_s);
    EXPECT_FALSE(Exists(u"A_B.htm"_s));
    EXPECT_EQ(QDir(Path(u"__A_B"_s)).entryList(QDir::Files), QStringList{u"q.png"_s});

    // A copy whose file folder cannot be copied leaves no half copy behind.
    Host.UserName = u"C"_s;
    Touch(u"__C"_s, "a file in the way");
    Commands->CopyNode(QModelIndex(), Node(u"A"_s));
    EXPECT_FALSE(Exists(u"C.htm"_s));
}

TEST_F(TreeCommands, MovesAndCopiesWithFileFoldersAndRefusesTheirOwnSubtree)
{
    Touch(u"A.htm"_s, "a");
    Touch(u"__A/p.png"_s, "png");
    Touch(u"My note.htm"_s, "m");
    Touch(u"__My note/q.png"_s, "q");
    Touch(u"F/Sub/x.htm"_s);
    Touch(u"X/y.htm"_s);
    Load();

    Commands->MoveNode(Node(u"F/Sub/x"_s), Node(u"F"_s));
    EXPECT_EQ(Host.Shown.last(), u"note: 하위로의 이동은 안됩니다."_s);
    Commands->CopyNode(Node(u"F/Sub"_s), Node(u"F"_s));
    EXPECT_EQ(Host.Shown.last(), u"note: 하위로의 복사는 안됩니다."_s);
    EXPECT_TRUE(Exists(u"F/Sub/x.htm"_s));
    EXPECT_FALSE(Exists(u"F/Sub/F"_s));

    // Dropped on a note: into that note's folder.
    Tree->SelectNode(Node(u"A"_s));
    Tree->Drop(Node(u"X/y"_s));
    EXPECT_EQ(Read(u"X/A.htm"_s), "a");
    EXPECT_EQ(Read(u"X/__A/p.png"_s), "png");
    EXPECT_FALSE(Exists(u"A.htm"_s) || Exists(u"__A"_s));
    EXPECT_EQ(Children(), (QStringList{u"F"_s, u"X"_s, u"My note"_s}));
    EXPECT_EQ(Tree->CurrentPage(), Path(u"X/A.htm"_s));
    EXPECT_TRUE(Host.TreeEnabled);

    // Copied with its older file folder form.
    Commands->CopyNode(Node(u"X"_s), Node(u"My note"_s));
    EXPECT_EQ(Read(u"X/My note.htm"_s), "m");
    EXPECT_EQ(Read(u"X/__My note/q.png"_s), "q");
    EXPECT_EQ(Selected(), u"My note"_s);

    // Back to the top: the whole tree is listed again.
    Tree->SetContextNode(Node(u"X/A"_s));
    Commands->MoveToRoot();
    EXPECT_EQ(Read(u"A.htm"_s), "a");
    EXPECT_EQ(Read(u"__A/p.png"_s), "png");
    EXPECT_EQ(Selected(), u"A"_s);
    EXPECT_EQ(Tree->CurrentPage(), Path(u"A.htm"_s));
}

TEST_F(TreeCommands, AReplaceAnsweredCancelLeavesBothSidesWhole)
{
    Touch(u"A.htm"_s, "mine");
    Touch(u"__A/p.png"_s, "png");
    Touch(u"X/A.htm"_s, "theirs");
    Load();
    Host.Replace = TzqReplaceAnswer::Cancel;
    Commands->MoveNode(Node(u"X"_s), Node(u"A"_s));
    EXPECT_EQ(Host.Shown.last(), u"replace: A.htm"_s);
    EXPECT_EQ(Read(u"A.htm"_s), "mine");
    EXPECT_EQ(Read(u"__A/p.png"_s), "png");
    EXPECT_EQ(Read(u"X/A.htm"_s), "theirs");
    EXPECT_FALSE(Exists(u"X/__A"_s));
    EXPECT_TRUE(Node(u"A"_s).isValid());
    EXPECT_EQ(Children(Node(u"X"_s)), QStringList{u"A"_s});

    Commands->CopyNode(Node(u"X"_s), Node(u"A"_s)); // asks for a name: cancelled
    EXPECT_EQ(Read(u"X/A.htm"_s), "theirs");
    EXPECT_TRUE(Host.TreeEnabled);
}

TEST_F(TreeCommands, DeletesIntoTheTrash)
{
    Touch(u"A.htm"_s, "a");
    Touch(u"__A/p.png"_s, "png");
    Touch(u"B.htm"_s, "b");
    Load();
    Tree->SelectNode(Node(u"A"_s));
    Host.Mode = 1;

    Host.ConfirmAnswer = false;
    Commands->DeleteNode(Node(u"A"_s));
    EXPECT_EQ(Host.Shown.last(), u"ask: A 을(를) 삭제합니까?"_s);
    EXPECT_EQ(Host.Mode, 0);
    EXPECT_TRUE(Exists(u"A.htm"_s));

    Host.ConfirmAnswer = true;
    Commands->DeleteNode(Node(u"A"_s));
    EXPECT_FALSE(Exists(u"A.htm"_s) || Exists(u"__A"_s));
    EXPECT_EQ(ReadFile(TrashFiles() + u"A.htm"_s), "a");
    EXPECT_EQ(ReadFile(TrashFiles() + u"__A/p.png"_s), "png");
    EXPECT_EQ(Children(), QStringList{u"B"_s});
    // The neighbour is selected and shown.
    EXPECT_EQ(Tree->CurrentPage(), Path(u"B.htm"_s));
    EXPECT_EQ(Host.History, QStringList{u"validate"_s});
}

TEST_F(TreeCommands, AnotherUsersMarkerBlocksEveryCommand)
{
    Touch(u"A.htm"_s, "a");
    Touch(u"A.qzmod"_s, "beta\r\n");
    Touch(u"X/y.htm"_s);
    Load();
    const QString moving = u"error: 다른 분이 수정 중이라서 옮길 수 없습니다."_s;
    Host.UserName = u"B"_s;
    Commands->RenameNode(Node(u"A"_s));
    EXPECT_EQ(Host.Shown.last(), u"error: 다른 분이 수정 중이라서 이름을 변경할 수 없습니다."_s);
    Commands->DeleteNode(Node(u"A"_s));
    EXPECT_EQ(Host.Shown.last(), moving);
    Host.Shown.clear();
    Commands->MoveNode(Node(u"X"_s), Node(u"A"_s));
    Commands->CopyNode(Node(u"X"_s), Node(u"A"_s));
    EXPECT_EQ(Host.Shown, (QStringList{moving, moving}));
    EXPECT_EQ(Read(u"A.htm"_s), "a");
    EXPECT_EQ(Children(Node(u"X"_s)), QStringList{u"y"_s});
}

TEST_F(TreeCommands, ANodeThatLeftTheTreeIsNeverPasted)
{
    Touch(u"F/A.htm"_s, "a");
    Touch(u"X/y.htm"_s);
    Load();
    Tree->SetContextNode(Node(u"F/A"_s));
    Commands->Cut();
    EXPECT_TRUE(Commands->CanPaste());
    Commands->DeleteNode(Node(u"F"_s));
    EXPECT_FALSE(Commands->CanPaste());
    Tree->SetContextNode(Node(u"X"_s));
    Commands->Paste();
    EXPECT_EQ(Children(Node(u"X"_s)), QStringList{u"y"_s});

    // Re-listing the whole tree empties the clipboard too.
    Tree->SetContextNode(Node(u"X/y"_s));
    Commands->Cut();
    Commands->RefreshTree();
    EXPECT_FALSE(Commands->CanPaste());
}

TEST_F(TreeCommands, ANoteThatCannotBeSavedStopsEveryCommand)
{
    Touch(u"A.htm"_s, "a");
    Touch(u"B.htm"_s, "b");
    Touch(u"F/x.htm"_s, "x");
    Load();
    Tree->SelectNode(Node(u"A"_s));
    Host.Mode = 1;
    Host.Saves = 0;
    Host.SaveOk = false;
    Host.UserName = u"Z"_s;
    Host.NewName = TzqNewNameAnswer{u"N"_s, u"N"_s, {}, false};
    Host.AskedDir = u"none"_s;
    Commands->RenameNode(Node(u"A"_s));
    Commands->DeleteNode(Node(u"B"_s));
    Commands->MoveNode(Node(u"F"_s), Node(u"B"_s));
    Commands->CopyNode(Node(u"F"_s), Node(u"B"_s));
    Commands->CreateNote(false);
    Commands->CreateFolder(true);
    // Nothing was asked, nothing changed, and the note is still being edited.
    EXPECT_TRUE(Host.Shown.isEmpty()) << Host.Shown.join(u" | "_s).toStdString();
    EXPECT_EQ(Host.AskedDir, u"none"_s);
    EXPECT_EQ(Host.Saves, 6);
    EXPECT_EQ(Host.Mode, 1);
    EXPECT_EQ(QDir(Root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{u"A.htm"_s, u"B.htm"_s, u"F"_s}));
    EXPECT_EQ(QDir(Path(u"F"_s)).entryList(QDir::Files), QStringList{u"x.htm"_s});
    EXPECT_EQ(Selected(), u"A"_s);
}

TEST_F(TreeCommands, ARenameWhoseReferencesCannotBeWrittenPutsTheFileFolderBack)
{
    const QByteArray page = "<img src=\"__A\\p.png\">" + QByteArray(200, ' ');
    Touch(u"A.htm"_s, page);
    Touch(u"__A/p.png"_s, "png");
    Load();
    Tree->SelectNode(Node(u"A"_s));
    Host.UserName = u"B"_s;
    {
        // The disk is full: the page's references cannot be written.
        TFileSizeLimit full(64);
        EXPECT_THROW(Commands->RenameNode(Node(u"A"_s)), EzqError);
    }
    EXPECT_EQ(Read(u"B.htm"_s), page);
    EXPECT_EQ(Read(u"__A/p.png"_s), "png");
    EXPECT_FALSE(Exists(u"__B"_s));
}
