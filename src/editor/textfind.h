#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// Plain-text find and replace of the source view's dialogs. Options are those of the source
// view (editor/izqviews.h): whole word 1, match case 2, backward 4; selecting the match (8) is
// the caller's business.
//
// Whole word: the match is neither preceded nor followed by a letter (Hangul syllables are
// letters), a digit or an underscore. Without match case, letters compare by their case
// folding (Latin, Greek, Cyrillic, full-width Latin); Korean has no case and compares as is.

// The start of the next match, or -1. Forward the search runs from the end of the selection
// (selStart + selLength) to the end of the text; backward from the selection's start towards
// the beginning, the match ending at or before selStart. An empty search text never matches.
qsizetype FindInText(QStringView text, QStringView what, int options, qsizetype selStart,
                     qsizetype selLength);

// The starts of every match from the beginning of the text, none overlapping, in order
// (the backward option is ignored).
QList<qsizetype> FindAllInText(QStringView text, QStringView what, int options);

struct TzqReplaceAllResult {
    QString Text;
    qsizetype Count = 0;
};

// Replaces every match of FindAllInText by `with`.
TzqReplaceAllResult ReplaceAll(QStringView text, QStringView what, QStringView with, int options);
