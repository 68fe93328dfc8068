#pragma once

#include <QByteArray>
#include <QString>

// How a note file's bytes encode its text. The store's notes are CP949; notes written by other
// editors may be UTF-8 (with a byte-order mark, or a meta charset that says so) or UTF-16 with
// a byte-order mark. A note is read and written back in its own encoding.
enum class TzqNoteEncoding { Cp949, Utf8, Utf8Bom, Utf16LE, Utf16BE };

// The encoding of a note's bytes: a byte-order mark decides; without one, a meta charset of
// "utf-8" on bytes that are valid UTF-8 means UTF-8; everything else is CP949.
TzqNoteEncoding DetectNoteEncoding(QByteArrayView bytes);

// The text of a note's bytes, without the byte-order mark.
QString DecodeNote(QByteArrayView bytes, TzqNoteEncoding encoding);
QString DecodeNote(QByteArrayView bytes);

// The bytes of a note's text in an encoding, with the byte-order mark where the encoding has
// one. Characters CP949 lacks become numeric character references.
QByteArray EncodeNote(QStringView text, TzqNoteEncoding encoding);

// The byte-order mark's length at the start of bytes in that encoding (0 when it has none).
qsizetype ByteOrderMarkSize(TzqNoteEncoding encoding);
