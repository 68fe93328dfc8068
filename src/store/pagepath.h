#pragma once

#include <QString>
#include <QStringList>

// Relative page paths: the page of a node below the store root, in backslash form, as the
// history and the lstPage setting keep them. Folders end in a backslash and leave out the
// folder note (Work\Plans\); notes keep ".htm" (Work\My plan.htm).

inline constexpr auto FolderNoteName = u"___zq_quillet__folder.htm";

// The relative page path of a full page path below root: the part after root and its
// separator, cut before the first "___", in backslash form.
QString RelativePagePath(const QString& rootDir, const QString& pagePath);

// What a relative page path names, for finding it in the tree.
struct TzqPathQuery {
    QStringList Components; // non-empty components, leading blanks removed
    bool IsNote = false;    // the last component named a ".htm" file (its extension removed)
};

// Splits at backslashes (and slashes), drops empty components and leading blanks, drops a
// trailing folder note name, and tells a note (".htm", exact lower case) from a folder.
TzqPathQuery ParseRelativePagePath(const QString& path);

// Lower-cases the letters A to Z only; the tree compares names this way.
QString LowerAscii(const QString& text);
