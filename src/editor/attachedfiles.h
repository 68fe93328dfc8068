#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

// The plain logic of the attached files panel: what a note's file folder lists, how big a
// preview is drawn, and which files a delete or an insert handles.

// The files of a note's file folder in the order the tree sorts names (case-insensitive,
// locale-aware). Folders and hidden files are left out; a missing folder lists nothing.
QStringList ListAttachedFiles(const QString& fileFolder);

// The size a picture of pictureSize is drawn at in a preview of panelSize: its own size when
// it fits, else scaled down to the panel's width or height with its aspect ratio kept. Never
// larger than the picture, never empty for a picture that is not.
QSize FitPictureSize(const QSize& pictureSize, const QSize& panelSize);

// The reference a note stores for a file of its file folder: "__name\file".
QString AttachedFileReference(const QString& folderName, const QString& fileName);

// The full paths of the selected items, from the last selected row to the first; rows out of
// range are ignored.
QStringList SelectedFilePaths(const QString& fileFolder, const QStringList& items,
                              QList<int> selectedRows);

// The listed names that one of the chosen files (full paths) has become, in list order.
QStringList AttachedNames(const QStringList& listed, const QStringList& chosen);
