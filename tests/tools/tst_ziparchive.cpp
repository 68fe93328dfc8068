#include "platform/zqerror.h"
#include "testutil.h"
#include "tools/ziparchive.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <vector>
#include <zlib.h>

using namespace Qt::Literals::StringLiterals;
using testutil::ReadFile;
using testutil::WriteFile;

namespace {

quint16 Get16(const QByteArray& b, qsizetype at)
{
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

quint32 Get32(const QByteArray& b, qsizetype at)
{
    return quint32(Get16(b, at)) | quint32(Get16(b, at + 2)) << 16;
}

struct TReadEntry {
    QByteArray Name;
    quint16 Flags, Method, Time, Date;
    quint32 Crc, Packed, Size, Attributes, Offset;
    QByteArray Data; // inflated
};

QByteArray Inflate(const QByteArray& raw, qsizetype size)
{
    QByteArray out(size, Qt::Uninitialized);
    z_stream z{};
    inflateInit2(&z, -MAX_WBITS);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.constData()));
    z.avail_in = uInt(raw.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    const int rc = inflate(&z, Z_FINISH);
    EXPECT_EQ(rc, Z_STREAM_END);
    EXPECT_EQ(z.avail_in, 0u) << "nothing after the deflate stream";
    inflateEnd(&z);
    return out;
}

QByteArray RawDeflate(const QByteArray& data)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&z, uLong(data.size()))), Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

// Reads an archive back from its end record, checking every fixed field on the way and that
// each local header agrees with its central record.
std::vector<TReadEntry> ReadZip(const QByteArray& zip)
{
    std::vector<TReadEntry> entries;
    EXPECT_GE(zip.size(), 22);
    if (zip.size() < 22)
        return entries;
    const qsizetype end = zip.size() - 22;
    EXPECT_EQ(Get32(zip, end), 0x06054B50u);
    EXPECT_EQ(Get16(zip, end + 4), 0);
    EXPECT_EQ(Get16(zip, end + 6), 0);
    const int count = Get16(zip, end + 8);
    EXPECT_EQ(Get16(zip, end + 10), count);
    const quint32 dirSize = Get32(zip, end + 12);
    const quint32 dirOffset = Get32(zip, end + 16);
    EXPECT_EQ(Get16(zip, end + 20), 0);
    EXPECT_EQ(qsizetype(dirOffset) + dirSize, end);
    qsizetype at = dirOffset;
    qsizetype expectedLocal = 0;
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(Get32(zip, at), 0x02014B50u);
        EXPECT_EQ(Get16(zip, at + 4), 20);
        EXPECT_EQ(Get16(zip, at + 6), 20);
        TReadEntry e;
        e.Flags = Get16(zip, at + 8);
        e.Method = Get16(zip, at + 10);
        e.Time = Get16(zip, at + 12);
        e.Date = Get16(zip, at + 14);
        e.Crc = Get32(zip, at + 16);
        e.Packed = Get32(zip, at + 20);
        e.Size = Get32(zip, at + 24);
        const int nameLen = Get16(zip, at + 28);
        EXPECT_EQ(Get16(zip, at + 30), 0);
        EXPECT_EQ(Get16(zip, at + 32), 0);
        EXPECT_EQ(Get16(zip, at + 34), 0);
        EXPECT_EQ(Get16(zip, at + 36), 0);
        e.Attributes = Get32(zip, at + 38);
        e.Offset = Get32(zip, at + 42);
        e.Name = zip.mid(at + 46, nameLen);
        at += 46 + nameLen;

        // Local entries follow one another in the central directory's order.
        const qsizetype l = e.Offset;
        EXPECT_EQ(l, expectedLocal);
        EXPECT_EQ(Get32(zip, l), 0x04034B50u);
        EXPECT_EQ(Get16(zip, l + 4), 20);
        EXPECT_EQ(Get16(zip, l + 6), e.Flags);
        EXPECT_EQ(Get16(zip, l + 8), e.Method);
        EXPECT_EQ(Get16(zip, l + 10), e.Time);
        EXPECT_EQ(Get16(zip, l + 12), e.Date);
        EXPECT_EQ(Get32(zip, l + 14), e.Crc);
        EXPECT_EQ(Get32(zip, l + 18), e.Packed);
        EXPECT_EQ(Get32(zip, l + 22), e.Size);
        EXPECT_EQ(Get16(zip, l + 26), nameLen);
        EXPECT_EQ(Get16(zip, l + 28), 0);
        EXPECT_EQ(zip.mid(l + 30, nameLen), e.Name);
        const QByteArray raw = zip.mid(l + 30 + nameLen, e.Packed);
        expectedLocal = l + 30 + nameLen + e.Packed;
        if (e.Method == 8) {
            e.Data = Inflate(raw, e.Size);
        } else {
            EXPECT_EQ(e.Method, 0);
            EXPECT_EQ(e.Packed, e.Size);
            e.Data = raw;
        }
        const quint32 crc = quint32(
            crc32(0, reinterpret_cast<const Bytef*>(e.Data.constData()), uInt(e.Data.size())));
        EXPECT_EQ(e.Crc, crc) << e.Name.constData();
        entries.push_back(std::move(e));
    }
    EXPECT_EQ(expectedLocal, qsizetype(dirOffset));
    return entries;
}

