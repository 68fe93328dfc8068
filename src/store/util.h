#pragma once

#include <QString>

// Shared free functions of the program: names and paths.
//
// Paths: full paths on disk use the native separator "/"; what the program stores (relative
// page paths, references inside notes) keeps the backslash form. The helpers below accept both
// separators, and a drive colon ("C:") at position 1 as on Windows.

// The file name without its extension: everything before the file name's last dot, or the
// whole file name when it has no dot. "/a.b/My plan.htm" gives "My plan".
QString FileBaseName(const QString& path);

// The part after the last separator (or drive colon).
QString ExtractFileName(const QString& path);

// Everything up to and including the last separator (or drive colon); empty when none.
QString ExtractFilePath(const QString& path);

// The file name's part from its last dot on; empty when the file name has no dot.
QString ExtractFileExt(const QString& path);

// Removes one trailing separator or colon; anything else is returned unchanged.
QString StripTrailingSeparator(const QString& path);

// True for "/" and "\".
inline bool IsPathSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}
