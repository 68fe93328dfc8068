#pragma once

#include "widgets/zqpicturecbutton.h"

#include <QImage>
#include <QList>
#include <QPixmap>

// A button drawn from one picture of its image list: IndexButton normally, IndexEnter under the
// mouse, IndexClick while pressed, IndexDisable when disabled (IndexClick when IndexDisable is
// below 0). An index of 0 or less stands for IndexButton. Pixels of the key colour are left
// unpainted, so Color (or what lies behind) shows there. With IndexMask set, presses count
// only where that picture is not white. The close glyph of every dialog is one of these.
class TzqImageListButton : public TzqPictureCButton {
    Q_OBJECT

public:
    explicit TzqImageListButton(QWidget* parent = nullptr);

    // Pictures of the list; pixels of the key colour become see-through (alpha 0 keeps all).
    void SetImageList(const QList<QImage>& images, QRgb key = 0);
    int ImageCount() const { return FImages.size(); }

    int IndexButton() const { return FIndexButton; }
    int IndexEnter() const { return FIndexEnter; }
    int IndexClick() const { return FIndexClick; }
    int IndexDisable() const { return FIndexDisable; }
    int IndexMask() const { return FIndexMask; }
    void SetIndexButton(int index);
    void SetIndexEnter(int index);
    void SetIndexClick(int index);
    void SetIndexDisable(int index);
    void SetIndexMask(int index);

    // The index drawn in the present state, and its picture.
    int CurrentIndex() const;
    QPixmap CurrentGlyph() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool HitTest(const QPoint& pos) const override;

private:
    QList<QPixmap> FImages;
    QList<QImage> FPlain;
    int FIndexButton = 0;
    int FIndexEnter = -1;
    int FIndexClick = -1;
    int FIndexDisable = -1;
    int FIndexMask = -1;
};