void SetModified(const QString& path, const QDateTime& time)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(time, QFileDevice::FileModificationTime));
}

// Bytes that deflate somewhat, so the data spans several chunks both read and written.
QByteArray BigData(qsizetype size)
{
    QByteArray b(size, Qt::Uninitialized);
    quint32 x = 12345;
    for (qsizetype i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        b[i] = char((x >> 16) % 16 + 'a');
    }
    return b;
}

class ZipArchiveTest : public ::testing::Test {
protected:
    QString Src(const QString& name) const { return Dir.filePath(u"src/"_s + name); }
    QString Target() const { return Dir.filePath(u"out/notes.zip"_s); }
    QStringList OutFiles() const
    {
        return QDir(Dir.filePath(u"out"_s))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    void SetUp() override { QDir(Dir.path()).mkpath(u"out"_s); }
    QTemporaryDir Dir;
};

} // namespace

TEST_F(ZipArchiveTest, EntriesReadBackWithFoldersNamesAttributesAndData)
{
    const QByteArray note = "<html>\xC7\xD1\xB1\xDB</html>\r\n";
    const QByteArray big = BigData(3 * 1024 * 1024 + 17);
    WriteFile(Src(u"Trip.htm"_s), note);
    WriteFile(Src(u"__Trip/empty.txt"_s), "");
    WriteFile(Src(u"__Trip/one.bin"_s), "x");
    WriteFile(Src(u"__Trip/raw/big.bin"_s), big);
    WriteFile(Src(u"__Trip/.hidden"_s), "h");
    WriteFile(Src(u"__Trip/사진.jpg"_s), "jpg");
    WriteFile(Src(u"__Trip/smile😀.txt"_s), "smile");
    WriteFile(Src(u"__Trip/A.txt"_s), "upper");
    WriteFile(Src(u"__Trip/a.txt"_s), "lower");
    QFile(Src(u"__Trip/A.txt"_s)).setPermissions(QFileDevice::ReadOwner);

    std::vector<qint64> progress;
    TZipArchive zip;
    zip.SetProgress([&](qint64 done) { progress.push_back(done); });
    zip.Open(Target());
    EXPECT_TRUE(zip.AddFile(Src(u"Trip.htm"_s), u"Trip.htm"_s));
    for (const QString& n : {u"empty.txt"_s, u"one.bin"_s, u"raw/big.bin"_s, u".hidden"_s,
                             u"사진.jpg"_s, u"smile😀.txt"_s, u"A.txt"_s, u"a.txt"_s})
        EXPECT_TRUE(zip.AddFile(Src(u"__Trip/"_s + n), u"__Trip\\"_s + n));
    EXPECT_FALSE(zip.AddFile(Src(u"gone.txt"_s), u"gone.txt"_s)) << "a vanished file is skipped";
    EXPECT_FALSE(zip.AddFile(Target(), u"notes.zip"_s)) << "never into itself";
    zip.Commit();
    EXPECT_FALSE(zip.IsOpen());
    EXPECT_EQ(OutFiles(), QStringList{u"notes.zip"_s});

    const auto entries = ReadZip(ReadFile(Target()));
    const QList<QByteArray> names = {"Trip.htm",
                                     "__Trip/",
                                     "__Trip/empty.txt",
                                     "__Trip/one.bin",
                                     "__Trip/raw/",
                                     "__Trip/raw/big.bin",
                                     "__Trip/.hidden",
                                     "__Trip/\xBB\xE7\xC1\xF8.jpg", // 사진 in CP949
                                     "__Trip/smile\xF0\x9F\x98\x80.txt",
                                     "__Trip/A.txt",
                                     "__Trip/a.txt"};
    ASSERT_EQ(entries.size(), size_t(names.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        const TReadEntry& e = entries[i];
        EXPECT_EQ(e.Name, names[qsizetype(i)]);
        // Only the name CP949 cannot hold is flagged as UTF-8.
        EXPECT_EQ(e.Flags, e.Name.contains("smile") ? 0x0800 : 0) << e.Name.constData();
        if (e.Name.endsWith('/')) {
            EXPECT_EQ(e.Attributes, 0x10u);
            EXPECT_EQ(e.Method, 0);
            EXPECT_EQ(e.Size, 0u);
        }
    }
    EXPECT_EQ(entries[0].Data, note);
    EXPECT_EQ(entries[0].Method, 8);
    EXPECT_EQ(entries[0].Attributes, 0x20u);
    // An empty file is stored with no data; a single byte is still deflated.
    EXPECT_EQ(entries[2].Method, 0);
    EXPECT_EQ(entries[2].Crc, 0u);
    EXPECT_EQ(entries[3].Method, 8);
    EXPECT_EQ(entries[3].Data, QByteArray("x"));
    // The chunked deflate gives the same bytes as one deflate of the whole file.
    EXPECT_EQ(entries[5].Data, big);
    const QByteArray zipBytes = ReadFile(Target());
    EXPECT_EQ(zipBytes.mid(entries[5].Offset + 30 + entries[5].Name.size(), entries[5].Packed),
              RawDeflate(big));
    EXPECT_EQ(entries[6].Attributes, 0x22u) << "dot file is hidden";
    // root may write anything, so the read-only bit is checked only for other users.
    if (!QFileInfo(Src(u"__Trip/A.txt"_s)).isWritable()) {
        EXPECT_EQ(entries[9].Attributes, 0x21u) << "read-only";
    }
    EXPECT_EQ(entries[9].Data, QByteArray("upper"));
    EXPECT_EQ(entries[10].Data, QByteArray("lower"));

    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), qint64(note.size() + 1 + big.size() + 1 + 3 + 5 + 5 + 5));

    if (QStandardPaths::findExecutable(u"unzip"_s).isEmpty())
        GTEST_SKIP() << "unzip not installed";
    QProcess unzip;
    unzip.start(u"unzip"_s, {u"-t"_s, Target()});
    ASSERT_TRUE(unzip.waitForFinished(60000));
    EXPECT_EQ(unzip.exitCode(), 0) << unzip.readAllStandardOutput().constData();
}

