// Zip export benchmark: the archive of a folder written by the export, against raw zlib level 9
// over the same bytes and Python's zipfile at compresslevel=9 writing the same files, in the
// same run. Two stores: 1,000 notes with 1,000 pictures (about 200 MB), and 20,000 files of
// 1 KB. Every entry of our archive is checked to hold exactly zlib's raw deflate of its file.
//
//   bench_zip [--reps N] [--store pictures|small] [empty work directory]
//
// The stores are generated in a temporary directory that is removed at the end, or in the
// empty work directory given, left behind.

#include "tools/zipexport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <zlib.h>

using namespace Qt::Literals::StringLiterals;

namespace {

void Write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(2);
    }
}

// A note's text: markup and Korean prose in CP949 bytes, compressible as real notes are.
QByteArray NoteText(QRandomGenerator& random, int size)
{
    static const QByteArray words[] = {"<p>",
                                       "</p>\r\n",
                                       "\xC7\xD1\xB1\xB9\xBE\xEE ",
                                       "\xB3\xEB\xC6\xAE ",
                                       "note ",
                                       "<b>",
                                       "</b>",
                                       "\xBF\xA9\xC7\xE0 ",
                                       "2026 ",
                                       "<br>\r\n"};
    QByteArray text = "<html><head><meta charset=euc-kr></head><body>\r\n";
    while (text.size() < size)
        text += words[random.bounded(int(std::size(words)))];
    return text + "</body></html>\r\n";
}

// A picture's bytes: compressed data deflate can hardly shrink, as JPEG files are.
QByteArray PictureBytes(QRandomGenerator& random, int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    bytes[0] = char(0xFF);
    bytes[1] = char(0xD8);
    return bytes;
}

void MakePictureStore(const QString& root)
{
    QRandomGenerator random(1);
    Write(root + u"/___zq_quillet__folder.htm"_s, NoteText(random, 2000));
    for (int i = 0; i < 1000; ++i) {
        const QString name = u"노트 %1"_s.arg(i, 4, 10, QChar(u'0'));
        const QString folder = root + u"/Part%1"_s.arg(i / 100);
        Write(folder + u'/' + name + u".htm"_s, NoteText(random, 4000 + random.bounded(8000)));
        Write(folder + u"/__"_s + QString(name).replace(u' ', u'_') + u"/사진.jpg"_s,
              PictureBytes(random, 150 * 1024 + random.bounded(100 * 1024)));
    }
}

void MakeSmallStore(const QString& root)
{
    QRandomGenerator random(2);
    Write(root + u"/___zq_quillet__folder.htm"_s, NoteText(random, 1000));
    for (int i = 0; i < 20000; ++i)
        Write(root + u"/F%1/n%2.htm"_s.arg(i / 500).arg(i), NoteText(random, 1000).left(1024));
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray RawDeflate(const QByteArray& data, std::vector<unsigned char>& out)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    out.resize(deflateBound(&z, uLong(data.size())));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    const qsizetype produced = qsizetype(z.total_out);
    deflateEnd(&z);
    return QByteArray(reinterpret_cast<const char*>(out.data()), produced);
}

