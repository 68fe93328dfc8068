#include "app/zqinifile.h"

#include "platform/cp949.h"
#include "platform/textfile.h"
#include "platform/zqerror.h"
#include "platform/zqfilelock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>
#include <optional>
#include <vector>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

// How long a write waits for another instance's write: while that instance goes on changing
// the file, up to LockLimit; an instance holding the lock without touching the file for
// LockIdle is stuck.
constexpr std::chrono::milliseconds LockIdle = 3s;
constexpr std::chrono::milliseconds LockLimit = 10s;

// What a read returns at most, in bytes; a double-byte character is never split.
constexpr qsizetype MaxValueBytes = 2047;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView Trimmed(QByteArrayView text)
{
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    return text.sliced(b, e - b);
}

// Length of the CP949 character at i: two for a lead byte followed by a valid trail byte.
// The trail bytes of CP949 include the ASCII letters, so byte-wise folding would be wrong.
qsizetype CharLength(QByteArrayView text, qsizetype i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x81 || lead > 0xFE || i + 1 >= text.size())
        return 1;
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    const bool valid = (trail >= 0x41 && trail <= 0x5A) || (trail >= 0x61 && trail <= 0x7A) ||
                       (trail >= 0x81 && trail <= 0xFE);
    return valid ? 2 : 1;
}

char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Section and key names: ASCII letters match either case; double-byte characters match exactly.
bool SameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    qsizetype i = 0;
    while (i < a.size()) {
        const qsizetype len = CharLength(a, i);
        if (len != CharLength(b, i))
            return false;
        if (len == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
        } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
        i += len;
    }
    return true;
}

// A line break inside a name or value would split its line and plant other keys or sections
// in the file, so every CR and LF becomes a space.
QByteArray WithoutLineBreaks(QByteArray text)
{
    for (char& c : text) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return text;
}

// How the caller's name is looked up and written: CP949, one line, trimmed like the file's.
QByteArray NameBytes(const QString& name)
{
    return Trimmed(WithoutLineBreaks(cp949::FromUnicode(name))).toByteArray();
}

enum class TLineKind { Other, Section, Key };

struct TIniLine {
    qsizetype Start = 0;     // offset of the line in the file
    qsizetype Length = 0;    // without its line end
    qsizetype EndLength = 0; // 0 (last line), 1 (CR or LF) or 2 (CR LF)
    TLineKind Kind = TLineKind::Other;
    QByteArrayView Name;    // section or key name, trimmed
    QByteArrayView Value;   // key value, trimmed
    qsizetype Section = -1; // index of the section header line the line belongs to
};

// The lines of a settings file. Blank lines, ";" comments, and lines that are neither a
// section header nor hold "=" are kept as they are and never match anything. No mark ("[",
// "]", "=", ";", quotes, blanks, line ends) can be the trail byte of a CP949 character, so
// they are found byte by byte.
std::vector<TIniLine> ParseLines(QByteArrayView bytes)
{
    std::vector<TIniLine> lines;
    qsizetype section = -1;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    while (start < n) {
        TIniLine line;
        line.Start = start;
        qsizetype i = start;
        while (i < n && bytes[i] != '\r' && bytes[i] != '\n')
            ++i;
        line.Length = i - start;
        if (i < n)
            line.EndLength = (bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n') ? 2 : 1;
        start = i + line.EndLength;

        const QByteArrayView text = Trimmed(bytes.sliced(line.Start, line.Length));
        if (text.startsWith('[')) {
            // The name runs to the last "]"; a header whose "]" is missing runs to the end of
            // the line, so a hand-edited "[PROGRAM" still opens its section.
            QByteArrayView inner = text.sliced(1);
            const qsizetype close = inner.lastIndexOf(']');
            if (close >= 0)
                inner = inner.first(close);
            line.Kind = TLineKind::Section;
            line.Name = Trimmed(inner);
            section = static_cast<qsizetype>(lines.size());
        } else if (!text.startsWith(';')) {
            const qsizetype eq = text.indexOf('=');
            if (eq >= 0) {
                line.Kind = TLineKind::Key;
                line.Name = Trimmed(text.first(eq));
                line.Value = Trimmed(text.sliced(eq + 1));
            }
        }
        line.Section = line.Kind == TLineKind::Section ? -1 : section;
        lines.push_back(line);
    }
    return lines;
}

bool InSection(const std::vector<TIniLine>& lines, const TIniLine& line, QByteArrayView section)
{
    return line.Section >= 0 && SameName(lines[line.Section].Name, section);
}

// The key line a read sees: the first line with that key in the first section of that name
// holding it. Sections of the same name are searched in file order.
const TIniLine* FindKey(const std::vector<TIniLine>& lines, QByteArrayView section,
                        QByteArrayView key)
{
    for (const TIniLine& line : lines) {
        if (line.Kind == TLineKind::Key && InSection(lines, line, section) &&
            SameName(line.Name, key))
            return &line;
    }
    return nullptr;
}

// The value as a read returns it: one pair of matching quotes removed, at most MaxValueBytes.
QByteArray ReadValue(QByteArrayView value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    if (value.size() > MaxValueBytes) {
        qsizetype i = 0;
        while (i < value.size()) {
            const qsizetype len = CharLength(value, i);
            if (i + len > MaxValueBytes)
                break;
            i += len;
        }
        value = value.first(i);
    }
    return value.toByteArray();
}

// The file's bytes, or nothing when it does not exist or cannot be read.
std::optional<QByteArray> LoadFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// Puts the content a failed write may have damaged back, as far as the disk allows.
void RestoreContent(const QString& fileName, const QByteArray& bytes)
{
    if (LoadFile(fileName) == bytes)
        return;
    try {
        textfile::WriteAll(fileName, bytes);
    } catch (const EzqError&) {
    }
}

std::optional<int> HexValue(QByteArrayView digits)
{
    if (digits.isEmpty())
        return std::nullopt;
    quint64 v = 0;
    for (const char c : digits) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        v = v * 16 + static_cast<quint64>(d);
        if (v > 0xFFFFFFFFu)
            return std::nullopt;
    }
    // Eight hex digits fill all 32 bits: $FFFFFFFF is -1.
    return static_cast<int>(static_cast<quint32>(v));
}

