#include "store/searchindex.h"

#include "platform/cp949.h"
#include "platform/dirwatcher.h"
#include "store/indexdb.h"
#include "store/notekeys.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// A batch is written when it holds this many notes or key entries (about 32 MB).
constexpr std::size_t BatchNotes = 0xFFFF;
constexpr std::size_t BatchPairs = 4u << 20;
// Changes told by the kernel are taken in this long after the last one.
constexpr int SettleMs = 300;
// The index waits while the user types or clicks, until this long after the last key or click.
constexpr qint64 QuietMs = 1000;

qint64 SteadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
// Small segments, one per batch of changes, are filed again together when there are this many.
constexpr std::size_t SmallSegments = 16;
constexpr std::uint32_t SmallSegmentNotes = 1000;

// A note file found on disk.
struct TFound {
    QString Path; // below the root, with "/"
    qint64 Size = 0;
    qint64 MTime = 0;
};

qint64 MTimeOf(const struct stat& st)
{
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool IsNoteName(const char* name, std::size_t len)
{
    return len > 4 && std::memcmp(name + len - 4, ".htm", 4) == 0;
}

// The note files of one folder rel below root ("" for root itself), as the folder search
// collects them: hidden names skipped, links to folders not followed, links to files read; its
// folders go to folders. Without times, plain files are not looked at (size and time -1).
void ReadFolder(const QByteArray& rawRoot, const QString& rel, std::vector<TFound>& out,
                QStringList& folders, bool times)
{
    const QByteArray raw = rel.isEmpty() ? rawRoot : rawRoot + '/' + QFile::encodeName(rel);
    DIR* d = opendir(raw.constData());
    if (!d)
        return;
    const int fd = dirfd(d);
    const auto pathOf = [&](const char* name) {
        return rel.isEmpty() ? QFile::decodeName(name) : rel + u'/' + QFile::decodeName(name);
    };
    while (dirent* e = readdir(d)) {
        const char* name = e->d_name;
        if (name[0] == '.')
            continue;
        struct stat st;
        if (e->d_type == DT_DIR ||
            (e->d_type == DT_UNKNOWN && fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
             S_ISDIR(st.st_mode))) {
            folders.append(pathOf(name));
            continue;
        }
        if (!IsNoteName(name, std::strlen(name)))
            continue;
        if (!times && e->d_type == DT_REG) {
            out.push_back({pathOf(name), -1, -1});
            continue;
        }
        if (fstatat(fd, name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;
        out.push_back({pathOf(name), qint64(st.st_size), MTimeOf(st)});
    }
    closedir(d);
}

// Every note file below rel, in no particular order, read by two threads: looking at a hundred
// thousand files costs more in system calls than in anything else, and on a network share each
// of them waits for the server.
void WalkNotes(const QByteArray& rawRoot, const QString& rel, std::vector<TFound>& out,
               const std::atomic<bool>& stop, bool times = true)
{
    std::mutex lock;
    std::condition_variable changed;
    std::deque<QString> waiting{rel};
    int busy = 0;
    const auto walk = [&](std::vector<TFound>& found) {
        std::unique_lock locked(lock);
        for (;;) {
            changed.wait(locked, [&] { return !waiting.empty() || busy == 0; });
            if (waiting.empty() || stop.load(std::memory_order_relaxed))
                break;
            const QString folder = std::move(waiting.front());
            waiting.pop_front();
            ++busy;
            locked.unlock();
            QStringList folders;
            ReadFolder(rawRoot, folder, found, folders, times);
            locked.lock();
            for (QString& f : folders)
                waiting.push_back(std::move(f));
            --busy;
            changed.notify_all();
        }
        // Stopped: the other walker must not wait for folders nobody reads.
        waiting.clear();
        changed.notify_all();
    };
    std::vector<TFound> second;
    std::thread helper(walk, std::ref(second));
    walk(out);
    helper.join();
    out.insert(out.end(), std::make_move_iterator(second.begin()),
               std::make_move_iterator(second.end()));
}

QString LowerAZ(QString text)
{
    for (QChar& c : text) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() | 0x20);
    }
    return text;
}

QString FileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// The index as searches read it: the notes with their keys' segments.
struct TIndexState {
    std::vector<TIndexNote> Notes;
    std::vector<QString> FoldedNames; // per note: its file name, A to Z lower-cased
    QHash<QString, std::size_t> ByPath;
    QHash<std::uint32_t, std::size_t> ById;
    std::vector<TIndexSegment> Segments;
    // Every note below the root was filed, and every change since is known.
    bool Trusted = false;

    void Reindex()
    {
        ByPath.clear();
        ById.clear();
        FoldedNames.clear();
        ByPath.reserve(static_cast<qsizetype>(Notes.size()));
        ById.reserve(static_cast<qsizetype>(Notes.size()));
        FoldedNames.reserve(Notes.size());
        for (std::size_t i = 0; i < Notes.size(); ++i) {
            ByPath.insert(Notes[i].Path, i);
            ById.insert(Notes[i].Id, i);
            FoldedNames.push_back(LowerAZ(FileNameOf(Notes[i].Path)));
        }
    }
};

} // namespace

