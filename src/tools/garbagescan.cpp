#include "tools/garbagescan.h"

#include "platform/cp949.h"
#include "platform/fileoperation.h"
#include "platform/textfile.h"
#include "platform/zqerror.h"
#include "store/notestore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <future>
#include <memory>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

int HexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

bool IsValidCodePoint(char32_t c)
{
    return c > 0 && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

// Character references decoded: numeric ones (the ";" may be missing, as browsers allow) and
// the few named ones a file name can hold.
QString DecodeCharRefs(QStringView text)
{
    if (!text.contains(u'&'))
        return text.toString();
    static const struct {
        QStringView Name;
        char16_t Char;
    } named[] = {{u"amp;", u'&'},  {u"AMP;", u'&'},   {u"lt;", u'<'},     {u"gt;", u'>'},
                 {u"quot;", u'"'}, {u"apos;", u'\''}, {u"nbsp;", u'\xA0'}};
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype amp = text.indexOf(u'&', i);
        if (amp < 0) {
            out.append(text.mid(i));
            break;
        }
        out.append(text.mid(i, amp - i));
        i = amp + 1;
        if (i < n && text[i] == u'#') {
            qsizetype j = i + 1;
            const bool hex = j < n && (text[j] == u'x' || text[j] == u'X');
            if (hex)
                ++j;
            const qsizetype digits = j;
            char32_t value = 0;
            while (j < n && j - digits < 8) {
                const int d = HexValue(text[j].unicode());
                if (d < 0 || (!hex && d > 9))
                    break;
                value = value * (hex ? 16 : 10) + char32_t(d);
                ++j;
            }
            if (j > digits && IsValidCodePoint(value)) {
                if (j < n && text[j] == u';')
                    ++j;
                const char32_t ucs4[] = {value};
                out.append(QString::fromUcs4(ucs4, 1));
                i = j;
                continue;
            }
            out.append(u'&');
            continue;
        }
        bool done = false;
        for (const auto& ref : named) {
            if (text.mid(i).startsWith(ref.Name)) {
                out.append(QChar(ref.Char));
                i += ref.Name.size();
                done = true;
                break;
            }
        }
        if (!done)
            out.append(u'&');
    }
    return out;
}

// The characters of a run of percent escapes: UTF-8 when valid, else CP949 when that defines
// every byte; empty when neither does.
QString DecodeEscapedBytes(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    text = cp949::ToUnicode(bytes);
    if (!text.contains(QChar::ReplacementCharacter))
        return text;
    return {};
}

// Percent escapes decoded.
QString DecodeEscapes(QString text)
{
    if (text.contains(u'%')) {
        QString out;
        out.reserve(text.size());
        const QStringView view(text);
        const qsizetype n = view.size();
        const auto escapeAt = [&view, n](qsizetype j) {
            return j + 2 < n && view[j] == u'%' && HexValue(view[j + 1].unicode()) >= 0 &&
                   HexValue(view[j + 2].unicode()) >= 0;
        };
        qsizetype i = 0;
        while (i < n) {
            const qsizetype pct = view.indexOf(u'%', i);
            if (pct < 0) {
                out.append(view.mid(i));
                break;
            }
            out.append(view.mid(i, pct - i));
            i = pct;
            QByteArray bytes;
            qsizetype j = i;
            while (escapeAt(j)) {
                bytes.append(
                    char(HexValue(view[j + 1].unicode()) * 16 + HexValue(view[j + 2].unicode())));
                j += 3;
            }
            const QString decoded = bytes.isEmpty() ? QString() : DecodeEscapedBytes(bytes);
            if (decoded.isEmpty()) {
                out.append(u'%');
                ++i;
            } else {
                out.append(decoded);
                i = j;
            }
        }
        text = std::move(out);
    }
    return text;
}

// "\\" made "/" and letter case folded, in place. Written out because most characters of a
// note are ASCII or Hangul, which need no table look-up.
void FoldCaseAndSlashes(QString& text)
{
    char16_t* p = reinterpret_cast<char16_t*>(text.data());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (c < 0x80) {
            if (c >= u'A' && c <= u'Z')
                p[i] = char16_t(c + 32);
            else if (c == u'\\')
                p[i] = u'/';
        } else if ((c >= 0xAC00 && c <= 0xD7A3) || (c >= 0x3000 && c <= 0x9FFF)) {
            // Hangul syllables and CJK have no case.
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, p[i + 1]));
            if (QChar::requiresSurrogates(folded)) {
                p[i] = QChar::highSurrogate(folded);
                p[i + 1] = QChar::lowSurrogate(folded);
            }
            ++i;
        } else {
            p[i] = char16_t(QChar::toCaseFolded(char32_t(c)));
        }
    }
}

