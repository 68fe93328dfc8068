#pragma once

#include <QString>
#include <QStringView>

// File names the program makes from addresses and chosen files, safe in a note's file folder
// and in a reference written into a note.

// One character (or surrogate pair) that CP949 can write.
bool IsCp949Char(QStringView ch);

// A character Windows forbids in file names, or "[" and "]".
bool IsStrippedNameChar(QChar c);

// The characters Windows forbids in names (and "[", "]") are dropped; "#", "%" (which a
// reference would read as an escape), control characters and characters CP949 lacks become
// "_".
QString SafeNamePart(QStringView text);

// The longest start of text within maxBytes of UTF-8, never half a surrogate pair.
QString CutToUtf8Bytes(const QString& text, qsizetype maxBytes);
