#include "editor/safename.h"

#include "platform/cp949.h"

using namespace Qt::Literals::StringLiterals;

bool IsCp949Char(QStringView ch)
{
    if (ch.size() == 1 && ch[0].unicode() < 0x80)
        return true;
    if (ch.size() == 1 && ch[0].unicode() == 0xFFFD)
        return false;
    bool lossless = false;
    cp949::FromUnicode(ch, &lossless);
    return lossless;
}

bool IsStrippedNameChar(QChar c)
{
    switch (c.unicode()) {
    case u'[':
    case u']':
    case u'\\':
    case u'/':
    case u':':
    case u'*':
    case u'?':
    case u'"':
    case u'<':
    case u'>':
    case u'|':
        return true;
    default:
        return false;
    }
}

QString SafeNamePart(QStringView text)
{
    bool plain = true;
    for (const QChar c : text)
        plain = plain && c.unicode() >= 0x20 && c.unicode() < 0x7F && !IsStrippedNameChar(c) &&
                c != u'#' && c != u'%';
    if (plain)
        return text.toString();
    // Most names are wholly CP949: one conversion tells, and only others go character by
    // character.
    bool lossless = false;
    cp949::FromUnicode(text, &lossless);
    const bool allCp949 = lossless && !text.contains(QChar(0xFFFD));
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        qsizetype len = 1;
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            len = 2;
        const QStringView ch = text.sliced(i, len);
        i += len - 1;
        if (len == 1 && IsStrippedNameChar(c))
            continue;
        if (len == 1 && (c.unicode() < 0x20 || c.unicode() == 0x7F || c == u'#' || c == u'%' ||
                         c.isSurrogate() || (!allCp949 && !IsCp949Char(ch)))) {
            out += u'_';
            continue;
        }
        if (len == 2 && (!allCp949 && !IsCp949Char(ch))) {
            out += u'_';
            continue;
        }
        out += ch;
    }
    return out;
}

QString CutToUtf8Bytes(const QString& text, qsizetype maxBytes)
{
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        const qsizetype n = u < 0x80 ? 1 : u < 0x800 ? 2 : QChar::isSurrogate(u) ? 2 : 3;
        if (bytes + n > maxBytes) {
            // Never half a surrogate pair.
            if (i > 0 && text[i - 1].isHighSurrogate())
                --i;
            return text.first(i);
        }
        bytes += n;
    }
    return text;
}
