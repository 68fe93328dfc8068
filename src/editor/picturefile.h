#pragma once

#include <QByteArrayView>
#include <QString>

// Pictures as files: the type their first bytes tell, and a picture the user chose put into a
// note's file folder.

// The suffix a picture's first bytes call for: ".png", ".jpg", ".gif", ".bmp", ".webp", ".ico",
// ".cur", ".avif", ".heic", ".heif" or ".svg". Empty for anything the program does not take
// for a picture (TzqPictureDownloader::LooksLikePicture decides that). Give it the first 4096
// bytes, so that an SVG file's prologue fits.
QString PictureSuffixOfContent(QByteArrayView head);

// PictureSuffixOfContent of a file's first bytes; empty when it cannot be read.
QString PictureSuffixOfFile(const QString& path);

// A picture file of this computer the user chose for a note.
struct TzqChosenPicture {
    QString Reference; // "__note\name.png" once copied into the note's file folder
    QString Name;      // the copy's file name there
    QString Error;     // why it could not be used, for the user; empty when it was copied
};

// Copies the picture at path into the file folder of the note at notePath (created when
// missing) under a name of its own. Refused, with the reason, when the file is missing, is
// not a picture by its content, or cannot be copied; nothing is left behind then.
TzqChosenPicture CopyChosenPicture(const QString& path, const QString& notePath);
