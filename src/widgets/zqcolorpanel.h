#pragma once

#include <QFrame>

// A plain panel framed by one line per edge in its own colour; an edge without a valid colour
// is not drawn. Framed text panels of the dialogs.
class TzqColorPanel : public QFrame {
    Q_OBJECT

public:
    explicit TzqColorPanel(QWidget* parent = nullptr);

    QColor clrLeft() const { return FLeft; }
    QColor clrTop() const { return FTop; }
    QColor clrRight() const { return FRight; }
    QColor clrBottom() const { return FBottom; }
    void SetClrLeft(const QColor& color);
    void SetClrTop(const QColor& color);
    void SetClrRight(const QColor& color);
    void SetClrBottom(const QColor& color);
    // All four edges at once.
    void SetEdgeColors(const QColor& color);
    int BorderThick() const { return FBorderThick; }
    void SetBorderThick(int thick);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor FLeft;
    QColor FTop;
    QColor FRight;
    QColor FBottom;
    int FBorderThick = 1;
};
