#include "store/foldersearch.h"

#include "platform/cp949.h"
#include "platform/noteencoding.h"
#include "platform/textfile.h"
#include "platform/util.h"
#include "platform/zqerror.h"
#include "store/pagepath.h"
#include "store/zqtreemodel.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr auto HighlightOpen = "<FONT style=\"BACKGROUND-COLOR: #ff6600\" color=#ffffff>";
constexpr auto HighlightClose = "</FONT>";
constexpr auto FolderNoteFileName = "___zq_quillet__folder.htm";
// How often hits and progress are reported while a search runs.
constexpr auto ReportInterval = std::chrono::milliseconds(50);

inline char FoldByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return static_cast<unsigned char>(b - 'A') < 26u ? static_cast<char>(b | 0x20) : c;
}

// Folds A to Z in every byte, second bytes of double-byte characters included. Used only to
// find candidates quickly; a candidate is then checked against the bytes as they stand.
void FoldEveryByte(const char* src, qsizetype n, char* dst)
{
    for (qsizetype i = 0; i < n; ++i)
        dst[i] = FoldByte(src[i]);
}

inline bool IsLeadByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x81 && b <= 0xFE;
}

// The positions of the second bytes of double-byte characters in CP949 text. A lead byte
// before a line break stands alone, as lines are split at every CR and LF.
QList<int> TrailBytePositions(QByteArrayView text)
{
    QList<int> trail;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (IsLeadByte(text[i]) && i + 1 < text.size() && text[i + 1] != '\r' &&
            text[i + 1] != '\n') {
            trail.append(static_cast<int>(i + 1));
            ++i;
        }
    }
    return trail;
}

// Finds the text in one buffer of CP949 bytes, at character starts only.
class TMatcher {
public:
    TMatcher(QByteArrayView bytes, const char* folded, QByteArrayView needle,
             QByteArrayView foldedNeedle, const QList<int>& trail)
        : FBytes(bytes), FFolded(folded), FNeedle(needle), FFoldedNeedle(foldedNeedle),
          FTrail(trail)
    {
    }

    // The first match at or after from; -1 when there is none.
    qsizetype Find(qsizetype from)
    {
        const qsizetype n = FBytes.size();
        const qsizetype m = FNeedle.size();
        while (m > 0 && from + m <= n) {
            const void* hit = memmem(FFolded + from, static_cast<size_t>(n - from),
                                     FFoldedNeedle.data(), static_cast<size_t>(m));
            if (!hit)
                return -1;
            const qsizetype p = static_cast<const char*>(hit) - FFolded;
            if (AtCharStart(p) && SecondBytesEqual(p))
                return p;
            from = p + 1;
        }
        return -1;
    }

private:
    // Walks character by character from the last known character start; positions are asked
    // in increasing order, so each buffer is walked once.
    bool AtCharStart(qsizetype p)
    {
        const qsizetype n = FBytes.size();
        while (FCursor < p) {
            if (IsLeadByte(FBytes[FCursor]) && FCursor + 1 < n && FBytes[FCursor + 1] != '\r' &&
                FBytes[FCursor + 1] != '\n')
                FCursor += 2;
            else
                ++FCursor;
        }
        return FCursor == p;
    }

    // Second bytes are never folded: "갂" (81 41) is not "갡" (81 61).
    bool SecondBytesEqual(qsizetype p) const
    {
        for (int i : FTrail) {
            if (FBytes[p + i] != FNeedle[i])
                return false;
        }
        return true;
    }

    QByteArrayView FBytes;
    const char* FFolded;
    QByteArrayView FNeedle;
    QByteArrayView FFoldedNeedle;
    const QList<int>& FTrail;
    qsizetype FCursor = 0;
};

QByteArray FoldedCopy(QByteArrayView bytes)
{
    QByteArray folded(bytes.size(), Qt::Uninitialized);
    FoldEveryByte(bytes.data(), bytes.size(), folded.data());
    return folded;
}

// The first occurrence of needle in folded at or after from; -1 when there is none. For UTF-8,
// where every byte of a multi-byte character is 80 or above and never folded, and a character
// never begins inside another, a match of valid text is always a match of whole characters.
qsizetype FindFolded(QByteArrayView folded, QByteArrayView needle, qsizetype from)
{
    if (needle.isEmpty() || from + needle.size() > folded.size())
        return -1;
    const void* hit = memmem(folded.data() + from, static_cast<size_t>(folded.size() - from),
                             needle.data(), static_cast<size_t>(needle.size()));
    return hit ? static_cast<const char*>(hit) - folded.data() : -1;
}

