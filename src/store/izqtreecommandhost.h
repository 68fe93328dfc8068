#pragma once

#include "store/notestore.h"

#include <QString>
#include <optional>

class IzqFileOpUi;

// What the new note and new folder dialogs answer on OK.
struct TzqNewNameAnswer {
    QString Name;         // the cleaned name the item is created under
    QString Title;        // the typed name, trimmed only: replaces "<!--title-->"
    QString TemplateFile; // the chosen template's file name ("Diary.htm"); empty: none
    bool AtRoot = false;  // "루트에 생성(&N)" was ticked
};

// What the tree's editing commands need from the editor, the main window, the history and the
// dialogs. Operations that the tree's own host has too carry the same names and signatures,
// so one object can serve both.
class IzqTreeCommandHost {
public:
    virtual ~IzqTreeCommandHost() = default;

    // ---- Editor
    // Saves the document shown to page (only edit and source mode write); false when it
    // could not be saved, and the command must stop.
    virtual bool SaveFile(const QString& page) = 0;
    // Saves the page shown when in edit or source mode; false as SaveFile.
    virtual bool SaveIfEditing() = 0;
    // Loads the tree's current page into the view of the current mode.
    virtual void LoadCurrentNote() = 0;

    // ---- Main window
    // 0 browse, 1 edit, 2 source.
    virtual int ViewMode() const = 0;
    virtual void SetViewMode(int mode) = 0;
    // True while the panel shows the tree, false in search mode.
    virtual bool TreeMode() const = 0;
    virtual void UpdateCaption(const QString& page) = 0;
    virtual bool IsEnglishWindows() const = 0;
    // The Browse command: saves, releases the edit marker, switches to browse mode. False
    // when the note could not be saved and the mode stays.
    virtual bool Browse() = 0;
    // The tree control takes no input while a move or copy runs.
    virtual void SetTreeEnabled(bool enabled) = 0;

    // ---- History (full page paths; the history keeps them relative)
    // Every entry of oldPage becomes newPage.
    virtual void RenameEntries(const QString& oldPage, const QString& newPage) = 0;
    // Drops the entries whose page no longer exists.
    virtual void Validate() = 0;

    // ---- Messages
    // The self-closing notification box.
    virtual void ShowMsgBox(const QString& text) = 0;
    // A plain modal message box with OK.
    virtual void ShowMessage(const QString& text) = 0;
    // A modal message box with the error symbol and OK.
    virtual void ShowError(const QString& text) { ShowMessage(text); }
    // A question with OK and Cancel; true for OK.
    virtual bool Confirm(const QString& text) = 0;

    // ---- Name dialogs
    // The new note or new folder dialog for the directory dir (ending in "/"); nothing on
    // Cancel.
    virtual std::optional<TzqNewNameAnswer> AskNewName(TzqItemKind kind, const QString& dir) = 0;
    // The plain name dialog: the name must be free in dir; the name box starts with
    // currentName. caption replaces the dialog's own caption when not empty. Nothing on Cancel.
    virtual std::optional<QString> AskUserFileName(TzqItemKind kind, const QString& dir,
                                                   const QString& currentName,
                                                   const QString& caption) = 0;

    // ---- Platform
    // Replace questions, progress and errors of the file operations.
    virtual IzqFileOpUi* FileOpUi() = 0;
    // Opens a file with the program the system associates with it.
    virtual bool OpenWithShell(const QString& path) = 0;
    // A file manager window with the file or folder selected.
    virtual void ShowInFileManager(const QString& path) = 0;
    // The user name written into edit markers.
    virtual QString MyName() const = 0;
    // The folder of the page templates.
    virtual QString TemplateDir() const = 0;

    // ---- Tools
    // The zip and web archive exports of a page file (a note, or a folder's page for the whole
    // folder) and the clean-up of a folder's file folders; each asks and reports itself.
    virtual void MakeZipOf(const QString& page) {}
    virtual void SaveMhtOf(const QString& page) {}
    virtual void CleanFolder(const QString& folder) {}
};