struct TSearchIndex::TShared {
    QString Root;
    QString File;
    mutable QMutex Lock;
    std::shared_ptr<const TIndexState> State;
    // Below the root, with "/": paths the kernel told of since they were last filed, with a count
    // of the tellings, so that one told again while being filed stays.
    QHash<QString, quint64> Dirty;
    // Changes were lost: nothing is trusted until everything has been compared again.
    bool Lost = false;
    quint64 LostCount = 0;
    bool WatchChanges = true;
    bool Watching = false;
    // The builder's watcher, once it watches; its events may be taken in from any thread.
    TzqDirWatcher* Watcher = nullptr;
    // A search found the index damaged: it is made anew.
    bool Damaged = false;
    std::atomic<bool> Stop{false};
    // When the user last typed or clicked (SteadyMs).
    std::atomic<qint64> LastInput{0};
    // Wakes the builder; called under Lock, from any thread.
    std::function<void()> Poke;

    void Wake()
    {
        const QMutexLocker lock(&Lock);
        if (Poke)
            Poke();
    }

    // Waits while the user is at work: the index is built between keys, never against them.
    void WaitWhileUserBusy() const
    {
        while (!Stop.load(std::memory_order_relaxed) &&
               SteadyMs() - LastInput.load(std::memory_order_relaxed) < QuietMs)
            QThread::msleep(20);
    }

    // The kernel told of a change at path.
    void Told(const QString& path)
    {
        const QString rel = path.size() > Root.size() ? path.mid(Root.size() + 1) : QString();
        if (rel.isEmpty() || rel.startsWith(u'.') || rel.contains(u"/."_s))
            return;
        {
            const QMutexLocker lock(&Lock);
            ++Dirty[rel];
        }
        Wake();
    }

    void ChangesLost()
    {
        {
            const QMutexLocker lock(&Lock);
            Lost = true;
            ++LostCount;
        }
        Wake();
    }
};

namespace {
class TNoteReader;
}

// Files notes in the background thread: the first build or the update of an existing index,
// then every change told or found.
class TSearchIndex::TBuilder : public QObject {
public:
    // published: told in the builder's thread whether the index can answer now.
    TBuilder(std::shared_ptr<TShared> shared, std::function<void(bool)> published)
        : FShared(std::move(shared)), FPublished(std::move(published))
    {
    }
    ~TBuilder() override
    {
        if (FLockFd >= 0)
            close(FLockFd);
    }

    void Build();
    // Takes in the dirty paths after they settled.
    void Touched();
    void Refresh();

private:
    bool OpenDb();
    void Publish(bool trusted, const QHash<QString, quint64>& done, quint64 lostCount);
    // Reads and files the notes at paths (below the root), drops removed ids.
    bool File(const QStringList& paths, std::vector<std::uint32_t> removed);
    bool WriteDraft(TSegmentDraft& draft);
    // Compares the notes on disk below rel with the index: what to file and what went.
    void Compare(const QString& rel, QStringList& toFile, std::vector<std::uint32_t>& removed);
    void DropDeadSegments();

