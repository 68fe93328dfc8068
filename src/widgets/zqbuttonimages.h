#pragma once

#include <QImage>
#include <QObject>
#include <QPixmap>

// The pictures of a TzqImageButton: one per state, a mask for the pressable area, the
// picture's offset and the caption's place (CapX < 0: centred). Several buttons may share it.
class TzqButtonImages : public QObject {
    Q_OBJECT

public:
    explicit TzqButtonImages(QObject* parent = nullptr);

    QPixmap PicUp() const { return FPicUp; }
    QPixmap PicDown() const { return FPicDown; }
    // Falls back to PicDown while empty.
    QPixmap PicDisabled() const { return FPicDisabled.isNull() ? FPicDown : FPicDisabled; }
    QPixmap PicEntered() const { return FPicEntered; }
    QImage MaskBmp() const { return FMaskBmp; }
    int PicX() const { return FPicX; }
    int PicY() const { return FPicY; }
    int CapX() const { return FCapX; }
    int CapY() const { return FCapY; }

    void SetPicUp(const QPixmap& picture);
    void SetPicDown(const QPixmap& picture);
    void SetPicDisabled(const QPixmap& picture);
    void SetPicEntered(const QPixmap& picture);
    void SetMaskBmp(const QImage& mask);
    void SetPicX(int x);
    void SetPicY(int y);
    void SetCapX(int x);
    void SetCapY(int y);

Q_SIGNALS:
    void Changed();

private:
    template <typename T> void Assign(T& field, const T& value)
    {
        field = value;
        Q_EMIT Changed();
    }

    QPixmap FPicUp;
    QPixmap FPicDown;
    QPixmap FPicDisabled;
    QPixmap FPicEntered;
    QImage FMaskBmp;
    int FPicX = 0;
    int FPicY = 0;
    int FCapX = -1;
    int FCapY = -1;
};
