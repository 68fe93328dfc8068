#pragma once

#include "editor/formatpreset.h"

#include <QColor>

// Between the stored colour values (red in the lowest byte) and the GUI's colours.
inline QColor ColorOfValue(TzqColorValue value)
{
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

inline TzqColorValue ValueOfColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return static_cast<TzqColorValue>(rgb.red()) | (static_cast<TzqColorValue>(rgb.green()) << 8) |
           (static_cast<TzqColorValue>(rgb.blue()) << 16);
}
