#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What the note editor's logic (TzqNoteEditor) needs from the main window and the tree: the
// two modes, the current page, the store and the settings it reads, and the few things it
// makes them do. Tests implement it with a scripted fake.
class IzqEditorHost {
public:
    virtual ~IzqEditorHost() = default;

    // 0 browse, 1 edit, 2 source.
    virtual int ViewMode() const = 0;
    // The tree (not the search list) is shown.
    virtual bool TreeMode() const = 0;
    // The tree's current page, a full path with "/"; empty when none is shown.
    virtual QString CurrentPage() const = 0;
    // The open data directory, a full path with "/", without a trailing separator.
    virtual QString RootDir() const = 0;
    // The open data directory is shared: edit markers are written.
    virtual bool Shared() const = 0;
    // The user name written into edit markers.
    virtual QString MyName() const = 0;

    // Settings. The charset label that replaces "unicode" in a saved document (untrimmed).
    virtual QString CharSet() const = 0;
    // Minutes between two auto-saves (tmAuto).
    virtual int AutoSaveMinutes() const = 0;
    // An outside change of the open note is asked about (true) or only told (CMsg).
    virtual bool ChangeMsg() const = 0;
    // The document written for a missing folder note, as CP949 lines.
    virtual QList<QByteArray> FolderNoteDefault() const = 0;

    // The navigation history records a page that was loaded.
    virtual void AddToHistory(const QString& path) = 0;
    // Selects the page below the store root named by a relative page path ("Work\Plan.htm");
    // false when there is none.
    virtual bool SelectByRelativePath(const QString& relativePath) = 0;
    // Opens a path on disk or an address with its default program.
    virtual void OpenWithShell(const QString& target) = 0;
    // The edit and source mode items; disabled while another user edits the current note.
    virtual void SetEditItemsEnabled(bool enabled) = 0;
    // The main window's status label.
    virtual void ShowStatusText(const QString& text) = 0;
};

// What the user answers when a note is saved over a version someone else wrote meanwhile.
enum class TzqSaveConflictAnswer {
    Overwrite, // the user's version replaces the other one
    KeepBoth,  // the user's version goes beside the note, the other one stays
    Cancel,    // nothing is written
};

// The editor's questions and notices to the user.
class IzqEditorUi {
public:
    virtual ~IzqEditorUi() = default;
    // A modal error box.
    virtual void ShowError(const QString& text) = 0;
    // The self-closing notification box.
    virtual void ShowMsgBox(const QString& text) = 0;
    // "노트 파일 변경": "노트가 변경되었습니다." CR LF "다시 읽어 들일까요?", OK and Cancel;
    // true on OK.
    virtual bool AskReload() = 0;
    // The note file page was written by someone else since it was loaded: overwrite it, keep
    // both versions, or write nothing.
    virtual TzqSaveConflictAnswer AskSaveConflict(const QString& page) = 0;
};
