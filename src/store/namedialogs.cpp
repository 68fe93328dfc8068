#include "store/namedialogs.h"

#include "store/frmmenuandtree.h"
#include "store/frmnewfoldername.h"
#include "store/frmnewnotename.h"
#include "store/frmuserfilename.h"
#include "store/zqtree.h"

#include <memory>

namespace {

QString TreeRootOf(QWidget* parent)
{
    if (!parent)
        return {};
    const auto* panel = parent->window()->findChild<TfrmMenuAndTree*>();
    return panel && panel->Tree() ? panel->Tree()->RootDir() : QString();
}

} // namespace

std::optional<TzqNewNameAnswer> AskNewName(QWidget* parent, TzqItemKind kind, const QString& dir,
                                           const QString& rootDir)
{
    std::unique_ptr<TfrmNewInputName> dialog;
    if (kind == TzqItemKind::Folder)
        dialog = std::make_unique<TfrmNewFolderName>(parent);
    else
        dialog = std::make_unique<TfrmNewNoteName>(parent);
    dialog->SetRootDir(rootDir.isEmpty() ? TreeRootOf(parent) : rootDir);
    dialog->Init(dir);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    TzqNewNameAnswer answer;
    answer.Name = dialog->Name();
    answer.Title = dialog->RawName();
    if (const TzqTemplate* chosen = dialog->SelectedTemplate())
        answer.TemplateFile = chosen->FileName;
    answer.AtRoot = dialog->AtRoot();
    return answer;
}

std::optional<QString> AskUserFileName(QWidget* parent, TzqItemKind kind, const QString& dir,
                                       const QString& currentName, const QString& caption)
{
    TfrmUserFileName dialog(parent);
    dialog.SetName(currentName);
    dialog.SetTargetDir(dir);
    dialog.SetIsFolder(kind == TzqItemKind::Folder);
    if (!caption.isEmpty())
        dialog.setWindowTitle(caption);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Name();
}
