#pragma once

#include <QByteArray>
#include <QString>

// The one codec of the program: CP949 (the Korean "euc-kr" superset) through iconv.
// Note contents, the INI file, edit markers and the notepad text are CP949 bytes.
namespace cp949 {

// True when the C library can convert to and from CP949 at all.
bool Available();

// Bytes to text. Byte sequences CP949 does not define come out as U+FFFD.
QString ToUnicode(QByteArrayView bytes);

// Text to bytes. A character CP949 lacks becomes "?"; *lossless tells whether that happened.
QByteArray FromUnicode(QStringView text, bool* lossless = nullptr);

// Text to bytes. A character CP949 lacks becomes a numeric character reference
// ("&#x1F600;"), so HTML loses nothing and stays valid CP949.
QByteArray FromUnicodeWithCharRefs(QStringView text);

// The characters of text that CP949 lacks, each once, in their order; empty when the text can
// be stored as it is.
QString UnencodableChars(QStringView text);

} // namespace cp949
