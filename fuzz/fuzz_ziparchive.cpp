// Fuzzes the zip writer: entries with fuzzed names, sizes, contents and times are written and
// the archive is read back by a small reader of its own. Every entry the writer accepted is
// there once, in order, under its normalised name (CP949, or UTF-8 with flag bit 11), with
// its bytes, CRC and sizes; no name is absolute or climbs with ".."; the records agree with
// each other and the end record. A name the writer refuses leaves no archive behind.
#include "platform/cp949.h"
#include "platform/zqerror.h"
#include "tools/ziparchive.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <zlib.h>

using namespace Qt::Literals::StringLiterals;

namespace {

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

QString Text(FuzzedDataProvider& fdp)
{
    const bool utf16 = fdp.ConsumeBool();
    const std::string s = fdp.ConsumeRandomLengthString(64);
    if (!utf16)
        return QString::fromUtf8(s.data(), qsizetype(s.size()));
    return QString(reinterpret_cast<const QChar*>(s.data()), qsizetype(s.size() / 2));
}

quint16 U16(const QByteArray& a, qsizetype at)
{
    Check(at >= 0 && at + 2 <= a.size(), "record inside the file");
    return quint16(quint8(a[at]) | quint8(a[at + 1]) << 8);
}

quint32 U32(const QByteArray& a, qsizetype at)
{
    return quint32(U16(a, at)) | quint32(U16(a, at + 2)) << 16;
}

struct TAdded {
    QString Name; // as normalised
    QByteArray Data;
    bool Folder = false;
};

QByteArray Inflate(const QByteArray& raw, qsizetype size)
{
    QByteArray out(size, '\0');
    z_stream z{};
    inflateInit2(&z, -MAX_WBITS);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.constData()));
    z.avail_in = uInt(raw.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    Check(inflate(&z, Z_FINISH) == Z_STREAM_END, "deflate data ends where it should");
    Check(z.avail_in == 0 && z.avail_out == 0, "deflate data holds the file exactly");
    inflateEnd(&z);
    return out;
}

QString DecodeName(const QByteArray& name, quint16 flags)
{
    if (!(flags & 0x0800))
        return cp949::ToUnicode(name);
    // A name may begin with U+FEFF; it is a character of the name, not a byte-order mark.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return utf8(name);
}

