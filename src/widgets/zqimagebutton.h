#pragma once

#include "widgets/zqpicturecbutton.h"

#include <QPointer>

class TzqButtonImages;

// A button drawn from the picture of its TzqButtonImages for the state (disabled, pressed,
// under the mouse, normal) over Color, with its caption; presses count only where the mask is
// empty or not white.
class TzqImageButton : public TzqPictureCButton {
    Q_OBJECT

public:
    explicit TzqImageButton(QWidget* parent = nullptr);

    TzqButtonImages* ButtonImages() const { return FButtonImages; }
    void SetButtonImages(TzqButtonImages* images);

    // The picture for the present state.
    QPixmap CurrentPicture() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool HitTest(const QPoint& pos) const override;

private:
    QPointer<TzqButtonImages> FButtonImages;
    QMetaObject::Connection FWatch;
};
