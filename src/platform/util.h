#pragma once

#include <QString>

#include <functional>

// Shared free functions of the program: names and paths, files, text and colours.
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

// Shortens a path for a label of a fixed width: the trailing separator goes, then, while the
// text is not narrower than maxWidth, the middle directories are replaced by "\...\" (the
// separator the path itself uses), dropping one more level each time, down to the bare file
// name. widthOf measures a text in the label's font.
QString ShortenPathToWidth(const QString& path, const std::function<int(const QString&)>& widthOf,
                           int maxWidth);

// 1-based position of the first occurrence of sub in text at or after start (a start below 1
// counts as 1). 0 for an empty text, start for an empty sub, 0 when sub does not fit after
// start or does not occur. Letter case counts.
qsizetype PosFrom(const QString& sub, const QString& text, qsizetype start);

// Picture types told from a file's first bytes.
enum TzqImageType : int {
    zqImageNone = 0, // missing file or not recognised
    zqImageBmp = 1,  // Windows or OS/2 bitmap, icon or pointer
    zqImageGif = 3,
    zqImageJpeg = 4, // JFIF or Exif
    zqImagePng = 5,
};

// The picture type of a file from its first 512 bytes; zqImageNone for a missing file (or a
// folder). Throws EzqError when an existing file cannot be read.
int DetectImageType(const QString& path);

// Copies all bytes of source to target, creating or replacing it. The bytes go through a
// temporary file beside the target, so a failed copy leaves an old target as it was. Throws
// EzqError (with the path) on failure; true otherwise.
bool CopyFileContents(const QString& source, const QString& target);

// The last-write time of a file as a Windows file time: 100-nanosecond units since 1601-01-01
// UTC. 0 when the file does not exist.
qint64 FileLastWriteTime(const QString& path);

// The computer's network name, at most 15 characters, trailing blanks removed; "No Name"
// when there is none.
QString ComputerNameOrDefault();

// Rotates the hue of one 0xAARRGGBB pixel by shift/240 of a full turn through HSL; alpha is
// kept, grey stays grey.
quint32 HueShiftRgb(quint32 argb, int shift);
