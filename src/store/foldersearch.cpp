#include "store/foldersearch.h"

#include "platform/cp949.h"
#include "platform/noteencoding.h"
#include "platform/textfile.h"
#include "platform/zqerror.h"
#include "store/pagepath.h"
#include "store/util.h"
#include "store/zqtreemodel.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr auto HighlightOpen = "<FONT style=\"BACKGROUND-COLOR: #ff6600\" color=#ffffff>";
constexpr auto HighlightClose = "</FONT>";
constexpr auto FolderNoteFileName = "___zq_quillet__folder.htm";
// How far into a note DetectNoteEncoding looks for a meta charset.
constexpr qsizetype MetaCharsetBytes = 4096;

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

bool StartsWithUtf16Bom(QByteArrayView bytes)
{
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

// Whether the folded bytes hold "utf8" or "utf-8", which a meta charset of UTF-8 needs. Looks
// for the digit first: it is rare in notes and never the second byte of a Korean character.
bool MayNameUtf8(QByteArrayView folded)
{
    const char* begin = folded.data();
    const char* end = begin + folded.size();
    for (const char* p = begin; p < end; ++p) {
        p = static_cast<const char*>(memchr(p, '8', static_cast<size_t>(end - p)));
        if (!p)
            return false;
        if ((p - begin >= 3 && memcmp(p - 3, "utf", 3) == 0) ||
            (p - begin >= 4 && memcmp(p - 4, "utf-", 4) == 0))
            return true;
    }
    return false;
}

// The encoding of a note whose bytes are folded already. Notes are CP949 by the thousand and
// UTF-8 by the few: the full test, which reads the meta charset, runs only where the note may
// name UTF-8 where that test looks.
TzqNoteEncoding DetectFoldedNoteEncoding(QByteArrayView bytes, QByteArrayView folded)
{
    if (bytes.startsWith("\xEF\xBB\xBF") || StartsWithUtf16Bom(bytes) ||
        MayNameUtf8(folded.first(std::min(folded.size(), MetaCharsetBytes))))
        return DetectNoteEncoding(bytes);
    return TzqNoteEncoding::Cp949;
}

QString LowerAZ(QString text)
{
    for (QChar& c : text) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() | 0x20);
    }
    return text;
}

// Appends the note files of dir and below in the tree's order: the folder's own note first (the
// folder stands there), then each subdirectory with everything in it, then the notes, both
// groups sorted as the tree sorts them. File folders, which the tree does not show, are searched
// among the other directories. rawDir is dir as the file system names it.
void CollectInto(const QByteArray& rawDir, const QString& dir, QStringList& files)
{
    DIR* d = opendir(rawDir.constData());
    if (!d)
        return;
    const int fd = dirfd(d);
    QStringList folders;
    QList<QByteArray> rawFolders;
    QStringList notes;
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
            if (strcmp(name, FolderNoteFileName) == 0)
                folderNote = true;
            else
                notes.append(QFile::decodeName(name));
        }
    }
    // Closed before going down, so that only one directory is open at a time.
    closedir(d);

    const QString stem = dir.endsWith(u'/') ? dir : dir + u'/';
    const QByteArray rawStem = rawDir.endsWith('/') ? rawDir : rawDir + '/';
    if (folderNote)
        files.append(stem + FolderNoteName);
    for (const quint32 i : OrderLikeTree(folders))
        CollectInto(rawStem + rawFolders[i], stem + folders[i], files);
    for (const quint32 i : OrderLikeTree(notes))
        files.append(stem + notes[i]);
}

} // namespace

