#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

// The input-mode mark that follows the caret while a note is edited.
struct TzqHangulMarkLook {
    unsigned Background = 0; // 0xRRGGBB
    unsigned Text = 0;       // 0xRRGGBB
    QString Caption;
};

TzqHangulMarkLook HangulMarkLook(bool hangul);

// Where the mark goes, in screen pixels: viewMode 1 (edit) just under the caret, 2 (source)
// beside it, flipped to the caret's left near the window's right edge. caret is the caret's
// rectangle and view the rectangle of the view holding it, both on the screen; windowRight is
// the main window's left plus width. Nothing for browse mode and for an implausible view
// (below 10 or above 20,000 pixels either way).
std::optional<QPoint> HangulMarkPosition(int viewMode, const QRect& caret, const QRect& view,
                                         int windowRight, QSize markSize);
