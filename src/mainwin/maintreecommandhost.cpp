#include "mainwin/maintreecommandhost.h"

#include "app/zqprjinfo.h"
#include "mainwin/frmmainql.h"
#include "mainwin/travlist.h"
#include "platform/filemanager.h"
#include "platform/fileopdialogs.h"
#include "platform/guiutil.h"
#include "store/namedialogs.h"
#include "store/zqtreeview.h"

TzqMainTreeCommandHost::TzqMainTreeCommandHost(TfrmMainQL* window)
    : W(window), FFileOpUi(std::make_unique<TzqFileOpDialogs>(window))
{
}

TzqMainTreeCommandHost::~TzqMainTreeCommandHost() = default;

bool TzqMainTreeCommandHost::SaveFile(const QString& page)
{
    return W->SaveFile(page);
}

bool TzqMainTreeCommandHost::SaveIfEditing()
{
    return W->Modes()->SaveIfEditing();
}

void TzqMainTreeCommandHost::LoadCurrentNote()
{
    W->LoadCurrentNote();
}

int TzqMainTreeCommandHost::ViewMode() const
{
    return W->ViewMode();
}

void TzqMainTreeCommandHost::SetViewMode(int mode)
{
    W->SetViewMode(mode);
}

bool TzqMainTreeCommandHost::TreeMode() const
{
    return W->TreeMode();
}

void TzqMainTreeCommandHost::UpdateCaption(const QString& page)
{
    W->UpdateCaption(page);
}

bool TzqMainTreeCommandHost::IsEnglishWindows() const
{
    return W->IsEnglishWindows();
}

bool TzqMainTreeCommandHost::Browse()
{
    W->Modes()->tbiBrowseClick(TzqViewModes::vmBrowse);
    return W->ViewMode() == TzqViewModes::vmBrowse;
}

void TzqMainTreeCommandHost::SetTreeEnabled(bool enabled)
{
    W->MenuAndTree()->TreeView()->setEnabled(enabled);
}

void TzqMainTreeCommandHost::RenameEntries(const QString& oldPage, const QString& newPage)
{
    W->History()->RenameEntries(oldPage, newPage);
}

void TzqMainTreeCommandHost::Validate()
{
    W->History()->Validate();
}

void TzqMainTreeCommandHost::ShowMsgBox(const QString& text)
{
    W->ShowMsgBox(text);
}

void TzqMainTreeCommandHost::ShowMessage(const QString& text)
{
    W->Dialogs()->ShowMessage(text);
}

void TzqMainTreeCommandHost::ShowError(const QString& text)
{
    W->Dialogs()->ShowError(text);
}

bool TzqMainTreeCommandHost::Confirm(const QString& text)
{
    return W->Dialogs()->Confirm(text);
}

std::optional<TzqNewNameAnswer> TzqMainTreeCommandHost::AskNewName(TzqItemKind kind,
                                                                   const QString& dir)
{
    return ::AskNewName(W, kind, dir, W->Tree()->RootDir());
}

std::optional<QString> TzqMainTreeCommandHost::AskUserFileName(TzqItemKind kind, const QString& dir,
                                                               const QString& currentName,
                                                               const QString& caption)
{
    return ::AskUserFileName(W, kind, dir, currentName, caption);
}

IzqFileOpUi* TzqMainTreeCommandHost::FileOpUi()
{
    return FFileOpUi.get();
}

bool TzqMainTreeCommandHost::OpenWithShell(const QString& path)
{
    return ::OpenWithShell(path);
}

void TzqMainTreeCommandHost::ShowInFileManager(const QString& path)
{
    ::ShowInFileManager(path);
}

QString TzqMainTreeCommandHost::MyName() const
{
    return W->MyName();
}

QString TzqMainTreeCommandHost::TemplateDir() const
{
    return PrjInfo->TemplateDir();
}

void TzqMainTreeCommandHost::MakeZipOf(const QString& page)
{
    W->Exports()->MakeZipOf(page);
}

void TzqMainTreeCommandHost::SaveMhtOf(const QString& page)
{
    W->Exports()->SaveMhtOf(page);
}

void TzqMainTreeCommandHost::CleanFolder(const QString& folder)
{
    W->Exports()->CleanFolder(folder);
}
