#pragma once

#include <QString>

#include <optional>

// Choosing the file an export of a page writes: a zip archive or a web archive of a note, or
// of a folder through its page ("___zq_quillet__folder.htm").

// What the choice needs from the user.
class IzqExportUi {
public:
    virtual ~IzqExportUi() = default;

    // The save-file dialog starting at suggested (a full path); it asks itself before an
    // existing file is replaced. Empty on Cancel.
    virtual QString AskSaveFileName(const QString& caption, const QString& suggested,
                                    const QString& filter) = 0;
    // OK and Cancel; true for OK.
    virtual bool Confirm(const QString& text) = 0;
    // Why an export failed.
    virtual void ShowError(const QString& text) = 0;
};

// True when the page is a folder's page: the whole directory is exported.
bool IsWholeFolderExport(const QString& pageFile);

// The name an export of the page offers: the note's name without extension, or for a
// folder's page the folder's name.
QString ExportBaseName(const QString& pageFile);

// The chosen file name with suffix (".zip", ".mht") appended unless its extension already is
// that suffix in any letter case; appended tells whether it was.
QString WithExportSuffix(const QString& chosen, const QString& suffix, bool* appended = nullptr);

// Asks for the target of an export of page into folder dir (empty: the user's home): the
// dialog offers the base name + suffix; a name without the suffix gets it, and when a file of
// that longer name exists the user is asked again before it is replaced (the dialog asked
// about the name as typed). Nothing on Cancel.
std::optional<QString> ChooseExportTarget(IzqExportUi& ui, const QString& caption,
                                          const QString& page, const QString& suffix,
                                          const QString& dir);