QStringList CollectNoteFiles(const QString& root)
{
    QStringList files;
    QString dir = root;
    while (dir.size() > 1 && IsPathSeparator(dir.back()))
        dir.chop(1);
    if (dir.isEmpty())
        return files;
    CollectInto(QFile::encodeName(dir), dir, files);
    return files;
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

TFolderSearch::TFolderSearch(const QString& searchText, const QString& root, QObject* parent)
    : QObject(parent), FSearchText(searchText), FRoot(root)
{
    while (FRoot.size() > 1 && IsPathSeparator(FRoot.back()))
        FRoot.chop(1);
    bool lossless = true;
    FBytes = cp949::FromUnicode(FSearchText, &lossless);
    FFolded = FoldedCopy(FBytes);
    FTrailBytes = TrailBytePositions(FBytes);
    FText = LowerAZ(FSearchText);
    FUtf8Folded = FText.toUtf8();
    // Lines are searched one by one: a text spanning a line break occurs nowhere. A text CP949
    // cannot write occurs in Unicode notes only.
    FContentPossible = !FText.isEmpty() && !FText.contains(u'\r') && !FText.contains(u'\n');
    FCp949Possible = FContentPossible && lossless;
}

bool TFolderSearch::NameMatches(const QString& fileName) const
{
    if (fileName.startsWith(u"__"_s))
        return false;
    return LowerAZ(fileName).contains(FSearchText);
}

bool TFolderSearch::ContentMatches(QByteArrayView bytes) const
{
    QByteArray folded;
    return MatchContent(bytes, folded);
}

bool TFolderSearch::MatchContent(QByteArrayView bytes, QByteArray& folded) const
{
    if (!FContentPossible)
        return false;
    if (StartsWithUtf16Bom(bytes))
        return LowerAZ(DecodeNote(bytes, DetectNoteEncoding(bytes))).contains(FText);
    folded.resize(bytes.size());
    FoldEveryByte(bytes.data(), bytes.size(), folded.data());
    if (DetectFoldedNoteEncoding(bytes, folded) != TzqNoteEncoding::Cp949)
        return FindFolded(folded, FUtf8Folded, 0) >= 0;
    if (!FCp949Possible || bytes.size() < FBytes.size())
        return false;
    TMatcher matcher(bytes, folded.constData(), FBytes, FFolded, FTrailBytes);
    return matcher.Find(0) >= 0;
}

QString TFolderSearch::EntryText(const QString& path, const QString& root)
{
    if (ExtractFileName(path) != QStringView(FolderNoteName))
        return FileBaseName(path);
    QString base = root;
    while (base.size() > 1 && IsPathSeparator(base.back()))
        base.chop(1);
    const QString dir = StripTrailingSeparator(ExtractFilePath(path));
    if (dir.size() <= base.size())
        return {};
    return FileBaseName(dir.mid(base.size() + 1));
}

bool TFolderSearch::ReadFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = open(name.constData(), O_RDONLY | O_CLOEXEC);
    int error = 0;
    if (fd < 0) {
        error = errno;
    } else {
        struct stat st;
        qsizetype size = fstat(fd, &st) == 0 ? static_cast<qsizetype>(st.st_size) : 0;
        FBuffer.resize(size + 1);
        qsizetype got = 0;
        for (;;) {
            if (got == FBuffer.size())
                FBuffer.resize(FBuffer.size() * 2 + 4096);
            const ssize_t n =
                read(fd, FBuffer.data() + got, static_cast<size_t>(FBuffer.size() - got));
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
        FBuffer.resize(got);
    }
    if (error != 0)
        throw EzqError(u"파일을 읽을 수 없습니다: %1 (%2)"_s.arg(
            QDir::toNativeSeparators(path), QString::fromLocal8Bit(strerror(error))));
    return true;
}

TSearchOutcome TFolderSearch::Run()
{
    TSearchOutcome outcome;
    const QStringList files = CollectNoteFiles(FRoot);
    const int total = static_cast<int>(files.size());
    outcome.Files = total;
    Q_EMIT FilesCollected(total);
    if (files.isEmpty()) {
        outcome.Kind = TSearchOutcome::NoFiles;
        Q_EMIT Finished(outcome);
        return outcome;
    }
    for (int i = 0; i < total; ++i) {
        if (FCancelled.load(std::memory_order_relaxed)) {
            outcome.Kind = TSearchOutcome::Cancelled;
            break;
        }
        const QString& path = files[i];
        bool match = NameMatches(ExtractFileName(path));
        if (!match && FContentPossible) {
            try {
                ReadFile(path);
            } catch (const EzqError& e) {
                outcome.Kind = TSearchOutcome::Failed;
                outcome.Error = e.Message();
                break;
            }
            match = MatchContent(FBuffer, FFoldBuffer);
        }
        if (match) {
            const QString text = EntryText(path, FRoot);
            if (!text.isEmpty())
                outcome.Hits.append({text, path});
        }
        if ((i + 1) % 64 == 0 || i + 1 == total)
            Q_EMIT Progress(i + 1, total);
    }
    Q_EMIT Finished(outcome);
    return outcome;
}
