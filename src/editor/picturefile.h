#pragma once

#include <QByteArrayView>
#include <QString>

// Pictures as files: the type their first bytes tell.

// The suffix a picture's first bytes call for: ".png", ".jpg", ".gif", ".bmp", ".webp", ".ico",
// ".cur", ".avif", ".heic", ".heif" or ".svg". Empty for anything the program does not take
// for a picture (TzqPictureDownloader::LooksLikePicture decides that). Give it the first 4096
// bytes, so that an SVG file's prologue fits.
QString PictureSuffixOfContent(QByteArrayView head);

// PictureSuffixOfContent of a file's first bytes; empty when it cannot be read.
QString PictureSuffixOfFile(const QString& path);
