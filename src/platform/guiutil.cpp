#include "platform/guiutil.h"

#include "platform/util.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QUrl>

QString ShortenPathToWidth(const QString& path, const QFont& font, int maxWidth)
{
    const QFontMetrics metrics(font);
    return ShortenPathToWidth(
        path, [&metrics](const QString& text) { return metrics.horizontalAdvance(text); },
        maxWidth);
}

void HueShiftBitmap(QImage& bitmap, int shift)
{
    if (bitmap.isNull())
        return;
    bitmap.convertTo(bitmap.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
        for (int x = 0; x < bitmap.width(); ++x)
            line[x] = HueShiftRgb(line[x], shift);
    }
}

int ModifierMask()
{
    const Qt::KeyboardModifiers keys = QGuiApplication::queryKeyboardModifiers();
    int mask = 0;
    if (keys & Qt::ControlModifier)
        mask |= zqModCtrl;
    if (keys & Qt::ShiftModifier)
        mask |= zqModShift;
    if (keys & Qt::AltModifier)
        mask |= zqModAlt;
    return mask;
}

bool IsCtrlDown()
{
    return ModifierMask() & zqModCtrl;
}

bool IsShiftDown()
{
    return ModifierMask() & zqModShift;
}

bool IsAltDown()
{
    return ModifierMask() & zqModAlt;
}

bool OpenWithShell(const QString& target)
{
    if (target.isEmpty())
        return false;
    // A path on disk first, so that "C:\x" or a name with a colon is never taken for a scheme.
    const QFileInfo info(target);
    if (info.isAbsolute() || info.exists())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
    const QUrl url = QUrl::fromUserInput(target);
    return url.isValid() && QDesktopServices::openUrl(url);
}

QImage ReadPreviewPicture(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() ||
        qint64(size.width()) * qint64(size.height()) * 4 > PreviewPictureByteLimit)
        return {};
    QImage image;
    if (!reader.read(&image))
        return {};
    return image;
}
