#include "tools/ziparchive.h"

#include "platform/cp949.h"
#include "platform/zqerror.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStringList>

#include <vector>
#include <zlib.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// 0xFFFFFFFF in a size or offset field means "look in the 64-bit extension", which we do not
// write, so the largest value we may store is one below.
constexpr quint64 MaxField = 0xFFFFFFFEu;
constexpr qint64 ChunkSize = 256 * 1024;
// An entry whose deflated data stays below this is written in one go, header first; a larger
// one gets its header patched after the data.
constexpr qsizetype HoldLimit = 1024 * 1024;

constexpr quint16 VersionNeeded = 20;
constexpr quint16 FlagUtf8 = 0x0800;
constexpr quint32 AttrReadOnly = 0x01;
constexpr quint32 AttrHidden = 0x02;
constexpr quint32 AttrDirectory = 0x10;
constexpr quint32 AttrArchive = 0x20;

struct TZipEntry {
    QByteArray Name;
    quint16 Flags = 0;
    quint16 Method = 0;
    quint32 DateTime = 0;
    quint32 Crc = 0;
    quint32 CompressedSize = 0;
    quint32 Size = 0;
    quint32 Attributes = 0;
    quint32 Offset = 0;
};

void Put16(QByteArray& out, quint16 v)
{
    const char b[2] = {char(v & 0xFF), char(v >> 8)};
    out.append(b, 2);
}

void Put32(QByteArray& out, quint32 v)
{
    const char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF),
                       char(v >> 24)};
    out.append(b, 4);
}

// A new entry's name (CP949, or UTF-8 with flag bit 11 where CP949 has no code), time and
// attribute bits.
TZipEntry NamedEntry(const QString& name, const QDateTime& time, quint32 attributes)
{
    TZipEntry e;
    bool lossless = false;
    e.Name = cp949::FromUnicode(name, &lossless);
    if (!lossless) {
        e.Name = name.toUtf8();
        e.Flags = FlagUtf8;
    }
    e.DateTime = TZipArchive::DosDateTime(time);
    e.Attributes = attributes;
    return e;
}

void PutLocalHeader(QByteArray& out, const TZipEntry& e)
{
    Put32(out, 0x04034B50);
    Put16(out, VersionNeeded);
    Put16(out, e.Flags);
    Put16(out, e.Method);
    Put32(out, e.DateTime);
    Put32(out, e.Crc);
    Put32(out, e.CompressedSize);
    Put32(out, e.Size);
    Put16(out, quint16(e.Name.size()));
    Put16(out, 0);
    out.append(e.Name);
}

void PutCentralRecord(QByteArray& out, const TZipEntry& e)
{
    Put32(out, 0x02014B50);
    Put16(out, VersionNeeded); // made by: upper byte 0, MS-DOS attributes
    Put16(out, VersionNeeded);
    Put16(out, e.Flags);
    Put16(out, e.Method);
    Put32(out, e.DateTime);
    Put32(out, e.Crc);
    Put32(out, e.CompressedSize);
    Put32(out, e.Size);
    Put16(out, quint16(e.Name.size()));
    Put16(out, 0); // extra field
    Put16(out, 0); // comment
    Put16(out, 0); // disk
    Put16(out, 0); // internal attributes
    Put32(out, e.Attributes);
    Put32(out, e.Offset);
    out.append(e.Name);
}

QString TooLargeArchiveText()
{
    return u"zip 파일이 4 GB를 넘게 되어 만들 수 없습니다."_s;
}

QString TooManyEntriesText()
{
    return u"zip 파일에는 항목을 65,535개까지만 넣을 수 있습니다."_s;
}

} // namespace

struct TZipArchive::TState {
    QSaveFile File;
    QString Target;
    std::vector<TZipEntry> Entries;
    QSet<QString> Names; // stored names, case kept: "A.txt" and "a.txt" are two entries
    qint64 BytesDone = 0;
    z_stream Zip{};
    bool ZipReady = false;

    ~TState()
    {
        if (ZipReady)
            deflateEnd(&Zip);
    }
};

TZipArchive::TZipArchive() = default;

TZipArchive::~TZipArchive()
{
    Cancel();
}

bool TZipArchive::IsOpen() const
{
    return F != nullptr;
}

int TZipArchive::EntryCount() const
{
    return F ? int(F->Entries.size()) : 0;
}