std::optional<int> DecimalValue(QByteArrayView text)
{
    bool negative = false;
    if (!text.isEmpty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text = text.sliced(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    const qint64 limit = negative ? -qint64(std::numeric_limits<int>::min())
                                  : qint64(std::numeric_limits<int>::max());
    qint64 v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > limit)
            return std::nullopt;
    }
    return static_cast<int>(negative ? -v : v);
}

} // namespace

TzqIniFile::TzqIniFile(QString fileName) : FFileName(std::move(fileName)) {}

QByteArray TzqIniFile::ReadBytes(const QString& section, const QString& key,
                                 const QByteArray& def) const
{
    const std::optional<QByteArray> bytes = Content();
    if (!bytes)
        return def;
    const std::vector<TIniLine> lines = ParseLines(*bytes);
    const TIniLine* line = FindKey(lines, NameBytes(section), NameBytes(key));
    return line ? ReadValue(line->Value) : def;
}

QString TzqIniFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    const std::optional<QByteArray> bytes = Content();
    if (!bytes)
        return def;
    const std::vector<TIniLine> lines = ParseLines(*bytes);
    const TIniLine* line = FindKey(lines, NameBytes(section), NameBytes(key));
    return line ? cp949::ToUnicode(ReadValue(line->Value)) : def;
}

int TzqIniFile::ReadInteger(const QString& section, const QString& key, int def) const
{
    const std::optional<QByteArray> bytes = Content();
    if (!bytes)
        return def;
    const std::vector<TIniLine> lines = ParseLines(*bytes);
    const TIniLine* line = FindKey(lines, NameBytes(section), NameBytes(key));
    int value = def;
    if (line && ParseInteger(ReadValue(line->Value), value))
        return value;
    return def;
}

