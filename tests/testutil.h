#pragma once

// Small helpers shared by the tests: files from bytes, bytes from files, folders as snapshots.

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QString>

namespace testutil {

// Writes bytes to a file, creating missing parent directories.
inline void WriteFile(const QString& path, QByteArrayView bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write(bytes.data(), bytes.size());
}

// The whole content of a file; empty when it cannot be read.
inline QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// Everything below dir, hidden entries included: relative path -> bytes, or "<dir>".
inline QMap<QString, QByteArray> Snapshot(const QString& dir)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString key = QDir(dir).relativeFilePath(path);
        entries.insert(key, it.fileInfo().isDir() ? QByteArray("<dir>") : ReadFile(path));
    }
    return entries;
}

} // namespace testutil
