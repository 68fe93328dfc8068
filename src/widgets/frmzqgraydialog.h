#pragma once

#include "widgets/frmzqnocaption.h"

#include <QImage>

class TzqImageListButton;

// A dialog framed by its skin picture: a painted caption strip that drags the window, a close
// glyph at its right, a 3-pixel frame with see-through corners. Esc and the glyph cancel.
// Layouts set on the dialog fill the area below the caption strip.
class TfrmZqGrayDialog : public TfrmZqNoCaption {
    Q_OBJECT

public:
    explicit TfrmZqGrayDialog(QWidget* parent = nullptr);

    // Follows the window's activation: the caption text is light while active, grey otherwise.
    virtual void SetActive(bool active);
    bool Active() const { return FActive; }

    // Turns the skin's hues by n/240 of the colour circle, glyphs and see-through colour
    // included. Each call starts from the skin as drawn, so Tint(0) brings it back.
    void Tint(int n);

    const QImage& Skin() const { return FSkin; }
    QRgb KeyColor() const { return FKeyColor; }

    // The skin's layout.
    static constexpr int SkinWidth = 54;
    static constexpr int SkinHeight = 18;
    static constexpr int FrameWidth = 3;
    static constexpr int CaptionHeight = 20;

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void frmZqNoCaptionCreate();
    void ApplySkin();
    void PaintFrame(QPainter& painter) const;
    void UpdateMask();
    void imgCaptionPaint();
    void imgCaptionMouseDown(const QPoint& globalPos);
    void btnCloseClick();

    QImage FDrawnSkin;
    QImage FSkin;
    QRgb FKeyColor = 0;
    bool FActive = false;
    bool FPlaced = false;
    bool FDragging = false;
    QPoint FDragOffset;
    QWidget* imgCaption = nullptr;
    TzqImageListButton* btnClose = nullptr;
};
