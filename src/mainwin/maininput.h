#pragma once

#include "mainwin/zqgesture.h"
#include "mainwin/zqkeytable.h"
#include "mainwin/zqwheelsteps.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <optional>

class QKeyEvent;
class QLabel;
class QMouseEvent;
class QTimer;
class QWheelEvent;
class QWidget;
class IzqInputModeSource;
class TfrmMainQL;
class TzqInputModeWatcher;

// The main window's keyboard, right-button gestures and wheel, which it sees before its
// widgets do, and the input-mode mark near the caret.
class TzqMainInput : public QObject {
    Q_OBJECT

public:
    // Starts watching the application's events.
    explicit TzqMainInput(TfrmMainQL* window);

    const TzqGesture& Gesture() const { return FGesture; }
    // The screen rectangle of the note's views.
    QRect NoteViewRect() const;

    // The input-mode mark near the caret and its timer.
    void ShowHangulMark(bool show);
    void tmrHangulMarkTimer();
    QLabel* HangulMark() const { return pnlHangulMark; }
    // Who tells Hangul from English input; null restores the desktop's own.
    void SetInputModeSource(IzqInputModeSource* source);
    // The view mode changed: the mark shows in edit and source mode only.
    void ModeChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Every event of the application passes here first while the window is active: the keys,
    // the right-button gestures over the note and the wheel over the tree panel.
    bool AppMessage(QObject* watched, QEvent* event);
    TzqKeyInput KeyInput(const QKeyEvent* key) const;
    bool GestureEvent(QWidget* target, QMouseEvent* mouse);
    // The widget lies in one of the note's views.
    bool InNoteViews(const QWidget* widget) const;
    void RunGesture(TzqGesture::TAction action);
    // A right click that was no gesture: the widget under the pointer gets it as it would have.
    void ReplayContextMenu(QPoint globalPos);
    void ScrollNote(bool toEnd);
    bool RouteWheel(QWidget* target, QWheelEvent* wheel);
    void CreateHangulMark();

    TfrmMainQL* W;
    TzqGesture FGesture;
    // A replayed right click passes untouched.
    bool FReplayingClick = false;
    // The widget the right button went down on for a gesture.
    QPointer<QWidget> FGestureTarget;
    TzqWheelSteps FGridWheel;
    // The input mode the mark shows; none before the first tick.
    std::optional<bool> FMarkHangul;
    QLabel* pnlHangulMark = nullptr;
    QTimer* tmrHangulMark = nullptr;
    TzqInputModeWatcher* FOwnInputMode = nullptr;
    IzqInputModeSource* FInputMode = nullptr;
};
