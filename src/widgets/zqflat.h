#pragma once

#include "widgets/zqcbox.h"

// A filled panel with chosen 1-pixel sides in light grey and a caption like TzqCBox; the
// main window's input-mode mark.
class TzqFlat : public TzqCBox {
    Q_OBJECT

public:
    enum TBorderSide { bsLeft = 1, bsTop = 2, bsRight = 4, bsBottom = 8 };
    Q_DECLARE_FLAGS(TBorder, TBorderSide)

    explicit TzqFlat(QWidget* parent = nullptr);

    QColor Color() const { return FColor; }
    void SetColor(const QColor& color);
    TBorder Border() const { return FBorder; }
    void SetBorder(TBorder border);

    static QColor BorderColor() { return {192, 192, 192}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor FColor;
    TBorder FBorder = {bsLeft, bsTop, bsRight, bsBottom};
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TzqFlat::TBorder)