// The line with every match find gives wrapped into the highlighting element.
template <typename F> QByteArray WrapMatches(QByteArrayView line, qsizetype length, F&& find)
{
    qsizetype p = find(0);
    if (p < 0)
        return line.toByteArray();
    QByteArray out;
    out.reserve(line.size() + 64);
    qsizetype done = 0;
    while (p >= 0) {
        out.append(line.sliced(done, p - done));
        out.append(HighlightOpen);
        out.append(line.sliced(p, length));
        out.append(HighlightClose);
        done = p + length;
        p = find(done);
    }
    out.append(line.sliced(done));
    return out;
}

// HighlightMatches for a line of UTF-8; searchText is UTF-8 with A to Z lower-cased.
QByteArray HighlightUtf8Matches(QByteArrayView line, QByteArrayView searchText)
{
    if (searchText.isEmpty())
        return line.toByteArray();
    const QByteArray folded = FoldedCopy(line);
    return WrapMatches(line, searchText.size(),
                       [&](qsizetype from) { return FindFolded(folded, searchText, from); });
}

QString LowerAZ(QString text)
{
    for (QChar& c : text) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() | 0x20);
    }
    return text;
}

// Hands the note files of dir and below to sink.File in the tree's order: the folder's own note
// first (the folder stands there), then each subdirectory with everything in it, then the
// notes, both groups sorted as the tree sorts them. File folders, which the tree does not show,
// are searched among the other directories. rawDir is dir as the file system names it. Each
// directory begins with sink.Directory(), which stops the walk when it says false.
template <typename TSink> bool WalkInto(const QByteArray& rawDir, const QString& dir, TSink& sink)
{
    if (!sink.Directory())
        return false;
    DIR* d = opendir(rawDir.constData());
    if (!d)
        return true;
    const int fd = dirfd(d);
    QStringList folders;
    QList<QByteArray> rawFolders;
    QStringList notes;
    QList<QByteArray> rawNotes;
    bool folderNote = false;
    while (dirent* e = readdir(d)) {
        const char* name = e->d_name;
        if (name[0] == '.')
            continue;
        bool isDir = e->d_type == DT_DIR;
        bool isFile = e->d_type == DT_REG;
        if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            struct stat st;
            // A link to a directory is not followed; a link to a file is read like a file.
            if (e->d_type == DT_UNKNOWN && fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                isDir = S_ISDIR(st.st_mode);
            if (!isDir && fstatat(fd, name, &st, 0) == 0)
                isFile = S_ISREG(st.st_mode);
        }
        const size_t len = strlen(name);
        if (isDir) {
            rawFolders.append(QByteArray(name, static_cast<qsizetype>(len)));
            folders.append(QFile::decodeName(rawFolders.back()));
        } else if (isFile && len > 4 && memcmp(name + len - 4, ".htm", 4) == 0) {
            if (strcmp(name, FolderNoteFileName) == 0) {
                folderNote = true;
            } else {
                rawNotes.append(QByteArray(name, static_cast<qsizetype>(len)));
                notes.append(QFile::decodeName(rawNotes.back()));
            }
        }
    }
    // Closed before going down, so that only one directory is open at a time.
    closedir(d);

    const QString stem = dir.endsWith(u'/') ? dir : dir + u'/';
    const QByteArray rawStem = rawDir.endsWith('/') ? rawDir : rawDir + '/';
    if (folderNote)
        sink.File(stem + FolderNoteName, rawStem + FolderNoteFileName);
    for (const quint32 i : OrderLikeTree(folders)) {
        if (!WalkInto(rawStem + rawFolders[i], stem + folders[i], sink))
            return false;
    }
    for (const quint32 i : OrderLikeTree(notes))
        sink.File(stem + notes[i], rawStem + rawNotes[i]);
    return true;
}

// The root without trailing separators ("/" stays).
QString TrimmedRoot(QString root)
{
    while (root.size() > 1 && IsPathSeparator(root.back()))
        root.chop(1);
    return root;
}

