#pragma once

#include <QString>
#include <QtGlobal>

class QFont;
class QImage;

// Shared free functions that need the window system: text widths, pictures, keys, the shell.

// ShortenPathToWidth measured in a font: what fits a label maxWidth pixels wide.
QString ShortenPathToWidth(const QString& path, const QFont& font, int maxWidth);

// Rotates the hue of every pixel by shift/240 of a full turn (HueShiftRgb). The picture
// becomes 32-bit RGB, or ARGB when it had an alpha channel, which is kept.
void HueShiftBitmap(QImage& bitmap, int shift);

// Modifier keys held down now: 1 Ctrl, 2 Shift, 4 Alt.
enum : int { zqModCtrl = 1, zqModShift = 2, zqModAlt = 4 };
int ModifierMask();
bool IsCtrlDown();
bool IsShiftDown();
bool IsAltDown();

// Opens a file or folder with its default program, or an address (anything with a scheme
// that is not a path on disk) in the browser or mail program. False when nothing could.
bool OpenWithShell(const QString& target);

// Pictures whose decoded size (width x height x 4 bytes) is above this are never previewed.
inline constexpr qint64 PreviewPictureByteLimit = 128LL * 1024 * 1024;

// A picture for a preview: only its declared size is read first, so one above
// PreviewPictureByteLimit is never decoded. Null when it cannot be read or is too big.
QImage ReadPreviewPicture(const QString& path);
