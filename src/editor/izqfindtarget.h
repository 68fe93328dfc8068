#pragma once

#include <QString>

// What the find dialog searches: one of the note's three views.
class IzqFindTarget {
public:
    virtual ~IzqFindTarget() = default;
    // The view's selected text, to fill the search box with.
    virtual QString SelectedText() const = 0;
    // Searches from the selection with the source view's options (whole word 1, match case 2,
    // backward 4, select 8): forward from the selection's end, backward from its start. A match
    // becomes the selection (or the highlight) and is scrolled into view; without one nothing
    // changes and nothing is said.
    virtual void FindNext(const QString& text, int options) = 0;
};
