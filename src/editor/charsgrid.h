#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The cells of the special characters grid: one character each, in the order given.

// Cuts the first line of the characters file (CP949 bytes, line end already removed) into its
// characters. A byte below 0x80 is one character; a lead byte 0x81-0xFE with a trail byte is
// one; a lead byte without a valid trail byte, a lone trailing lead byte, control characters
// and pairs CP949 does not define are dropped, so one stray byte never shifts the rest.
QStringList CharsGridCells(const QByteArray& firstLineCp949);

// The grid's own characters, used when the user has none: 116 characters, each two bytes in
// CP949.
QString BuiltInChars();

// The cells for the characters file: its first line, or the built-in characters when the file
// is missing, cannot be read or its first line gives no character.
QStringList LoadCharsGridCells(const QString& fileName);
