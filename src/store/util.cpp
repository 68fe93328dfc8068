#include "store/util.h"

namespace {

// Index of the last separator or drive colon, or -1.
qsizetype LastDelimiter(const QString& path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        const QChar c = path[i];
        if (IsPathSeparator(c) || (c == u':' && i == 1))
            return i;
    }
    return -1;
}

} // namespace

QString ExtractFileName(const QString& path)
{
    return path.mid(LastDelimiter(path) + 1);
}

QString ExtractFilePath(const QString& path)
{
    return path.left(LastDelimiter(path) + 1);
}

QString ExtractFileExt(const QString& path)
{
    const QString name = ExtractFileName(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

QString FileBaseName(const QString& path)
{
    const QString name = ExtractFileName(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString StripTrailingSeparator(const QString& path)
{
    if (!path.isEmpty() && (IsPathSeparator(path.back()) || path.back() == u':'))
        return path.chopped(1);
    return path;
}
