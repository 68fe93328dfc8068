#pragma once

#include <QByteArray>
#include <QList>

// What the program writes into a page it makes itself, CP949.

// The 22 lines of a page made without a template.
QList<QByteArray> NewPageSkeleton();

// The 13 lines written for a folder whose folder note is missing.
QList<QByteArray> FolderNoteDefault();
