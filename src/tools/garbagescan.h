#pragma once

#include "platform/noteencoding.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

// The folder clean-up: finds the files in the file folders of one note folder that no note of
// that folder refers to, and moves them (and the file folders they leave empty) to the Trash.
//
// A note refers to a file in many spellings: "__a\x.jpg", "__a/x.jpg", percent escapes
// ("%20", "%ED%95%9C"), character references ("&#xB618;", "&#46024;", "&amp;"), absolute
// addresses ("zqnote:///home/u/Book/__a/x.jpg") and other letter cases (stores made on
// Windows). Each note is decoded in its own encoding and brought to one normal form
// (NormalizeReferenceText); a file counts as referred to when its normal form follows a
// normalised file folder name and "/" anywhere in any note of the folder. Whatever is in doubt
// keeps the file: a note that cannot be read stops the scan, file folders of notes another user
// is editing are left out, links are never listed.

// The text in the form references are compared in: character references decoded (numeric
// ones and amp, lt, gt, quot, apos, nbsp), then percent escapes decoded (UTF-8, else CP949),
// "\" made "/", and letter case folded.
QString NormalizeReferenceText(QStringView text);

// The candidates of one file folder (a bare name such as "__a" directly in folder): the
// regular files in it, hidden ones included, as "__a\file" in the order the file system
// lists them. Directories, links and special files are never candidates.
QStringList CollectFolderFiles(const QString& folder, const QString& fileFolder);

// True when the directory holds nothing at all, hidden entries included.
bool IsFolderEmpty(const QString& dir);

// The note's bytes with every empty anchor element removed: an opening tag "<a" followed by
// white space or ">" (not "<abbr>"), up to its ">" (quoted values may hold ">"), directly
// followed by "</a>", letter case ignored. Only those bytes go; line ends and everything else
// stay as they are. UTF-16 notes are handled in their own code units. *changed tells whether
// anything was removed.
QByteArray DropEmptyAnchors(QByteArrayView bytes, TzqNoteEncoding encoding, bool* changed);
// Whether DropEmptyAnchors would remove anything, without the copy.
bool HasEmptyAnchors(QByteArrayView bytes, TzqNoteEncoding encoding);

// What the delete did.
struct TGarbageDeleteResult {
    // Candidates moved to the Trash, "__a\x.jpg".
    QStringList Trashed;
    // Candidates left in place, each as a full native path with the reason; candidates a note
    // refers to by now are left without a line here.
    QStringList Left;
    // File folders moved to the Trash because they were empty.
    QStringList FoldersTrashed;
    // Notes whose empty anchors were removed (file names).
    QStringList NotesWritten;
    // Notes that could not be written, each with the reason.
    QStringList NotesFailed;
    // True when the delete was stopped before it was through; what it did by then stays done.
    bool Stopped = false;
    // Candidates it did not come to because it was stopped, "__a\x.jpg".
    QStringList NotTried;

    bool operator==(const TGarbageDeleteResult&) const = default;
};

// What the delete is busy with.
enum class TGarbageDeleteStep {
    ReadNotes,    // reading every note again; nothing has changed yet
    WriteNotes,   // removing the empty anchors of a note
    TrashFiles,   // moving a candidate to the Trash
    TrashFolders, // moving a file folder left empty to the Trash
};

// One clean-up of one folder.
class TGarbageScan {
public:
    // Called between notes with the number done and the total; false cancels the scan.
    using TProgress = std::function<bool(int done, int total)>;

    // Called before each note, file and file folder the delete takes on: the step, how many
    // items of that step are done, their number and the item's name. False stops the delete
    // before that item. Called on the thread the delete runs on.
    using TDeleteProgress =
        std::function<bool(TGarbageDeleteStep step, int done, int total, const QString& item)>;

    // Moves each path to the Trash on its own; returns those left, each with the reason.
    using TTrashFunc = std::function<QStringList(const QStringList& paths)>;

    // userName is the name edit markers are compared with. trash defaults to
    // TrashFilesOneByOne; tests pass one that refuses some files.
    explicit TGarbageScan(const QString& userName, TTrashFunc trash = {});

    // Finds the candidates of folder (a full path). Only the notes (".htm" and ".html" files)
    // and the file folders (directories whose names begin "__") directly in it are looked at.
    // Nothing on disk changes. False when the progress cancelled; the lists are empty then.
    // Throws EzqError, naming the note, when a note cannot be read (lists empty too).
    bool ScanFolder(const QString& folder, const TProgress& progress = {});

    const QString& Folder() const { return FFolder; }
    // Names of the file folders found, in the order listed.
    const QStringList& FileFolders() const { return FFileFolders; }
    // Files no note refers to, "__a\x.jpg", in the order found.
    const QStringList& Candidates() const { return FCandidates; }
    // Notes (file names) whose empty anchors the delete removes.
    const QStringList& AnchorNotes() const { return FAnchorNotes; }

    // Removes the empty anchors of the notes nobody else is editing, then moves each candidate
    // of items (default: all) to the Trash on its own, then the listed file folders that are
    // empty. Every note is read again first and a candidate one of them now refers to, or
    // that is no longer a plain file, stays. Throws EzqError when a note cannot be read, before
    // anything changed. A progress that stops it leaves every item whole: a note is rewritten
    // and a file moved entirely or not at all. Safe to run on a thread of its own as long as
    // the scan is not changed meanwhile.
    TGarbageDeleteResult DeleteGarbage(const QStringList& items,
                                       const TDeleteProgress& progress = {});
    TGarbageDeleteResult DeleteGarbage() { return DeleteGarbage(FCandidates); }

private:
    struct TNote {
        QString Path;
        QByteArray Bytes;
    };
    // The cleaned folder's notes (links among them), file folders (no links) and the base
    // names of its edit markers.
    struct TEntries {
        QStringList Notes;
        QSet<QString> LinkedNotes;
        QStringList FileFolders;
        QSet<QString> Marked;
    };
    TEntries ReadEntries() const;
    QList<TNote> ReadNotes(const QStringList& notes, const TProgress& progress,
                           bool* cancelled) const;
    QStringList Unreferenced(const QStringList& candidates, const QList<TNote>& notes) const;
    bool IsLockedNote(const TEntries& entries, const QString& note) const;
    void Clear();

    QString FUserName;
    TTrashFunc FTrash;
    QString FFolder;
    QStringList FFileFolders;
    QStringList FCandidates;
    QStringList FAnchorNotes;
};
