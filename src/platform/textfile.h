#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Line files as the store keeps them: bytes, lines split at CR, LF or CR LF on reading,
// every line followed by CR LF on writing. Nothing is converted between encodings.
namespace textfile {

// Splits bytes into lines; a final line end does not give an extra empty line.
QList<QByteArray> SplitLines(QByteArrayView bytes);

// Joins lines, each followed by CR LF.
QByteArray JoinLines(const QList<QByteArray>& lines);

// Reads a file as lines. Throws EzqError when it cannot be read.
QList<QByteArray> ReadLines(const QString& path);

// Reads a whole file. Throws EzqError when it cannot be read.
QByteArray ReadAll(const QString& path);

// Replaces a file's content. The bytes go to a temporary file in the same folder that is then
// renamed over the target, so a failure never leaves a half-written file; where the folder
// forbids new files the target is written in place. Throws EzqError on failure.
void WriteAll(const QString& path, QByteArrayView bytes);

// WriteAll of JoinLines.
void WriteLines(const QString& path, const QList<QByteArray>& lines);

} // namespace textfile
