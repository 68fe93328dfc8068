#pragma once

#include "store/notekeys.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

// One note as the search index knows it. Segment 0: the note is not filed under keys (it may
// not be CP949) and a search always reads it.
struct TIndexNote {
    QString Path; // below the data directory, with "/"
    qint64 Size = 0;
    qint64 MTime = 0; // nanoseconds
    std::uint32_t Id = 0;
    std::uint32_t Segment = 0;
};

// A batch of notes filed together: their ids run from First, Count of them.
struct TIndexSegment {
    std::uint32_t Segment = 0;
    std::uint32_t First = 0;
    std::uint32_t Count = 0;
};

// The notes filed in one batch, with the keys of each, ready to be written.
struct TSegmentDraft {
    std::vector<TIndexNote> Notes;      // Id and Segment are given by the write
    notekeys::TPostings Keys;           // per key: the positions in Notes of the notes holding it
    std::vector<TIndexNote> Unfiled;    // notes a search always reads
    std::vector<std::uint32_t> Removed; // ids of notes that go
    qint64 NoteBytes = 0;               // bytes of the filed notes
};

// The search index of one data directory in an SQLite file of the user's cache: the notes with
// their sizes and times, and for each key and batch the notes holding it. Every change is one
// transaction, so a run killed halfway leaves the last complete state; every row carries a
// checksum, so damage is noticed instead of giving wrong answers.
class TIndexDb {
public:
    TIndexDb();
    ~TIndexDb();
    TIndexDb(const TIndexDb&) = delete;
    TIndexDb& operator=(const TIndexDb&) = delete;

    // Opens the file for root, or makes it anew (removing what is there) when it is missing,
    // damaged, of another format or of another root. False when no file can be made.
    bool OpenForWriting(const QString& file, const QString& root);
    // Read-only, for a search running beside the writer.
    bool OpenForReading(const QString& file);
    void Close();
    // Closes and removes the file with its log.
    void Remove(const QString& file);

    // The whole state; none when a row is damaged.
    std::optional<std::vector<TIndexNote>> LoadNotes();
    std::optional<std::vector<TIndexSegment>> LoadSegments();
    // Every note of the data directory was filed once: the index can answer.
    bool Complete();
    void SetComplete(bool complete);

    // Writes a batch in one transaction: the notes get new ids and, when there are keys, a
    // segment of their own; removed notes go. Keys found in too many notes for the space the
    // index may take are written as found in all of the segment. False on failure.
    bool Write(TSegmentDraft& draft, std::uint32_t& nextId, std::uint32_t& nextSegment,
               TIndexSegment& written);
    // Drops the postings of segments no live note refers to any more.
    bool DropSegments(const std::vector<std::uint32_t>& segments);

    // The notes of each segment that may hold every key (positions within the segment), or
    // none for a segment where a key is known for all. False when the index is damaged or a
    // segment asked for is no longer there.
    struct TSegmentAnswer {
        std::uint32_t Segment = 0;
        bool All = true;
        std::vector<std::uint32_t> Positions;
    };
    bool Candidates(const std::vector<notekeys::TKey>& keys,
                    const std::vector<TIndexSegment>& segments,
                    std::vector<TSegmentAnswer>& answers);

    // Bytes of the file, its write-ahead log included.
    static qint64 FileBytes(const QString& file);

private:
    bool Exec(const char* sql);
    bool CreateSchema(const QString& root);
    bool Check(const QString& root);

    sqlite3* FDb = nullptr;
};
