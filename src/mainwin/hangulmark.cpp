#include "mainwin/hangulmark.h"

using namespace Qt::Literals::StringLiterals;

TzqHangulMarkLook HangulMarkLook(bool hangul)
{
    if (hangul)
        return {0xFF8000, 0xFFFFFF, u"Hangul"_s};
    return {0x0000FF, 0x00FFFF, u"English"_s};
}

std::optional<QPoint> HangulMarkPosition(int viewMode, const QRect& caret, const QRect& view,
                                         int windowRight, QSize markSize)
{
    if (viewMode != 1 && viewMode != 2)
        return std::nullopt;
    auto plausible = [](int extent) { return extent >= 10 && extent <= 20000; };
    if (!plausible(view.width()) || !plausible(view.height()))
        return std::nullopt;
    // The caret's bottom edge, just below its last line of pixels.
    const int caretBottom = caret.y() + caret.height();
    if (viewMode == 1)
        return QPoint(caret.x(), caretBottom + 2);
    int x = caret.x() + 6;
    if (windowRight < markSize.width() + x + 30)
        x -= markSize.width() + 30;
    return QPoint(x, caretBottom - 22);
}
