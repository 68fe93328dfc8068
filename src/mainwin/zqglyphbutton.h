#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QPixmap>

// A small button drawn only from three pictures: normal, under the pointer and pressed.
// Pixels of the key colour are left unpainted, so what lies behind the button shows there.
class TzqGlyphButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit TzqGlyphButton(QWidget* parent = nullptr);

    void SetGlyphs(const QImage& normal, const QImage& hover, const QImage& pressed, QRgb key);
    // The picture for the button's present state.
    const QPixmap& CurrentGlyph() const;

    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QPixmap FNormal;
    QPixmap FHover;
    QPixmap FPressed;
};
