#pragma once

#include <QDateTime>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

// Writes a zip archive (stored and deflated entries, no encryption, no 64-bit extensions).
//
// The archive goes to a temporary file beside the target and replaces the target only in
// Commit, so a cancel or an error leaves any older archive of that name as it was and no
// temporary file behind. Files are read and deflated in chunks; nothing holds a whole file.
// Entry names are CP949; a name CP949 cannot hold is stored as UTF-8 with flag bit 11.
//
// Errors (target not writable, a source not readable, the format's limits of 4 GiB and
// 65,535 entries) are raised as EzqError with a Korean message, after the temporary file
// has been discarded.
//
//     TZipArchive zip;
//     zip.Open(target);
//     zip.AddFile(u"/notes/Trip.htm"_s, u"Trip.htm"_s);
//     zip.AddFile(u"/notes/__Trip/a.jpg"_s, u"__Trip/a.jpg"_s); // adds "__Trip/" first
//     zip.Commit();
class TZipArchive {
public:
    // Cumulative count of source bytes read since Open; called after every chunk.
    using TProgress = std::function<void(qint64 bytesDone)>;

    static constexpr int MaxEntries = 65535;

    TZipArchive();
    ~TZipArchive(); // an archive not committed is discarded
    TZipArchive(const TZipArchive&) = delete;
    TZipArchive& operator=(const TZipArchive&) = delete;

    // zlib level, 9 unless set; takes effect at the next Open.
    void SetLevel(int level) { FLevel = level; }
    // When set (the default) every directory level of an entry name gets a folder entry of
    // its own, added before the first entry inside it.
    void SetStoreFolders(bool on) { FStoreFolders = on; }
    void SetProgress(TProgress progress) { FProgress = std::move(progress); }

    // Starts a new archive that will replace `target` on Commit. A cancel request of an
    // earlier run is cleared.
    void Open(const QString& target);
    bool IsOpen() const;

    // Adds the file `sourcePath` as `entryName` with its modification time and attribute bits.
    // False when the source is no regular file (it vanished, or is a directory): nothing is
    // added. False also when a cancel was requested before or during the entry: the archive is
    // then discarded (Cancelled() is true).
    bool AddFile(const QString& sourcePath, const QString& entryName);
    // Adds a folder entry (the name gets its trailing "/"); a folder already present is left.
    // False when the run was cancelled.
    bool AddFolder(const QString& entryName, const QDateTime& time);

    // Writes the central directory and the end record and replaces the target.
    void Commit();
    // Discards the archive being written; the target stays as it was.
    void Cancel();
    // Asks the run to stop at the next chunk; safe to call from the progress callback, from an
    // event handled while it runs, or from another thread.
    void RequestCancel() { FCancelRequested = true; }
    bool Cancelled() const { return FCancelled; }

    int EntryCount() const;

    // The entry name as stored: "\" becomes "/", drive letters, server prefixes and leading
    // separators go, "." components are dropped. Raises EzqError for a ".." component or a
    // name that ends up empty. Half a surrogate pair becomes U+FFFD.
    static QString NormalizeEntryName(const QString& name);
    // MS-DOS date (high word) and time (low word) of a local time, clamped to 1980..2107.
    static quint32 DosDateTime(const QDateTime& time);

private:
    struct TState;
    bool CheckCancel();
    [[noreturn]] void Fail(const QString& message);
    QString EntryName(const QString& entryName);
    void EnsureParents(const QString& name);
    bool AppendFolder(const QString& name, const QDateTime& time);
    // Where the next entry begins; raises the format's limits (entries, 4 GiB offsets).
    quint32 NextEntryOffset();

    std::unique_ptr<TState> F;
    TProgress FProgress;
    int FLevel = 9;
    bool FStoreFolders = true;
    std::atomic<bool> FCancelRequested = false;
    bool FCancelled = false;
};
