#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

// Notes reach the HTML views through the program's own URL scheme, never as file:// URLs:
// the browser engine's "euc-kr" decoder knows only KS X 1001 and would garble the Hangul that
// only CP949 has. The scheme handler converts notes to UTF-8 and serves every other file as
// its bytes.

inline constexpr char NoteScheme[] = "zqnote";

// The scheme URL of a file (an absolute path with "/").
QUrl NoteUrl(const QString& path);

// The file a scheme URL names, as a clean absolute path; references written with backslashes
// ("__note\pic.png") resolve to the file in the note's file folder. Empty for other URLs.
QString NotePathFromUrl(const QUrl& url);

// The places whose files the scheme serves: whole folders (the open data directory, the
// template folder, the program's temporary folder) and single files (the search display
// file). Nothing else on the machine reaches a view, however a note names it.
class TzqNoteScope {
public:
    void SetPlaces(const QStringList& folders, const QStringList& files);
    // The file behind path with every link resolved, when it lies in one of the places;
    // empty otherwise.
    QString Resolve(const QString& path) const;

private:
    QStringList FFolders; // absolute, clean
    QStringList FFiles;
};

// The scope the scheme handler serves from; the main window keeps it up to date.
TzqNoteScope& NoteScope();

// True for the files served as HTML pages: notes (".htm", any letter case) and the
// highlighted search display file.
bool IsNoteDocument(const QString& path);

struct TzqServedFile {
    bool Found = false;
    QByteArray MimeType;
    // A note's text, converted; other files come as an opened Device, read as the view needs
    // them, so a large video never sits in memory whole.
    QByteArray Body;
    std::unique_ptr<QIODevice> Device;
};

// What the scheme handler answers for a file: not found outside the scope.
TzqServedFile ServeFile(const QString& path, const TzqNoteScope& scope = NoteScope());

// Before a page is shown: a missing folder note is first written from the default document.
// Returns false when the page still does not exist (any other missing file).
bool PreparePageForLoad(const QString& path, const QList<QByteArray>& folderNoteDefault);