// Reads the archive back and compares it with what was added.
void Verify(const QByteArray& a, const std::vector<TAdded>& added)
{
    Check(a.size() >= 22, "end record present");
    const qsizetype end = a.size() - 22;
    Check(U32(a, end) == 0x06054B50, "end record last");
    const quint16 count = U16(a, end + 10);
    Check(count == U16(a, end + 8) && count == added.size(), "entry count");
    const quint32 dirSize = U32(a, end + 12);
    const quint32 dirOffset = U32(a, end + 16);
    Check(qint64(dirOffset) + dirSize == end, "central directory right before the end record");
    qsizetype at = dirOffset;
    qsizetype local = 0;
    for (const TAdded& entry : added) {
        Check(U32(a, at) == 0x02014B50, "central record");
        const quint16 flags = U16(a, at + 8);
        const quint16 method = U16(a, at + 10);
        const quint32 crc = U32(a, at + 16);
        const quint32 packed = U32(a, at + 20);
        const quint32 size = U32(a, at + 24);
        const quint16 nameLength = U16(a, at + 28);
        const quint32 offset = U32(a, at + 42);
        const QByteArray name = a.mid(at + 46, nameLength);
        Check(offset == local, "local headers in order, back to back");
        Check(U32(a, offset) == 0x04034B50, "local header");
        Check(U16(a, offset + 6) == flags && U16(a, offset + 8) == method &&
                  U32(a, offset + 14) == crc && U32(a, offset + 18) == packed &&
                  U32(a, offset + 22) == size,
              "local header agrees with the central record");
        Check(a.mid(offset + 30, U16(a, offset + 26)) == name, "same name in both records");
        const QString text = DecodeName(name, flags);
        if (text != entry.Name)
            std::fprintf(stderr, "stored %s (%s), expected %s\n", name.toHex().constData(),
                         text.toUtf8().toHex().constData(),
                         entry.Name.toUtf8().toHex().constData());
        Check(text == entry.Name, "the name as normalised");
        Check(!text.startsWith(u'/') && !text.split(u'/').contains(u".."_s),
              "no absolute name, no ..");
        Check(!(flags & 0x0800) || !name.isEmpty(), "flag 11 only on names");
        const qsizetype data = offset + 30 + U16(a, offset + 26) + U16(a, offset + 28);
        Check(data + packed <= dirOffset, "data before the central directory");
        if (entry.Folder) {
            Check(size == 0 && packed == 0 && (U32(a, at + 38) & 0x10), "folder entry");
        } else {
            Check(size == quint32(entry.Data.size()), "size");
            const QByteArray stored = a.mid(data, packed);
            const QByteArray bytes =
                method == 8 ? Inflate(stored, size) : (method == 0 ? stored : QByteArray("?"));
            Check(bytes == entry.Data, "the file's bytes");
            const uLong expected =
                crc32(0, reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size()));
            Check(crc == expected, "CRC-32");
        }
        local = data + packed;
        at += 46 + nameLength + U16(a, at + 30) + U16(a, at + 32);
    }
    Check(local == dirOffset, "nothing between the last entry and the central directory");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider fdp(data, size);
    QTemporaryDir dir;
    const QString target = dir.filePath(u"out.zip"_s);
    std::vector<TAdded> added;
    TZipArchive zip;
    zip.SetLevel(fdp.ConsumeIntegralInRange(0, 9));
    zip.Open(target);
    bool refused = false;
    const int entries = fdp.ConsumeIntegralInRange(0, 12);
    for (int i = 0; i < entries && !refused; ++i) {
        const QString name = Text(fdp);
        QString normalised;
        try {
            normalised = TZipArchive::NormalizeEntryName(name);
        } catch (const EzqError&) {
            normalised.clear();
        }
        const bool folder = fdp.ConsumeBool();
        const QDateTime time =
            QDateTime::fromSecsSinceEpoch(fdp.ConsumeIntegralInRange<qint64>(-1e10, 1e10));
        const std::string bytes =
            fdp.ConsumeBytesAsString(fdp.ConsumeIntegralInRange<size_t>(0, 4096));
        const QString source = dir.filePath(u"src%1"_s.arg(i));
        {
            QFile f(source);
            Check(f.open(QIODevice::WriteOnly), "source written");
            f.write(bytes.data(), qint64(bytes.size()));
        }
        const int before = zip.EntryCount();
        try {
            if (folder)
                zip.AddFolder(name, time);
            else
                zip.AddFile(source, name);
        } catch (const EzqError&) {
            // A refused name ("..", nothing left) or a repeated one ends the archive.
            refused = true;
            Check(!QFileInfo::exists(target), "no archive after an error");
            Check(QDir(dir.path()).entryList({u"out*"_s}, QDir::Files | QDir::Hidden).isEmpty(),
                  "no temporary file after an error");
            break;
        }
        Check(!normalised.isEmpty(), "an accepted name normalises");
        // Parent folders come first, each once.
        QStringList parents;
        const QString full = folder && !normalised.endsWith(u'/') ? normalised + u'/' : normalised;
        for (qsizetype slash = full.indexOf(u'/'); slash >= 0 && slash < full.size() - 1;
             slash = full.indexOf(u'/', slash + 1))
            parents.append(full.left(slash + 1));
        for (const QString& parent : parents) {
            bool present = false;
            for (const TAdded& a : added)
                present = present || a.Name == parent;
            if (!present)
                added.push_back({parent, {}, true});
        }
        bool present = false;
        for (const TAdded& a : added)
            present = present || a.Name == full;
        if (!present)
            added.push_back({full, QByteArray(bytes.data(), qsizetype(bytes.size())), folder});
        Check(zip.EntryCount() == int(added.size()) && zip.EntryCount() >= before,
              "entry count follows");
    }
    if (refused)
        return 0;
    zip.Commit();
    QFile f(target);
    Check(f.open(QIODevice::ReadOnly), "archive written");
    Verify(f.readAll(), added);
    return 0;
}