// The raw form of a name for comparison: only "\" made "/" and the case folded.
QString RawKey(const QString& name)
{
    QString key = name;
    key.replace(u'\\', u'/');
    return std::move(key).toCaseFolded();
}

// Finds which candidates ("__a\x.jpg") normalised note texts refer to. Candidates are indexed by
// file folder name and file name, each in its normal form and in its raw form (a file literally
// named "a%20b.jpg" may be referred to as "a%20b.jpg" or "a%2520b.jpg"); the text is searched
// only where "__" stands, looking up what follows in those indexes.
class TReferenceMatcher {
public:
    explicit TReferenceMatcher(const QStringList& candidates) : FCount(candidates.size())
    {
        QSet<int> folderLengths;
        for (int index = 0; index < candidates.size(); ++index) {
            const QString& candidate = candidates[index];
            const qsizetype sep = candidate.indexOf(u'\\');
            const QString folder = candidate.left(sep);
            const QString file = candidate.mid(sep + 1);
            const QString folderKeys[] = {NormalizeReferenceText(folder), RawKey(folder)};
            const QString fileKeys[] = {NormalizeReferenceText(file), RawKey(file)};
            for (const QString& folderKey : folderKeys) {
                if (folderKey.size() < 2 || folderKey.contains(u'/'))
                    continue;
                TFolder& entry = FFolders[folderKey];
                folderLengths.insert(int(folderKey.size()));
                for (const QString& fileKey : fileKeys) {
                    if (fileKey.isEmpty())
                        continue;
                    QList<int>& indexes = entry.Files[fileKey];
                    if (!indexes.contains(index))
                        indexes.append(index);
                    if (!entry.Lengths.contains(int(fileKey.size())))
                        entry.Lengths.append(int(fileKey.size()));
                    FMaxKeyLength = std::max(FMaxKeyLength, folderKey.size() + 1 + fileKey.size());
                }
            }
        }
        FFolderLengths = QList<int>(folderLengths.begin(), folderLengths.end());
        std::sort(FFolderLengths.begin(), FFolderLengths.end());
    }

    // Marks in referenced (one flag per candidate) the candidates the text refers to.
    void Feed(QStringView text, std::vector<char>& referenced) const
    {
        if (FFolders.isEmpty())
            return;
        const qsizetype n = text.size();
        for (qsizetype at = text.indexOf(u"__"); at >= 0; at = text.indexOf(u"__", at + 1)) {
            for (int length : std::as_const(FFolderLengths)) {
                const qsizetype sep = at + length;
                if (sep >= n)
                    break;
                if (text[sep] != u'/')
                    continue;
                const auto folder = FFolders.constFind(text.mid(at, length).toString());
                if (folder == FFolders.constEnd())
                    continue;
                for (int fileLength : folder->Lengths) {
                    if (sep + 1 + fileLength > n)
                        continue;
                    const auto file =
                        folder->Files.constFind(text.mid(sep + 1, fileLength).toString());
                    if (file == folder->Files.constEnd())
                        continue;
                    for (int index : *file)
                        referenced[size_t(index)] = 1;
                }
            }
        }
    }

    // One flag per candidate, none set.
    std::vector<char> NoneReferenced() const { return std::vector<char>(size_t(FCount), 0); }
    bool IsEmpty() const { return FFolders.isEmpty(); }
    // The longest folder + "/" + file key, in UTF-16 units.
    qsizetype MaxKeyLength() const { return FMaxKeyLength; }

private:
    struct TFolder {
        QList<int> Lengths;
        QHash<QString, QList<int>> Files;
    };
    QHash<QString, TFolder> FFolders;
    QList<int> FFolderLengths;
    qsizetype FCount = 0;
    qsizetype FMaxKeyLength = 0;
};

