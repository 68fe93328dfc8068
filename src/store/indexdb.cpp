#include "store/indexdb.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <unordered_map>

using namespace Qt::Literals::StringLiterals;

namespace {

// Changes whenever what the file holds is read differently.
constexpr const char* Format = "zqQuillet search index 2";
// Postings may take this share of the bytes of the notes they file; the rest of the quarter the
// index may take is left to the notes' rows and the file's own structure.
constexpr double PostingsShare = 0.15;
// What a key's row costs beside its list.
constexpr qint64 RowBytes = 16;

// A prepared statement, finalized when it goes.
class TStatement {
public:
    TStatement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &FStmt, nullptr) != SQLITE_OK)
            FStmt = nullptr;
    }
    ~TStatement() { sqlite3_finalize(FStmt); }
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    explicit operator bool() const { return FStmt != nullptr; }
    sqlite3_stmt* operator*() const { return FStmt; }
    void Reset()
    {
        sqlite3_reset(FStmt);
        sqlite3_clear_bindings(FStmt);
    }
    void Bind(int i, qint64 v) { sqlite3_bind_int64(FStmt, i, v); }
    void Bind(int i, const QByteArray& v)
    {
        sqlite3_bind_blob(FStmt, i, v.constData(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    bool Done() { return sqlite3_step(FStmt) == SQLITE_DONE; }
    bool Row() { return sqlite3_step(FStmt) == SQLITE_ROW; }
    qint64 Int(int c) const { return sqlite3_column_int64(FStmt, c); }
    QByteArrayView Blob(int c) const
    {
        return {static_cast<const char*>(sqlite3_column_blob(FStmt, c)),
                sqlite3_column_bytes(FStmt, c)};
    }

private:
    sqlite3_stmt* FStmt = nullptr;
};

std::uint32_t NoteSum(const QByteArray& path, qint64 size, qint64 mtime, qint64 id, qint64 segment)
{
    return notekeys::Checksum(QByteArray(path + '|' + QByteArray::number(size) + '|' +
                                         QByteArray::number(mtime) + '|' + QByteArray::number(id) +
                                         '|' + QByteArray::number(segment)));
}

std::uint32_t SegmentSum(qint64 segment, qint64 first, qint64 count)
{
    return notekeys::Checksum(QByteArray(QByteArray::number(segment) + '|' +
                                         QByteArray::number(first) + '|' +
                                         QByteArray::number(count)));
}

} // namespace

TIndexDb::TIndexDb() = default;

TIndexDb::~TIndexDb()
{
    Close();
}

void TIndexDb::Close()
{
    if (FDb)
        sqlite3_close_v2(FDb);
    FDb = nullptr;
}

bool TIndexDb::Exec(const char* sql)
{
    return FDb && sqlite3_exec(FDb, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void TIndexDb::Remove(const QString& file)
{
    Close();
    for (const QString& part :
         QStringList{file, file + u"-wal"_s, file + u"-shm"_s, file + u"-journal"_s})
        QFile::remove(part);
}

qint64 TIndexDb::FileBytes(const QString& file)
{
    return QFileInfo(file).size() + QFileInfo(file + u"-wal"_s).size();
}

bool TIndexDb::OpenForReading(const QString& file)
{
    Close();
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &FDb, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        Close();
        return false;
    }
    sqlite3_busy_timeout(FDb, 2000);
    return true;
}

bool TIndexDb::OpenForWriting(const QString& file, const QString& root)
{
    Close();
    const QByteArray name = QFile::encodeName(file);
    if (QFileInfo::exists(file)) {
        if (sqlite3_open_v2(name.constData(), &FDb, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
            Check(root))
            return true;
        // Damaged, of another format or another data directory: made anew.
        Remove(file);
    }
    if (sqlite3_open_v2(name.constData(), &FDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK ||
        !CreateSchema(root)) {
        Close();
        return false;
    }
    return true;
}

bool TIndexDb::Check(const QString& root)
{
    sqlite3_busy_timeout(FDb, 2000);
    TStatement format(FDb, "SELECT value FROM meta WHERE name = 'format'");
    TStatement owner(FDb, "SELECT value FROM meta WHERE name = 'root'");
    if (!format || !owner || !format.Row() || format.Blob(0) != QByteArrayView(Format) ||
        !owner.Row() || owner.Blob(0) != root.toUtf8())
        return false;
    TStatement check(FDb, "PRAGMA quick_check");
    if (!check || !check.Row() || check.Blob(0) != QByteArrayView("ok"))
        return false;
    return Exec("PRAGMA journal_mode = WAL") && Exec("PRAGMA synchronous = OFF");
}

bool TIndexDb::CreateSchema(const QString& root)
{
    // A log that is never synced: a program killed midway leaves the last whole transaction (the
    // system still writes what it was given); only a system that goes down may leave damage,
    // which the checksums find and a new build mends. The index is a cache, not the user's data.
    if (!Exec("PRAGMA journal_mode = WAL") || !Exec("PRAGMA synchronous = OFF") || !Exec("BEGIN") ||
        !Exec("CREATE TABLE meta (name TEXT PRIMARY KEY, value BLOB NOT NULL)") ||
        !Exec("CREATE TABLE notes (id INTEGER PRIMARY KEY, path BLOB NOT NULL, size INTEGER, "
              "mtime INTEGER, seg INTEGER, sum INTEGER)") ||
        !Exec("CREATE TABLE segments (seg INTEGER PRIMARY KEY, first INTEGER, count INTEGER, "
              "sum INTEGER)") ||
        !Exec("CREATE TABLE postings (key INTEGER, seg INTEGER, ids BLOB, "
              "PRIMARY KEY (key, seg)) WITHOUT ROWID"))
        return false;
    TStatement meta(FDb, "INSERT INTO meta VALUES (?1, ?2)");
    for (const auto& [name, value] : {std::pair{QByteArray("format"), QByteArray(Format)},
                                      std::pair{QByteArray("root"), root.toUtf8()},
                                      std::pair{QByteArray("complete"), QByteArray("0")}}) {
        meta.Reset();
        meta.Bind(1, name);
        meta.Bind(2, value);
        if (!meta.Done())
            return false;
    }
    return Exec("COMMIT");
}

bool TIndexDb::Complete()
{
    TStatement st(FDb, "SELECT value FROM meta WHERE name = 'complete'");
    return st && st.Row() && st.Blob(0) == QByteArrayView("1");
}

void TIndexDb::SetComplete(bool complete)
{
    TStatement st(FDb, "UPDATE meta SET value = ?1 WHERE name = 'complete'");
    if (!st)
        return;
    st.Bind(1, QByteArray(complete ? "1" : "0"));
    st.Done();
}

std::optional<std::vector<TIndexNote>> TIndexDb::LoadNotes()
{
    TStatement st(FDb, "SELECT id, path, size, mtime, seg, sum FROM notes");
    if (!st)
        return std::nullopt;
    std::vector<TIndexNote> notes;
    while (st.Row()) {
        const QByteArray path = st.Blob(1).toByteArray();
        if (NoteSum(path, st.Int(2), st.Int(3), st.Int(0), st.Int(4)) !=
                static_cast<std::uint32_t>(st.Int(5)) ||
            path.isEmpty())
            return std::nullopt;
        notes.push_back({QString::fromUtf8(path), st.Int(2), st.Int(3),
                         static_cast<std::uint32_t>(st.Int(0)),
                         static_cast<std::uint32_t>(st.Int(4))});
    }
    return notes;
}

std::optional<std::vector<TIndexSegment>> TIndexDb::LoadSegments()
{
    TStatement st(FDb, "SELECT seg, first, count, sum FROM segments");
    if (!st)
        return std::nullopt;
    std::vector<TIndexSegment> segments;
    while (st.Row()) {
        if (SegmentSum(st.Int(0), st.Int(1), st.Int(2)) != static_cast<std::uint32_t>(st.Int(3)))
            return std::nullopt;
        segments.push_back({static_cast<std::uint32_t>(st.Int(0)),
                            static_cast<std::uint32_t>(st.Int(1)),
                            static_cast<std::uint32_t>(st.Int(2))});
    }
    return segments;
}

bool TIndexDb::Write(TSegmentDraft& draft, std::uint32_t& nextId, std::uint32_t& nextSegment,
                     TIndexSegment& written)
{
    if (!FDb || draft.Notes.size() > 0xFFFF || !Exec("BEGIN IMMEDIATE"))
        return false;
    bool ok = true;
    {
        TStatement remove(FDb, "DELETE FROM notes WHERE id = ?1");
        ok = static_cast<bool>(remove);
        for (std::uint32_t id : draft.Removed) {
            if (!ok)
                break;
            remove.Reset();
            remove.Bind(1, id);
            ok = remove.Done();
        }
        written = {};
        if (ok && !draft.Notes.empty()) {
            written = {nextSegment++, nextId, static_cast<std::uint32_t>(draft.Notes.size())};
            nextId += written.Count;
            for (std::size_t i = 0; i < draft.Notes.size(); ++i) {
                draft.Notes[i].Id = written.First + static_cast<std::uint32_t>(i);
                draft.Notes[i].Segment = written.Segment;
            }
            TStatement segment(FDb, "INSERT INTO segments VALUES (?1, ?2, ?3, ?4)");
            segment.Bind(1, written.Segment);
            segment.Bind(2, written.First);
            segment.Bind(3, written.Count);
            segment.Bind(4, SegmentSum(written.Segment, written.First, written.Count));
            ok = segment && segment.Done();

            // What each key's list will cost; the most common keys tell least, so they go
            // first when the lists would take too much.
            const notekeys::TPostings& keys = draft.Keys;
            std::vector<std::size_t> byCount(keys.KeyCount());
            qint64 total = 0;
            for (std::size_t i = 0; i < byCount.size(); ++i) {
                byCount[i] = i;
                total += RowBytes + 4 + static_cast<qint64>(keys.Notes(i).size()) * 2;
            }
            std::sort(byCount.begin(), byCount.end(), [&](std::size_t a, std::size_t b) {
                return keys.Notes(a).size() > keys.Notes(b).size();
            });
            std::vector<bool> all(byCount.size(), false);
            const auto budget =
                static_cast<qint64>(static_cast<double>(draft.NoteBytes) * PostingsShare);
            for (std::size_t k = 0; k < byCount.size() && total > budget; ++k) {
                all[byCount[k]] = true;
                total -= 4 + static_cast<qint64>(keys.Notes(byCount[k]).size()) * 2;
            }
            TStatement posting(FDb, "INSERT INTO postings VALUES (?1, ?2, ?3)");
            ok = ok && posting;
            // Rows in key order: the table's tree grows at its end instead of everywhere.
            std::vector<std::size_t> byKey(keys.KeyCount());
            for (std::size_t i = 0; i < byKey.size(); ++i)
                byKey[i] = i;
            std::sort(byKey.begin(), byKey.end(),
                      [&](std::size_t a, std::size_t b) { return keys.Key(a) < keys.Key(b); });
            std::vector<std::uint32_t> positions;
            for (std::size_t i : byKey) {
                if (!ok)
                    break;
                QByteArray blob;
                if (!all[i]) {
                    positions.assign(keys.Notes(i).begin(), keys.Notes(i).end());
                    blob = notekeys::EncodePostings(positions.data(), positions.size());
                }
                posting.Reset();
                posting.Bind(1, static_cast<qint64>(keys.Key(i)));
                posting.Bind(2, written.Segment);
                posting.Bind(3, blob);
                ok = posting.Done();
            }
        }
        for (TIndexNote& note : draft.Unfiled) {
            note.Id = nextId++;
            note.Segment = 0;
        }
        TStatement insert(FDb, "INSERT INTO notes VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
        ok = ok && insert;
        for (const auto* list : {&draft.Notes, &draft.Unfiled}) {
            for (const TIndexNote& note : *list) {
                if (!ok)
                    break;
                const QByteArray path = note.Path.toUtf8();
                insert.Reset();
                insert.Bind(1, note.Id);
                insert.Bind(2, path);
                insert.Bind(3, note.Size);
                insert.Bind(4, note.MTime);
                insert.Bind(5, note.Segment);
                insert.Bind(6, NoteSum(path, note.Size, note.MTime, note.Id, note.Segment));
                ok = insert.Done();
            }
        }
    }
    if (!ok) {
        Exec("ROLLBACK");
        return false;
    }
    return Exec("COMMIT");
}

bool TIndexDb::DropSegments(const std::vector<std::uint32_t>& segments)
{
    if (segments.empty())
        return true;
    if (!Exec("BEGIN IMMEDIATE"))
        return false;
    TStatement postings(FDb, "DELETE FROM postings WHERE seg = ?1");
    TStatement rows(FDb, "DELETE FROM segments WHERE seg = ?1");
    bool ok = postings && rows;
    for (std::uint32_t s : segments) {
        if (!ok)
            break;
        postings.Reset();
        postings.Bind(1, s);
        rows.Reset();
        rows.Bind(1, s);
        ok = postings.Done() && rows.Done();
    }
    // The index only ever gets smaller pages back through a checkpoint of the log.
    if (!ok || !Exec("COMMIT")) {
        Exec("ROLLBACK");
        return false;
    }
    return true;
}

bool TIndexDb::Candidates(const std::vector<notekeys::TKey>& keys,
                          const std::vector<TIndexSegment>& segments,
                          std::vector<TSegmentAnswer>& answers)
{
    answers.clear();
    if (!FDb || !Exec("BEGIN"))
        return false;
    const auto finish = [this](bool ok) {
        Exec("COMMIT");
        return ok;
    };
    // The segments asked for are still those of the caller's state.
    std::unordered_map<std::uint32_t, std::size_t> bySegment;
    {
        TStatement st(FDb, "SELECT seg, first, count FROM segments");
        if (!st)
            return finish(false);
        std::unordered_map<std::uint32_t, std::pair<qint64, qint64>> present;
        while (st.Row())
            present[static_cast<std::uint32_t>(st.Int(0))] = {st.Int(1), st.Int(2)};
        for (const TIndexSegment& s : segments) {
            const auto it = present.find(s.Segment);
            if (it == present.end() || it->second != std::pair<qint64, qint64>(s.First, s.Count))
                return finish(false);
            bySegment[s.Segment] = answers.size();
            answers.push_back({s.Segment, true, {}});
        }
    }
    TStatement st(FDb, "SELECT seg, ids FROM postings WHERE key = ?1");
    if (!st)
        return finish(false);
    std::vector<bool> seen;
    std::vector<std::uint32_t> merged;
    for (notekeys::TKey key : keys) {
        seen.assign(answers.size(), false);
        st.Reset();
        st.Bind(1, static_cast<qint64>(key));
        while (st.Row()) {
            const auto it = bySegment.find(static_cast<std::uint32_t>(st.Int(0)));
            if (it == bySegment.end())
                continue;
            TSegmentAnswer& answer = answers[it->second];
            seen[it->second] = true;
            const QByteArrayView blob = st.Blob(1);
            if (blob.isEmpty())
                continue; // in every note of the segment: no narrowing
            const std::optional<std::vector<std::uint32_t>> positions =
                notekeys::DecodePostings(blob, segments[it->second].Count);
            if (!positions)
                return finish(false);
            if (answer.All) {
                answer.Positions = *positions;
                answer.All = false;
            } else {
                merged.clear();
                std::set_intersection(answer.Positions.begin(), answer.Positions.end(),
                                      positions->begin(), positions->end(),
                                      std::back_inserter(merged));
                answer.Positions.swap(merged);
            }
        }
        // A key without a row in a segment is in none of its notes.
        for (std::size_t i = 0; i < answers.size(); ++i) {
            if (!seen[i]) {
                answers[i].All = false;
                answers[i].Positions.clear();
            }
        }
    }
    return finish(true);
}