    std::shared_ptr<TShared> FShared;
    std::function<void(bool)> FPublished;
    TIndexDb FDb;
    TIndexState FState;
    std::uint32_t FNextId = 1;
    std::uint32_t FNextSegment = 1;
    QTimer* FSettle = nullptr;
    TzqDirWatcher* FWatcher = nullptr;
    int FLockFd = -1; // held while this program keeps the index
    bool FBuilt = false;
    std::unique_ptr<TNoteReader[]> FReaders;
    QThreadPool FPool;
};

bool TSearchIndex::TBuilder::OpenDb()
{
    if (!FDb.OpenForWriting(FShared->File, FShared->Root))
        return false;
    std::optional<std::vector<TIndexNote>> notes = FDb.LoadNotes();
    std::optional<std::vector<TIndexSegment>> segments = FDb.LoadSegments();
    if (!notes || !segments || !FDb.Complete()) {
        // Damaged rows, or a build that never ended: started afresh.
        FDb.Remove(FShared->File);
        if (!FDb.OpenForWriting(FShared->File, FShared->Root))
            return false;
        notes.emplace();
        segments.emplace();
    }
    FState.Notes = std::move(*notes);
    FState.Segments = std::move(*segments);
    for (const TIndexNote& n : FState.Notes)
        FNextId = std::max(FNextId, n.Id + 1);
    for (const TIndexSegment& s : FState.Segments) {
        FNextSegment = std::max(FNextSegment, s.Segment + 1);
        FNextId = std::max(FNextId, s.First + s.Count);
    }
    FState.Reindex();
    return true;
}