TEST_F(ZipArchiveTest, EmptyArchiveIsTheEndRecordOnly)
{
    TZipArchive zip;
    zip.Open(Target());
    zip.Commit();
    EXPECT_EQ(ReadFile(Target()), QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
}

TEST_F(ZipArchiveTest, DosTimesAreLocalTwoSecondStepsClampedTo1980Through2107)
{
    EXPECT_EQ(TZipArchive::DosDateTime(QDateTime(QDate(2021, 3, 4), QTime(5, 6, 9))),
              quint32((41 << 9 | 3 << 5 | 4) << 16 | (5 << 11 | 6 << 5 | 4)));
    EXPECT_EQ(TZipArchive::DosDateTime(QDateTime(QDate(1970, 6, 1), QTime(12, 0))),
              quint32((0 << 9 | 1 << 5 | 1) << 16));
    const quint32 latest = quint32((127 << 9 | 12 << 5 | 31) << 16 | (23 << 11 | 59 << 5 | 29));
    EXPECT_EQ(TZipArchive::DosDateTime(QDateTime(QDate(2200, 1, 1), QTime(0, 0))), latest);
    EXPECT_EQ(TZipArchive::DosDateTime(QDateTime(QDate(2107, 12, 31), QTime(23, 59, 59))), latest);
    EXPECT_EQ(TZipArchive::DosDateTime(QDateTime()), quint32(0x21) << 16);

    WriteFile(Src(u"old.txt"_s), "old");
    WriteFile(Src(u"new.txt"_s), "new");
    SetModified(Src(u"old.txt"_s), QDateTime(QDate(1975, 5, 5), QTime(1, 2, 3)));
    SetModified(Src(u"new.txt"_s), QDateTime(QDate(2022, 12, 25), QTime(23, 58, 59)));
    TZipArchive zip;
    zip.Open(Target());
    zip.AddFile(Src(u"old.txt"_s), u"old.txt"_s);
    zip.AddFile(Src(u"new.txt"_s), u"new.txt"_s);
    zip.AddFolder(u"dir"_s, QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));
    zip.Commit();
    const auto e = ReadZip(ReadFile(Target()));
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].Date, 0x21);
    EXPECT_EQ(e[0].Time, 0);
    EXPECT_EQ(e[1].Date, 42 << 9 | 12 << 5 | 25);
    EXPECT_EQ(e[1].Time, 23 << 11 | 58 << 5 | 29);
    EXPECT_EQ(e[2].Name, QByteArray("dir/"));
    EXPECT_EQ(e[2].Date, 21 << 9 | 2 << 5 | 3);
    EXPECT_EQ(e[2].Time, 4 << 11 | 5 << 5 | 3);
}