// Raw zlib over the same files: read, CRC, deflate; the digest of every deflate stream is kept
// for the check of our archive.
double RawZlib(const QList<TzqZipItem>& items, QList<QByteArray>* digests)
{
    QElapsedTimer timer;
    timer.start();
    std::vector<unsigned char> buffer;
    for (const TzqZipItem& item : items) {
        const QByteArray data = ReadAll(item.Path);
        volatile uLong crc =
            crc32(0, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size()));
        (void)crc;
        const QByteArray packed = data.isEmpty() ? QByteArray() : RawDeflate(data, buffer);
        if (digests)
            digests->append(QCryptographicHash::hash(packed, QCryptographicHash::Sha1));
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

double Ours(const QList<TzqZipItem>& items, const QString& target)
{
    QElapsedTimer timer;
    timer.start();
    TzqZipExport zip;
    zip.Run(items, target);
    return double(timer.nsecsElapsed()) / 1e6;
}

std::optional<double> Python(const QString& root, const QString& target)
{
    const QString python = QStandardPaths::findExecutable(u"python3"_s);
    if (python.isEmpty())
        return std::nullopt;
    const char* script = R"(
import os, sys, zipfile
root, target = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(target, 'w', zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for d, dirs, files in os.walk(root):
        dirs.sort()
        for f in sorted(files):
            p = os.path.join(d, f)
            z.write(p, os.path.relpath(p, root))
)";
    QElapsedTimer timer;
    timer.start();
    QProcess p;
    p.start(python, {u"-c"_s, QString::fromUtf8(script), root, target});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        return std::nullopt;
    return double(timer.nsecsElapsed()) / 1e6;
}

// The digests of the deflate data of our archive's file entries, in order.
QList<QByteArray> ArchiveDigests(const QString& archive)
{
    const QByteArray a = ReadAll(archive);
    const auto u16 = [&a](qsizetype at) { return quint16(quint8(a[at]) | quint8(a[at + 1]) << 8); };
    const auto u32 = [&](qsizetype at) { return quint32(u16(at)) | quint32(u16(at + 2)) << 16; };
    QList<QByteArray> digests;
    qsizetype at = 0;
    while (at + 30 <= a.size() && u32(at) == 0x04034B50) {
        const quint32 packed = u32(at + 18);
        const qsizetype nameLength = u16(at + 26);
        const bool folder = a[at + 30 + nameLength - 1] == '/';
        const qsizetype data = at + 30 + nameLength + u16(at + 28);
        if (!folder)
            digests.append(QCryptographicHash::hash(a.mid(data, packed), QCryptographicHash::Sha1));
        at = data + packed;
    }
    return digests;
}

void Measure(const QString& label, const QString& root, const QString& out, int reps)
{
    const QList<TzqZipItem> items = CollectZipItems(root + u"/___zq_quillet__folder.htm"_s);
    qint64 bytes = 0;
    for (const TzqZipItem& item : items)
        bytes += item.Size;
    QList<QByteArray> expected;
    double raw = 1e300, ours = 1e300, python = 1e300;
    bool havePython = true;
    for (int r = 0; r < reps; ++r) {
        expected.clear();
        raw = std::min(raw, RawZlib(items, &expected));
        ours = std::min(ours, Ours(items, out + u"/ours.zip"_s));
        if (const auto p = Python(root, out + u"/python.zip"_s))
            python = std::min(python, *p);
        else
            havePython = false;
    }
    const bool same = ArchiveDigests(out + u"/ours.zip"_s) == expected;
    std::printf("%s: %lld files, %.1f MB, best of %d\n", qPrintable(label), qint64(items.size()),
                double(bytes) / 1e6, reps);
    std::printf("  ours          %9.1f ms  (%.2f x raw zlib%s)\n", ours, ours / raw,
                havePython ? qPrintable(u", %1 x python zipfile"_s.arg(ours / python, 0, 'f', 2))
                           : "");
    std::printf("  raw zlib 9    %9.1f ms\n", raw);
    if (havePython)
        std::printf("  python zipfile%9.1f ms\n", python);
    std::printf("  archive %.1f MB; every entry equal to zlib's raw deflate: %s\n",
                double(QFileInfo(out + u"/ours.zip"_s).size()) / 1e6, same ? "yes" : "NO");
    QFile::remove(out + u"/ours.zip"_s);
    QFile::remove(out + u"/python.zip"_s);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int reps = 3;
    QString only;
    QString work;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--reps"_s && i + 1 < args.size())
            reps = std::max(1, args[++i].toInt());
        else if (args[i] == u"--store"_s && i + 1 < args.size())
            only = args[++i];
        else
            work = args[i];
    }
    std::optional<QTemporaryDir> temporary;
    if (work.isEmpty()) {
        temporary.emplace();
        work = temporary->path();
    } else if (!QDir(work).isEmpty()) {
        std::fprintf(stderr, "the work directory must be empty\n");
        return 2;
    }
    QDir().mkpath(work + u"/out"_s);
    if (only.isEmpty() || only == u"pictures"_s) {
        MakePictureStore(work + u"/pictures"_s);
        Measure(u"1,000 notes with 1,000 pictures"_s, work + u"/pictures"_s, work + u"/out"_s,
                reps);
    }
    if (only.isEmpty() || only == u"small"_s) {
        MakeSmallStore(work + u"/small"_s);
        Measure(u"20,000 files of 1 KB"_s, work + u"/small"_s, work + u"/out"_s, reps);
    }
    return 0;
}
