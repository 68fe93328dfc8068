#pragma once

#include <QPoint>

// The right-button gestures over the note: a drag down goes to the end of the note, up to its
// top, right and left forward and back in the history; the left button held while the right
// one is pressed (the rocker) goes forward. A right click that was no gesture is handed back to
// the widget under the pointer as a context-menu request.
// The state is explicit, so any screen position is valid, left of or above the primary screen
// too.
class TzqGesture {
public:
    enum class TState { None, Armed, Rocker };
    enum class TAction { None, ScrollToEnd, ScrollToTop, GoForward, GoBack, ContextMenu };
    struct TResult {
        TAction Action = TAction::None;
        // The button event goes no further.
        bool Swallow = false;
    };

    // Vertical moves beyond this many pixels scroll; horizontal ones beyond HorizontalSlack go
    // through the history.
    static constexpr int VerticalSlack = 30;
    static constexpr int HorizontalSlack = 20;

    // The right button went down at pos (screen pixels). primaryHeld: the left button is down
    // too. overNoteView: pos lies over one of the note's views.
    TResult RightDown(QPoint pos, bool primaryHeld, bool overNoteView);
    // The right button came up at pos.
    TResult RightUp(QPoint pos);

    TState State() const { return FState; }
    QPoint Start() const { return FStart; }
    // While a press is taken as a gesture, the platform's own context-menu request that comes
    // with it must not open a menu.
    bool SwallowsContextMenu() const { return FState != TState::None; }

private:
    TState FState = TState::None;
    QPoint FStart;
};