// Reads a whole file into buffer; 0 or the error number.
int ReadWhole(const QByteArray& path, QByteArray& buffer)
{
    const int fd = open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st;
    // The size known stops the reading without asking once more for the end of the file.
    const qsizetype size = fstat(fd, &st) == 0 ? static_cast<qsizetype>(st.st_size) : 0;
    buffer.resize(std::max<qsizetype>(size, 4096));
    qsizetype got = 0;
    int error = 0;
    while (size == 0 || got < size) {
        if (got == buffer.size())
            buffer.resize(buffer.size() * 2);
        const ssize_t n = read(fd, buffer.data() + got, static_cast<size_t>(buffer.size() - got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        if (n == 0)
            break;
        got += n;
    }
    close(fd);
    buffer.resize(got);
    return error;
}

// Orders paths[members], which share their first depth parts, as the walk meets them.
void SortGroup(const QStringList& paths, const std::vector<QList<QStringView>>& parts,
               const std::vector<int>& members, qsizetype depth, QStringList& out)
{
    QStringList folders;
    std::vector<std::vector<int>> folderMembers;
    QHash<QStringView, int> folderAt;
    QStringList notes;
    std::vector<int> noteAt;
    for (const int i : members) {
        const QStringView name = parts[i][depth];
        if (parts[i].size() == depth + 1) {
            if (name == QStringView(FolderNoteName)) {
                out.append(paths[i]);
            } else {
                notes.append(name.toString());
                noteAt.push_back(i);
            }
            continue;
        }
        auto at = folderAt.constFind(name);
        if (at == folderAt.cend()) {
            at = folderAt.insert(name, static_cast<int>(folders.size()));
            folders.append(name.toString());
            folderMembers.emplace_back();
        }
        folderMembers[static_cast<size_t>(*at)].push_back(i);
    }
    for (const quint32 f : OrderLikeTree(folders))
        SortGroup(paths, parts, folderMembers[f], depth + 1, out);
    for (const quint32 n : OrderLikeTree(notes))
        out.append(paths[noteAt[n]]);
}

} // namespace

QStringList CollectNoteFiles(const QString& root)
{
    struct TCollect {
        QStringList Files;
        bool Directory() { return true; }
        void File(QString path, const QByteArray&) { Files.append(std::move(path)); }
    } sink;
    const QString dir = TrimmedRoot(root);
    if (!dir.isEmpty())
        WalkInto(QFile::encodeName(dir), dir, sink);
    return sink.Files;
}

void SortLikeTree(QStringList& notePaths)
{
    if (notePaths.size() < 2)
        return;
    std::vector<QList<QStringView>> parts;
    parts.reserve(static_cast<size_t>(notePaths.size()));
    std::vector<int> all;
    for (const QString& path : std::as_const(notePaths)) {
        all.push_back(static_cast<int>(parts.size()));
        parts.push_back(QStringView(path).split(u'/'));
    }
    QStringList out;
    out.reserve(notePaths.size());
    SortGroup(notePaths, parts, all, 0, out);
    notePaths = std::move(out);
}

QString FoldSearchText(const QString& text)
{
    return LowerAZ(text.trimmed());
}

QByteArray HighlightMatches(QByteArrayView line, QByteArrayView searchText)
{
    if (searchText.isEmpty())
        return line.toByteArray();
    const QByteArray folded = FoldedCopy(line);
    const QByteArray foldedNeedle = FoldedCopy(searchText);
    const QList<int> trail = TrailBytePositions(searchText);
    TMatcher matcher(line, folded.constData(), searchText, foldedNeedle, trail);
    return WrapMatches(line, searchText.size(), [&](qsizetype from) { return matcher.Find(from); });
}

void WriteSearchDisplay(const QString& page, const QString& displayFile, const QString& searchText)
{
    const QString text = LowerAZ(searchText);
    const QByteArray bytes = textfile::ReadAll(page);
    const TzqNoteEncoding encoding = DetectNoteEncoding(bytes);
    QList<QByteArray> lines;
    if (encoding == TzqNoteEncoding::Cp949) {
        lines = textfile::SplitLines(bytes);
        bool lossless = true;
        const QByteArray needle = cp949::FromUnicode(text, &lossless);
        if (lossless) {
            for (QByteArray& line : lines)
                line = HighlightMatches(line, needle);
        }
    } else {
        // A UTF-16 note is shown as UTF-8, its byte-order mark saying so; a UTF-8 note keeps its
        // bytes, mark or meta charset included, so the viewer reads both alike.
        const bool utf16 =
            encoding == TzqNoteEncoding::Utf16LE || encoding == TzqNoteEncoding::Utf16BE;
        lines = textfile::SplitLines(utf16 ? DecodeNote(bytes, encoding).toUtf8() : bytes);
        const QByteArray needle = text.toUtf8();
        for (QByteArray& line : lines)
            line = HighlightUtf8Matches(line, needle);
        if (utf16 && !lines.isEmpty())
            lines.front().prepend("\xEF\xBB\xBF");
    }
    textfile::WriteLines(displayFile, lines);
}

// What the threads of one Run share. The walk appends the notes in the tree's order; readers take
// them by position, so every hit keeps its place in the tree.
struct TFolderSearch::TRun {
    struct TNote {
        QString Path;
        QByteArray Raw;
    };

    std::mutex Lock;
    std::condition_variable Listed; // notes were listed, or the walk is over
    std::condition_variable Found;  // a first hit since the last report, or a reader is done
    std::deque<TNote> Notes;        // a deque keeps the notes in place while it grows
    qsizetype Next = 0;             // the position the next reader takes
    bool Walked = false;
    int Matched = 0;
    int Readers = 0; // reader threads still at work
    std::vector<std::pair<qsizetype, TSearchHit>> Hits;
    size_t Reported = 0;
    qsizetype FailedAt = -1; // the first note that could not be read
    QString Error;

    // Reporting, in the thread calling Run only.
    bool Collected = false;
    int ReportedMatched = -1;
    std::chrono::steady_clock::time_point LastReport;
};

void TFolderSearch::ReadNotes(TRun& run, bool reporting)
{
    QByteArray buffer;
    std::unique_lock lock(run.Lock);
    for (;;) {
        if (FCancelled.load(std::memory_order_relaxed) || run.FailedAt >= 0)
            break;
        if (run.Next >= static_cast<qsizetype>(run.Notes.size())) {
            if (run.Walked)
                break;
            run.Listed.wait(lock);
            continue;
        }
        const qsizetype at = run.Next++;
        const TRun::TNote& note = run.Notes[static_cast<size_t>(at)];
        lock.unlock();

        int error = 0;
        bool match = FMatcher.NameMatches(ExtractFileName(note.Path));
        if (!match && FMatcher.ContentPossible()) {
            error = ReadWhole(note.Raw, buffer);
            match = error == 0 && FMatcher.ContentMatches(buffer);
        }
        QString text;
        if (match)
            text = EntryText(note.Path, FRoot);

        lock.lock();
        ++run.Matched;
        if (error != 0) {
            // The first note in the tree's order that cannot be read ends the search; the notes
            // before it are all taken already, and are still matched.
            if (run.FailedAt < 0 || at < run.FailedAt) {
                run.FailedAt = at;
                run.Error = u"파일을 읽을 수 없습니다: %1 (%2)"_s.arg(
                    QDir::toNativeSeparators(note.Path), QString::fromLocal8Bit(strerror(error)));
            }
        } else if (!text.isEmpty()) {
            run.Hits.push_back({at, {text, note.Path}});
            if (run.Hits.size() == run.Reported + 1)
                run.Found.notify_one();
        }
        if (reporting && std::chrono::steady_clock::now() - run.LastReport >= ReportInterval) {
            lock.unlock();
            Report(run, false);
            lock.lock();
        }
    }
}

void TFolderSearch::Report(TRun& run, bool force)
{
    if (!run.Collected)
        return;
    const auto now = std::chrono::steady_clock::now();
    QList<TSearchHit> hits;
    int matched = 0;
    int total = 0;
    {
        std::lock_guard lock(run.Lock);
        // The first hit goes out at once; after it, no report comes sooner than the interval.
        const bool first = run.Reported == 0 && !run.Hits.empty();
        if (!force && !first && now - run.LastReport < ReportInterval)
            return;
        for (size_t i = run.Reported; i < run.Hits.size(); ++i)
            hits.append(run.Hits[i].second);
        run.Reported = run.Hits.size();
        matched = run.Matched;
        total = static_cast<int>(run.Notes.size());
        run.LastReport = now;
    }
    if (!hits.isEmpty())
        Q_EMIT HitsFound(hits);
    if (matched != run.ReportedMatched) {
        run.ReportedMatched = matched;
        Q_EMIT Progress(matched, total);
    }
}

TFolderSearch::TFolderSearch(const QString& searchText, const QString& root, QObject* parent)
    : QObject(parent), FSearchText(searchText), FRoot(TrimmedRoot(root)), FMatcher(searchText),
      FReaders(std::clamp(QThread::idealThreadCount() - 1, 0, 3))
{
}

bool TFolderSearch::NameMatches(const QString& fileName) const
{
    return FMatcher.NameMatches(fileName);
}

bool TFolderSearch::ContentMatches(QByteArrayView bytes) const
{
    return FMatcher.ContentMatches(bytes);
}

QString TFolderSearch::EntryText(const QString& path, const QString& root)
{
    if (ExtractFileName(path) != QStringView(FolderNoteName))
        return FileBaseName(path);
    const QString base = TrimmedRoot(root);
    const QString dir = StripTrailingSeparator(ExtractFilePath(path));
    if (dir.size() <= base.size())
        return {};
    return FileBaseName(dir.mid(base.size() + 1));
}

TSearchOutcome TFolderSearch::Run()
{
    TRun run;
    std::vector<std::thread> readers;
    for (int i = 0; i < FReaders; ++i) {
        ++run.Readers;
        readers.emplace_back([this, &run] {
            ReadNotes(run, false);
            std::lock_guard lock(run.Lock);
            --run.Readers;
            run.Found.notify_one();
        });
    }

    // The walk hands its notes over a directory at a time.
    struct TSink {
        TRun& Run;
        const std::atomic<bool>& Cancelled;
        std::vector<TRun::TNote> Listed;
        bool Directory()
        {
            Flush();
            return !Cancelled.load(std::memory_order_relaxed);
        }
        void File(QString path, QByteArray raw)
        {
            Listed.push_back({std::move(path), std::move(raw)});
        }
        void Flush()
        {
            if (Listed.empty())
                return;
            {
                std::lock_guard lock(Run.Lock);
                for (TRun::TNote& note : Listed)
                    Run.Notes.push_back(std::move(note));
            }
            Listed.clear();
            Run.Listed.notify_all();
        }
    } sink{run, FCancelled, {}};
    const bool fromIndex = FCandidates.has_value();
    if (FCandidates) {
        SortLikeTree(*FCandidates);
        for (QString& path : *FCandidates) {
            QByteArray raw = QFile::encodeName(path);
            sink.File(std::move(path), std::move(raw));
        }
        FCandidates.reset();
    } else if (!FRoot.isEmpty()) {
        WalkInto(QFile::encodeName(FRoot), FRoot, sink);
    }
    sink.Flush();
    const bool walked = !FCancelled.load(std::memory_order_relaxed);
    int total = 0;
    {
        std::lock_guard lock(run.Lock);
        run.Walked = true;
        total = static_cast<int>(run.Notes.size());
    }
    run.Listed.notify_all();

    TSearchOutcome outcome;
    outcome.Files = total;
    if (walked || total > 0 || fromIndex) {
        Q_EMIT FilesCollected(total);
        run.Collected = true;
    }
    if (total > 0) {
        Report(run, false);
        ReadNotes(run, true);
        // The readers finish the notes they hold; hits keep being reported meanwhile.
        std::unique_lock lock(run.Lock);
        while (run.Readers > 0) {
            run.Found.wait_for(lock, ReportInterval);
            lock.unlock();
            Report(run, false);
            lock.lock();
        }
    }
    for (std::thread& t : readers)
        t.join();
    Report(run, true);

    std::sort(run.Hits.begin(), run.Hits.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [at, hit] : run.Hits) {
        if (run.FailedAt < 0 || at < run.FailedAt)
            outcome.Hits.append(std::move(hit));
    }
    if (run.FailedAt >= 0) {
        outcome.Kind = TSearchOutcome::Failed;
        outcome.Error = run.Error;
    } else if (!walked || run.Matched < total) {
        outcome.Kind = TSearchOutcome::Cancelled;
    } else if (total == 0 && !fromIndex) {
        outcome.Kind = TSearchOutcome::NoFiles;
    }
    Q_EMIT Finished(outcome);
    return outcome;
}