bool TzqIniFile::ReadBool(const QString& section, const QString& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

namespace {

// bytes with one key set: its value replaced in place, or the key added after the last key of
// the first section of that name (after its header), or the section added at the end.
QByteArray WithKey(const QByteArray& bytes, const QByteArray& sectionName,
                   const QByteArray& keyName, const QByteArray& newValue)
{
    const std::vector<TIniLine> lines = ParseLines(bytes);

    QByteArray out;
    out.reserve(bytes.size() + sectionName.size() + keyName.size() + newValue.size() + 8);
    const auto keyLine = [&](QByteArrayView name) {
        out.append(name);
        out.append('=');
        out.append(newValue);
        out.append("\r\n");
    };

    if (const TIniLine* line = FindKey(lines, sectionName, keyName)) {
        // In place; the key keeps the spelling the file gives it.
        out.append(QByteArrayView(bytes).first(line->Start));
        keyLine(line->Name);
        out.append(QByteArrayView(bytes).sliced(line->Start + line->Length + line->EndLength));
        return out;
    }
    // After the last key of the first section of that name, or after its header.
    const TIniLine* after = nullptr;
    qsizetype header = -1;
    for (qsizetype i = 0; i < static_cast<qsizetype>(lines.size()); ++i) {
        const TIniLine& line = lines[i];
        if (header < 0 && line.Kind == TLineKind::Section && SameName(line.Name, sectionName))
            header = i;
        else if (header < 0 || line.Section != header || line.Kind != TLineKind::Key)
            continue;
        after = &line;
    }
    qsizetype cut = bytes.size();
    if (after)
        cut = after->Start + after->Length + after->EndLength;
    out.append(QByteArrayView(bytes).first(cut));
    // The line before ours may be the file's last, without a line end.
    if (cut > 0 && bytes[cut - 1] != '\r' && bytes[cut - 1] != '\n')
        out.append("\r\n");
    if (!after) {
        out.append('[');
        out.append(sectionName);
        out.append("]\r\n");
    }
    keyLine(keyName);
    out.append(QByteArrayView(bytes).sliced(cut));
    return out;
}

} // namespace

std::optional<QByteArray> TzqIniFile::Content() const
{
    std::optional<QByteArray> bytes = LoadFile(FFileName);
    if (FPending.empty())
        return bytes;
    // Inside an update the reads see its writes, as they will be.
    QByteArray changed = bytes.value_or(QByteArray());
    for (const TPendingWrite& w : FPending)
        changed = WithKey(changed, w.Section, w.Key, w.Value);
    return changed;
}

void TzqIniFile::WriteBytes(const QString& section, const QString& key, const QByteArray& value)
{
    TPendingWrite write{NameBytes(section), NameBytes(key), WithoutLineBreaks(value)};
    if (FUpdating) {
        FPending.push_back(std::move(write));
        return;
    }
    Store({write});
}

void TzqIniFile::BeginUpdate()
{
    FUpdating = true;
    FPending.clear();
}

void TzqIniFile::EndUpdate()
{
    std::vector<TPendingWrite> writes = std::move(FPending);
    FPending.clear();
    FUpdating = false;
    Store(writes);
}

void TzqIniFile::CancelUpdate()
{
    FPending.clear();
    FUpdating = false;
}

void TzqIniFile::Store(const std::vector<TPendingWrite>& writes)
{
    if (writes.empty())
        return;
    const auto fail = [this] {
        throw EzqError(u"Unable to write to %1"_s.arg(
            QDir::toNativeSeparators(QFileInfo(FFileName).absoluteFilePath())));
    };

    // Two instances closing at once each read the file, change their lines and write it back,
    // and the later write would drop the earlier one's keys; the lock makes them take turns
    // for the whole of it. Without the lock (no lock file in a read-only folder, no locks on
    // the file system, a holder stuck for seconds) the write still goes ahead: a lost race may
    // cost a key, where giving up would surely lose this one.
    const TzqFileLock lock(FFileName, LockIdle, LockLimit);

    QByteArray bytes;
    const bool existed = QFileInfo::exists(FFileName);
    if (existed) {
        // A file that exists but cannot be read is never replaced by one holding only these keys.
        std::optional<QByteArray> loaded = LoadFile(FFileName);
        if (!loaded)
            fail();
        bytes = std::move(*loaded);
    }

    QByteArray out = bytes;
    for (const TPendingWrite& w : writes)
        out = WithKey(out, w.Section, w.Key, w.Value);
    // Values the file already holds, spelled as written, leave it untouched.
    if (existed && out == bytes)
        return;

    try {
        textfile::WriteAll(FFileName, out);
        ++FWriteCount;
    } catch (const EzqError&) {
        // The new content goes to a temporary file renamed over the old one only once it is
        // complete, but where the folder forbids new files the file is written in place and a
        // failed write (a full disk) leaves it cut short: the old content goes back if it can.
        if (existed)
            RestoreContent(FFileName, bytes);
        fail();
    }
}

void TzqIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    WriteBytes(section, key, cp949::FromUnicode(value));
}

void TzqIniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteBytes(section, key, QByteArray::number(value));
}

void TzqIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteBytes(section, key, value ? QByteArray("1") : QByteArray("0"));
}

bool TzqIniFile::SectionExists(const QString& section) const
{
    const std::optional<QByteArray> bytes = Content();
    if (!bytes)
        return false;
    const std::vector<TIniLine> lines = ParseLines(*bytes);
    const QByteArray name = NameBytes(section);
    for (const TIniLine& line : lines) {
        if (line.Kind == TLineKind::Key && InSection(lines, line, name))
            return true;
    }
    return false;
}

QStringList TzqIniFile::ReadSection(const QString& section) const
{
    QStringList keys;
    const std::optional<QByteArray> bytes = Content();
    if (!bytes)
        return keys;
    const std::vector<TIniLine> lines = ParseLines(*bytes);
    const QByteArray name = NameBytes(section);
    std::vector<QByteArrayView> seen;
    for (const TIniLine& line : lines) {
        if (line.Kind != TLineKind::Key || !InSection(lines, line, name))
            continue;
        // A key repeated, or repeated in a later section of the same name, reads as its first.
        bool repeated = false;
        for (QByteArrayView s : seen)
            repeated = repeated || SameName(s, line.Name);
        if (repeated)
            continue;
        seen.push_back(line.Name);
        keys.append(cp949::ToUnicode(line.Name));
    }
    return keys;
}

bool TzqIniFile::ParseInteger(QByteArrayView text, int& value)
{
    std::optional<int> v;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        v = HexValue(text.sliced(2));
    else if (text.startsWith('$'))
        v = HexValue(text.sliced(1));
    else
        v = DecimalValue(text);
    if (!v)
        return false;
    value = *v;
    return true;
}
