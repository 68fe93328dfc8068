#include "mainwin/zqgesture.h"

TzqGesture::TResult TzqGesture::RightDown(QPoint pos, bool primaryHeld, bool overNoteView)
{
    if (primaryHeld) {
        // The rocker: the right button's release belongs to it too.
        FState = TState::Rocker;
        return {TAction::GoForward, true};
    }
    if (!overNoteView) {
        FState = TState::None;
        return {};
    }
    FState = TState::Armed;
    FStart = pos;
    return {TAction::None, true};
}

TzqGesture::TResult TzqGesture::RightUp(QPoint pos)
{
    const TState state = FState;
    FState = TState::None;
    switch (state) {
    case TState::None:
        return {};
    case TState::Rocker:
        return {TAction::None, true};
    case TState::Armed:
        break;
    }
    const int dx = pos.x() - FStart.x();
    const int dy = pos.y() - FStart.y();
    if (dy > VerticalSlack)
        return {TAction::ScrollToEnd, true};
    if (dy < -VerticalSlack)
        return {TAction::ScrollToTop, true};
    if (dx > HorizontalSlack)
        return {TAction::GoForward, true};
    if (dx < -HorizontalSlack)
        return {TAction::GoBack, true};
    return {TAction::ContextMenu, true};
}