void TSearchIndex::TBuilder::Build()
{
    if (!FSettle) {
        FSettle = new QTimer(this);
        FSettle->setSingleShot(true);
        FSettle->setInterval(SettleMs);
        connect(FSettle, &QTimer::timeout, this, &TBuilder::Refresh);
    }
    // One program at a time keeps an index: a second window on the same data directory reads
    // every note instead of rebuilding the first one's index under its feet.
    if (FLockFd < 0) {
        FLockFd = open(QFile::encodeName(FShared->File + u".lock"_s).constData(),
                       O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (FLockFd >= 0 && flock(FLockFd, LOCK_EX | LOCK_NB) != 0) {
            close(FLockFd);
            FLockFd = -1;
        }
        if (FLockFd < 0) {
            Publish(false, {}, 0);
            return;
        }
    }
    // Watching starts before the notes are compared, so that no change falls between. Adding a
    // watch to every folder of a big store takes a while: here, not in the window's thread.
    if (FShared->WatchChanges && !FWatcher) {
        FWatcher = new TzqDirWatcher(this);
        FWatcher->SetStopFlag(&FShared->Stop);
        const std::shared_ptr<TShared> shared = FShared;
        connect(
            FWatcher, &TzqDirWatcher::Changed, FWatcher,
            [shared](const QString& path) { shared->Told(path); }, Qt::DirectConnection);
        connect(
            FWatcher, &TzqDirWatcher::Lost, FWatcher, [shared] { shared->ChangesLost(); },
            Qt::DirectConnection);
        const bool watching = FWatcher->Watch(FShared->Root);
        const QMutexLocker lock(&FShared->Lock);
        FShared->Watching = watching;
        FShared->Watcher = watching ? FWatcher : nullptr;
    }
    if (!OpenDb()) {
        Publish(false, {}, 0);
        return;
    }
    quint64 lostCount = 0;
    {
        const QMutexLocker lock(&FShared->Lock);
        lostCount = FShared->LostCount;
    }
    QStringList toFile;
    std::vector<std::uint32_t> removed;
    Compare(QString(), toFile, removed);
    if (FShared->Stop || !File(toFile, std::move(removed)))
        return;
    DropDeadSegments();
    FDb.SetComplete(true);
    FBuilt = true;
    Publish(true, {}, lostCount);
    Touched();
}

void TSearchIndex::TBuilder::Touched()
{
    if (FBuilt && FSettle)
        FSettle->start();
}

void TSearchIndex::TBuilder::Compare(const QString& rel, QStringList& toFile,
                                     std::vector<std::uint32_t>& removed)
{
    std::vector<TFound> found;
    // Nothing filed yet: every note is read, and reading tells its size and time.
    WalkNotes(QFile::encodeName(FShared->Root), rel, found, FShared->Stop, !FState.Notes.empty());
    QSet<QString> seen;
    for (const TFound& f : found) {
        seen.insert(f.Path);
        const auto it = FState.ByPath.constFind(f.Path);
        if (it == FState.ByPath.cend() || FState.Notes[*it].Size != f.Size ||
            FState.Notes[*it].MTime != f.MTime)
            toFile.append(f.Path);
    }
    const QString prefix = rel.isEmpty() ? QString() : rel + u'/';
    for (const TIndexNote& n : FState.Notes) {
        if ((prefix.isEmpty() || n.Path.startsWith(prefix)) && !seen.contains(n.Path))
            removed.push_back(n.Id);
    }
}

void TSearchIndex::TBuilder::Refresh()
{
    QHash<QString, quint64> dirty;
    bool lost = false;
    quint64 lostCount = 0;
    bool damaged = false;
    {
        const QMutexLocker lock(&FShared->Lock);
        dirty = FShared->Dirty;
        lost = FShared->Lost;
        lostCount = FShared->LostCount;
        damaged = std::exchange(FShared->Damaged, false);
    }
    if (damaged) {
        FDb.Remove(FShared->File);
        FState = TIndexState();
        FNextId = FNextSegment = 1;
        FBuilt = false;
        Publish(false, {}, 0);
        Build();
        return;
    }
    QStringList toFile;
    std::vector<std::uint32_t> removed;
    if (lost) {
        Compare(QString(), toFile, removed);
    } else {
        const QByteArray rawRoot = QFile::encodeName(FShared->Root);
        for (auto it = dirty.cbegin(); it != dirty.cend(); ++it) {
            const QString& rel = it.key();
            struct stat st;
            const QByteArray raw = rawRoot + '/' + QFile::encodeName(rel);
            if (stat(raw.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
                Compare(rel, toFile, removed);
            } else if (FState.ByPath.contains(rel) ||
                       IsNoteName(raw.constData(), static_cast<std::size_t>(raw.size()))) {
                // A note written, made or gone (a file that went is dropped when read).
                toFile.append(rel);
            }
            // A folder that went: its notes are dropped.
            const QString prefix = rel + u'/';
            for (const TIndexNote& n : FState.Notes) {
                if (n.Path.startsWith(prefix) && !QFileInfo::exists(FShared->Root + u'/' + n.Path))
                    removed.push_back(n.Id);
            }
        }
    }
    // Many small batches are filed again as one.
    std::size_t small = 0;
    for (const TIndexSegment& s : FState.Segments)
        small += s.Count < SmallSegmentNotes ? 1 : 0;
    if (small >= SmallSegments) {
        QSet<std::uint32_t> smallSegments;
        for (const TIndexSegment& s : FState.Segments) {
            if (s.Count < SmallSegmentNotes)
                smallSegments.insert(s.Segment);
        }
        for (const TIndexNote& n : FState.Notes) {
            if (smallSegments.contains(n.Segment))
                toFile.append(n.Path);
        }
    }
    toFile.removeDuplicates();
    std::sort(removed.begin(), removed.end());
    removed.erase(std::unique(removed.begin(), removed.end()), removed.end());
    if (FShared->Stop || !File(toFile, std::move(removed)))
        return;
    DropDeadSegments();
    Publish(true, dirty, lost ? lostCount : 0);
}

namespace {

// A note read for filing: its size and time before it was read, and its keys.
struct TReadNote {
    bool Ok = false;      // read (it may have gone)
    bool Unfiled = false; // a search always reads it
    qint64 Size = 0;
    qint64 MTime = 0;
    qint64 Bytes = 0;
    std::vector<notekeys::TKey> Keys;
};

// Reads notes and gathers their keys, with a buffer and key set kept from note to note.
class TNoteReader {
public:
    void Read(const QByteArray& rawPath, TReadNote& out)
    {
        out = TReadNote();
        const int fd = open(rawPath.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return; // gone
        struct stat st;
        bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        if (ok) {
            FBuffer.resize(qsizetype(st.st_size) + 1);
            qsizetype got = 0;
            for (;;) {
                if (got == FBuffer.size())
                    FBuffer.resize(FBuffer.size() * 2 + 4096);
                const ssize_t n =
                    read(fd, FBuffer.data() + got, static_cast<std::size_t>(FBuffer.size() - got));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    ok = n == 0;
                    break;
                }
                got += n;
            }
            FBuffer.resize(got);
        }
        close(fd);
        if (!ok)
            return;
        // Times of the file before it was read: a change while reading is seen later.
        out.Ok = true;
        out.Size = qint64(st.st_size);
        out.MTime = MTimeOf(st);
        out.Bytes = FBuffer.size();
        out.Unfiled = notekeys::MayNotBeCp949(FBuffer);
        if (!out.Unfiled) {
            FKeys.Collect(FBuffer);
            out.Keys.reserve(FKeys.Size());
            FKeys.ForEach([&](notekeys::TKey key) { out.Keys.push_back(key); });
        }
    }

private:
    QByteArray FBuffer;
    notekeys::TKeySet FKeys;
};

// Notes are read in rounds of this many, half of each on a second thread.
constexpr qsizetype RoundNotes = 256;

} // namespace

bool TSearchIndex::TBuilder::File(const QStringList& paths, std::vector<std::uint32_t> removed)
{
    TSegmentDraft draft;
    const QByteArray rawRoot = QFile::encodeName(FShared->Root);
    QSet<std::uint32_t> gone(removed.begin(), removed.end());
    draft.Removed = std::move(removed);
    if (!FReaders) {
        FReaders = std::make_unique<TNoteReader[]>(2);
        // The second reader works at the builder's own lowest priority.
        FPool.setMaxThreadCount(1);
        FPool.setThreadPriority(QThread::IdlePriority);
    }
    // Two rounds in flight: the second reader reads the next round while this thread files the
    // one read, then helps it.
    struct TRound {
        std::vector<TReadNote> Notes = std::vector<TReadNote>(std::size_t(RoundNotes));
        qsizetype Start = 0;
        qsizetype Count = 0;
        std::atomic<qsizetype> Next{0};
    };
    TRound rounds[2];
    const auto readSome = [&](TRound& round, TNoteReader& reader) {
        for (;;) {
            const qsizetype i = round.Next.fetch_add(1, std::memory_order_relaxed);
            FShared->WaitWhileUserBusy();
            if (i >= round.Count || FShared->Stop)
                return;
            reader.Read(rawRoot + '/' + QFile::encodeName(paths[round.Start + i]),
                        round.Notes[static_cast<std::size_t>(i)]);
        }
    };
    const auto startRound = [&](TRound& round, qsizetype start) {
        round.Start = start;
        round.Count = std::min(RoundNotes, paths.size() - start);
        round.Next = 0;
        FPool.start([&] { readSome(round, FReaders[1]); });
    };
    if (!paths.isEmpty()) {
        startRound(rounds[0], 0);
        readSome(rounds[0], FReaders[0]);
        FPool.waitForDone();
    }
    for (qsizetype start = 0, k = 0; start < paths.size(); start += RoundNotes, ++k) {
        TRound& round = rounds[k % 2];
        const bool more = start + RoundNotes < paths.size();
        if (more)
            startRound(rounds[(k + 1) % 2], start + RoundNotes);
        const auto finishNext = [&] {
            if (more) {
                readSome(rounds[(k + 1) % 2], FReaders[0]);
                FPool.waitForDone();
            }
        };
        for (qsizetype i = 0; i < round.Count && !FShared->Stop; ++i) {
            const QString& rel = paths[start + i];
            // The note filed before goes with its old id.
            if (const auto it = FState.ByPath.constFind(rel); it != FState.ByPath.cend()) {
                const std::uint32_t id = FState.Notes[*it].Id;
                if (!gone.contains(id)) {
                    gone.insert(id);
                    draft.Removed.push_back(id);
                }
            }
            TReadNote& read = round.Notes[static_cast<std::size_t>(i)];
            if (!read.Ok)
                continue;
            TIndexNote note{rel, read.Size, read.MTime, 0, 0};
            if (read.Unfiled) {
                draft.Unfiled.push_back(std::move(note));
            } else {
                const auto position = static_cast<std::uint16_t>(draft.Notes.size());
                for (notekeys::TKey key : read.Keys)
                    draft.Keys.Add(key, position);
                draft.NoteBytes += read.Bytes;
                draft.Notes.push_back(std::move(note));
            }
            if (draft.Notes.size() >= BatchNotes || draft.Keys.Entries() >= BatchPairs) {
                if (!WriteDraft(draft)) {
                    finishNext();
                    return false;
                }
                draft = TSegmentDraft();
            }
        }
        finishNext();
        if (FShared->Stop)
            return false;
    }
    return WriteDraft(draft);
}

bool TSearchIndex::TBuilder::WriteDraft(TSegmentDraft& draft)
{
    if (draft.Notes.empty() && draft.Unfiled.empty() && draft.Removed.empty())
        return true;
    TIndexSegment written;
    FShared->WaitWhileUserBusy();
    if (!FDb.Write(draft, FNextId, FNextSegment, written))
        return false;
    const QSet<std::uint32_t> removed(draft.Removed.begin(), draft.Removed.end());
    std::erase_if(FState.Notes, [&](const TIndexNote& n) { return removed.contains(n.Id); });
    for (auto* list : {&draft.Notes, &draft.Unfiled}) {
        for (TIndexNote& n : *list)
            FState.Notes.push_back(std::move(n));
    }
    if (written.Segment != 0)
        FState.Segments.push_back(written);
    FState.Reindex();
    return true;
}

void TSearchIndex::TBuilder::DropDeadSegments()
{
    QSet<std::uint32_t> live;
    for (const TIndexNote& n : FState.Notes)
        live.insert(n.Segment);
    std::vector<std::uint32_t> dead;
    for (const TIndexSegment& s : FState.Segments) {
        if (!live.contains(s.Segment))
            dead.push_back(s.Segment);
    }
    if (dead.empty() || !FDb.DropSegments(dead))
        return;
    std::erase_if(FState.Segments, [&](const TIndexSegment& s) {
        return std::find(dead.begin(), dead.end(), s.Segment) != dead.end();
    });
}

void TSearchIndex::TBuilder::Publish(bool trusted, const QHash<QString, quint64>& done,
                                     quint64 lostCount)
{
    std::shared_ptr<TIndexState> state;
    if (trusted) {
        state = std::make_shared<TIndexState>(FState);
        state->Trusted = true;
    }
    bool ready = false;
    {
        const QMutexLocker lock(&FShared->Lock);
        FShared->State = state;
        for (auto it = done.cbegin(); it != done.cend(); ++it) {
            if (FShared->Dirty.value(it.key()) == it.value())
                FShared->Dirty.remove(it.key());
        }
        if (FShared->Lost && FShared->LostCount == lostCount && lostCount != 0)
            FShared->Lost = false;
        ready = state && !FShared->Lost;
    }
    FPublished(ready);
}

// ---- The facade ---------------------------------------------------------------------------

TSearchIndex::TSearchIndex(const QString& cacheDir, QObject* parent)
    : QObject(parent), FCacheDir(cacheDir)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

bool TSearchIndex::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        if (FShared)
            FShared->LastInput.store(SteadyMs(), std::memory_order_relaxed);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

TSearchIndex::~TSearchIndex()
{
    Close();
}

QString TSearchIndex::FileFor(const QString& root) const
{
    const QByteArray hash =
        QCryptographicHash::hash(root.toUtf8(), QCryptographicHash::Sha1).toHex().left(20);
    return FCacheDir + u"/search-"_s + QString::fromLatin1(hash) + u".db"_s;
}

void TSearchIndex::StopBuilder()
{
    if (!FThread)
        return;
    {
        const QMutexLocker lock(&FShared->Lock);
        FShared->Poke = nullptr;
    }
    FShared->Stop = true;
    FThread->quit();
    FThread->wait();
    delete FThread;
    FThread = nullptr;
    FBuilder = nullptr;
}

void TSearchIndex::Close()
{
    StopBuilder();
    const bool wasReady = Ready();
    FShared.reset();
    FRoot.clear();
    if (wasReady)
        Q_EMIT ReadyChanged(false);
}

void TSearchIndex::Open(const QString& root)
{
    Close();
    if (root.isEmpty() || !QDir().mkpath(FCacheDir))
        return;
    FRoot = root;
    FShared = std::make_shared<TShared>();
    FShared->Root = root;
    FShared->File = FileFor(root);
    FShared->WatchChanges = FWatchChanges;
    FThread = new QThread;
    FThread->setObjectName(u"search index"_s);
    FBuilder = new TBuilder(FShared, [this](bool ready) {
        QMetaObject::invokeMethod(
            this, [this, ready] { Q_EMIT ReadyChanged(ready); }, Qt::QueuedConnection);
    });
    FBuilder->moveToThread(FThread);
    connect(FThread, &QThread::finished, FBuilder, &QObject::deleteLater);
    {
        const QMutexLocker lock(&FShared->Lock);
        FShared->Poke = [builder = FBuilder] {
            QMetaObject::invokeMethod(builder, &TBuilder::Touched, Qt::QueuedConnection);
        };
    }
    // The lowest priority: typing and saving never wait for the index.
    FThread->start(QThread::IdlePriority);
    QMetaObject::invokeMethod(FBuilder, &TBuilder::Build, Qt::QueuedConnection);
}

void TSearchIndex::Sync()
{
    if (!FShared)
        return;
    TzqDirWatcher* watcher = nullptr;
    {
        const QMutexLocker lock(&FShared->Lock);
        watcher = FShared->Watcher;
    }
    // The watcher lives until the builder's thread ends, which only Close, in this thread, does.
    if (watcher)
        watcher->ReadEvents();
}

bool TSearchIndex::Ready() const
{
    if (!FShared)
        return false;
    const QMutexLocker lock(&FShared->Lock);
    return FShared->State && !FShared->Lost;
}

bool TSearchIndex::Watching() const
{
    if (!FShared)
        return false;
    const QMutexLocker lock(&FShared->Lock);
    return FShared->Watching;
}

std::optional<TIndexAnswer> TSearchIndex::Answer(const QString& searchRoot,
                                                 const QString& text) const
{
    return AnswerFrom(FShared, searchRoot, text);
}

TSearchIndex::TAsker TSearchIndex::Asker() const
{
    return [shared = FShared](const QString& searchRoot, const QString& text) {
        return AnswerFrom(shared, searchRoot, text);
    };
}

std::optional<TIndexAnswer> TSearchIndex::AnswerFrom(const std::shared_ptr<TShared>& shared,
                                                     const QString& searchRoot, const QString& text)
{
    if (!shared || text.isEmpty())
        return std::nullopt;
    std::shared_ptr<const TIndexState> state;
    QHash<QString, quint64> dirty;
    bool watching = false;
    {
        const QMutexLocker lock(&shared->Lock);
        if (shared->Lost)
            return std::nullopt;
        state = shared->State;
        dirty = shared->Dirty;
        watching = shared->Watching;
    }
    if (!state || !state->Trusted)
        return std::nullopt;
    QString base = searchRoot;
    while (base.size() > 1 && base.endsWith(u'/'))
        base.chop(1);
    if (base != shared->Root && !base.startsWith(shared->Root + u'/'))
        return std::nullopt;
    const QString rel = base.mid(shared->Root.size() + 1);
    const QString prefix = rel.isEmpty() ? QString() : rel + u'/';
    const auto under = [&](const QString& path) {
        return prefix.isEmpty() || path.startsWith(prefix);
    };

    // Notes whose filing cannot be trusted are read (when they still exist).
    QSet<QString> untrusted;
    QStringList changed;
    const QByteArray rawRoot = QFile::encodeName(shared->Root);
    const auto compare = [&](const QString& below) {
        std::vector<TFound> found;
        const std::atomic<bool> never{false};
        WalkNotes(rawRoot, below, found, never);
        QSet<QString> seen;
        for (const TFound& f : found) {
            seen.insert(f.Path);
            const auto it = state->ByPath.constFind(f.Path);
            if (it == state->ByPath.cend() || state->Notes[*it].Size != f.Size ||
                state->Notes[*it].MTime != f.MTime) {
                untrusted.insert(f.Path);
                changed.append(f.Path);
            }
        }
        const QString p = below.isEmpty() ? QString() : below + u'/';
        for (const TIndexNote& n : state->Notes) {
            if ((p.isEmpty() || n.Path.startsWith(p)) && !seen.contains(n.Path))
                untrusted.insert(n.Path); // gone
        }
    };
    if (watching) {
        for (auto it = dirty.cbegin(); it != dirty.cend(); ++it) {
            const QString& path = it.key();
            if (!under(path) && !rel.startsWith(path + u'/'))
                continue;
            QFileInfo info(shared->Root + u'/' + path);
            if (info.isDir() && !info.isSymLink()) {
                compare(path);
            } else {
                untrusted.insert(path);
                if (info.isFile() && path.endsWith(u".htm"_s))
                    changed.append(path);
            }
            // A folder that went or came: what was filed below it is not trusted either.
            const QString p = path + u'/';
            for (const TIndexNote& n : state->Notes) {
                if (n.Path.startsWith(p))
                    untrusted.insert(n.Path);
            }
        }
    } else {
        // No notifications: sizes and times tell what changed; the index files it later.
        compare(rel);
        if (!changed.isEmpty()) {
            const QMutexLocker lock(&shared->Lock);
            for (const QString& c : std::as_const(changed))
                ++shared->Dirty[c];
        }
    }

    TIndexAnswer answer;
    QSet<QString> read;
    const QString folded = LowerAZ(text);
    for (std::size_t i = 0; i < state->Notes.size(); ++i) {
        const TIndexNote& n = state->Notes[i];
        if (!under(n.Path) || untrusted.contains(n.Path))
            continue;
        if (!state->FoldedNames[i].startsWith(u"__"_s) && state->FoldedNames[i].contains(folded))
            answer.NameHits.append(shared->Root + u'/' + n.Path);
        else if (n.Segment == 0)
            read.insert(n.Path);
    }
    for (const QString& c : std::as_const(changed)) {
        if (under(c))
            read.insert(c);
    }
    // The filed notes that hold every pair of the text, when CP949 can hold it at all.
    bool lossless = true;
    const QByteArray bytes = cp949::FromUnicode(folded, &lossless);
    const bool content = !folded.contains(u'\r') && !folded.contains(u'\n');
    if (content && lossless) {
        const std::vector<notekeys::TKey> keys = notekeys::TextKeys(bytes);
        TIndexDb db;
        std::vector<TIndexDb::TSegmentAnswer> segments;
        if (!db.OpenForReading(shared->File) || !db.Candidates(keys, state->Segments, segments)) {
            // Damaged under the program's hands: read everything this time, and make it anew.
            {
                const QMutexLocker lock(&shared->Lock);
                shared->Damaged = true;
            }
            shared->Wake();
            return std::nullopt;
        }
        const QSet<QString> names(answer.NameHits.cbegin(), answer.NameHits.cend());
        for (std::size_t s = 0; s < segments.size(); ++s) {
            const TIndexSegment& segment = state->Segments[s];
            const auto add = [&](std::uint32_t position) {
                const auto it = state->ById.constFind(segment.First + position);
                if (it == state->ById.cend())
                    return; // a note filed again since
                const TIndexNote& n = state->Notes[*it];
                if (under(n.Path) && !untrusted.contains(n.Path) &&
                    !names.contains(shared->Root + u'/' + n.Path))
                    read.insert(n.Path);
            };
            if (segments[s].All) {
                for (std::uint32_t p = 0; p < segment.Count; ++p)
                    add(p);
            } else {
                for (std::uint32_t p : segments[s].Positions)
                    add(p);
            }
        }
    }
    for (const QString& r : std::as_const(read))
        answer.Read.append(shared->Root + u'/' + r);
    // Without a note below the folder the walk tells the user so.
    const bool noNotes =
        std::none_of(changed.cbegin(), changed.cend(), under) &&
        std::none_of(state->Notes.cbegin(), state->Notes.cend(), [&](const TIndexNote& n) {
            return under(n.Path) && !untrusted.contains(n.Path);
        });
    if (noNotes)
        return std::nullopt;
    return answer;
}