void TZipArchive::Open(const QString& target)
{
    Cancel();
    FCancelRequested = false;
    FCancelled = false;
    auto state = std::make_unique<TState>();
    state->Target = target;
    state->File.setFileName(target);
    if (!state->File.open(QIODevice::WriteOnly))
        throw EzqError(target % u" 파일을 만들 수 없습니다.\n"_s % state->File.errorString());
    if (deflateInit2(&state->Zip, FLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw EzqError(u"압축을 시작할 수 없습니다."_s);
    state->ZipReady = true;
    F = std::move(state);
}

void TZipArchive::Cancel()
{
    if (!F)
        return;
    // Without a commit the temporary file is removed and the target is not touched.
    F->File.cancelWriting();
    F.reset();
    FCancelled = true;
}

bool TZipArchive::CheckCancel()
{
    if (FCancelRequested && F)
        Cancel();
    return FCancelled;
}

void TZipArchive::Fail(const QString& message)
{
    Cancel();
    FCancelled = false; // an error, not the user's cancel
    throw EzqError(message);
}

QString TZipArchive::NormalizeEntryName(const QString& name)
{
    QString s = name;
    s.replace(u'\\', u'/');
    // Half a surrogate pair has no code in either encoding; it would be stored as "?".
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate())
            ++i;
        else if (s[i].isSurrogate())
            s[i] = QChar::ReplacementCharacter;
    }
    // A drive prefix ("C:/") and a server with its share ("//server/share/") go.
    if (s.size() >= 2 && s[1] == u':' && s[0].isLetter())
        s.remove(0, 2);
    else if (s.startsWith(u"//"_s)) {
        const QStringList parts = s.mid(2).split(u'/');
        s = parts.mid(2).join(u'/');
    }
    const bool folder = s.endsWith(u'/');
    QStringList kept;
    for (const QString& part : s.split(u'/', Qt::SkipEmptyParts)) {
        if (part == u"."_s)
            continue;
        if (part == u".."_s)
            throw EzqError(u"zip 항목 이름에 \"..\"을 쓸 수 없습니다: "_s % name);
        kept.append(part);
    }
    if (kept.isEmpty())
        throw EzqError(u"zip 항목 이름이 비어 있습니다: "_s % name);
    return kept.join(u'/') + (folder ? u"/"_s : QString());
}

quint32 TZipArchive::DosDateTime(const QDateTime& time)
{
    QDateTime t = time.isValid() ? time.toLocalTime() : QDateTime();
    int year, month, day, hour, minute, second;
    if (!t.isValid() || t.date().year() < 1980) {
        year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    } else if (t.date().year() > 2107) {
        year = 2107, month = 12, day = 31, hour = 23, minute = 59, second = 58;
    } else {
        const QDate d = t.date();
        const QTime c = t.time();
        year = d.year(), month = d.month(), day = d.day();
        hour = c.hour(), minute = c.minute(), second = c.second();
    }
    const quint32 date = quint32((year - 1980) << 9 | month << 5 | day);
    const quint32 clock = quint32(hour << 11 | minute << 5 | second / 2);
    return date << 16 | clock;
}

QString TZipArchive::EntryName(const QString& entryName)
{
    try {
        return NormalizeEntryName(entryName);
    } catch (const EzqError& error) {
        Fail(error.Message());
    }
    return {};
}

void TZipArchive::EnsureParents(const QString& name)
{
    if (!FStoreFolders)
        return;
    const QDateTime now = QDateTime::currentDateTime();
    qsizetype slash = name.indexOf(u'/');
    while (slash >= 0 && slash < name.size() - 1) {
        AppendFolder(name.left(slash + 1), now);
        slash = name.indexOf(u'/', slash + 1);
    }
}

bool TZipArchive::AddFolder(const QString& entryName, const QDateTime& time)
{
    if (CheckCancel() || !F)
        return false;
    QString name = EntryName(entryName);
    if (!name.endsWith(u'/'))
        name += u'/';
    EnsureParents(name);
    AppendFolder(name, time);
    return true;
}

quint32 TZipArchive::NextEntryOffset()
{
    if (F->Entries.size() >= size_t(MaxEntries))
        Fail(TooManyEntriesText());
    const qint64 offset = F->File.pos();
    if (quint64(offset) > MaxField)
        Fail(TooLargeArchiveText());
    return quint32(offset);
}

bool TZipArchive::AppendFolder(const QString& name, const QDateTime& time)
{
    if (F->Names.contains(name))
        return false;
    TZipEntry e = NamedEntry(name, time, AttrDirectory);
    e.Offset = NextEntryOffset();
    QByteArray out;
    PutLocalHeader(out, e);
    if (F->File.write(out) != out.size())
        Fail(u"zip 파일을 쓸 수 없습니다.\n"_s % F->File.errorString());
    F->Entries.push_back(std::move(e));
    F->Names.insert(name);
    return true;
}

