#pragma once

#include <QStringList>

// The font names the editing toolbar offers: the Korean names notes are written with (the
// program's font configuration lets installed fonts stand in for them), then the installed
// families, each name once.
QStringList EditorFontNames(const QStringList& installedFamilies);