// True for valid UTF-8 with at least one non-ASCII character; stops at the first fault, which
// in CP949 text is usually the first Korean character.
bool IsNonAsciiUtf8(QByteArrayView bytes)
{
    bool nonAscii = false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        nonAscii = true;
        int more = 0;
        char32_t cp = 0;
        if ((c & 0xE0) == 0xC0 && c >= 0xC2) {
            more = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0 && c <= 0xF4) {
            more = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + more >= n)
            return false;
        for (int k = 1; k <= more; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (p[i + k] & 0x3F);
        }
        if ((more == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += more + 1;
    }
    return nonAscii;
}

// Every CP949 double-byte character by lead byte * 256 + trail byte; 0 where undefined. Made once
// from the program's codec, so the scan reads notes as the editor does, only faster.
const std::vector<char16_t>& Cp949Table()
{
    static const std::vector<char16_t> table = [] {
        std::vector<char16_t> t(65536, 0);
        // Pair by pair: an undefined pair must not shift the ones after it.
        char pair[2];
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x41; trail <= 0xFE; ++trail) {
                pair[0] = char(lead);
                pair[1] = char(trail);
                const QString c = cp949::ToUnicode(QByteArrayView(pair, 2));
                if (c.size() == 1 && c[0] != QChar::ReplacementCharacter)
                    t[size_t(lead << 8 | trail)] = c[0].unicode();
            }
        }
        return t;
    }();
    return table;
}

// A CP949 note's text; the same as cp949::ToUnicode, which takes over at the first byte pair
// the table does not know.
QString DecodeCp949ForScan(QByteArrayView bytes)
{
    const std::vector<char16_t>& table = Cp949Table();
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype k = 0;
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            o[k++] = b;
            ++i;
            continue;
        }
        // A lead byte at the very end has lost its pair; nothing of a name is in it.
        if (i + 1 >= n)
            break;
        const char16_t c = table[size_t(b) << 8 | p[i + 1]];
        if (!c)
            return cp949::ToUnicode(bytes);
        o[k++] = c;
        i += 2;
    }
    out.truncate(k);
    return out;
}

// The stretches of a note's bytes where a reference may stand: from each "__", or each escaped
// underscore ("%5F", "&#95;", "&#x5F;", with a "_" right before it), `width` bytes on;
// overlapping stretches are joined. All of them begin at an ASCII byte, which in CP949 and
// UTF-8 never continues a character.
QList<std::pair<qsizetype, qsizetype>> ReferenceWindows(QByteArrayView bytes, qsizetype width)
{
    const char* data = bytes.data();
    const qsizetype n = bytes.size();
    std::vector<qsizetype> anchors;
    // memchr for the first byte: these bytes are rare in notes, and it is far faster than
    // searching for two.
    const auto find = [&](const char* needle, auto accept) {
        for (const char* p = data; p + 1 < data + n;) {
            p = static_cast<const char*>(std::memchr(p, needle[0], size_t(data + n - 1 - p)));
            if (!p)
                break;
            const qsizetype at = p - data;
            if (p[1] == needle[1] && accept(at))
                anchors.push_back(at > 0 && data[at - 1] == '_' ? at - 1 : at);
            ++p;
        }
    };
    const auto startsWith = [&](qsizetype at, QByteArrayView text) {
        return bytes.sliced(at).startsWith(text);
    };
    find("__", [](qsizetype) { return true; });
    find("%5", [&](qsizetype at) { return at + 2 < n && (data[at + 2] | 0x20) == 'f'; });
    find("&#", [&](qsizetype at) {
        return startsWith(at, "&#95") || startsWith(at, "&#x5f") || startsWith(at, "&#x5F") ||
               startsWith(at, "&#X5f") || startsWith(at, "&#X5F");
    });
    std::sort(anchors.begin(), anchors.end());
    QList<std::pair<qsizetype, qsizetype>> windows;
    for (const qsizetype at : anchors) {
        const qsizetype end = std::min(n, at + width);
        if (!windows.isEmpty() && at <= windows.last().second)
            windows.last().second = std::max(windows.last().second, end);
        else
            windows.append({at, end});
    }
    return windows;
}