TEST_F(ZipArchiveTest, EntryNamesAreRelativeWithForwardSlashes)
{
    EXPECT_EQ(TZipArchive::NormalizeEntryName(u"__a\\b\\x.jpg"_s), u"__a/b/x.jpg"_s);
    EXPECT_EQ(TZipArchive::NormalizeEntryName(u"C:\\Notes\\x.htm"_s), u"Notes/x.htm"_s);
    EXPECT_EQ(TZipArchive::NormalizeEntryName(u"\\\\server\\share\\d\\x.htm"_s), u"d/x.htm"_s);
    EXPECT_EQ(TZipArchive::NormalizeEntryName(u"/abs//./x.htm"_s), u"abs/x.htm"_s);
    EXPECT_EQ(TZipArchive::NormalizeEntryName(u"sub/"_s), u"sub/"_s);
    EXPECT_EQ(TZipArchive::NormalizeEntryName(u"..hidden/x..y"_s), u"..hidden/x..y"_s);
    EXPECT_THROW(TZipArchive::NormalizeEntryName(u"a/../../etc/passwd"_s), EzqError);
    EXPECT_THROW(TZipArchive::NormalizeEntryName(u"..\\x"_s), EzqError);
    EXPECT_THROW(TZipArchive::NormalizeEntryName(u"/./"_s), EzqError);
}

