#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

// Notes reach the HTML views through the program's own URL scheme, never as file:// URLs:
// the browser engine's "euc-kr" decoder knows only KS X 1001 and would garble the Hangul that
// only CP949 has. The scheme handler converts notes to UTF-8 and serves every other file as
// its bytes.

inline constexpr char NoteScheme[] = "zqnote";

// The scheme URL of a file (an absolute path with "/").
QUrl NoteUrl(const QString& path);

// The file a scheme URL names; references written with backslashes ("__note\pic.png")
// resolve to the file in the note's file folder. Empty for other URLs.
QString NotePathFromUrl(const QUrl& url);

// True for the files served as HTML pages: notes (".htm", any letter case) and the
// highlighted search display file.
bool IsNoteDocument(const QString& path);

struct TzqServedFile {
    bool Found = false;
    QByteArray MimeType;
    QByteArray Body;
};

// What the scheme handler answers for a file.
TzqServedFile ServeFile(const QString& path);

// Before a page is shown: a missing folder note is first written from the default document.
// Returns false when the page still does not exist (any other missing file).
bool PreparePageForLoad(const QString& path, const QList<QByteArray>& folderNoteDefault);