// Feeds a note's bytes to the matcher in its own encoding: only the stretches where a reference
// may stand are decoded. A note taken for CP949 whose bytes are valid UTF-8 is read both ways:
// which one its writer meant cannot be told for sure.
void FeedNote(const TReferenceMatcher& matcher, QByteArrayView bytes, TzqNoteEncoding encoding,
              std::vector<char>& referenced)
{
    if (matcher.IsEmpty())
        return;
    if (encoding == TzqNoteEncoding::Utf16LE || encoding == TzqNoteEncoding::Utf16BE) {
        matcher.Feed(NormalizeReferenceText(DecodeNote(bytes, encoding)), referenced);
        return;
    }
    const bool cp949 = encoding == TzqNoteEncoding::Cp949;
    const bool alsoUtf8 = cp949 && IsNonAsciiUtf8(bytes);
    // A character of a reference takes at most ten bytes written out ("&#x10FFFF;").
    const qsizetype width = matcher.MaxKeyLength() * 10 + 16;
    for (const auto& [from, to] : ReferenceWindows(bytes, width)) {
        const QByteArrayView window = bytes.sliced(from, to - from);
        matcher.Feed(
            NormalizeReferenceText(cp949 ? DecodeCp949ForScan(window) : QString::fromUtf8(window)),
            referenced);
        if (alsoUtf8)
            matcher.Feed(NormalizeReferenceText(QString::fromUtf8(window)), referenced);
    }
}

bool IsNoteName(const QString& name)
{
    return name.endsWith(u".htm"_s, Qt::CaseInsensitive) ||
           name.endsWith(u".html"_s, Qt::CaseInsensitive);
}

bool IsPlainFile(const QFileInfo& info)
{
    return info.isFile() && !info.isSymLink();
}

bool IsPlainDir(const QFileInfo& info)
{
    return info.isDir() && !info.isSymLink();
}

QByteArray ReadNote(const QString& path)
{
    try {
        return textfile::ReadAll(path);
    } catch (const EzqError& e) {
        throw EzqError(u"노트 '%1' 을(를) 읽을 수 없어 폴더 정리를 멈췄습니다. 아무것도 "
                       u"지우거나 바꾸지 않았습니다.\n%2"_s.arg(Native(path), e.Message()));
    }
}

// The unit (byte or UTF-16 code unit) at i of a note in its encoding, as a character code.
struct TUnits {
    QByteArrayView Bytes;
    qsizetype Start = 0; // after the byte-order mark
    int Size = 1;        // 1 or 2 bytes per unit
    bool BigEndian = false;

    qsizetype Count() const { return (Bytes.size() - Start) / Size; }
    char16_t At(qsizetype i) const
    {
        const qsizetype p = Start + i * Size;
        const auto b = [this](qsizetype k) { return static_cast<unsigned char>(Bytes[k]); };
        if (Size == 1)
            return b(p);
        return BigEndian ? char16_t(b(p) << 8 | b(p + 1)) : char16_t(b(p + 1) << 8 | b(p));
    }
    char16_t Lower(qsizetype i) const
    {
        const char16_t c = At(i);
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    }
};

bool IsTagSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Unit ranges [first, end) of the empty anchor elements. In CP949 and UTF-8 no byte of a
// multi-byte character is one of "<", ">", quotes or white space, so they are found unit by unit.
QList<std::pair<qsizetype, qsizetype>> FindEmptyAnchors(const TUnits& u)
{
    QList<std::pair<qsizetype, qsizetype>> ranges;
    const qsizetype n = u.Count();
    qsizetype i = 0;
    while (i + 1 < n) {
        if (u.Size == 1) {
            const void* lt = std::memchr(u.Bytes.data() + u.Start + i, '<', size_t(n - i));
            if (!lt)
                break;
            i = static_cast<const char*>(lt) - (u.Bytes.data() + u.Start);
            if (i + 1 >= n)
                break;
        }
        if (u.At(i) != u'<' || u.Lower(i + 1) != u'a') {
            ++i;
            continue;
        }
        if (i + 2 >= n || !(IsTagSpace(u.At(i + 2)) || u.At(i + 2) == u'>')) {
            ++i;
            continue;
        }
        // The end of the opening tag; quoted values may hold ">".
        qsizetype j = i + 2;
        char16_t quote = 0;
        for (; j < n; ++j) {
            const char16_t c = u.At(j);
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == u'"' || c == u'\'') {
                quote = c;
            } else if (c == u'>') {
                break;
            } else if (c == u'<') {
                break; // Not a tag that closes before the next one begins.
            }
        }
        if (j >= n || u.At(j) != u'>') {
            i = std::max(j, i + 1);
            continue;
        }
        const qsizetype close = j + 1;
        if (close + 3 < n && u.At(close) == u'<' && u.At(close + 1) == u'/' &&
            u.Lower(close + 2) == u'a' && u.At(close + 3) == u'>') {
            ranges.append({i, close + 4});
            i = close + 4;
        } else {
            i = close;
        }
    }
    return ranges;
}

