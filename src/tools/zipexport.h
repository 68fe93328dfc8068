#pragma once

#include <QList>
#include <QString>

#include <atomic>
#include <functional>

// What goes into the zip archive of a page: a note with its file folder, or a folder's page
// with everything below its directory. Entry names are relative to the page's directory, so
// an exported folder's own name is never part of them.

// One file of an export.
struct TzqZipItem {
    QString Path;  // absolute
    QString Entry; // relative, with "/"
    qint64 Size = 0;
};

// The files of the export in archive order: depth first, names in the tree's order within a
// directory. A single note comes first, then its file folder (and the older form of the file
// folder that kept spaces, when it exists). Hidden files are included; directories whose name
// begins with "." and symbolic links to directories are not descended into; the file `skip`
// (the archive being written) is left out.
QList<TzqZipItem> CollectZipItems(const QString& pageFile, const QString& skip = QString());

// Writes the archive of the items to target. Runs on any thread; Cancel may come from another.
// Errors are thrown as EzqError; the target is replaced only when the archive is complete.
class TzqZipExport {
public:
    // Bytes of all items done so far, of total; the file being added.
    using TProgress = std::function<void(qint64 done, qint64 total, const QString& entry)>;

    void SetProgress(TProgress progress) { FProgress = std::move(progress); }
    void SetLevel(int level) { FLevel = level; }

    // False when cancelled (nothing was written); true when the archive replaced the target.
    bool Run(const QList<TzqZipItem>& items, const QString& target);
    // Stops the run at the next chunk of data.
    void Cancel() { FCancel = true; }

private:
    TProgress FProgress;
    int FLevel = 9;
    std::atomic<bool> FCancel = false;
};
