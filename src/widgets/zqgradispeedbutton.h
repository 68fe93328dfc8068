#pragma once

#include <QAbstractButton>
#include <QIcon>
#include <QList>
#include <QPointer>

#include "widgets/zqgradicolors.h"

// A tool-bar button that never takes the focus: a gradient face with cut corners of
// RoundDegree pixels, drawn down while pressed or while checked in its group (setCheckable
// with setAutoExclusive, or a QButtonGroup), and a caption that may be turned by FontRotate
// tenths of a degree. Without a scheme it is drawn as a plain tool button.
class TzqGradiSpeedButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit TzqGradiSpeedButton(QWidget* parent = nullptr);

    TzqGradiColors* Colors() const { return FColors; }
    void SetColors(TzqGradiColors* colors);
    int CapX() const { return FCapX; }
    int CapY() const { return FCapY; }
    void SetCapX(int x);
    void SetCapY(int y);
    int IconX() const { return FIconX; }
    int IconY() const { return FIconY; }
    void SetIconX(int x);
    void SetIconY(int y);
    const QList<QIcon>& Images() const { return FImages; }
    void SetImages(const QList<QIcon>& images);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index);
    bool VerticalGradi() const { return FVerticalGradi; }
    void SetVerticalGradi(bool vertical);
    int RoundDegree() const { return FRoundDegree; }
    void SetRoundDegree(int degree);
    int FontRotate() const { return FFontRotate; }
    void SetFontRotate(int tenths);
    // Held down in its group.
    bool Down() const { return isChecked(); }
    void SetDown(bool down) { setChecked(down); }

    bool MouseIn() const { return FMouseIn; }
    TzqGradiColors* CurrentColors() const;
    // The button's picture at the given device pixel ratio; null without a scheme.
    QImage Picture(qreal dpr = 1.0) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QPointer<TzqGradiColors> FColors;
    TzqSchemeWatch FColorWatch{this};
    int FCapX = -1;
    int FCapY = -1;
    int FIconX = 5;
    int FIconY = 5;
    QList<QIcon> FImages;
    int FImageIndex = -1;
    bool FVerticalGradi = false;
    int FRoundDegree = 3;
    int FFontRotate = 0;
    bool FMouseIn = false;
};
