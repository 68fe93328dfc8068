#pragma once

#include <QString>

// The window caption and the task-bar text for the page shown.
struct TzqCaption {
    QString Window;
    QString TaskBar;
};

// lockHolder: the other user's name when the page is shown in browse mode while someone else
// edits it, otherwise empty. A folder note shows its folder's path; "\" becomes "/".
TzqCaption CaptionForPage(const QString& pagePath, const QString& lockHolder);
