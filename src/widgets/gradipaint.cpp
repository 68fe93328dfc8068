#include "widgets/gradipaint.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

TGradiStepper::TGradiStepper(const QColor& begin, const QColor& end, int extent)
    : FC{begin.red(), begin.green(), begin.blue()}, FStep{0, 0, 0}
{
    if (extent <= 0)
        return;
    const int e[3] = {end.red(), end.green(), end.blue()};
    for (int i = 0; i < 3; ++i)
        FStep[i] = static_cast<float>(e[i] - FC[i]) / static_cast<float>(extent);
}

void TGradiStepper::Advance()
{
    for (int i = 0; i < 3; ++i) {
        const float next = static_cast<float>(FC[i]) + FStep[i];
        // The conversion truncates toward zero.
        FC[i] = std::clamp(static_cast<int>(next), 0, 255);
    }
}

void GradiHLine(QPainter& painter, int x1, int x2, int y, const QColor& color)
{
    if (x2 > x1)
        painter.fillRect(QRect(x1, y, x2 - x1, 1), color);
}

void GradiVLine(QPainter& painter, int x, int y1, int y2, const QColor& color)
{
    if (y2 > y1)
        painter.fillRect(QRect(x, y1, 1, y2 - y1), color);
}

void GradiRoundBorder(QPainter& painter, int w, int h, const QColor& color)
{
    GradiHLine(painter, 1, w - 1, 0, color);
    GradiHLine(painter, 1, w - 1, h - 1, color);
    GradiVLine(painter, 0, 1, h - 1, color);
    GradiVLine(painter, w - 1, 1, h - 1, color);
}

QString GradiCaptionText(const QString& caption)
{
    QString text = caption;
    const qsizetype amp = text.indexOf(u'&');
    if (amp >= 0)
        text.remove(amp, 1);
    return text;
}

void GradiGreyImage(QImage& image, int divisor)
{
    if (image.format() != QImage::Format_ARGB32_Premultiplied &&
        image.format() != QImage::Format_ARGB32 && image.format() != QImage::Format_RGB32)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            const int g = (12 * qBlue(p) + 64 * qGreen(p) + 32 * qRed(p)) / divisor;
            line[x] = qRgba(g, g, g, qAlpha(p));
        }
    }
}
