#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

// The addresses inside a web archive saved from a note.
//
// The browser engine names every part of the archive by the address it was loaded from: the
// note scheme with the note's full path ("zqnote:///home/kim/notes/Trip.htm",
// ".../__Trip/pic.png"). A mailed archive must not carry the user's folders, so every such
// address is moved below one neutral base, keeping its place relative to the note:
// "http://zqquillet.invalid/Trip.htm", "http://zqquillet.invalid/__Trip/pic.png". The note's
// own relative references resolve against the new address of the note exactly as before, so a
// browser still finds every picture in the archive. Parts below the note's folder keep the
// spelling the engine gave them; parts outside it get as many "_/" levels in the base as they
// need ("../x.png" from a note at "http://zqquillet.invalid/_/Trip.htm" is
// "http://zqquillet.invalid/x.png"). Addresses of other schemes (pictures on the web) stay.
class TMhtmlLocations {
public:
    static constexpr char NeutralRoot[] = "http://zqquillet.invalid/";

    explicit TMhtmlLocations(const QString& notePath);

    // First every address of the archive is seen, so the base knows how deep it must be.
    void Collect(const QByteArray& location);
    // The neutral address that replaces `location`.
    QByteArray Neutral(const QByteArray& location) const;

private:
    struct TSplit {
        bool Own = false;
        QList<QByteArray> Segments; // as spelled, percent-encoded
        QByteArray Rest;            // query and fragment, as spelled
    };
    TSplit Split(const QByteArray& location) const;
    // Segments shared with the note's folder.
    int CommonSegments(const QList<QByteArray>& segments) const;

    QStringList FNoteDir; // the note's folder, one decoded name per level
    int FDepth = 0;
};

// Copies a web archive from `raw` to `out` with every Content-Location and
// Snapshot-Content-Location header made neutral (TMhtmlLocations); everything else is copied
// byte for byte. `raw` is read twice and must be able to seek. False, with a Korean message
// in *error, when it is no multipart archive or a read or write fails.
bool RewriteMhtmlLocations(QIODevice& raw, QIODevice& out, const QString& notePath, QString* error);
