#include "mainwin/zqviewmodes.h"

using namespace Qt::Literals::StringLiterals;

void TzqViewModes::SetViewMode(int mode)
{
    bool external = false;
    if (mode == vmSource && !FHost->TextEditor().isEmpty() && FTreeMode) {
        mode = vmBrowse;
        external = true;
    }
    if (mode != FViewMode) {
        FViewMode = mode;
        FHost->CheckModeItem(mode);
        FHost->ModeChanged();
    }
    if (external)
        FHost->OpenWithTextEditor(FHost->CurrentPage());
}

void TzqViewModes::tbiBrowseClick(int wanted)
{
    if (FHost->IsEnglishWindows()) {
        FHost->ShowMessage(u"You can not edit in English Windows."_s);
        return;
    }
    if (!FHost->EditItemEnabled())
        return;
    const QString page = FHost->CurrentPage();
    // Nothing is shown: there is nothing to edit.
    if (page.isEmpty() && IsEditing(wanted))
        return;
    FHost->UpdateCaption(page);
    // The user's text first: while it is not on disk the note stays open as it is, marker and
    // all.
    if (!FHost->SaveIfEditing()) {
        FHost->CheckModeItem(FViewMode);
        return;
    }
    if (IsEditing(FViewMode)) {
        FHost->DeleteEditMarker(page);
    } else if (IsEditing(wanted) && FHost->IsLockedByOther(page)) {
        FHost->CheckModeItem(vmBrowse);
        return;
    }
    SetViewMode(wanted);
    if (IsEditing(FViewMode))
        FHost->WriteEditMarker(page);
    FHost->FocusLater();
}

bool TzqViewModes::SetTreeMode(bool tree)
{
    if (!tree && tree != FTreeMode && !FHost->SaveIfEditing())
        return false;
    FHost->SetPanelMode(tree);
    if (tree == FTreeMode)
        return true;
    if (tree) {
        FTreeMode = true;
        SetViewMode(vmBrowse);
        FHost->TreeModeChanged(true);
        FHost->LoadCurrentNote();
    } else {
        FTreeMode = false;
        ReleaseEditMarker();
        SetViewMode(vmBrowse);
        FHost->TreeModeChanged(false);
    }
    return true;
}

void TzqViewModes::ReleaseEditMarker()
{
    if (IsEditing(FViewMode) && !FHost->CurrentPage().isEmpty())
        FHost->DeleteEditMarker(FHost->CurrentPage());
}
