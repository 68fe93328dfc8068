#include "platform/textfile.h"

#include "platform/zqerror.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace textfile {

QList<QByteArray> SplitLines(QByteArrayView bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(bytes.sliced(start, i - start).toByteArray());
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(bytes.sliced(start).toByteArray());
    return lines;
}

QByteArray JoinLines(const QList<QByteArray>& lines)
{
    qsizetype size = 0;
    for (const QByteArray& line : lines)
        size += line.size() + 2;
    QByteArray out;
    out.reserve(size);
    for (const QByteArray& line : lines) {
        out.append(line);
        out.append("\r\n", 2);
    }
    return out;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EzqError(u"파일을 읽을 수 없습니다: %1 (%2)"_s.arg(QDir::toNativeSeparators(path),
                                                                 file.errorString()));
    QByteArray bytes = file.readAll();
    // A read that fails half-way must not pass for the whole file.
    if (file.error() != QFileDevice::NoError)
        throw EzqError(u"파일을 읽을 수 없습니다: %1 (%2)"_s.arg(QDir::toNativeSeparators(path),
                                                                 file.errorString()));
    return bytes;
}

QList<QByteArray> ReadLines(const QString& path)
{
    return SplitLines(ReadAll(path));
}

void WriteAll(const QString& path, QByteArrayView bytes)
{
    QSaveFile file(path);
    // A read-only folder with a writable file still gets its content, written in place.
    file.setDirectWriteFallback(true);
    // The bytes are flushed, and the flush checked, before commit(): commit() renames the
    // temporary file over the target even when its own flush came out short (a full disk).
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush() || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw EzqError(
            u"파일을 쓸 수 없습니다: %1 (%2)"_s.arg(QDir::toNativeSeparators(path), reason));
    }
}

void WriteLines(const QString& path, const QList<QByteArray>& lines)
{
    WriteAll(path, JoinLines(lines));
}

} // namespace textfile
