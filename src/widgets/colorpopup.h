#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <vector>

class TColorPickerButton;

// The palette window of a colour picker button: a default entry, the forty named colours in
// eight columns and five rows, and a custom entry that unfolds a comb of hexagonal cells and a
// row of greys. Mouse and keyboard highlight an entry; choosing one reports it and closes.
class TColorPopup : public QWidget {
    Q_OBJECT

public:
    // Entries besides the grid cells 0 … 39.
    enum : int { ItemNone = -1, ItemDefault = -2, ItemCustom = -3 };

    TColorPopup(const QString& defaultText, const QString& customText, int spacing,
                TColorPickerButton* owner);

    static int StandardColorCount();
    static QColor StandardColor(int index);
    static QString StandardColorName(int index);

    // The cell equal to this colour is shown selected; an invalid colour selects nothing.
    void SetSelectedColor(const QColor& color);
    // The grid cell shown selected, or ItemNone.
    int Selected() const { return FSelected; }
    // The highlighted entry: a cell index, ItemDefault, ItemCustom or ItemNone.
    int Highlight() const { return FHighlight; }
    // The text shown for what is under the mouse (or highlighted).
    QString Hint() const { return FHint; }
    bool CombShown() const { return FCombShown; }

    // Places the palette below the owner's left edge, or above it when there is no room below,
    // shifted sideways to stay on the screen.
    void PlaceAtOwner();

    // Geometry, in the palette's own coordinates.
    QRect CellRect(int index) const;
    QRect DefaultRect() const { return FDefaultRect; }
    QRect CustomRect() const { return FCustomRect; }
    QRect CombRect() const { return FCombRect; }
    QRect GreyRect() const { return FGreyRect; }
    // The colour of the comb or grey row at pos; invalid when pos is on neither.
    QColor CombColorAt(const QPoint& pos) const;
    // Centre of each comb cell with its colour.
    struct TCombCell {
        QPointF Centre;
        QColor Color;
    };
    const std::vector<TCombCell>& CombCells() const { return FComb; }
    static constexpr int GreyShades = 16;

Q_SIGNALS:
    void ColorChosen(const QColor& color);
    void DefaultChosen();
    void Closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void Layout();
    void BuildComb();
    int ItemAt(const QPoint& pos) const;
    void SetHighlight(int item);
    void ChooseItem(int item);
    void ToggleComb();
    void MoveHighlight(int key);
    QString HintFor(int item) const;
    void ShowHint(const QString& hint, const QPoint& at);

    QPointer<TColorPickerButton> FOwner;
    QString FDefaultText;
    QString FCustomText;
    int FSpacing;
    int FSelected = ItemNone;
    int FHighlight = ItemNone;
    int FColumn = 0;
    bool FCombShown = false;
    QString FHint;
    QColor FHoverColor;
    QRect FDefaultRect;
    QRect FGridRect;
    QRect FCustomRect;
    QRect FCombRect;
    QRect FGreyRect;
    QRect FHintRect;
    std::vector<TCombCell> FComb;
};
