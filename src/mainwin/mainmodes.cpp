#include "mainwin/mainmodes.h"

#include "app/zqprjinfo.h"
#include "editor/zqnoteeditor.h"
#include "mainwin/frmmainql.h"
#include "mainwin/travlist.h"
#include "store/notestore.h"

#include <QLabel>
#include <QProgressBar>
#include <QToolButton>
#include <algorithm>

TzqMainModes::TzqMainModes(TfrmMainQL* window) : QObject(window), W(window) {}

void TzqMainModes::SetStatusWidgets(QToolButton* toTree, QToolButton* toSearch, QLabel* status,
                                    QProgressBar* progress)
{
    btnToTreeMode = toTree;
    btnToSearchMode = toSearch;
    labStatus = status;
    bar = progress;
}

void TzqMainModes::SetViewMode(int mode)
{
    FModes.SetViewMode(mode);
    W->MainCommands()->UpdateActions();
}

void TzqMainModes::tbiBrowseClick(int wanted)
{
    FModes.tbiBrowseClick(wanted);
    W->MainCommands()->UpdateActions();
}

bool TzqMainModes::SetTreeMode(bool tree)
{
    const bool done = FModes.SetTreeMode(tree);
    W->MainCommands()->UpdateActions();
    return done;
}

void TzqMainModes::btnToTreeModeClick()
{
    SetTreeMode(true);
    btnToTreeMode->setChecked(true);
    // Back to the last result shown, now selected in the tree.
    if (W->MenuAndTree()->HasSearchResults())
        W->MainCommands()->GoHistory(-1);
}

bool TzqMainModes::btnToSearchModeClick()
{
    W->AddToHistory(W->Tree()->CurrentPage());
    // The note being edited is saved first; when it cannot be, the tree stays.
    if (!SetTreeMode(false)) {
        btnToTreeMode->setChecked(true);
        return false;
    }
    btnToSearchMode->setChecked(true);
    W->MenuAndTree()->SetPanelMode(TfrmMenuAndTree::TPanelMode::Search);
    return true;
}

// IzqViewModeHost

bool TzqMainModes::IsEnglishWindows() const
{
    return ::IsEnglishWindows();
}

QString TzqMainModes::CurrentPage() const
{
    return W->CurrentPage();
}

bool TzqMainModes::EditItemEnabled() const
{
    return W->MainCommands()->EditItemsEnabled();
}

void TzqMainModes::UpdateCaption(const QString& page)
{
    W->UpdateCaption(page);
}

void TzqMainModes::DeleteEditMarker(const QString& page)
{
    if (!page.isEmpty())
        W->DhtmlEditor()->Logic()->DeleteEditMarker(page);
}

bool TzqMainModes::IsLockedByOther(const QString& page)
{
    // The edit and source items follow the answer (SetEditItemsEnabled), also for no page.
    return W->DhtmlEditor()->Logic()->IsLockedByOther(page);
}

void TzqMainModes::WriteEditMarker(const QString& page)
{
    if (!page.isEmpty())
        W->DhtmlEditor()->Logic()->WriteEditMarker(page);
}

bool TzqMainModes::SaveIfEditing()
{
    return W->DhtmlEditor()->SaveIfEditing();
}

void TzqMainModes::ModeChanged()
{
    W->DhtmlEditor()->ModeChanged();
    if (W->Input())
        W->Input()->ModeChanged();
}

void TzqMainModes::FocusLater()
{
    W->FocusLater();
}

QString TzqMainModes::TextEditor() const
{
    return PrjInfo->TextEditor();
}

void TzqMainModes::OpenWithTextEditor(const QString& page)
{
    PrjInfo->OpenWithTextEditor(page);
}

void TzqMainModes::ShowMessage(const QString& text)
{
    W->Dialogs()->ShowMessage(text);
}

void TzqMainModes::CheckModeItem(int mode)
{
    W->MainCommands()->CheckModeItem(mode);
}

void TzqMainModes::SetPanelMode(bool tree)
{
    W->MenuAndTree()->SetPanelMode(tree ? TfrmMenuAndTree::TPanelMode::Tree
                                        : TfrmMenuAndTree::TPanelMode::Search);
}

void TzqMainModes::TreeModeChanged(bool tree)
{
    btnToTreeMode->setChecked(tree);
    btnToSearchMode->setChecked(!tree);
    bar->setValue(0);
    bar->setVisible(!tree);
    labStatus->setVisible(tree);
    W->MainCommands()->UpdateActions();
}

void TzqMainModes::LoadCurrentNote()
{
    W->LoadCurrentNote();
}

// IzqTreePanelHost

bool TzqMainModes::SaveCurrentPage()
{
    return W->DhtmlEditor()->SaveFile(W->Tree()->CurrentPage());
}

void TzqMainModes::ClearHistory()
{
    W->History()->Clear();
    W->MainCommands()->UpdateActions();
}

void TzqMainModes::AddToHistory(const QString& path)
{
    W->AddToHistory(path);
}

void TzqMainModes::ShowSearchResult(const QString& path)
{
    W->DhtmlEditor()->LoadFile(path);
}

void TzqMainModes::SearchProgress(int done, int total)
{
    bar->setMaximum(std::max(total, 1));
    bar->setValue(std::min(done, std::max(total, 1)));
}

void TzqMainModes::ShowWarning(const QString& text)
{
    W->Dialogs()->ShowWarning(text);
}

void TzqMainModes::ShowError(const QString& text)
{
    W->Dialogs()->ShowError(text);
}

bool TzqMainModes::SwitchToSearchMode()
{
    return btnToSearchModeClick();
}