// A note's bytes as units of its encoding, after the byte-order mark.
TUnits NoteUnits(QByteArrayView bytes, TzqNoteEncoding encoding)
{
    TUnits units;
    units.Bytes = bytes;
    units.Start = std::min(ByteOrderMarkSize(encoding), bytes.size());
    if (encoding == TzqNoteEncoding::Utf16LE || encoding == TzqNoteEncoding::Utf16BE) {
        units.Size = 2;
        units.BigEndian = encoding == TzqNoteEncoding::Utf16BE;
    }
    return units;
}

} // namespace

QString NormalizeReferenceText(QStringView text)
{
    QString normal = DecodeEscapes(DecodeCharRefs(text));
    FoldCaseAndSlashes(normal);
    return normal;
}

QStringList CollectFolderFiles(const QString& folder, const QString& fileFolder)
{
    // The directory entries tell the type of each; only a file system that does not is asked
    // file by file. A folder of thousands of pictures is listed without a stat for each.
    QStringList result;
    DIR* dir = ::opendir(QFile::encodeName(folder + u'/' + fileFolder).constData());
    if (!dir)
        return result;
    const QString prefix = fileFolder + u'\\';
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st;
            regular =
                ::fstatat(::dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
        }
        if (regular)
            result.append(prefix + QFile::decodeName(name));
    }
    ::closedir(dir);
    return result;
}

bool IsFolderEmpty(const QString& dir)
{
    const QDir d(dir);
    if (!d.exists())
        return false;
    return d
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                   QDir::NoSort)
        .isEmpty();
}

QByteArray DropEmptyAnchors(QByteArrayView bytes, TzqNoteEncoding encoding, bool* changed)
{
    const TUnits units = NoteUnits(bytes, encoding);
    const auto ranges = FindEmptyAnchors(units);
    if (changed)
        *changed = !ranges.isEmpty();
    if (ranges.isEmpty())
        return bytes.toByteArray();
    QByteArray out;
    out.reserve(bytes.size());
    qsizetype from = 0;
    for (const auto& [first, end] : ranges) {
        const qsizetype a = units.Start + first * units.Size;
        out.append(bytes.sliced(from, a - from));
        from = units.Start + end * units.Size;
    }
    out.append(bytes.sliced(from));
    return out;
}

bool HasEmptyAnchors(QByteArrayView bytes, TzqNoteEncoding encoding)
{
    return !FindEmptyAnchors(NoteUnits(bytes, encoding)).isEmpty();
}

TGarbageScan::TGarbageScan(const QString& userName, TTrashFunc trash)
    : FUserName(userName), FTrash(trash ? std::move(trash) : TTrashFunc(TrashFilesOneByOne))
{
}

void TGarbageScan::Clear()
{
    FFileFolders.clear();
    FCandidates.clear();
    FAnchorNotes.clear();
}

