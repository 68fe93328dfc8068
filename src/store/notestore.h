#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The note store on disk: a page's file folder and edit marker, the rules that turn typed text
// into file names, the names proposed for new notes and folders, and the HTML of new pages.
//
// Full paths use "/"; the helpers of platform/util.h also accept "\". File contents are CP949
// bytes with CR LF after every line.
//
// Letter case: the tree lists a file as a note when its extension is ".htm" in any case, but it
// rebuilds a note's page file with ".htm". On a file system that tells case apart a note stored
// as "Plan.HTM" is therefore listed while its page file "Plan.htm" does not exist; the rules
// below test and write the lower-case ".htm" name only and leave such files as they are.

// What a name is for.
enum class TzqItemKind { Note, Folder };

// ---- File folders -------------------------------------------------------------------------

// The page's directory + "__" + the page's base name with every space made "_". No trailing
// separator; nothing is created. "/n/Work/My plan.htm" gives "/n/Work/__My_plan".
QString NoteFileFolder(const QString& page);

// The older form that kept the spaces: "/n/Work/__My plan".
QString LegacyNoteFileFolder(const QString& page);

// NoteFileFolder of the page, created with any missing parents, with a trailing "/".
// Throws EzqError when the directory cannot be created.
QString EnsureFileFolder(const QString& page);

// ---- Names ----------------------------------------------------------------------------------

// Every \ / : * ? < > | and " becomes "_"; the length stays.
QString MakeValidFileName(const QString& name);

// Removes leading and trailing blanks and control characters (every character up to U+0020).
QString TrimBlanks(const QString& text);

// The answer of a name check of the naming dialogs.
struct TzqNameCheck {
    bool Accepted = false;
    // The refusal, shown in the dialog's caption line; empty when accepted.
    QString Message;
    // True when the name box is to show Name from now on (also after some refusals).
    bool WriteBack = false;
    // The cleaned name; the file or directory is created or renamed under it.
    QString Name;
    // New notes and folders: the text that replaces "<!--title-->" in the template, the typed
    // text trimmed only (reserved characters kept, no HTML escaping).
    QString Title;
};

// The OK check of the new note and new folder dialogs. dir is the directory the item goes
// into (a trailing separator is optional).
TzqNameCheck CheckNewName(const QString& typed, const QString& dir, TzqItemKind kind,
                          bool templateSelected);

// The OK check of the plain name dialog (a new name for a node, or the name of a copy).
// Trailing "_" stay; a name that ends in "." is refused.
TzqNameCheck CheckUserFileName(const QString& typed, const QString& dir, TzqItemKind kind);

// The name proposed for a new note or folder in dir: the directory's own name (or "새 노트" /
// "새 폴더" when it has none) + "_" + the first free number, at least two digits.
QString DefaultNewName(const QString& dir, TzqItemKind kind);

// ---- New pages --------------------------------------------------------------------------------

// Creates or truncates the file and writes every line followed by CR LF.
// Throws EzqError when the file cannot be written.
void WritePageLines(const QString& path, const QList<QByteArray>& lines);

// Writes target from the template: the first "<!--title-->" of every line becomes the title.
// A missing template gives NewPageSkeleton, without the title.
void InstantiateTemplate(const QString& templateFile, const QString& title, const QString& target);

// Each double-quoted reference "oldName\ of the page becomes "newName\ ; the names are bare
// file folder names ("__My_plan"). Nothing else of the page changes, in whatever encoding it
// is; a page without such a reference is not written. Throws EzqError when the page cannot be
// read or written.
void RewriteFileFolderRefs(const QString& page, const QString& oldName, const QString& newName);

// ---- Edit markers -----------------------------------------------------------------------------

// The page file's path with its extension replaced by ".qzmod".
QString EditMarkerPath(const QString& page);

// On a shared data directory, (over)writes the page's marker with the user name + CR LF;
// on an unshared one does nothing. Throws EzqError when the marker cannot be written.
void WriteEditMarker(const QString& page, const QString& userName, bool shared);

// The name in the marker's first line; empty when there is no marker.
// Throws EzqError when the marker exists but cannot be read.
QString ReadEditMarker(const QString& page);

// True when a marker exists and its first line is not exactly the user name.
// Throws EzqError when the marker exists but cannot be read.
bool IsLockedByOther(const QString& page, const QString& userName);

// Deletes the page's marker, whoever wrote it. False when a marker is still there afterwards.
bool DeleteEditMarker(const QString& page);

// ---- Korean interface ------------------------------------------------------------------------

// True when the Korean interface text cannot be shown: no CP949 conversion, or no font with
// Hangul (as told by SetHangulFontAvailable). Creating notes and folders, changing the view mode
// and dragging in the tree are refused then.
bool IsEnglishWindows();

// The GUI tells at start-up whether a font covers Hangul (HangulFontAvailable of
// store/guistore.h). Until then fonts count as available.
void SetHangulFontAvailable(bool available);
