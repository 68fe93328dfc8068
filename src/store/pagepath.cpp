#include "store/pagepath.h"

#include "platform/util.h"

QString RelativePagePath(const QString& rootDir, const QString& pagePath)
{
    QString rel = pagePath;
    const QString root = StripTrailingSeparator(rootDir);
    if (!root.isEmpty() && rel.startsWith(root) && rel.size() > root.size() &&
        IsPathSeparator(rel[root.size()]))
        rel = rel.mid(root.size() + 1);
    const qsizetype cut = rel.indexOf(u"___");
    if (cut >= 0)
        rel.truncate(cut);
    rel.replace(u'/', u'\\');
    return rel;
}

TzqPathQuery ParseRelativePagePath(const QString& path)
{
    TzqPathQuery q;
    qsizetype start = 0;
    const qsizetype n = path.size();
    for (qsizetype i = 0; i <= n; ++i) {
        if (i < n && !IsPathSeparator(path[i]))
            continue;
        qsizetype b = start;
        while (b < i && path[b] == u' ')
            ++b;
        if (b < i)
            q.Components.append(path.mid(b, i - b));
        start = i + 1;
    }
    if (!q.Components.isEmpty() && q.Components.back() == FolderNoteName)
        q.Components.removeLast();
    if (!q.Components.isEmpty() && q.Components.back().endsWith(u".htm")) {
        q.Components.back().chop(4);
        q.IsNote = true;
        // A component that was only ".htm" names nothing.
        if (q.Components.back().isEmpty())
            q.Components.removeLast();
    }
    return q;
}

QString LowerAscii(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return out;
}