TGarbageScan::TEntries TGarbageScan::ReadEntries() const
{
    // One reading of the directory; its entries tell their type, so only links (and file
    // systems that tell nothing) need a stat.
    TEntries entries;
    DIR* dir = ::opendir(QFile::encodeName(FFolder).constData());
    if (!dir)
        return entries;
    while (const dirent* entry = ::readdir(dir)) {
        const char* raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        unsigned char type = entry->d_type;
        bool link = type == DT_LNK;
        if (type == DT_UNKNOWN || link) {
            struct stat st;
            if (::fstatat(::dirfd(dir), raw, &st, link ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            link = link || S_ISLNK(st.st_mode);
            type = S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
        }
        const QString name = QFile::decodeName(raw);
        if (type == DT_REG && IsNoteName(name)) {
            entries.Notes.append(name);
            if (link)
                entries.LinkedNotes.insert(name);
        } else if (type == DT_REG && name.endsWith(u".qzmod"_s)) {
            entries.Marked.insert(name.chopped(6));
        } else if (type == DT_DIR && !link && name.startsWith(u"__"_s)) {
            entries.FileFolders.append(name);
        }
    }
    ::closedir(dir);
    return entries;
}

bool TGarbageScan::IsLockedNote(const TEntries& entries, const QString& note) const
{
    if (!entries.Marked.contains(QFileInfo(note).completeBaseName()))
        return false;
    try {
        return IsLockedByOther(FFolder + u'/' + note, FUserName);
    } catch (const EzqError&) {
        // A marker that cannot be read may be another user's.
        return true;
    }
}

bool TGarbageScan::ScanFolder(const QString& folder, const TProgress& progress)
{
    Clear();
    FFolder = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    if (!QFileInfo(FFolder).isDir())
        throw EzqError(u"폴더 '%1' 을(를) 찾을 수 없습니다."_s.arg(Native(FFolder)));

    const TEntries entries = ReadEntries();
    const QStringList& notes = entries.Notes;
    // While another user edits a note, pictures pasted into its file folder may be referred to
    // only by the text not yet saved: that file folder is left alone.
    QSet<QString> busyFolders;
    QSet<QString> lockedNotes;
    for (const QString& note : notes) {
        if (!IsLockedNote(entries, note))
            continue;
        lockedNotes.insert(note);
        const QString page = FFolder + u'/' + note;
        busyFolders.insert(QFileInfo(NoteFileFolder(page)).fileName());
        busyFolders.insert(QFileInfo(LegacyNoteFileFolder(page)).fileName());
    }

    for (const QString& name : entries.FileFolders) {
        if (!busyFolders.contains(name))
            FFileFolders.append(name);
    }
    // The file folders are listed on a second thread while this one reads the notes; notes
    // read before the list is complete wait in memory. With the list done, the second thread
    // takes notes too.
    const int total = int(notes.size());
    QStringList candidates;
    std::unique_ptr<TReferenceMatcher> matcher;
    std::atomic<bool> matcherReady = false;
    std::atomic<int> next = 0;
    std::atomic<bool> stop = false;
    std::vector<char> anchors(size_t(total), 0);
    // What a note holds: whether it has empty anchors to remove, and what it refers to.
    const auto look = [&](int index, const QByteArray& bytes, TzqNoteEncoding encoding) {
        const QString& note = notes[index];
        if (!lockedNotes.contains(note) && !entries.LinkedNotes.contains(note))
            anchors[size_t(index)] = HasEmptyAnchors(bytes, encoding);
    };
    std::vector<char> workerReferenced;
    std::exception_ptr workerError;
    std::future<void> worker = std::async(std::launch::async, [&] {
        for (const QString& d : std::as_const(FFileFolders))
            candidates += CollectFolderFiles(FFolder, d);
        matcher = std::make_unique<TReferenceMatcher>(candidates);
        matcherReady.store(true, std::memory_order_release);
        std::vector<char> referenced = matcher->NoneReferenced();
        try {
            for (int i = next++; i < total && !stop; i = next++) {
                const QByteArray bytes = ReadNote(FFolder + u'/' + notes[i]);
                const TzqNoteEncoding encoding = DetectNoteEncoding(bytes);
                look(i, bytes, encoding);
                FeedNote(*matcher, bytes, encoding, referenced);
            }
        } catch (...) {
            workerError = std::current_exception();
            stop = true;
        }
        workerReferenced = std::move(referenced);
    });
    const auto abandon = [&] {
        stop = true;
        worker.wait();
        Clear();
    };

    struct TPending {
        QByteArray Bytes;
        TzqNoteEncoding Encoding;
    };
    std::vector<TPending> pending;
    std::vector<char> referenced;
    bool ready = false;
    const auto takeMatcher = [&] {
        ready = true;
        referenced = matcher->NoneReferenced();
        for (const TPending& note : pending)
            FeedNote(*matcher, note.Bytes, note.Encoding, referenced);
        pending.clear();
    };
    for (int i = next++; i < total && !stop; i = next++) {
        if (progress && !progress(i, total)) {
            abandon();
            return false;
        }
        QByteArray bytes;
        try {
            bytes = ReadNote(FFolder + u'/' + notes[i]);
        } catch (...) {
            abandon();
            throw;
        }
        const TzqNoteEncoding encoding = DetectNoteEncoding(bytes);
        look(i, bytes, encoding);
        if (!ready && matcherReady.load(std::memory_order_acquire))
            takeMatcher();
        if (ready)
            FeedNote(*matcher, bytes, encoding, referenced);
        else
            pending.push_back({std::move(bytes), encoding});
    }
    worker.wait();
    if (workerError) {
        Clear();
        std::rethrow_exception(workerError);
    }
    if (!ready)
        takeMatcher();
    if (progress && !progress(total, total)) {
        Clear();
        return false;
    }
    for (int i = 0; i < candidates.size(); ++i) {
        if (!referenced[size_t(i)] && !workerReferenced[size_t(i)])
            FCandidates.append(candidates[i]);
    }
    QStringList anchorNotes;
    for (int i = 0; i < total; ++i) {
        if (anchors[size_t(i)])
            anchorNotes.append(notes[i]);
    }
    FAnchorNotes = anchorNotes;
    return true;
}

TGarbageDeleteResult TGarbageScan::DeleteGarbage(const QStringList& items,
                                                 const TDeleteProgress& progress)
{
    TGarbageDeleteResult result;
    if (FFolder.isEmpty())
        return result;
    // Only what the scan listed is ever deleted.
    QStringList chosen;
    for (const QString& item : items) {
        if (FCandidates.contains(item) && !chosen.contains(item))
            chosen.append(item);
    }
    const auto goOn = [&progress](TGarbageDeleteStep step, qsizetype done, qsizetype total,
                                  const QString& item) {
        return !progress || progress(step, int(done), int(total), item);
    };
    TReferenceMatcher matcher(chosen);
    std::vector<char> referenced = matcher.NoneReferenced();
    // Stopped before the candidate at index first: it and those after it stay where they are.
    const auto stop = [&](qsizetype first) {
        result.Stopped = true;
        for (qsizetype i = first; i < chosen.size(); ++i) {
            if (!referenced[size_t(i)])
                result.NotTried.append(chosen[i]);
        }
        return result;
    };

    // Every note is read again: one saved since the scan may refer to a candidate by now.
    const TEntries entries = ReadEntries();
    QStringList anchorNotes;
    for (qsizetype n = 0; n < entries.Notes.size(); ++n) {
        const QString& note = entries.Notes[n];
        if (!goOn(TGarbageDeleteStep::ReadNotes, n, entries.Notes.size(), note)) {
            // Nothing has changed yet, and what a note not read refers to is not known.
            std::fill(referenced.begin(), referenced.end(), 0);
            return stop(0);
        }
        const QString path = FFolder + u'/' + note;
        const QByteArray bytes = ReadNote(path);
        FeedNote(matcher, bytes, DetectNoteEncoding(bytes), referenced);
        if (IsLockedNote(entries, note) || entries.LinkedNotes.contains(note))
            continue;
        if (HasEmptyAnchors(bytes, DetectNoteEncoding(bytes)))
            anchorNotes.append(note);
    }

    for (qsizetype n = 0; n < anchorNotes.size(); ++n) {
        const QString& note = anchorNotes[n];
        if (!goOn(TGarbageDeleteStep::WriteNotes, n, anchorNotes.size(), note))
            return stop(0);
        const QString path = FFolder + u'/' + note;
        try {
            const QByteArray bytes = textfile::ReadAll(path);
            bool changed = false;
            const QByteArray cleaned = DropEmptyAnchors(bytes, DetectNoteEncoding(bytes), &changed);
            if (changed) {
                textfile::WriteAll(path, cleaned);
                result.NotesWritten.append(note);
            }
        } catch (const EzqError& e) {
            result.NotesFailed.append(Native(path) + u" ("_s + e.Message() + u')');
        }
    }

    for (qsizetype i = 0; i < chosen.size(); ++i) {
        if (referenced[size_t(i)])
            continue;
        if (!goOn(TGarbageDeleteStep::TrashFiles, i, chosen.size(), chosen[i]))
            return stop(i);
        const QString path = FFolder + u'/' + QString(chosen[i]).replace(u'\\', u'/');
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink())
            continue; // Gone already.
        if (!IsPlainFile(info)) {
            result.Left.append(Native(path) + u" (일반 파일이 아니게 되었습니다)"_s);
            continue;
        }
        const QStringList left = FTrash({path});
        if (left.isEmpty())
            result.Trashed.append(chosen[i]);
        else
            result.Left += left;
    }

    for (qsizetype n = 0; n < FFileFolders.size(); ++n) {
        const QString& d = FFileFolders[n];
        const QString path = FFolder + u'/' + d;
        if (!IsPlainDir(QFileInfo(path)) || !IsFolderEmpty(path))
            continue;
        if (!goOn(TGarbageDeleteStep::TrashFolders, n, FFileFolders.size(), d))
            return stop(chosen.size());
        const QStringList left = FTrash({path});
        if (left.isEmpty())
            result.FoldersTrashed.append(d);
        else
            result.Left += left;
    }
    return result;
}