TEST_F(ZipArchiveTest, OldArchiveSurvivesCancelAndErrorsAndNoTemporaryIsLeft)
{
    const QByteArray old = "the old archive";
    WriteFile(Target(), old);
    WriteFile(Src(u"a.txt"_s), "a");
    WriteFile(Src(u"big.bin"_s), BigData(2 * 1024 * 1024));

    {
        TZipArchive zip;
        zip.Open(Target());
        zip.AddFile(Src(u"a.txt"_s), u"a.txt"_s);
        zip.Cancel();
        EXPECT_TRUE(zip.Cancelled());
        EXPECT_FALSE(zip.AddFile(Src(u"a.txt"_s), u"b.txt"_s));
    }
    EXPECT_EQ(ReadFile(Target()), old);
    EXPECT_EQ(OutFiles(), QStringList{u"notes.zip"_s});

    {
        // A cancel pressed while a large file is read stops within that file.
        TZipArchive zip;
        int calls = 0;
        zip.SetProgress([&](qint64) {
            if (++calls == 1)
                zip.RequestCancel();
        });
        zip.Open(Target());
        EXPECT_FALSE(zip.AddFile(Src(u"big.bin"_s), u"big.bin"_s));
        EXPECT_TRUE(zip.Cancelled());
        EXPECT_EQ(calls, 1);
        EXPECT_FALSE(zip.IsOpen());
        zip.Commit(); // nothing left to commit
    }
    EXPECT_EQ(ReadFile(Target()), old);
    EXPECT_EQ(OutFiles(), QStringList{u"notes.zip"_s});

    {
        // A file of 4 GiB (sparse, never read) is refused before any byte is written.
        QFile huge(Src(u"huge.bin"_s));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize(qint64(4) * 1024 * 1024 * 1024));
        huge.close();
        TZipArchive zip;
        zip.Open(Target());
        zip.AddFile(Src(u"a.txt"_s), u"a.txt"_s);
        try {
            zip.AddFile(Src(u"huge.bin"_s), u"huge.bin"_s);
            ADD_FAILURE() << "no error";
        } catch (const EzqError& e) {
            EXPECT_TRUE(
                e.Message().endsWith(u" 파일은 4 GB 이상이라 zip 파일에 넣을 수 없습니다."_s));
        }
        EXPECT_FALSE(zip.IsOpen());
        EXPECT_FALSE(zip.Cancelled()) << "an error is no cancel";
        QFile::remove(Src(u"huge.bin"_s));
    }
    EXPECT_EQ(ReadFile(Target()), old);
    EXPECT_EQ(OutFiles(), QStringList{u"notes.zip"_s});

    {
        TZipArchive zip;
        zip.Open(Target());
        EXPECT_THROW(zip.AddFile(Src(u"a.txt"_s), u"../a.txt"_s), EzqError);
        EXPECT_FALSE(zip.IsOpen());
        EXPECT_NO_THROW(zip.Commit()) << "nothing left to commit";
    }
    EXPECT_EQ(ReadFile(Target()), old);
    EXPECT_EQ(OutFiles(), QStringList{u"notes.zip"_s});

    // A completed run replaces the old archive.
    TZipArchive zip;
    zip.Open(Target());
    zip.AddFile(Src(u"a.txt"_s), u"a.txt"_s);
    zip.Commit();
    EXPECT_EQ(ReadZip(ReadFile(Target())).size(), 1u);
    EXPECT_EQ(OutFiles(), QStringList{u"notes.zip"_s});
}

TEST_F(ZipArchiveTest, AtMost65535Entries)
{
    TZipArchive zip;
    zip.Open(Target());
    for (int i = 0; i < TZipArchive::MaxEntries; ++i)
        zip.AddFolder(QString::number(i), QDateTime(QDate(2020, 1, 1), QTime(0, 0)));
    zip.Commit();
    const QByteArray full = ReadFile(Target());
    EXPECT_EQ(ReadZip(full).size(), size_t(TZipArchive::MaxEntries));

    zip.Open(Target());
    WriteFile(Src(u"empty"_s), "");
    for (int i = 0; i < TZipArchive::MaxEntries; ++i)
        zip.AddFolder(QString::number(i), QDateTime(QDate(2020, 1, 1), QTime(0, 0)));
    try {
        zip.AddFile(Src(u"empty"_s), u"one-too-many"_s);
        ADD_FAILURE() << "no error";
    } catch (const EzqError& e) {
        EXPECT_EQ(e.Message(), u"zip 파일에는 항목을 65,535개까지만 넣을 수 있습니다."_s);
    }
    EXPECT_EQ(ReadFile(Target()), full);
    EXPECT_EQ(OutFiles(), QStringList{u"notes.zip"_s});
}
