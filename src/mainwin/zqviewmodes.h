#pragma once

#include <QString>

// What the view-mode rules need from the editor, the tree and the window.
class IzqViewModeHost {
public:
    virtual ~IzqViewModeHost() = default;
    virtual bool IsEnglishWindows() const = 0;
    virtual QString CurrentPage() const = 0;
    // The edit item is disabled while another user edits the current note.
    virtual bool EditItemEnabled() const = 0;
    virtual void UpdateCaption(const QString& page) = 0;
    virtual void DeleteEditMarker(const QString& page) = 0;
    virtual bool IsLockedByOther(const QString& page) = 0;
    virtual void WriteEditMarker(const QString& page) = 0;
    // Saves the note when in edit or source mode; false when it could not be saved.
    virtual bool SaveIfEditing() = 0;
    // The editor applies the mode just stored (views, timers, reload).
    virtual void ModeChanged() = 0;
    virtual void FocusLater() = 0;
    // The configured external text editor ("" when none).
    virtual QString TextEditor() const = 0;
    virtual void OpenWithTextEditor(const QString& page) = 0;
    // A plain message box.
    virtual void ShowMessage(const QString& text) = 0;
    // The mode items show the mode (exactly one checked).
    virtual void CheckModeItem(int mode) = 0;
    // The panel shows the tree (true) or the search list.
    virtual void SetPanelMode(bool tree) = 0;
    // Mode items, reload, status label and progress bar follow the tree mode.
    virtual void TreeModeChanged(bool tree) = 0;
    virtual void LoadCurrentNote() = 0;
};

// The main window's two states that the tree and the editor consult: the view mode (0 browse,
// 1 edit, 2 source) and the tree mode (the tree shown, or the search list), with the rules
// for changing them and the edit markers around the changes.
class TzqViewModes {
public:
    enum : int { vmNone = -1, vmBrowse = 0, vmEdit = 1, vmSource = 2 };

    explicit TzqViewModes(IzqViewModeHost* host) : FHost(host) {}

    int ViewMode() const { return FViewMode; }
    bool TreeMode() const { return FTreeMode; }
    static bool IsEditing(int mode) { return mode == vmEdit || mode == vmSource; }

    // Stores and applies a mode; source mode with an external editor configured (in tree mode)
    // stays in browse mode and opens the note in that editor.
    void SetViewMode(int mode);
    // A mode item (or its key) was used. Nothing changes when the note being left cannot be
    // saved: the mode, its item and the edit marker stay.
    void tbiBrowseClick(int wanted);
    // The search list (false) or the tree; false when the note could not be saved and the
    // tree stays.
    bool SetTreeMode(bool tree);
    // Before the search list is shown, and when the window closes: the marker goes.
    void ReleaseEditMarker();

private:
    IzqViewModeHost* FHost;
    int FViewMode = vmNone;
    bool FTreeMode = true;
};
