#pragma once

#include "widgets/colorpopup.h"

#include <QAbstractButton>
#include <QIcon>
#include <QPointer>

// The drop-down colour button of the text-format tool bars. The left part shows the glyph with
// a bar of the current colour below it and clicks (to apply that colour again); the right part,
// DropDownWidth pixels wide, opens the palette. Never takes the focus.
class TColorPickerButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit TColorPickerButton(QWidget* parent = nullptr);

    QColor SelectionColor() const { return FSelectionColor; }
    // Repaints, updates an open palette and emits Change() only when the colour differs.
    void SetSelectionColor(const QColor& color);
    QString DefaultText() const { return FDefaultText; }
    // The palette's top entry; none while empty.
    void SetDefaultText(const QString& text);
    QString CustomText() const { return FCustomText; }
    // The palette's bottom entry that unfolds the colour comb; none while empty.
    void SetCustomText(const QString& text);
    // Drawn above the colour bar; a 16 × 16 picture whose bottom 4 rows the bar covers.
    void SetGlyph(const QIcon& glyph);
    QIcon Glyph() const { return FGlyph; }
    int DropDownWidth() const { return FDropDownWidth; }
    void SetDropDownWidth(int width);
    QColor DropDownArrowColor() const { return FDropDownArrowColor; }
    void SetDropDownArrowColor(const QColor& color);
    // Inner margin of the palette left and right of its grid.
    int PopupSpacing() const { return FPopupSpacing; }
    void SetPopupSpacing(int spacing);

    bool IsDropped() const { return FPopup != nullptr; }
    // Opens the palette below the button (or above it near the screen's bottom).
    void DropDown();
    // Closes an open palette without a choice.
    void CloseUp();
    TColorPopup* Popup() const { return FPopup; }

    // Where the colour bar is drawn.
    QRect IndicatorRect() const;

    QSize sizeHint() const override;

Q_SIGNALS:
    void Change();
    void DefaultSelect();
    void DropChanged();

protected:
    bool hitButton(const QPoint& pos) const override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QColor FSelectionColor{0, 0, 0};
    QString FDefaultText;
    QString FCustomText;
    QIcon FGlyph;
    int FDropDownWidth = 15;
    QColor FDropDownArrowColor{0, 0, 0};
    int FPopupSpacing = 8;
    QPointer<TColorPopup> FPopup;
    bool FMouseIn = false;
};
