#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

// The notification box without its window: how long it stays, when it closes, what text it
// shows and where it stands. The window only forwards its timer and mouse to this.
class TzqMsgBoxState {
public:
    static constexpr int TimerInterval = 200; // ms between ticks
    static constexpr int BoxWidth = 242;      // client width of the box
    static constexpr int InitialHeight = 80;  // client height before the text is fitted
    // The caption and the message stand on a text layer that starts 3 pixels below the box's
    // top; their places below are on that layer.
    static constexpr int TextLayerTop = 3;
    static constexpr int CaptionLeft = 5;
    static constexpr int CaptionTop = 1;
    static constexpr int MessageLeft = 5;
    static constexpr int MessageTop = 20;
    static constexpr int MessageWidth = 231;
    // Room between the message's lines: the Korean fonts that stand in for the narrow Windows
    // ones fill their line completely, and wrapped lines would touch.
    static constexpr int MessageLineGap = 2;

    int Ticks() const { return FTicks; }

    // One tick of the timer. True when the box is to close now: after sixteen counted ticks
    // the seventeenth closes it, about 3.4 seconds after it appeared.
    bool TimerTick();

    // The mouse moved over the box: the next tick closes it. Only the first move counts.
    void MouseMoved();
    bool MouseMoveHooked() const { return FMouseMoveHooked; }

    // The message as shown: blanks and control characters at both ends removed, line ends
    // inside it made plain line feeds.
    static QString TrimMessage(const QString& text);

    // Where the box's top-left corner goes: the top right corner of the main window's frame,
    // 3 pixels in from its right edge and 22 pixels down from its top.
    static QPoint BoxPosition(const QRect& mainFrame, int boxWidth = BoxWidth);

    // The box's height for a message laid out messageHeight pixels high: the text layer's
    // height, so the last 3 pixels of that layer's bottom margin lie outside the box.
    static int BoxHeight(int messageHeight) { return MessageTop + messageHeight + 10; }

private:
    int FTicks = 0;
    bool FMouseMoveHooked = true;
};
