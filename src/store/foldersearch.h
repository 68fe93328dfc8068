#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include "store/notematcher.h"

#include <algorithm>
#include <atomic>
#include <optional>

// The search of notes below a folder: by file name and by raw HTML content, as TNoteMatcher
// tells.

// Every ".htm" file (the extension in lower case exactly) below root, depth first in the order
// the tree shows them: in each directory its folder note, then its subdirectories, then its
// notes, each group in the tree's collation. Names beginning with "." are skipped; file folders
// are searched like any other directory, sorted among them. Links to directories are not
// followed, so the walk stays inside root and cannot loop.
QStringList CollectNoteFiles(const QString& root);

// Puts note paths below one root, found some other way, into the order CollectNoteFiles gives
// them. Paths use "/" between their parts.
void SortLikeTree(QStringList& notePaths);

// The text a search looks for: trimmed, A to Z lower-cased.
QString FoldSearchText(const QString& text);

// The line with every occurrence of searchText (CP949 bytes with A to Z lower-cased) wrapped
// into a highlighting FONT element, each keeping its own letter case. The wrapping is textual:
// a match inside a tag is wrapped as well. Without an occurrence the line is returned as it is.
QByteArray HighlightMatches(QByteArrayView line, QByteArrayView searchText);

// Writes page to displayFile with every occurrence of searchText (as FoldSearchText gives it)
// highlighted, CR LF after each line. A CP949 or UTF-8 note keeps its bytes, byte-order mark and
// meta charset included, so the display reads as the note does; a UTF-16 note is written as
// UTF-8 with a byte-order mark. The page itself is never changed. Throws EzqError when either
// file fails.
void WriteSearchDisplay(const QString& page, const QString& displayFile, const QString& searchText);

// One result entry: the text the list shows and the page file it stands for.
struct TSearchHit {
    QString Text;
    QString Path;
    friend bool operator==(const TSearchHit&, const TSearchHit&) = default;
};

struct TSearchOutcome {
    enum TKind { Done, NoFiles, Failed, Cancelled };
    TKind Kind = Done;
    int Files = 0;
    QList<TSearchHit> Hits; // those found before a failure or a cancel, too
    QString Error;          // the reason of a failure, for the user
};

// One search of the notes below a root for a text. Run works in the calling thread (a worker
// thread of the window, or the test itself) and reports through the signals, which all come from
// that thread; Cancel may be called from any thread. While the calling thread walks the tree,
// reader threads already read and match the notes it has listed; once the walk is over the
// calling thread reads as well.
class TFolderSearch : public QObject {
    Q_OBJECT

public:
    // searchText as FoldSearchText gives it.
    TFolderSearch(const QString& searchText, const QString& root, QObject* parent = nullptr);

    const QString& SearchText() const { return FSearchText; }
    // The search text as CP949 notes hold it.
    const QByteArray& SearchBytes() const { return FMatcher.Cp949Bytes(); }
    // Threads that read notes beside the one calling Run (by default one less than the cores);
    // 0: Run walks the whole tree first, then reads every note in turn.
    void SetReaders(int threads) { FReaders = std::max(0, threads); }

    // The notes Run reads instead of every note below the root, as the search index tells them:
    // the notes that may hold the text and those whose names hold it. The walk is left out; an
    // empty list finds nothing (the notes are there, none holds the text).
    void SetCandidates(QStringList notePaths) { FCandidates = std::move(notePaths); }

    TSearchOutcome Run();
    void Cancel() { FCancelled.store(true, std::memory_order_relaxed); }

    // Name match: a name not beginning with "__" containing the text.
    bool NameMatches(const QString& fileName) const;
    // Content match: some line of a note's bytes, read in the note's encoding, contains the text.
    bool ContentMatches(QByteArrayView bytes) const;
    // The text of a page's result entry; empty when the page gives none (the folder note of
    // the root itself).
    static QString EntryText(const QString& path, const QString& root);

Q_SIGNALS:
    // The number of note files found below the root, once the walk is over; the reading may
    // have begun already.
    void FilesCollected(int total);
    // Hits found since the last report, in the order found, never before FilesCollected: the
    // first as soon as there is one, then at most about every 50 ms. Finished's outcome lists
    // them all again in the tree's order.
    void HitsFound(const QList<TSearchHit>& hits);
    // done of total files matched; not every file is reported.
    void Progress(int done, int total);
    void Finished(const TSearchOutcome& outcome);

private:
    struct TRun;
    void ReadNotes(TRun& run, bool reporting);
    void Report(TRun& run, bool force);

    QString FSearchText;
    QString FRoot;
    TNoteMatcher FMatcher;
    int FReaders = 1;
    std::optional<QStringList> FCandidates;
    std::atomic<bool> FCancelled{false};
};
