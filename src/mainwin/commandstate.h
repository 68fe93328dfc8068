#pragma once

// Which of the main window's commands are enabled, from the window's state.
struct TzqCommandInput {
    int ViewMode = 0;       // 0 browse, 1 edit, 2 source
    bool TreeMode = true;   // the tree (not the search list) is shown
    bool CanGoBack = false; // the history has an earlier page
    bool CanGoForward = false;
    bool LockedByOther = false; // another user edits the current note
};

struct TzqCommandState {
    bool Save = false;
    bool Replace = false;
    bool GoBack = false;
    bool GoForward = false;
    bool Zoom = false;
    bool Reload = false; // the tool-bar button; the action itself is always enabled
    bool BrowseItem = false;
    bool EditItems = false; // edit and source items
    bool Send = false;      // zip, web archive and mail of the page shown
};

inline TzqCommandState ComputeCommandState(const TzqCommandInput& in)
{
    TzqCommandState s;
    s.Save = in.ViewMode == 1 || in.ViewMode == 2;
    s.Replace = in.ViewMode == 2 && in.TreeMode;
    s.GoBack = in.CanGoBack && in.TreeMode;
    s.GoForward = in.CanGoForward && in.TreeMode;
    s.Zoom = in.TreeMode && (in.ViewMode == 0 || in.ViewMode == 1);
    s.Reload = in.TreeMode;
    s.BrowseItem = in.TreeMode;
    s.EditItems = in.TreeMode && !in.LockedByOther;
    s.Send = in.TreeMode && in.ViewMode != 2;
    return s;
}
