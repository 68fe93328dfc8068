#include "editor/textfind.h"

#include "editor/izqviews.h"

#include <algorithm>

namespace {

char32_t CodePointBefore(QStringView text, qsizetype i)
{
    const QChar c = text[i - 1];
    if (c.isLowSurrogate() && i >= 2 && text[i - 2].isHighSurrogate())
        return QChar::surrogateToUcs4(text[i - 2], c);
    return c.unicode();
}

char32_t CodePointAt(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(c, text[i + 1]);
    return c.unicode();
}

// Letters (Hangul syllables and Hanja included), digits, underscores, and the combining marks
// that belong to a letter before them.
bool IsWordChar(char32_t c)
{
    return c == U'_' || QChar::isLetterOrNumber(c) || QChar::isMark(c);
}

bool IsWholeWord(QStringView text, qsizetype pos, qsizetype length)
{
    if (pos > 0 && IsWordChar(CodePointBefore(text, pos)))
        return false;
    const qsizetype end = pos + length;
    return end >= text.size() || !IsWordChar(CodePointAt(text, end));
}

Qt::CaseSensitivity Sensitivity(int options)
{
    return (options & zqFindMatchCase) ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

} // namespace

qsizetype FindInText(QStringView text, QStringView what, int options, qsizetype selStart,
                     qsizetype selLength)
{
    const qsizetype n = text.size();
    const qsizetype len = what.size();
    if (len == 0 || len > n)
        return -1;
    selStart = std::clamp<qsizetype>(selStart, 0, n);
    selLength = std::clamp<qsizetype>(selLength, 0, n - selStart);
    const Qt::CaseSensitivity cs = Sensitivity(options);
    const bool wholeWord = options & zqFindWholeWord;

    if (options & zqFindBackward) {
        qsizetype from = selStart - len;
        while (from >= 0) {
            const qsizetype at = text.lastIndexOf(what, from, cs);
            if (at < 0)
                return -1;
            if (!wholeWord || IsWholeWord(text, at, len))
                return at;
            from = at - 1;
        }
        return -1;
    }

    qsizetype from = selStart + selLength;
    while (from + len <= n) {
        const qsizetype at = text.indexOf(what, from, cs);
        if (at < 0)
            return -1;
        if (!wholeWord || IsWholeWord(text, at, len))
            return at;
        from = at + 1;
    }
    return -1;
}

QList<qsizetype> FindAllInText(QStringView text, QStringView what, int options)
{
    QList<qsizetype> starts;
    const qsizetype len = what.size();
    if (len == 0)
        return starts;
    const int forward = options & ~zqFindBackward;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = FindInText(text, what, forward, from, 0);
        if (at < 0)
            break;
        starts.append(at);
        from = at + len;
    }
    return starts;
}

TzqReplaceAllResult ReplaceAll(QStringView text, QStringView what, QStringView with, int options)
{
    TzqReplaceAllResult result;
    const QList<qsizetype> starts = FindAllInText(text, what, options);
    if (starts.isEmpty()) {
        result.Text = text.toString();
        return result;
    }
    result.Text.reserve(text.size() + starts.size() * (with.size() - what.size()));
    qsizetype done = 0;
    for (const qsizetype at : starts) {
        result.Text.append(text.sliced(done, at - done));
        result.Text.append(with);
        done = at + what.size();
    }
    result.Text.append(text.sliced(done));
    result.Count = starts.size();
    return result;
}
