#include "platform/noteencoding.h"

#include "platform/cp949.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>

using namespace Qt::Literals::StringLiterals;

namespace {

// Where a meta charset is looked for: the start of the document, as browsers do.
constexpr qsizetype MetaScanBytes = 4096;

bool SaysUtf8(QByteArrayView bytes)
{
    static const QRegularExpression meta(u"<meta\\b[^>]*\\bcharset\\s*=\\s*[\"']?\\s*utf-?8\\b"_s,
                                         QRegularExpression::CaseInsensitiveOption);
    const QByteArrayView head = bytes.first(std::min(bytes.size(), MetaScanBytes));
    // Most notes never name UTF-8; they need no pattern match.
    bool namesUtf = false;
    for (qsizetype i = 0; i + 2 < head.size() && !namesUtf; ++i)
        namesUtf =
            (head[i] | 0x20) == 'u' && (head[i + 1] | 0x20) == 't' && (head[i + 2] | 0x20) == 'f';
    if (!namesUtf)
        return false;
    return meta.match(QString::fromLatin1(head)).hasMatch();
}

bool IsValidUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QStringConverter::Encoding Converter(TzqNoteEncoding encoding)
{
    switch (encoding) {
    case TzqNoteEncoding::Utf16LE:
        return QStringConverter::Utf16LE;
    case TzqNoteEncoding::Utf16BE:
        return QStringConverter::Utf16BE;
    default:
        return QStringConverter::Utf8;
    }
}

} // namespace

TzqNoteEncoding DetectNoteEncoding(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return TzqNoteEncoding::Utf8Bom;
    if (bytes.startsWith("\xFF\xFE"))
        return TzqNoteEncoding::Utf16LE;
    if (bytes.startsWith("\xFE\xFF"))
        return TzqNoteEncoding::Utf16BE;
    // A label that lies about CP949 bytes is not believed: they stay CP949 and lose nothing.
    if (SaysUtf8(bytes) && IsValidUtf8(bytes))
        return TzqNoteEncoding::Utf8;
    return TzqNoteEncoding::Cp949;
}

qsizetype ByteOrderMarkSize(TzqNoteEncoding encoding)
{
    switch (encoding) {
    case TzqNoteEncoding::Utf8Bom:
        return 3;
    case TzqNoteEncoding::Utf16LE:
    case TzqNoteEncoding::Utf16BE:
        return 2;
    default:
        return 0;
    }
}

QString DecodeNote(QByteArrayView bytes, TzqNoteEncoding encoding)
{
    if (encoding == TzqNoteEncoding::Cp949)
        return cp949::ToUnicode(bytes);
    const qsizetype bom = bytes.startsWith(encoding == TzqNoteEncoding::Utf16LE   ? "\xFF\xFE"
                                           : encoding == TzqNoteEncoding::Utf16BE ? "\xFE\xFF"
                                                                                  : "\xEF\xBB\xBF")
                              ? ByteOrderMarkSize(encoding)
                              : 0;
    QStringDecoder decoder(Converter(encoding), QStringDecoder::Flag::Stateless);
    return decoder.decode(bytes.sliced(bom));
}

QString DecodeNote(QByteArrayView bytes)
{
    return DecodeNote(bytes, DetectNoteEncoding(bytes));
}

QByteArray EncodeNote(QStringView text, TzqNoteEncoding encoding)
{
    switch (encoding) {
    case TzqNoteEncoding::Cp949:
        return cp949::FromUnicodeWithCharRefs(text);
    case TzqNoteEncoding::Utf8:
        return text.toUtf8();
    case TzqNoteEncoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    default: {
        QStringEncoder encoder(Converter(encoding), QStringEncoder::Flag::Stateless);
        const QByteArray body = encoder.encode(text);
        return (encoding == TzqNoteEncoding::Utf16LE ? QByteArray("\xFF\xFE")
                                                     : QByteArray("\xFE\xFF")) +
               body;
    }
    }
}
