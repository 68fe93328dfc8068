#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The one way the program copies, moves, renames and deletes user files: whole lists of files
// and folders, recursively, with replace questions, progress and the Trash.
//
// An operation either completes or leaves both sides as they were: a cancel or an error undoes
// what was already moved, copied, replaced or trashed (only items deleted for good after an
// explicit Yes cannot come back).

enum class TzqFileOp { Move = 1, Copy = 2, Delete = 3, Rename = 4 };

// Flags of ShellFileOp, with the values the store has always passed.
inline constexpr int zqFofSilent = 0x04;         // no progress
inline constexpr int zqFofNoConfirmation = 0x10; // never ask; existing targets are replaced
inline constexpr int zqFofAllowUndo = 0x40;      // deleted items go to the Trash

enum class TzqReplaceAnswer { Replace, Skip, ReplaceAll, Cancel };
enum class TzqDeleteAnswer { Yes, No, Cancel };

// What a file operation needs from the user.
class IzqFileOpUi {
public:
    virtual ~IzqFileOpUi() = default;

    // The target item exists. For a folder, Replace means: copy or move into it, asking again
    // for every file of the same name. ReplaceAll answers every later question too.
    virtual TzqReplaceAnswer AskReplace(const QString& existing, bool isFolder) = 0;

    // Whether to delete an item for good: trashFailed tells that it cannot go to the Trash,
    // otherwise a delete without the Trash was asked for.
    virtual TzqDeleteAnswer AskDeleteForGood(const QString& path, bool isFolder,
                                             bool trashFailed) = 0;

    // Files done of total, before the item current is handled (repeated during long copies).
    // Returning false cancels the operation.
    virtual bool Progress(int done, int total, const QString& current) = 0;

    // The operation has ended; hide the progress.
    virtual void ProgressDone() = 0;

    // Why the operation failed.
    virtual void ShowError(const QString& text) = 0;
};

// Moves or copies sources into target when target is a folder; a single source whose target
// is not a folder is moved or copied under target as its new full path (missing parent folders
// are created), several sources into a target that does not exist create it as a folder.
// Rename: target is the single source's new full path and must not exist. Delete: target is
// unused; with zqFofAllowUndo items go to the Trash, and an item the Trash refuses is deleted
// for good only when the user answers Yes.
//
// A null ui never asks (existing targets are replaced, nothing is deleted for good in place of
// the Trash) and shows nothing. True only when everything asked for was done; a skipped
// replace still counts as done, a cancel, an error or a declined delete gives false.
bool ShellFileOp(const QStringList& sources, const QString& target, TzqFileOp op, int flags,
                 IzqFileOpUi* ui);

// How a move within one file system is made; tests replace it to play a second file system or
// a failing disk.
enum class TzqRenameResult { Done, CrossDevice, Failed };
using TzqRenameFunc =
    std::function<TzqRenameResult(const QString& from, const QString& to, QString* error)>;

// Installs the rename used by ShellFileOp (an empty function restores the system's own) and
// returns the one installed before.
TzqRenameFunc SetFileOpRenameFunc(TzqRenameFunc rename);

// Moves each file or folder to the Trash on its own, so one that cannot go does not bring back the
// others. Nothing is ever deleted for good. Returns the files left in place, each with why.
QStringList TrashFilesOneByOne(const QStringList& paths);