bool TZipArchive::AddFile(const QString& sourcePath, const QString& entryName)
{
    if (CheckCancel() || !F)
        return false;
    const QString name = EntryName(entryName);
    const QFileInfo info(sourcePath);
    if (!info.isFile())
        return false;
    // The archive never goes into itself (the export may gather an older one of its name).
    if (info.canonicalFilePath() == QFileInfo(F->Target).canonicalFilePath())
        return false;
    if (quint64(info.size()) > MaxField)
        Fail(sourcePath % u" 파일은 4 GB 이상이라 zip 파일에 넣을 수 없습니다."_s);
    if (F->Names.contains(name))
        Fail(u"zip 파일에 같은 이름의 항목이 이미 있습니다: "_s % name);

    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        Fail(sourcePath % u" 파일을 열 수 없습니다.\n"_s % source.errorString());

    EnsureParents(name);
    quint32 attributes = AttrArchive;
    if (!info.isWritable())
        attributes |= AttrReadOnly;
    if (info.fileName().startsWith(u'.'))
        attributes |= AttrHidden;
    TZipEntry e = NamedEntry(name, info.lastModified(), attributes);
    e.Offset = NextEntryOffset();
    e.Method = Z_DEFLATED;

    z_stream& z = F->Zip;
    deflateReset(&z);
    QByteArray in(ChunkSize, Qt::Uninitialized);
    QByteArray held;        // deflated data not yet written
    bool headerOut = false; // a placeholder header is on disk, to be patched at the end
    quint64 size = 0;
    quint64 packed = 0;
    uLong crc = crc32(0, nullptr, 0);
    char outBuf[64 * 1024];

    auto writeOut = [&](const char* data, qsizetype len) {
        if (F->File.write(data, len) != len)
            Fail(u"zip 파일을 쓸 수 없습니다.\n"_s % F->File.errorString());
    };
    auto flushHeld = [&] {
        if (!headerOut) {
            QByteArray header;
            PutLocalHeader(header, e);
            writeOut(header.constData(), header.size());
            headerOut = true;
        }
        writeOut(held.constData(), held.size());
        held.clear();
    };

    bool finished = false;
    while (!finished) {
        const qint64 got = source.read(in.data(), ChunkSize);
        if (got < 0)
            Fail(sourcePath % u" 파일을 읽을 수 없습니다.\n"_s % source.errorString());
        size += quint64(got);
        if (size > MaxField)
            Fail(sourcePath % u" 파일은 4 GB 이상이라 zip 파일에 넣을 수 없습니다."_s);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(in.constData()), uInt(got));
        const bool last = got < ChunkSize;
        z.next_in = reinterpret_cast<Bytef*>(in.data());
        z.avail_in = uInt(got);
        int rc;
        do {
            z.next_out = reinterpret_cast<Bytef*>(outBuf);
            z.avail_out = sizeof outBuf;
            rc = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            if (rc == Z_STREAM_ERROR)
                Fail(u"압축 중 오류가 났습니다."_s);
            const qsizetype produced = qsizetype(sizeof outBuf - z.avail_out);
            packed += quint64(produced);
            held.append(outBuf, produced);
        } while (z.avail_out == 0 || (last && rc != Z_STREAM_END));
        finished = last;
        if (packed > MaxField || quint64(e.Offset) + packed > MaxField)
            Fail(TooLargeArchiveText());
        if (held.size() >= HoldLimit)
            flushHeld();
        F->BytesDone += got;
        if (FProgress)
            FProgress(F->BytesDone);
        if (CheckCancel())
            return false;
    }

    e.Crc = quint32(crc);
    e.Size = quint32(size);
    e.CompressedSize = quint32(packed);
    if (size == 0) {
        // An empty file is stored: no deflate data at all.
        e.Method = 0;
        e.Crc = 0;
        e.CompressedSize = 0;
        held.clear();
    }
    const bool patchHeader = headerOut;
    flushHeld();
    if (patchHeader) {
        const qint64 end = F->File.pos();
        QByteArray patch;
        Put32(patch, e.Crc);
        Put32(patch, e.CompressedSize);
        Put32(patch, e.Size);
        if (!F->File.seek(qint64(e.Offset) + 14))
            Fail(u"zip 파일을 쓸 수 없습니다.\n"_s % F->File.errorString());
        writeOut(patch.constData(), patch.size());
        if (!F->File.seek(end))
            Fail(u"zip 파일을 쓸 수 없습니다.\n"_s % F->File.errorString());
    }
    F->Entries.push_back(std::move(e));
    F->Names.insert(name);
    return true;
}

void TZipArchive::Commit()
{
    if (!F)
        return;
    const qint64 directoryOffset = F->File.pos();
    QByteArray out;
    for (const TZipEntry& e : F->Entries)
        PutCentralRecord(out, e);
    const qint64 directorySize = out.size();
    if (quint64(directoryOffset) > MaxField || quint64(directorySize) > MaxField ||
        quint64(directoryOffset + directorySize) > MaxField)
        Fail(TooLargeArchiveText());
    Put32(out, 0x06054B50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, quint16(F->Entries.size()));
    Put16(out, quint16(F->Entries.size()));
    Put32(out, quint32(directorySize));
    Put32(out, quint32(directoryOffset));
    Put16(out, 0);
    if (F->File.write(out) != out.size())
        Fail(u"zip 파일을 쓸 수 없습니다.\n"_s % F->File.errorString());
    if (!F->File.commit()) {
        // The temporary file is gone again; the target keeps what it held.
        const QString message =
            F->Target % u" 파일을 만들 수 없습니다.\n"_s % F->File.errorString();
        F.reset();
        throw EzqError(message);
    }
    F.reset();
}
