#pragma once

#include <QAbstractButton>

// The base of the picture buttons: never takes the focus, knows whether the mouse is over it,
// repaints on font and enable changes, takes a left press only where HitTest allows, and turns
// a double click into a press unless someone listens to DoubleClicked.
class TzqPictureCButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit TzqPictureCButton(QWidget* parent = nullptr);

    bool MouseIn() const { return FMouseIn; }
    // The background under the pictures; invalid leaves it see-through.
    QColor Color() const { return FColor; }
    void SetColor(const QColor& color);

Q_SIGNALS:
    void DoubleClicked();

protected:
    // Whether a press at pos (in the button) counts; the whole button by default.
    virtual bool HitTest(const QPoint& pos) const;

    bool hitButton(const QPoint& pos) const override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool FMouseIn = false;
    QColor FColor;
};
