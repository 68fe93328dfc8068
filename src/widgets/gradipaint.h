#pragma once

#include <QColor>
#include <QString>

class QImage;
class QPainter;
class QRect;

// Drawing shared by the gradient buttons. Everything is drawn in logical pixels as whole-pixel
// rectangles, so a picture for a high-density screen scales each logical pixel to a sharp
// block while text and icons use the full resolution.

// Walks the gradient from one colour towards another in `extent` lines: each component moves
// by a single-precision step per line, truncated toward zero and kept within 0 … 255. The
// truncation makes whole-unit moves, so the last line may pass beyond the end colour.
class TGradiStepper {
public:
    TGradiStepper(const QColor& begin, const QColor& end, int extent);
    QColor Current() const { return QColor(FC[0], FC[1], FC[2]); }
    void Advance();

private:
    int FC[3];
    float FStep[3];
};

// One pixel high or wide rectangles of whole logical pixels; the end is exclusive.
void GradiHLine(QPainter& painter, int x1, int x2, int y, const QColor& color);
void GradiVLine(QPainter& painter, int x, int y1, int y2, const QColor& color);

// The outline of rectangle (0, 0, w, h) with its corner pixels left out.
void GradiRoundBorder(QPainter& painter, int w, int h, const QColor& color);

// The caption as drawn: its first "&" removed.
QString GradiCaptionText(const QString& caption);

// Every pixel becomes grey (12 × blue + 64 × green + 32 × red) / divisor; alpha is kept.
void GradiGreyImage(QImage& image, int divisor);
