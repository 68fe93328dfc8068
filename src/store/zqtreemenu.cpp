#include "store/zqtreemenu.h"

#include "store/zqtree.h"
#include "store/zqtreecommands.h"

#include <QAction>

using namespace Qt::Literals::StringLiterals;

TzqTreeMenu::TzqTreeMenu(TzqTreeCommands* commands, QWidget* parent)
    : QMenu(parent), FCommands(commands)
{
    setObjectName(u"popTree"_s);
    TzqTree* tree = commands->Tree();
    auto item = [this](const char* name, const QString& caption, auto&& run) {
        QAction* action = addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, run);
        return action;
    };
    auto onContext = [tree](void (TzqTreeCommands::*command)(const QModelIndex&),
                            TzqTreeCommands* target) {
        return [tree, command, target] { (target->*command)(tree->ContextNode()); };
    };

    tbiCut = item("tbiCut", u"잘라내기"_s, [commands] { commands->Cut(); });
    tbiCopy = item("tbiCopy", u"복사하기"_s, [commands] { commands->Copy(); });
    tbiPaste = item("tbiPaste", u"붙여넣기"_s, [commands] { commands->Paste(); });
    addSeparator();
    tbiRename =
        item("tbiRename", u"이름 바꾸기"_s, onContext(&TzqTreeCommands::RenameNode, commands));
    tbiDelete = item("tbiDelete", u"삭제"_s, onContext(&TzqTreeCommands::DeleteNode, commands));
    addSeparator();
    tbiNewFolder =
        item("tbiNewFolder", u"새 폴더 만들기"_s, [commands] { commands->NewFolderAtContext(); });
    tbiNewNote =
        item("tbiNewNote", u"새 노트 만들기"_s, [commands] { commands->NewNoteAtContext(); });
    addSeparator();
    tbiBrowser =
        item("tbiBrowser", u"브라우저로 열기"_s, [commands] { commands->OpenInBrowser(); });
    tbiExplorer =
        item("tbiExplorer", u"탐색기로 열기"_s, [commands] { commands->OpenInFileManager(); });
    tbiSaveNoteToMht = item("tbiSaveNoteToMht", u"mht 파일로 저장"_s,
                            [commands] { commands->SaveMhtAtContext(); });
    tbiMakeZipfile =
        item("tbiMakeZipfile", u"zip 파일 만들기"_s, [commands] { commands->MakeZipAtContext(); });
    tbiGarbage =
        item("tbiGarbage", u"불필요 파일 삭제"_s, [commands] { commands->CleanUpAtContext(); });
    addSeparator();
    tbiRefresh = item("tbiRefresh", u"트리 갱신"_s, [commands] { commands->RefreshTree(); });
    tbiToRoot = item("tbiToRoot", u"루트로 이동"_s, [commands] { commands->MoveToRoot(); });

    tbiPaste->setEnabled(false);
    connect(tree, &TzqTree::PasteEnabledChanged, tbiPaste, &QAction::setEnabled);
}

void TzqTreeMenu::Prepare(const QModelIndex& node)
{
    TzqTree* tree = FCommands->Tree();
    tree->SetContextNode(node);
    const bool overNode = node.isValid();
    tbiCut->setEnabled(overNode);
    tbiRename->setEnabled(overNode);
    tbiDelete->setEnabled(overNode);
    // Over empty space these two keep their last state; without a node they do nothing.
    if (overNode) {
        tbiBrowser->setEnabled(tree->Model()->IsNote(node));
        tbiToRoot->setEnabled(node.parent().isValid());
    }
    // A node on the tree's clipboard that has left the tree is not pasted.
    tbiPaste->setEnabled(FCommands->CanPaste());
}

void TzqTreeMenu::PopupAt(const QModelIndex& node, const QPoint& globalPos)
{
    Prepare(node);
    popup(globalPos);
}
